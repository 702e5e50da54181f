// The library's 28 operations.  Each locks the handle for its own duration,
// checks what it is given, and returns 0 (or does nothing) on anything it
// cannot use; none shows a message.
#include "codec.h"
#include "detect.h"
#include "handle.h"
#include "magick.h"
#include "progress.h"
#include "recovery.h"
#include "registry.h"
#include "smooth.h"

#include <cstdio>
#include <cstring>

namespace {

bool g_coreStarted = false;

void QuietHandler(const ExceptionType, const char*, const char*) {}

// Fatal errors of the core go back to the caller's recovery point; without
// one they are recorded like any other error and the operation fails.
void FatalHandler(const ExceptionType, const char*, const char*) { JumpToRecoveryPoint(); }

// The core keeps a page's pixels in memory up to these many bytes (all pages
// being decoded at the time together) and maps at most as many bytes of
// cache files; a larger page has its pixel cache in a temporary file, read
// and written a region at a time.  Left to itself the core would take half
// the machine's memory, which a 32-bit process cannot even address: one
// 20000 x 14000 page alone is 1.1 GB.  The core's own environment variables
// (MAGICK_MEMORY_LIMIT, MAGICK_MAP_LIMIT) still win when they are set.
constexpr MagickSizeType kCoreMemoryLimit = 256ull * 1024 * 1024;
constexpr MagickSizeType kCoreMapLimit = 256ull * 1024 * 1024;

void LimitCoreResource(ResourceType type, const char* variable, MagickSizeType limit) {
    char set[8];
    if (GetEnvironmentVariableA(variable, set, sizeof set) > 0) return;
    SetMagickResourceLimit(type, limit);
}

FormatEntry* Entry(LorimelFormat entry) { return static_cast<FormatEntry*>(entry); }

// The open mode as the C runtime needs it: lower case and always binary, so
// that no line-end translation ever touches picture bytes.
void RuntimeMode(const char* mode, char* out) {
    size_t n = 0;
    bool binary = false;
    for (const char* p = mode; *p && n < 3; ++p) {
        char c = (*p >= 'A' && *p <= 'Z') ? static_cast<char>(*p - 'A' + 'a') : *p;
        if (c == 't') continue;
        binary |= c == 'b';
        out[n++] = c;
    }
    if (!binary) out[n++] = 'b';
    out[n] = '\0';
}

LONG FormatBit(HGLOBAL h, DWORD bit) {
    LockedHandle file(h);
    if (!file || !IsReadMode(*file.get()) || !file->format) return 0;
    return (file->format->flags & bit) ? 1 : 0;
}

LONG EntryBit(LorimelFormat entry, DWORD bit) {
    return (Entry(entry) && (Entry(entry)->flags & bit)) ? 1 : 0;
}

void FillNames(const FormatEntry* e, const char** name, const char** group, const char** description) {
    if (name) *name = e->name;
    if (group) *group = e->group;
    if (description) *description = e->description;
}

}  // namespace

extern "C" {

LONG WINAPI InitImageLibrary(const char* directory) {
    if (!g_coreStarted) {
        char self[MAX_PATH] = "Lorimel.dll";
        HMODULE module = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&InitImageLibrary), &module);
        GetModuleFileNameA(module, self, sizeof self);
        MagickCoreGenesis(self, MagickFalse);
        SetErrorHandler(QuietHandler);
        SetWarningHandler(QuietHandler);
        SetFatalErrorHandler(FatalHandler);
        LimitCoreResource(MemoryResource, "MAGICK_MEMORY_LIMIT", kCoreMemoryLimit);
        LimitCoreResource(MapResource, "MAGICK_MAP_LIMIT", kCoreMapLimit);
        // No page read here is wider or higher than 32768 pixels, and none
        // written is beyond 65535; the core refuses larger sides when it
        // sizes its pixel cache, before it reads rows nobody will ask for.
        // Some coders multiply the sides in 32 bits, so that 65536 x 65536
        // passes their own size checks and then has gigabytes zero-filled.
        SetMagickResourceLimit(WidthResource, kMaxCoreSidePixels);
        SetMagickResourceLimit(HeightResource, kMaxCoreSidePixels);
        g_coreStarted = true;
    }
    // The coders are linked into the core; the directory is where the core
    // would look for coder modules and configuration files.
    if (directory && *directory) SetEnvironmentVariableA("MAGICK_CODER_MODULE_PATH", directory);
    ExceptionInfo* exception = AcquireExceptionInfo();
    GetMagickInfo("*", exception);
    DestroyExceptionInfo(exception);
    return BuildFormatRegistry() > 0 ? 1 : 0;
}

