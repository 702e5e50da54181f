// The DLL's COM plumbing: process attach, the class factory and the two
// exports ole32 looks up by name.
#include <windows.h>

#include <new>

#include "icon_extension.h"
#include "kivaro.h"
#include "module.h"

volatile LONG g_kivaroObjects = 0;

namespace {

KivaroModule g_module;
CRITICAL_SECTION g_iconLock;
LONG g_attaches = 0;

void ReadModuleFacts(HINSTANCE instance) {
    g_module.instance = instance;
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(instance, path, sizeof path);
    std::string file(path, length < sizeof path ? length : 0);
    size_t slash = file.rfind('\\');
    g_module.directory = slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
    g_module.viewerPath = g_module.directory + "TAVIRSEL.EXE";
    g_module.cacheDir = g_module.directory + "Cache\\";
    g_module.codePage = GetACP();
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    g_module.oldShell = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS &&
                        version.dwMajorVersion == 4 && version.dwMinorVersion == 0;
}

class ClassFactory final : public IClassFactory {
public:
    ClassFactory() { AddObject(); }
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return CreateIconExtension(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    ~ClassFactory() { RemoveObject(); }
    volatile LONG references_ = 1;
};

}  // namespace

const KivaroModule& Module() { return g_module; }
CRITICAL_SECTION* IconLock() { return &g_iconLock; }

std::string ModuleString(UINT id) {
    char text[256] = {};
    int length = LoadStringA(g_module.instance, id, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (g_attaches++ == 0) {
            ReadModuleFacts(instance);
            InitializeCriticalSection(&g_iconLock);
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        if (--g_attaches == 0) DeleteCriticalSection(&g_iconLock);
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow(void) { return g_kivaroObjects == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_KivaroIconExtension)) return CLASS_E_CLASSNOTAVAILABLE;
    ClassFactory* factory = new (std::nothrow) ClassFactory;
    if (!factory) return E_OUTOFMEMORY;
    HRESULT result = factory->QueryInterface(iid, out);
    factory->Release();
    return result;
}
