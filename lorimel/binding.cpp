// Binds Lorimel's operations by export ordinal, the way the viewer loads it.
#include "lorimel.h"

namespace {

template <typename Fn>
bool Bind(HMODULE module, Fn& slot, int ordinal) {
    slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
    return slot != nullptr;
}

}  // namespace

bool BindLorimel(LorimelApi& api, const char* path) {
    api = LorimelApi{};
    api.module = LoadLibraryA(path);
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
    return ok;
}

void UnbindLorimel(LorimelApi& api) {
    if (api.module) FreeLibrary(api.module);
    api = LorimelApi{};
}
