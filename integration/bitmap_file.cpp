#include "bitmap_file.h"

#include <cstring>

#include "file_replace.h"
#include "packed_dib.h"
#include "save_names.h"

std::vector<BYTE> BitmapFileBytes(const DibBlock* dib) {
    // A bitmap file is the packed form behind a 14-byte file header.
    const size_t packed = PackedDibBytes(dib);
    if (packed == 0 || packed > 0x7FFFFFFFu - 14) return {};
    std::vector<BYTE> bytes(14 + packed);
    if (!WritePackedDib(dib, bytes.data() + 14, packed)) return {};
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data() + 14, sizeof header);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfSize = static_cast<DWORD>(bytes.size());
    file.bfOffBits = static_cast<DWORD>(bytes.size() - header.biSizeImage);
    std::memcpy(bytes.data(), &file, 14);
    return bytes;
}

bool ReplaceFileContents(const std::string& path, const std::vector<BYTE>& bytes) {
    if (path.empty() || path.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    char temporary[MAX_PATH];
    const std::string folder = FolderOf(path);
    if (!GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "~om", 0, temporary)) return false;
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        DeleteFileA(temporary);
        SetLastError(error);
        return false;
    }
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(bytes.size() - done < (1u << 20) ? bytes.size() - done : (1u << 20));
        DWORD written = 0;
        ok = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    ok = ok && FlushFileBuffers(file);
    DWORD error = ok ? 0 : GetLastError();
    if (!CloseHandle(file) && ok) ok = false, error = GetLastError();
    if (ok && !ReplaceWithFreshFile(temporary, path))
        ok = false, error = GetLastError();
    if (!ok) {
        DeleteFileA(temporary);
        SetLastError(error ? error : ERROR_WRITE_FAULT);
    }
    return ok;
}

bool WriteBitmapFile(const std::string& path, const DibBlock* dib) {
    const std::vector<BYTE> bytes = BitmapFileBytes(dib);
    if (bytes.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return ReplaceFileContents(path, bytes);
}
