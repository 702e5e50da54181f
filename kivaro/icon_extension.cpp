// The extension object: one per shell request, reference-counted, with the
// five interfaces of the shell extension contract.  Everything it shows
// comes from the thumbnail cache beside the DLL; it never decodes a picture
// and never writes a file.
#include "icon_extension.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstddef>
#include <new>

#include "cache_reader.h"
#include "module.h"
#include "passive.h"
#include "resource_ids.h"
#include "thumb_icon.h"

static_assert(offsetof(PROPSHEETPAGEA, pszHeaderSubTitle) + sizeof(LPCSTR) == (sizeof(void*) == 4 ? 48 : 88),
              "the property page record must end after the header titles");

namespace {

// Exceptions (only allocation failures can occur) stop at the interface.
template <typename Body>
HRESULT Guarded(Body&& body) {
    try {
        return body();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// A wide name as an ANSI path: empty when it does not fit a path buffer or
// does not convert without loss (such a name would open another file).
std::string AnsiPath(const wchar_t* name) {
    if (!name || !*name) return std::string();
    char buffer[MAX_PATH];
    BOOL lossy = FALSE;
    int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, buffer, sizeof buffer,
                                     nullptr, &lossy);
    if (length <= 0 || lossy) return std::string();
    return std::string(buffer);
}

// The files of a data object's CF_HDROP list; names that do not fit or do
// not convert are left out.  *count gets the list's own count.  False when
// there is no data object or it holds no file list.
bool DropFiles(IDataObject* data, std::vector<std::string>* files, UINT* count = nullptr) {
    files->clear();
    if (count) *count = 0;
    if (!data) return false;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return false;
    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    UINT total = drop ? DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) : 0;
    for (UINT i = 0; i < total; ++i) {
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0 || length >= MAX_PATH) continue;
        wchar_t name[MAX_PATH] = {};
        DragQueryFileW(drop, i, name, MAX_PATH);
        std::string path = AnsiPath(name);
        if (!path.empty()) files->push_back(path);
    }
    ReleaseStgMedium(&medium);
    if (count) *count = total;
    return true;
}

// A string value of at most 255 characters, terminated.
bool ReadRegistryText(HKEY root, const std::string& key, std::string* text) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
    char value[256] = {};
    DWORD type = 0, size = sizeof value - 1;
    LONG status = RegQueryValueExA(opened, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    value[size < sizeof value ? size : sizeof value - 1] = '\0';
    if (type == REG_EXPAND_SZ) {
        char expanded[MAX_PATH] = {};
        DWORD length = ExpandEnvironmentStringsA(value, expanded, sizeof expanded);
        if (length == 0 || length > sizeof expanded) return false;
        *text = expanded;
    } else {
        *text = value;
    }
    return !text->empty();
}

// The registered default icon of the file's type: HKCR\.<ext> names a
// class whose DefaultIcon holds "file,index".
bool DefaultTypeIcon(const std::string& picture, std::string* file, int* index) {
    std::string name;
    SplitPicturePath(picture, nullptr, &name);
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) return false;
    std::string typeClass, location;
    return ReadRegistryText(HKEY_CLASSES_ROOT, name.substr(dot), &typeClass) &&
           ReadRegistryText(HKEY_CLASSES_ROOT, typeClass + "\\DefaultIcon", &location) &&
           ParseIconLocation(location, file, index);
}

bool CopyOut(const std::string& text, char* out, UINT size) {
    if (!out || text.size() >= size) return false;
    memcpy(out, text.c_str(), text.size() + 1);
    return true;
}

