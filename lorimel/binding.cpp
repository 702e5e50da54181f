// Binds Lorimel's operations by export ordinal, the way the viewer loads it.
#include "lorimel.h"

#include <cstring>

namespace {

template <typename Fn>
bool Bind(HMODULE module, Fn& slot, int ordinal) {
    slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
    return slot != nullptr;
}

}  // namespace

extern "C" {
// Where LorimelRecoveryPoint goes; set when the library is bound.
PFN_SetErrorJump g_lorimelSetErrorJump = nullptr;

// A tail jump, so that SetErrorJump sees the caller's own return address and
// stack and records the caller's context, not this function's.
__attribute__((naked)) LONG WINAPI LorimelRecoveryPoint(jmp_buf) {
#if defined(__i386__)
    asm volatile("jmp *_g_lorimelSetErrorJump\n\t");
#else
    asm volatile("jmp *g_lorimelSetErrorJump(%rip)\n\t");
#endif
}
}

void DropLorimelRecoveryPoint() {
    if (g_lorimelSetErrorJump) g_lorimelSetErrorJump(nullptr);
}

bool BindLorimel(LorimelApi& api, const char* path) {
    api = LorimelApi{};
    // A path with a folder loads the library's own dependencies (Corvane.dll)
    // from that folder too.
    const bool hasFolder = path && (strchr(path, '\\') || strchr(path, '/'));
    api.module = hasFolder ? LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                           : LoadLibraryA(path);
    if (!api.module) return false;
    HMODULE m = api.module;
    bool ok = Bind(m, api.InitImageLibrary, kOrdInitImageLibrary) &&
              Bind(m, api.FreeImageLibrary, kOrdFreeImageLibrary) &&
              Bind(m, api.DetectImageFormat, kOrdDetectImageFormat) &&
              Bind(m, api.OpenImageFileAuto, kOrdOpenImageFileAuto) &&
              Bind(m, api.OpenImageFile, kOrdOpenImageFile) &&
              Bind(m, api.ReadImageHeader, kOrdReadImageHeader) &&
              Bind(m, api.GetImagePageInfo, kOrdGetImagePageInfo) &&
              Bind(m, api.HandleFormatFlag1, kOrdHandleFormatFlag1) &&
              Bind(m, api.GetImagePageDelay, kOrdGetImagePageDelay) &&
              Bind(m, api.ReadImagePixels, kOrdReadImagePixels) &&
              Bind(m, api.WriteImageFile, kOrdWriteImageFile) &&
              Bind(m, api.SetImageProgressCallback, kOrdSetImageProgressCallback) &&
              Bind(m, api.CloseImageFile, kOrdCloseImageFile) &&
              Bind(m, api.GetImageError, kOrdGetImageError) &&
              Bind(m, api.ListImageFormatGroups, kOrdListImageFormatGroups) &&
              Bind(m, api.FirstImageFormat, kOrdFirstImageFormat) &&
              Bind(m, api.NextImageFormat, kOrdNextImageFormat) &&
              Bind(m, api.FormatCanWrite, kOrdFormatCanWrite) &&
              Bind(m, api.FormatCanRead, kOrdFormatCanRead) &&
              Bind(m, api.FormatFlag1, kOrdFormatFlag1) &&
              Bind(m, api.GetFormatSaveDepths, kOrdGetFormatSaveDepths) &&
              Bind(m, api.SmoothPixelRow, kOrdSmoothPixelRow) &&
              Bind(m, api.FormatFlag2, kOrdFormatFlag2) &&
              Bind(m, api.FormatFlag4, kOrdFormatFlag4) &&
              Bind(m, api.HandleFormatFlag2, kOrdHandleFormatFlag2) &&
              Bind(m, api.HandleFormatFlag4, kOrdHandleFormatFlag4) &&
              Bind(m, api.SetErrorJump, kOrdSetErrorJump) &&
              Bind(m, api.TakeErrorJump, kOrdTakeErrorJump);
    if (!ok) UnbindLorimel(api);
    g_lorimelSetErrorJump = api.SetErrorJump;
    return ok;
}

void UnbindLorimel(LorimelApi& api) {
    if (g_lorimelSetErrorJump == api.SetErrorJump) g_lorimelSetErrorJump = nullptr;
    if (api.module) FreeLibrary(api.module);
    api = LorimelApi{};
}