LONG WINAPI FreeImageLibrary(void) {
    FreeFormatRegistry();
    if (g_coreStarted) MagickCoreTerminus();
    g_coreStarted = false;
    return 1;
}

LONG WINAPI DetectImageFormat(const char* path, char* format) {
    if (!path || !*path || !format) return 0;
    return DetectFormat(path, format, 200) ? 1 : 0;
}

LorimelHandle WINAPI OpenImageFile(const char* path, const char* mode, const char* format, LONG flag) {
    if (!path || !*path || !mode || !*mode || std::strlen(mode) > 3 || !format) return nullptr;
    if (std::strlen(path) >= sizeof(ImageFileRecord::fileName)) return nullptr;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(ImageFileRecord));
    if (!h) return nullptr;
    bool ok = false;
    {
        LockedHandle file(h);
        if (file) {
            file->mode = mode[0];
            file->callerFlag = flag;
            lstrcpynA(file->fileName, path, sizeof file->fileName);
            lstrcpynA(file->formatName, format, sizeof file->formatName);
            ClearError(*file.get());
            file->format = FindFormat(format);
            if (file->format && (IsReadMode(*file.get()) || IsWriteMode(*file.get()))) {
                char runtimeMode[8];
                RuntimeMode(mode, runtimeMode);
                DWORD attributes = GetFileAttributesA(path);
                if (IsWriteMode(*file.get()) || (attributes != INVALID_FILE_ATTRIBUTES &&
                                                 !(attributes & FILE_ATTRIBUTE_DIRECTORY)))
                    file->stream = std::fopen(path, runtimeMode);
                ok = file->stream != nullptr;
            }
        }
    }
    if (!ok) {
        GlobalFree(h);
        return nullptr;
    }
    return h;
}

LorimelHandle WINAPI OpenImageFileAuto(const char* path, const char* mode, LONG flag) {
    if (!mode || std::strlen(mode) != 1) return nullptr;
    char format[300] = {};
    if (!DetectImageFormat(path, format)) return nullptr;
    return OpenImageFile(path, mode, format, flag);
}

LONG WINAPI ReadImageHeader(LorimelHandle h) {
    LockedHandle file(h);
    if (!file || !IsReadMode(*file.get()) || !file->format || !file->format->readDescription)
        return 0;
    file->pageCount = 0;
    if (!file->format->readDescription(*file.get())) return 0;
    file->pageCount = CountPages(*file.get());
    return file->pageCount;
}

LONG WINAPI GetImagePageInfo(LorimelHandle h, LorimelPageInfo* info) {
    LockedHandle file(h);
    if (!file || !info || !IsReadMode(*file.get()) || !file->format || !file->coreImage)
        return 0;
    if (info->page < 0 || info->page >= file->pageCount) return 0;
    if (!DescribePage(SelectPage(*file.get(), info->page), *info)) return 0;
    // The core widens every true-colour BMP to 8 bits a channel; the header
    // says how the rows are stored.
    if (info->bitsPerPixel > 8 && info->page == 0) {
        const LONG stored = StoredBmpBits(*file.get());
        if (stored) info->bitsPerPixel = stored;
    }
    return 1;
}

LONG WINAPI HandleFormatFlag1(LorimelHandle h) { return FormatBit(h, 1); }
LONG WINAPI HandleFormatFlag2(LorimelHandle h) { return FormatBit(h, 2); }
LONG WINAPI HandleFormatFlag4(LorimelHandle h) { return FormatBit(h, 4); }

LONG WINAPI GetImagePageDelay(LorimelHandle h, LONG page) {
    LockedHandle file(h);
    if (!file || !IsReadMode(*file.get()) || page < 0 || page >= file->pageCount) return 0;
    return PageDelayMilliseconds(SelectPage(*file.get(), page));
}

LONG WINAPI ReadImagePixels(LorimelHandle h, void* pixels, LONG width, LONG height, LONG page) {
    LockedHandle file(h);
    if (!file || !pixels || !IsReadMode(*file.get()) || !file->format ||
        !file->format->readPixels || !file->coreImage)
        return 0;
    if (page < 0 || page >= file->pageCount) return 0;
    return file->format->readPixels(*file.get(), pixels, width, height, page);
}