class IconExtension final : public IContextMenu,
                      public IShellExtInit,
                      public IExtractIconA,
                      public IPersistFile,
                      public IShellPropSheetExt {
public:
    IconExtension() { AddObject(); }
    IconExtension(const IconExtension&) = delete;
    IconExtension& operator=(const IconExtension&) = delete;

    const std::string& FileName() const { return file_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellExtInit))
            *out = static_cast<IShellExtInit*>(this);
        else if (IsEqualIID(iid, IID_IContextMenu))
            *out = static_cast<IContextMenu*>(this);
        else if (IsEqualIID(iid, IID_IExtractIconA))
            *out = static_cast<IExtractIconA*>(this);
        else if (IsEqualIID(iid, IID_IPersistFile))
            *out = static_cast<IPersistFile*>(this);
        else if (IsEqualIID(iid, IID_IShellPropSheetExt))
            *out = static_cast<IShellPropSheetExt*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

    // IShellExtInit
    HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) override {
        if (data) data->AddRef();
        if (data_) data_->Release();
        data_ = data;
        return S_OK;
    }

    // IPersistFile
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR name, DWORD) override {
        if (!name) return E_POINTER;
        return Guarded([&] {
            file_ = AnsiPath(name);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR, BOOL) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR*) override { return E_FAIL; }

    // IExtractIconA
    HRESULT STDMETHODCALLTYPE GetIconLocation(UINT, LPSTR iconFile, UINT size, int* index,
                                              UINT* flags) override {
        if (!iconFile || !index || !flags) return E_POINTER;
        return Guarded([&] { return IconLocation(iconFile, size, index, flags); });
    }
    HRESULT STDMETHODCALLTYPE Extract(LPCSTR file, UINT index, HICON* large, HICON* small,
                                      UINT sizes) override {
        return Guarded([&] { return ExtractIcons(file, index, large, small, sizes); });
    }

    // IContextMenu
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT position, UINT first, UINT last,
                                               UINT flags) override {
        return Guarded([&] { return BuildMenu(menu, position, first, last, flags); });
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        return Guarded([&] { return Invoke(info); });
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR offset, UINT type, UINT*, LPSTR buffer,
                                               UINT size) override {
        return Guarded([&] { return CommandString(offset, type, buffer, size); });
    }

    // IShellPropSheetExt
    HRESULT STDMETHODCALLTYPE AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM parameter) override {
        return Guarded([&] { return AddPage(addPage, parameter); });
    }
    HRESULT STDMETHODCALLTYPE ReplacePage(EXPPS, LPFNSVADDPROPSHEETPAGE, LPARAM) override {
        return E_FAIL;
    }

