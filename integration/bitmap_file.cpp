#include "bitmap_file.h"

#include <cstring>

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".\\") : path.substr(0, slash + 1);
}

}  // namespace

std::vector<BYTE> BitmapFileBytes(const DibBlock* dib) {
    if (!dib || !dib->header) return {};
    const BITMAPINFOHEADER& source = *dib->header;
    const int bits = source.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return {};
    const int width = DibWidth(dib), height = DibHeight(dib);
    if (width <= 0 || height <= 0) return {};
    const DWORD rowBytes = DibRowBytesFor(width, bits);
    DWORD colours = 0;
    if (bits <= 8) colours = source.biClrUsed ? source.biClrUsed : (1u << bits);
    const unsigned long long pixelBytes = static_cast<unsigned long long>(rowBytes) * static_cast<unsigned>(height);
    const unsigned long long total = 14ull + 40 + colours * 4ull + pixelBytes;
    if (total > 0x7FFFFFFFull) return {};

    std::vector<BYTE> bytes(static_cast<size_t>(total));
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfSize = static_cast<DWORD>(total);
    file.bfOffBits = static_cast<DWORD>(14 + 40 + colours * 4);
    std::memcpy(bytes.data(), &file, 14);
    BITMAPINFOHEADER header = source;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biHeight = height;  // rows bottom row first
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(pixelBytes);
    header.biClrUsed = colours;
    std::memcpy(bytes.data() + 14, &header, 40);
    if (colours) std::memcpy(bytes.data() + 54, dib->header + 1, colours * 4);

    const bool topDown = source.biHeight < 0;
    BYTE* out = bytes.data() + file.bfOffBits;
    for (int row = 0; row < height; ++row) {
        // File row `row` counts from the bottom of the picture.
        const int pictureRow = height - 1 - row;
        const int memoryRow = topDown ? pictureRow : height - 1 - pictureRow;
        std::memcpy(out + static_cast<size_t>(row) * rowBytes, dib->pixels + static_cast<size_t>(memoryRow) * rowBytes,
                    rowBytes);
    }
    return bytes;
}

bool ReplaceFileContents(const std::string& path, const std::vector<BYTE>& bytes) {
    if (path.empty() || path.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    char temporary[MAX_PATH];
    if (!GetTempFileNameA(FolderOf(path).c_str(), "~om", 0, temporary)) return false;
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
    if (ok && !MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
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