LONG WINAPI WriteImageFile(LorimelHandle h, const void* dibBlock, const LorimelWriteInfo* info) {
    LockedHandle file(h);
    if (!file || !dibBlock || !info || !IsWriteMode(*file.get()) || !file->format ||
        !file->format->write)
        return 0;
    return file->format->write(*file.get(), dibBlock, *info);
}

LONG WINAPI SetImageProgressCallback(LorimelHandle, LorimelProgress callback) {
    SetProgressCallback(callback);
    return 1;
}

void WINAPI CloseImageFile(LorimelHandle h) {
    if (!h) return;
    {
        LockedHandle file(h);
        if (!file) return;
        if (file->stream) std::fclose(static_cast<FILE*>(file->stream));
        file->stream = nullptr;
        DestroyPages(*file.get());
        ClearError(*file.get());
    }
    GlobalFree(h);
}

LONG WINAPI GetImageError(LorimelHandle h, LorimelErrorText* out) {
    LockedHandle file(h);
    if (!file || !out) return 0;
    out->severity = file->errorSeverity;
    lstrcpynA(out->reason, file->errorReason ? file->errorReason : "", sizeof out->reason);
    lstrcpynA(out->description, file->errorDescription ? file->errorDescription : "",
              sizeof out->description);
    return 1;
}

LONG WINAPI ListImageFormatGroups(HGLOBAL* groups) {
    if (!groups) return 0;
    *groups = nullptr;
    HGLOBAL block = nullptr;
    LONG count = 0;
    for (const FormatEntry* e = FirstFormat(); e; e = e->next) {
        LorimelFormatGroup* records = block ? static_cast<LorimelFormatGroup*>(GlobalLock(block)) : nullptr;
        LorimelFormatGroup* group = nullptr;
        for (LONG i = 0; i < count; ++i)
            if (lstrcmpiA(records[i].group, e->group) == 0) group = &records[i];
        if (!group) {
            if (records) GlobalUnlock(block);
            HGLOBAL grown = block ? GlobalReAlloc(block, (count + 1) * sizeof(LorimelFormatGroup),
                                                  GMEM_MOVEABLE | GMEM_ZEROINIT)
                                  : GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(LorimelFormatGroup));
            if (!grown) {
                if (block) GlobalFree(block);
                return 0;
            }
            block = grown;
            records = static_cast<LorimelFormatGroup*>(GlobalLock(block));
            group = &records[count++];
            lstrcpynA(group->group, e->group, sizeof group->group);
        }
        for (int slot = 0; slot < kLorimelGroupNames; ++slot) {
            if (group->names[slot][0]) continue;
            lstrcpynA(group->names[slot], e->name, sizeof group->names[slot]);
            lstrcpynA(group->descriptions[slot], e->description, sizeof group->descriptions[slot]);
            group->canWrite[slot] = (e->write && e->streamWriter) ? 1 : 0;
            break;
        }
        GlobalUnlock(block);
    }
    *groups = block;
    return count;
}

LorimelFormat WINAPI FirstImageFormat(const char** name, const char** group, const char** description) {
    FormatEntry* e = FirstFormat();
    if (e) FillNames(e, name, group, description);
    return e;
}

LorimelFormat WINAPI NextImageFormat(LorimelFormat entry, const char** name, const char** group,
                                     const char** description) {
    if (!entry) return nullptr;
    FormatEntry* e = Entry(entry)->next;
    if (e) FillNames(e, name, group, description);
    return e;
}

LONG WINAPI FormatCanWrite(LorimelFormat entry) { return Entry(entry) && Entry(entry)->write ? 1 : 0; }

LONG WINAPI FormatCanRead(LorimelFormat entry) {
    return Entry(entry) && Entry(entry)->readDescription && Entry(entry)->readPixels ? 1 : 0;
}

LONG WINAPI FormatFlag1(LorimelFormat entry) { return EntryBit(entry, 1); }
LONG WINAPI FormatFlag2(LorimelFormat entry) { return EntryBit(entry, 2); }
LONG WINAPI FormatFlag4(LorimelFormat entry) { return EntryBit(entry, 4); }

LONG WINAPI GetFormatSaveDepths(LorimelFormat entry) {
    return Entry(entry) ? static_cast<LONG>(Entry(entry)->saveDepths) : 0;
}

LONG WINAPI SmoothPixelRow(DWORD* row, LONG count) { return SmoothRow(row, count) ? 1 : 0; }

}  // extern "C"