private:
    enum Command { kFlush = 0, kOpen = 1, kMail = 2, kNoCommand = 3 };

    ~IconExtension() {
        if (data_) data_->Release();
        if (menuBitmap_) DeleteObject(menuBitmap_);
        RemoveObject();
    }

    std::string IconKey() const { return Module().directory + "ICON.ICO"; }

    HRESULT IconLocation(LPSTR iconFile, UINT size, int* index, UINT* flags) {
        if (IsPassive()) {
            // The viewer's own type icons, by the name's last three letters.
            std::string tag = file_.size() >= 3 ? file_.substr(file_.size() - 3) : file_;
            if (!CopyOut(Module().viewerPath, iconFile, size)) return S_FALSE;
            *index = TypeIconIndex(tag);
            *flags = 0;
            return S_OK;
        }
        {
            ThumbPicture thumb;
            bool found = FindCurrentThumb(file_, &thumb);
            EnterCriticalSection(IconLock());
            icon_.clear();
            bool built = found && CopyOut(IconKey(), iconFile, size) &&
                         BuildIconFile(thumb.pixels.data(), thumb.header.biWidth,
                                       -thumb.header.biHeight, &icon_);
            if (!built) icon_.clear();
            LeaveCriticalSection(IconLock());
            if (built) {
                // Not a file: Extract makes the icon from this object's copy.
                *index = 0;
                *flags = GIL_DONTCACHE | GIL_NOTFILENAME;
                return S_OK;
            }
        }
        std::string file;
        int iconIndex = 0;
        if (!DefaultTypeIcon(file_, &file, &iconIndex) || !CopyOut(file, iconFile, size)) return S_FALSE;
        *index = iconIndex;
        *flags = GIL_DONTCACHE;
        return S_OK;
    }

    HRESULT ExtractIcons(LPCSTR file, UINT index, HICON* large, HICON* small, UINT sizes) {
        if (!file) return E_INVALIDARG;
        EnterCriticalSection(IconLock());
        HRESULT result = S_FALSE;
        bool ours = !icon_.empty() && index == 0 && lstrcmpiA(file, IconKey().c_str()) == 0;
        if (ours) {
            int largeSide = LOWORD(sizes) ? LOWORD(sizes) : kIconSide;
            int smallSide = HIWORD(sizes) ? HIWORD(sizes) : kIconSide / 2;
            BYTE* image = icon_.data() + kIconImageOffset;
            if (large)
                *large = CreateIconFromResourceEx(image, kIconImageBytes, TRUE, 0x00030000, largeSide,
                                                  largeSide, LR_DEFAULTCOLOR);
            if (small)
                *small = CreateIconFromResourceEx(image, kIconImageBytes, TRUE, 0x00030000, smallSide,
                                                  smallSide, LR_DEFAULTCOLOR);
            result = (!large || *large) && (!small || *small) ? S_OK : S_FALSE;
        }
        LeaveCriticalSection(IconLock());
        if (ours) return result;
        return ExtractIconExA(file, static_cast<int>(index), large, small, 1) > 0 ? S_OK : S_FALSE;
    }

    // Offsets as the menu gave them: without the bitmap item the mail item
    // takes offset 1, and means what offset 2 means with it.
    Command CommandOf(UINT_PTR offset) const {
        if (offset != 0 && !menuBitmap_) ++offset;
        if (offset == kFlush) return kFlush;
        if (offset == kOpen && menuBitmap_) return kOpen;
        if (offset == kMail && !Module().oldShell) return kMail;
        return kNoCommand;
    }

    std::string FlushText() const {
        return ModuleString(Module().codePage == 936 ? IDS_KIVARO_FLUSH_ALL_936 : IDS_KIVARO_FLUSH_ALL);
    }

    HRESULT BuildMenu(HMENU menu, UINT position, UINT first, UINT last, UINT flags) {
        if (menuBitmap_) DeleteObject(menuBitmap_);
        menuBitmap_ = nullptr;
        if (IsPassive() || first > last) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        if ((flags & 0xF) && !(flags & (CMF_VERBSONLY | CMF_EXPLORE)))
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        UINT next = first;
        InsertMenuA(menu, position++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        std::string flush = FlushText();
        InsertMenuA(menu, position++, MF_BYPOSITION | MF_STRING, next++, flush.c_str());

        std::vector<std::string> files;
        ThumbPicture thumb;
        if (next <= last && DropFiles(data_, &files) && !files.empty() &&
            FindCurrentThumb(files[0], &thumb)) {
            file_ = files[0];
            HDC screen = GetDC(nullptr);
            menuBitmap_ = CreateDIBitmap(screen, &thumb.header, CBM_INIT, thumb.pixels.data(),
                                         reinterpret_cast<BITMAPINFO*>(&thumb.header), DIB_RGB_COLORS);
            ReleaseDC(nullptr, screen);
            if (menuBitmap_ &&
                !InsertMenuA(menu, position++, MF_BYPOSITION | MF_BITMAP, next++,
                             reinterpret_cast<LPCSTR>(menuBitmap_))) {
                DeleteObject(menuBitmap_);
                menuBitmap_ = nullptr;
                --position;
                --next;
            }
        }
        if (!Module().oldShell && next <= last) {
            std::string mail = ModuleString(Module().codePage == 936 ? IDS_KIVARO_SEND_MAIL_936
                                                                     : IDS_KIVARO_SEND_MAIL);
            InsertMenuA(menu, position++, MF_BYPOSITION | MF_STRING, next++, mail.c_str());
        }
        InsertMenuA(menu, position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, next - first);
    }

    HRESULT Invoke(CMINVOKECOMMANDINFO* info) {
        if (IsPassive()) return S_OK;
        if (!info || HIWORD(reinterpret_cast<UINT_PTR>(info->lpVerb))) return E_INVALIDARG;
        Command command = CommandOf(LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)));
        if (command == kNoCommand) return E_INVALIDARG;
        std::vector<std::string> files;
        DropFiles(data_, &files);
        if (command == kFlush) {
            for (const std::string& file : files)
                SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHA | SHCNF_FLUSH, file.c_str(), nullptr);
        } else if (command == kOpen) {
            if (!files.empty()) StartViewer(files);
        } else if (!files.empty()) {
            SendMail(files);
        }
        return S_OK;
    }

    static void StartViewer(const std::vector<std::string>& files) {
        std::string line = ViewerCommandLine(Module().viewerPath, files);
        std::vector<char> writable(line.begin(), line.end());
        writable.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOW;
        PROCESS_INFORMATION process = {};
        if (CreateProcessA(Module().viewerPath.c_str(), writable.data(), nullptr, nullptr, FALSE, 0,
                           nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }

    // Simple MAPI's one-call send, loaded when asked for; a system without
    // it sends nothing.
    static void SendMail(const std::vector<std::string>& files) {
        typedef ULONG(WINAPI * SendDocuments)(ULONG_PTR, LPSTR, LPSTR, LPSTR, ULONG);
        HMODULE mapi = LoadLibraryA("MAPI32.DLL");
        if (!mapi) return;
        auto send = reinterpret_cast<SendDocuments>(
            reinterpret_cast<void*>(GetProcAddress(mapi, "MAPISendDocuments")));
        if (send) {
            std::string paths, names;
            MailLists(files, &paths, &names);
            char delimiter[] = ";";
            send(0, delimiter, &paths[0], &names[0], 0);
        }
        FreeLibrary(mapi);
    }

    HRESULT CommandString(UINT_PTR offset, UINT type, LPSTR buffer, UINT size) {
        if (IsPassive()) return S_OK;
        Command command = CommandOf(offset);
        if (type == GCS_VALIDATEA || type == GCS_VALIDATEW) return command == kNoCommand ? S_FALSE : S_OK;
        if (type != GCS_VERBA && type != GCS_VERBW && type != GCS_HELPTEXTA && type != GCS_HELPTEXTW)
            return E_NOTIMPL;
        if (command == kNoCommand) return E_INVALIDARG;
        if (!buffer || size == 0) return E_INVALIDARG;
        std::string text = command == kFlush ? FlushText() : command == kOpen ? "open" : "sendmail";
        if (type & GCS_UNICODE) {
            wchar_t* wide = reinterpret_cast<wchar_t*>(buffer);
            std::vector<wchar_t> converted(text.size() + 1, L'\0');
            MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, converted.data(),
                                static_cast<int>(converted.size()));
            lstrcpynW(wide, converted.data(), static_cast<int>(size));
        } else {
            lstrcpynA(buffer, text.c_str(), static_cast<int>(size));
        }
        return S_OK;
    }

    HRESULT AddPage(LPFNSVADDPROPSHEETPAGE addPage, LPARAM parameter) {
        std::vector<std::string> files;
        UINT count = 0;
        if (!addPage || !DropFiles(data_, &files, &count) || count != 1 || files.size() != 1) return S_OK;
        file_ = files[0];
        std::string title = ModuleString(IDS_KIVARO_PAGE_TITLE);
        lstrcpynA(pageTitle_, title.c_str(), sizeof pageTitle_);
        PROPSHEETPAGEA page = {};
        // The record with the header titles (48 bytes on 32-bit Windows, 88
        // on x86_64): the size the shell's property sheets are handed.
        page.dwSize = PROPSHEETPAGEA_V2_SIZE;
        page.dwFlags = PSP_USETITLE | PSP_USEREFPARENT | PSP_USECALLBACK;
        page.hInstance = Module().instance;
        page.pszTemplate = MAKEINTRESOURCEA(IDD_KIVARO_PAGE);
        page.pszTitle = pageTitle_;
        page.pfnDlgProc = IconPageProc;
        page.lParam = reinterpret_cast<LPARAM>(this);
        page.pfnCallback = IconPageCallback;
        page.pcRefParent = const_cast<UINT*>(reinterpret_cast<volatile UINT*>(&g_kivaroObjects));
        AddRef();   // the page's; its callback gives it back on release
        HPROPSHEETPAGE made = CreatePropertySheetPageA(&page);
        if (!made) {
            Release();
            return S_OK;
        }
        // Destroying the page runs its release callback, which drops the
        // reference taken above.
        if (!addPage(made, parameter)) DestroyPropertySheetPage(made);
        return S_OK;
    }

    volatile LONG references_ = 1;
    IDataObject* data_ = nullptr;
    std::string file_;
    HBITMAP menuBitmap_ = nullptr;
    std::vector<uint8_t> icon_;     // the icon file GetIconLocation built; under the icon lock
    char pageTitle_[64] = {};
};

}  // namespace

