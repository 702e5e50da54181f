#include "system_info.h"

#include <ddraw.h>

#include "win_guards.h"

SystemFlags ClassifySystem(DWORD platformId, DWORD major, DWORD minor) {
    SystemFlags f;
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        f.windows9x = true;
        f.windows95 = major == 4 && minor == 0;
        f.windows98OrLater = major > 4 || (major == 4 && minor >= 10);
    } else if (platformId == VER_PLATFORM_WIN32_NT) {
        f.windows2000OrLater = major >= 5;
    }
    f.windows2000OrLaterForIcons = f.windows2000OrLater;
    return f;
}

SystemFlags ReadSystemFlags() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return SystemFlags{};
    return ClassifySystem(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
}

bool WantMenuIcons(const SystemFlags& flags, int displayDepth) {
    return (flags.windows98OrLater || flags.windows2000OrLater) && displayDepth > 8;
}

int MemoryMegabytes(unsigned long long totalBytes) {
    return static_cast<int>((totalBytes + 512000) >> 20);
}

int ReadMemoryMegabytes() {
    MEMORYSTATUS status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return MemoryMegabytes(status.dwTotalPhys);
}

std::string FolderOfPath(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ProgramDirectory() {
    char path[512] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return FolderOfPath(path);
}

int DisplayDepthFor(int bitsPerPixel, int planes, DWORD redMask, DWORD greenMask, DWORD blueMask) {
    if (bitsPerPixel == 16) {
        const bool fiveSixFive = redMask == 0xF800 && greenMask == 0x07E0 && blueMask == 0x001F;
        // Without a surface format to look at, the screen stays 16.
        const bool known = redMask || greenMask || blueMask;
        return known && !fiveSixFive ? 15 : 16;
    }
    if (bitsPerPixel <= 8) return bitsPerPixel * planes;
    return bitsPerPixel;
}

namespace {

// Reads the primary surface's pixel masks through DirectDraw, loaded at run
// time; false when DirectDraw is missing or refuses.
bool PrimarySurfaceMasks(DWORD& red, DWORD& green, DWORD& blue) {
    HMODULE ddraw = LoadLibraryA("DDRAW.DLL");
    if (!ddraw) return false;
    using Create = HRESULT(WINAPI*)(GUID*, IDirectDraw**, IUnknown*);
    auto create = reinterpret_cast<Create>(reinterpret_cast<void*>(GetProcAddress(ddraw, "DirectDrawCreate")));
    bool ok = false;
    IDirectDraw* dd = nullptr;
    if (create && SUCCEEDED(create(nullptr, &dd, nullptr)) && dd) {
        if (SUCCEEDED(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL))) {
            DDSURFACEDESC desc = {};
            desc.dwSize = sizeof desc;
            desc.dwFlags = DDSD_CAPS;
            desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
            IDirectDrawSurface* primary = nullptr;
            if (SUCCEEDED(dd->CreateSurface(&desc, &primary, nullptr)) && primary) {
                DDPIXELFORMAT format = {};
                format.dwSize = sizeof format;
                if (SUCCEEDED(primary->GetPixelFormat(&format))) {
                    red = format.dwRBitMask;
                    green = format.dwGBitMask;
                    blue = format.dwBBitMask;
                    ok = true;
                }
                primary->Release();
            }
        }
        dd->Release();
    }
    FreeLibrary(ddraw);
    return ok;
}

}  // namespace

int ReadDisplayDepth() {
    int bits, planes;
    {
        WindowDC screen(nullptr);
        if (!screen) return 32;
        bits = GetDeviceCaps(screen, BITSPIXEL);
        planes = GetDeviceCaps(screen, PLANES);
    }
    DWORD red = 0, green = 0, blue = 0;
    if (bits == 16) PrimarySurfaceMasks(red, green, blue);
    return DisplayDepthFor(bits, planes, red, green, blue);
}
