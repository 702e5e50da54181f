// See kivaro_fixture.h.
#include "kivaro_fixture.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <new>

#include "cache_files.h"
#include "dib.h"
#include "kivaro.h"

namespace {

const char kClassKey[] = "CLSID\\" KIVARO_CLSID_TEXT;

std::string TestProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string file(path);
    return file.substr(0, file.rfind('\\') + 1);
}

void SetText(HKEY root, const std::string& key, const char* name, const std::string& value) {
    HKEY opened = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &opened, nullptr)) << key;
    RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(opened);
}

class DropData final : public IDataObject {
public:
    explicit DropData(const std::vector<std::wstring>& files) : files_(files) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (!left) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        size_t chars = 1;
        for (const std::wstring& file : files_) chars += file.size() + 1;
        HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
        auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        wchar_t* names = reinterpret_cast<wchar_t*>(drop + 1);
        for (const std::wstring& file : files_) {
            memcpy(names, file.c_str(), (file.size() + 1) * sizeof(wchar_t));
            names += file.size() + 1;
        }
        GlobalUnlock(block);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    ~DropData() = default;
    std::vector<std::wstring> files_;
    volatile LONG references_ = 1;
};

}  // namespace

std::string ExtensionFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string root = std::string(temp) + "kivaro test dir\\";
    CreateDirectoryA(root.c_str(), nullptr);
    std::string folder = root + name + " extension\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string program = TestProgramFolder();
    CopyFileA((program + "..\\bin\\Kivaro.dll").c_str(), (folder + "Kivaro.dll").c_str(), FALSE);
    CopyFileA((program + "kivaro_viewer_stub.exe").c_str(), (folder + "TAVIRSEL.EXE").c_str(), FALSE);
    return folder;
}

void RegisterExtension(const std::string& folder) {
    SetText(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\InProcServer32", nullptr, folder + "Kivaro.dll");
    SetText(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\InProcServer32", "ThreadingModel", "Apartment");
}

void UnregisterExtension() { SHDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey); }

std::string MakePicture(const std::string& folder, const std::string& name, size_t bytes) {
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string path = folder + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<char> content(bytes, 'x');
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(bytes), &written, nullptr);
    CloseHandle(file);
    return path;
}

void StoreThumb(const std::string& extensionFolder, const std::string& picture, int width,
                int height, const std::vector<uint32_t>& pixels, const char* format,
                int pictureWidth, int pictureHeight, int bits) {
    WIN32_FILE_ATTRIBUTE_DATA facts;
    ASSERT_TRUE(GetFileAttributesExA(picture.c_str(), GetFileExInfoStandard, &facts)) << picture;
    SetCacheDirectory(extensionFolder);
    DibBlock* thumb = CreateDib(width, height);
    ASSERT_NE(nullptr, thumb);
    memcpy(thumb->pixels, pixels.data(), pixels.size() * 4);
    CacheFrameInfo info = {0, pictureWidth, pictureHeight, 0, bits, 0};
    EXPECT_EQ(CacheAddResult::Added,
              StoreThumbsOneShot(picture, facts.ftLastWriteTime.dwLowDateTime,
                                 facts.ftLastWriteTime.dwHighDateTime, facts.nFileSizeLow, format,
                                 &thumb, &info, 1));
    FreeDib(thumb);
}

std::vector<uint32_t> SolidPixels(int width, int height, uint32_t colour) {
    return std::vector<uint32_t>(size_t(width) * height, colour);
}

IDataObject* MakeDropData(const std::vector<std::wstring>& files) { return new DropData(files); }

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(length > 0 ? length - 1 : 0);
    return wide;
}

HRESULT CreateExtension(REFIID iid, void** out) {
    return CoCreateInstance(CLSID_KivaroIconExtension, nullptr, CLSCTX_INPROC_SERVER, iid, out);
}

std::vector<uint32_t> DrawnIcon(HICON icon) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 32;
    info.bmiHeader.biHeight = -32;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    uint32_t* pixels = static_cast<uint32_t*>(bits);
    for (int i = 0; i < 32 * 32; ++i) pixels[i] = kBackground;
    DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::vector<uint32_t> drawn(pixels, pixels + 32 * 32);
    for (uint32_t& pixel : drawn) pixel &= 0xFFFFFF;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return drawn;
}