HRESULT CreateIconExtension(REFIID iid, void** out) {
    IconExtension* object = new (std::nothrow) IconExtension;
    if (!object) return E_OUTOFMEMORY;
    HRESULT result = object->QueryInterface(iid, out);
    object->Release();
    return result;
}

const std::string& PageFileName(LPARAM object) {
    return reinterpret_cast<IconExtension*>(object)->FileName();
}

UINT CALLBACK IconPageCallback(HWND, UINT message, LPPROPSHEETPAGEA page) {
    if (message == PSPCB_RELEASE && page && page->lParam)
        reinterpret_cast<IconExtension*>(page->lParam)->Release();
    return 1;
}

bool FindCurrentThumb(const std::string& picture, ThumbPicture* out) {
    if (IsPassive() || picture.empty()) return false;
    WIN32_FILE_ATTRIBUTE_DATA facts;
    if (!GetFileAttributesExA(picture.c_str(), GetFileExInfoStandard, &facts) ||
        (facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    CacheKeys keys = {facts.ftLastWriteTime.dwLowDateTime, facts.ftLastWriteTime.dwHighDateTime,
                      facts.nFileSizeLow};
    CachedThumb thumb;
    if (!ReadCachedThumb(Module().cacheDir, picture, &keys, &thumb)) return false;
    out->header = BITMAPINFOHEADER{};
    out->header.biSize = sizeof out->header;
    out->header.biWidth = static_cast<LONG>(thumb.frame.thumbWidth);
    out->header.biHeight = -static_cast<LONG>(thumb.frame.thumbHeight);
    out->header.biPlanes = 1;
    out->header.biBitCount = 32;
    out->header.biCompression = BI_RGB;
    out->pixels.swap(thumb.pixels);
    out->timeLow = thumb.keys.timeLow;
    out->timeHigh = thumb.keys.timeHigh;
    out->fileSize = thumb.keys.fileSize;
    out->width = thumb.frame.width;
    out->height = thumb.frame.height;
    out->bits = thumb.frame.bitsPerPixel;
    out->format = thumb.format;
    return true;
}
