// How fast the shell extension answers an icon request from the thumbnail
// cache: a copy of Kivaro.dll beside a cache holding PICTURES thumbnails of
// one folder (100 x 75, as the browser's cells make them; stored through the
// cache module as the browser's worker stores them, with 20 other folders
// before it in the index), registered and created through CoCreateInstance
// as Explorer does.  One request is: create the object, IPersistFile::Load,
// GetIconLocation, Extract, release.  The first pass asks for each picture
// once right after the extension is loaded (cold: nothing of the extension
// in memory yet), the second pass asks again (warm).  Prints the median,
// 95th percentile and slowest request of each pass; the target is a warm
// 95th percentile under 5 ms.  Exit 0 when it holds, 1 when missed, 2 when
// the run could not be made.
//
//   bench_kivaro.exe WORK-FOLDER [PICTURES]
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "cache_files.h"
#include "dib.h"
#include "kivaro.h"

namespace {

const char kClassKey[] = "CLSID\\" KIVARO_CLSID_TEXT "\\InProcServer32";

bool SetText(const char* key, const char* name, const std::string& value) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr))
        return false;
    LONG status = RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

bool MakeFile(const std::string& path, DWORD bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::vector<char> content(bytes, 'j');
    DWORD written = 0;
    WriteFile(file, content.data(), bytes, &written, nullptr);
    CloseHandle(file);
    return written == bytes;
}

// Stores one 100 x 75 thumbnail per picture of folder, as the worker does:
// open the folder's cache, add each, close.
bool FillCache(const std::string& folder, const std::vector<std::string>& names) {
    if (!OpenFolderCache(folder)) return false;
    DibBlock* thumb = CreateDib(100, 75);
    if (!thumb) return false;
    FillPhotoLike(reinterpret_cast<DWORD*>(thumb->pixels), 100, 75);
    CacheFrameInfo info = {0, 3000, 2250, 0, 24, 0};
    bool ok = true;
    for (const std::string& name : names) {
        WIN32_FILE_ATTRIBUTE_DATA facts;
        std::string path = folder + "\\" + name;
        ok = ok && GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &facts) &&
             AddThumbEntry(name, facts.ftLastWriteTime.dwLowDateTime, facts.ftLastWriteTime.dwHighDateTime,
                           facts.nFileSizeLow, "JPEG", &thumb, &info, 1) == CacheAddResult::Added;
    }
    CloseFolderCache();
    FreeDib(thumb);
    return ok;
}

// One request as Explorer makes it; the milliseconds it took, or -1 when
// the icon was not the thumbnail.
double IconRequest(const std::wstring& picture) {
    double start = BenchNow();
    IPersistFile* persist = nullptr;
    if (FAILED(CoCreateInstance(CLSID_KivaroIconExtension, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile,
                                reinterpret_cast<void**>(&persist))))
        return -1;
    persist->Load(picture.c_str(), STGM_READ);
    IExtractIconA* extract = nullptr;
    persist->QueryInterface(IID_IExtractIconA, reinterpret_cast<void**>(&extract));
    char file[MAX_PATH] = {};
    int index = 0;
    UINT flags = 0;
    HICON large = nullptr;
    bool ok = extract->GetIconLocation(0, file, sizeof file, &index, &flags) == S_OK &&
              (flags & GIL_NOTFILENAME) && extract->Extract(file, index, &large, nullptr, 32) == S_OK && large;
    if (large) DestroyIcon(large);
    extract->Release();
    persist->Release();
    double took = BenchNow() - start;
    return ok ? took : -1;
}

struct Figures {
    double median, p95, slowest;
    int failed;
};

Figures Pass(const std::vector<std::wstring>& pictures) {
    std::vector<double> times;
    int failed = 0;
    for (const std::wstring& picture : pictures) {
        double took = IconRequest(picture);
        if (took < 0)
            ++failed;
        else
            times.push_back(took);
    }
    std::sort(times.begin(), times.end());
    if (times.empty()) return Figures{0, 0, 0, failed};
    return Figures{times[times.size() / 2], times[std::min(times.size() - 1, times.size() * 95 / 100)],
                   times.back(), failed};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: bench_kivaro.exe WORK-FOLDER [PICTURES]\n");
        return 2;
    }
    std::string work = argv[1];
    if (work.back() != '\\') work += '\\';
    int count = argc > 2 ? atoi(argv[2]) : 500;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string tools(self);
    tools = tools.substr(0, tools.rfind('\\') + 1);

    // A fresh extension folder with its cache, and the pictures' folders.
    SHFILEOPSTRUCTA wipe = {};
    std::string doubleZero = work.substr(0, work.size() - 1) + std::string(2, '\0');
    wipe.wFunc = FO_DELETE;
    wipe.pFrom = doubleZero.c_str();
    wipe.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&wipe);
    CreateDirectoryA(work.c_str(), nullptr);
    std::string extension = work + "extension\\";
    CreateDirectoryA(extension.c_str(), nullptr);
    if (!CopyFileA((tools + "..\\bin\\Kivaro.dll").c_str(), (extension + "Kivaro.dll").c_str(), FALSE)) {
        fprintf(stderr, "cannot copy Kivaro.dll\n");
        return 2;
    }
    SetCacheDirectory(extension);
    for (int f = 0; f < 20; ++f) {
        std::string other = work + "other" + std::to_string(f);
        CreateDirectoryA(other.c_str(), nullptr);
        if (!MakeFile(other + "\\one.jpg", 5000) || !FillCache(other, {"one.jpg"})) return 2;
    }
    std::string photos = work + "photos";
    CreateDirectoryA(photos.c_str(), nullptr);
    std::vector<std::string> names;
    std::vector<std::wstring> pictures;
    for (int i = 0; i < count; ++i) {
        char name[32];
        snprintf(name, sizeof name, "photo-%03d.jpg", i);
        names.push_back(name);
        if (!MakeFile(photos + "\\" + name, 20000 + i)) return 2;
        std::string path = photos + "\\" + name;
        pictures.emplace_back(path.begin(), path.end());
    }
    if (!FillCache(photos, names)) {
        fprintf(stderr, "cannot fill the cache\n");
        return 2;
    }
    CloseCacheFiles();

    if (!SetText(kClassKey, nullptr, extension + "Kivaro.dll") || !SetText(kClassKey, "ThreadingModel", "Apartment")) {
        fprintf(stderr, "cannot register the extension\n");
        return 2;
    }
    CoInitialize(nullptr);
    Figures cold = Pass(pictures);
    Figures warm = Pass(pictures);
    CoUninitialize();
    SHDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\" KIVARO_CLSID_TEXT);

    printf("icon requests over %d cached pictures (one folder of %d entries, 20 folders before it)\n", count, count);
    printf("  cold (first request per picture): median %.3f ms, 95th percentile %.3f ms, slowest %.3f ms\n",
           cold.median, cold.p95, cold.slowest);
    printf("  warm (asked again):               median %.3f ms, 95th percentile %.3f ms, slowest %.3f ms\n",
           warm.median, warm.p95, warm.slowest);
    if (cold.failed || warm.failed) {
        printf("  %d requests did not give the thumbnail icon\n", cold.failed + warm.failed);
        return 2;
    }
    bool holds = warm.p95 < 5.0;
    printf("  target warm 95th percentile < 5 ms: %s\n", holds ? "holds" : "MISSED");
    return holds ? 0 : 1;
}
