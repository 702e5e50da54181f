#include "save.h"

#include <setjmp.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "convert.h"
#include "file_replace.h"
#include "load.h"
#include "quantize.h"
#include "save_names.h"

namespace {

constexpr int kBits[kSaveDepthCount] = {1, 2, 4, 8, 15, 16, 24, 32, 8};

// A new, empty file in `folder` whose full name is no longer than the
// longest path: "~sv" and four hex digits with ".tmp" when that fits, else as
// many hex digits after '~' as fit.  False, with the system's error, when no
// such file can be made there.
bool CreateTemporaryFile(const std::string& folder, std::string* name, DWORD* error) {
    const size_t room = folder.size() < kLongestSavePath ? kLongestSavePath - folder.size() : 0;
    if (room == 0) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    const DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (DWORD attempt = 0; attempt < 256; ++attempt) {
        char file[32];
        const DWORD number = seed + attempt * 7919;
        if (room >= 11) {
            std::snprintf(file, sizeof file, "~sv%04lX.tmp", static_cast<unsigned long>(number & 0xFFFF));
        } else {
            const int digits = static_cast<int>(room) - 1;
            std::snprintf(file, sizeof file, "~%08lX", static_cast<unsigned long>(number));
            file[1 + digits] = '\0';
        }
        *name = folder + file;
        HANDLE handle = CreateFileA(name->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
            return true;
        }
        *error = GetLastError();
        if (*error != ERROR_FILE_EXISTS && *error != ERROR_ALREADY_EXISTS) return false;
        if (room < 11 && room - 1 == 0) return false;  // a single name to try
    }
    return false;
}

int Fail(SaveError* error, SaveFault fault, DWORD system = 0) {
    if (error) {
        error->fault = fault;
        error->systemError = system;
    }
    return 0;
}

// Writes the block into an existing empty file; false with the library's
// text when the library refuses or the encoder fails (including the final
// flush of the file).
bool WriteThroughLibrary(const LorimelApi& api, const std::string& file, const char* format, const DibBlock* dib,
                         int quality, SaveError* error) {
    LorimelHandle volatile handle = nullptr;
    jmp_buf jump;
    RecoveryScope scope;
    if (LorimelRecoveryPoint(jump) != 0) {
        // A fatal error inside the encoder.
        scope.Jumped();
        if (handle) api.CloseImageFile(handle);
        if (error) lstrcpynA(error->libraryText, "fatal encoder error", sizeof error->libraryText);
        return false;
    }
    handle = api.OpenImageFile(file.c_str(), "wb", format, 0);
    if (!handle) return false;
    api.SetImageProgressCallback(handle, nullptr);
    LorimelWriteInfo info{};
    info.width = DibWidth(dib);
    info.height = DibHeight(dib);
    info.quality = EncoderQuality(quality);
    const LONG written = api.WriteImageFile(handle, dib, &info);
    if (!written && error) {
        LorimelErrorText text{};
        if (api.GetImageError(handle, &text)) {
            std::string why = text.reason;
            if (text.description[0]) why += (why.empty() ? "" : ": ") + std::string(text.description);
            lstrcpynA(error->libraryText, why.c_str(), sizeof error->libraryText);
        }
    }
    api.CloseImageFile(handle);
    handle = nullptr;
    return written != 0;
}

}  // namespace

int SaveDepthBits(int depth) { return depth >= 0 && depth < kSaveDepthCount ? kBits[depth] : 0; }

int DefaultSaveDepth(DWORD mask) {
    for (int depth = kSave16M; depth >= kSave2Colors; --depth)
        if (mask & (1u << depth)) return depth;
    return (mask & (1u << kSave32Bits)) ? kSave32Bits : kSaveGray;
}

int EncoderQuality(int quality) {
    if (quality >= kHighestSaveQuality) return kHighestSaveQuality;
    if (quality <= kLowestSaveQuality) return kLowestSaveQuality;
    return quality;
}

int ConvertForSave(const DibBlock* source, DibBlock* destination, int depth) {
    if (!source || !destination || !source->header || source->header->biBitCount != 32) return 0;
    switch (depth) {
    case kSave2Colors: return DibTo1(source, destination);
    case kSave4Colors: return DibToQuantized(source, destination, 2);
    case kSave16Colors: return DibToQuantized(source, destination, 4);
    case kSave256Colors: return DibToQuantized(source, destination, 8);
    case kSave32K: return DibTo15(source, destination);
    case kSave64K: return DibTo16(source, destination);
    case kSave16M: return DibTo24(source, destination);
    case kSave32Bits: return CopyDib(source, destination);
    case kSaveGray: return DibToGrey8(source, destination);
    default: return 0;
    }
}

void SystemErrorText(DWORD code, char* text, int size) {
    if (!text || size <= 0) return;
    text[0] = '\0';
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  static_cast<DWORD>(size), nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' '))
        text[--length] = '\0';
    if (length == 0) std::snprintf(text, static_cast<size_t>(size), "error %lu", static_cast<unsigned long>(code));
}

int SaveDibToFile(const char* fileName, const char* formatName, const DibBlock* dib, int quality,
                  SaveError* error) {
    if (error) *error = SaveError{};
    if (!fileName || !*fileName || !formatName || !*formatName || !dib) return Fail(error, SaveFault::NoName);
    const std::string target = fileName;
    if (target.size() > kLongestSavePath) return Fail(error, SaveFault::NameTooLong, ERROR_FILENAME_EXCED_RANGE);
    const DWORD attributes = GetFileAttributesA(fileName);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Fail(error, SaveFault::IsFolder, ERROR_ACCESS_DENIED);
        // Windows refuses to replace a read-only file, but not every system
        // does (Wine run by root replaces it): the attribute decides here,
        // before anything is written.
        if (attributes & FILE_ATTRIBUTE_READONLY) return Fail(error, SaveFault::ReadOnly, ERROR_ACCESS_DENIED);
    }
    const LorimelApi* api = ImageLibrary();
    if (!api) return Fail(error, SaveFault::Encoder);

    std::string temporary;
    DWORD system = 0;
    if (!CreateTemporaryFile(FolderOf(target), &temporary, &system))
        return Fail(error, SaveFault::CannotCreate, system);
    bool written;
    {
        // The progress callback is process-wide: no decode may run meanwhile.
        DecodingLock lock;
        written = WriteThroughLibrary(*api, temporary, formatName, dib, quality, error);
    }
    if (!written) {
        DeleteFileA(temporary.c_str());
        // The library names the file it wrote: the user knows it by the
        // target's name.
        if (error) {
            std::string text = error->libraryText;
            for (size_t at; (at = text.find(temporary)) != std::string::npos;) text.replace(at, temporary.size(), target);
            lstrcpynA(error->libraryText, text.c_str(), sizeof error->libraryText);
        }
        return Fail(error, SaveFault::Encoder);
    }
    if (!ReplaceWithFreshFile(temporary, target)) {
        system = GetLastError();
        DeleteFileA(temporary.c_str());
        return Fail(error, SaveFault::CannotReplace, system);
    }
    return 1;
}
