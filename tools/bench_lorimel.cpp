// Measures how fast Lorimel decodes JPEG photos at full size and straight
// into thumbnail size (the largest size that fits 48x48, aspect kept), the
// way the browser's thumbnailer calls it: detect, open, read the header, ask
// for page 0, read the pixels, close.  Times are taken inside the process, so
// Wine's start-up is not counted.
//
//   bench_lorimel.exe [--lib PATH\Lorimel.dll] --list FILE
//     FILE holds one picture path per line.
//
// Prints "key value" lines for tools/bench-lorimel.sh to read.
#include "lorimel.h"

#include "bench_support.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr LONG kThumbSide = 48;

double Now() { return BenchSeconds(); }

// The largest size within side x side with the picture's aspect, at least 1x1.
void FitInto(LONG side, LONG width, LONG height, LONG* outW, LONG* outH) {
    if (width >= height) {
        *outW = side;
        *outH = static_cast<LONG>((static_cast<long long>(height) * side + width / 2) / width);
    } else {
        *outH = side;
        *outW = static_cast<LONG>((static_cast<long long>(width) * side + height / 2) / height);
    }
    if (*outW < 1) *outW = 1;
    if (*outH < 1) *outH = 1;
}

std::vector<std::string> ReadList(const char* path) {
    std::vector<std::string> files;
    FILE* f = std::fopen(path, "r");
    if (!f) return files;
    char line[2048];
    while (std::fgets(line, sizeof line, f)) {
        size_t n = std::strcspn(line, "\r\n");
        line[n] = '\0';
        if (n) files.emplace_back(line);
    }
    std::fclose(f);
    return files;
}

// Reads every file once so that both timed passes find them in the cache.
void WarmUp(const std::vector<std::string>& files) {
    std::vector<char> buffer(1 << 20);
    for (const std::string& path : files) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        DWORD got = 0;
        while (ReadFile(h, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got) {
        }
        CloseHandle(h);
    }
}

struct Pass {
    int decoded = 0;
    int failed = 0;
    double seconds = 0;
    long long pixels = 0;
};

// One thumbnailer-style decode.  thumb selects the reduced size.
bool Decode(const LorimelApi& api, const std::string& path, bool thumb,
            std::vector<DWORD>& pixels, long long* pixelCount) {
    char format[200] = {};
    if (!api.DetectImageFormat(path.c_str(), format)) return false;
    LorimelHandle h = api.OpenImageFile(path.c_str(), "rb", format, 0);
    if (!h) return false;
    bool ok = false;
    if (api.ReadImageHeader(h) > 0) {
        // Callers hand over 24 zeroed bytes; the library fills the first 20.
        struct {
            LorimelPageInfo info;
            LONG spare;
        } record{};
        LorimelPageInfo* info = &record.info;
        info->page = 0;
        if (api.GetImagePageInfo(h, info) && info->width > 0 && info->height > 0) {
            LONG w = info->width, hgt = info->height;
            if (thumb) FitInto(kThumbSide, info->width, info->height, &w, &hgt);
            size_t need = static_cast<size_t>(w) * static_cast<size_t>(hgt);
            if (pixels.size() < need) pixels.resize(need);
            ok = api.ReadImagePixels(h, pixels.data(), w, hgt, 0) == 1;
            if (ok) *pixelCount += static_cast<long long>(need);
        }
    }
    api.CloseImageFile(h);
    return ok;
}

Pass Run(const LorimelApi& api, const std::vector<std::string>& files, bool thumb) {
    Pass pass;
    std::vector<DWORD> pixels;
    for (const std::string& path : files) {
        double t0 = Now();
        bool ok = Decode(api, path, thumb, pixels, &pass.pixels);
        pass.seconds += Now() - t0;
        if (ok) {
            ++pass.decoded;
        } else {
            ++pass.failed;
            std::fprintf(stderr, "failed (%s): %s\n", thumb ? "thumbnail" : "full", path.c_str());
        }
    }
    return pass;
}

double PerSecond(const Pass& p) { return p.seconds > 0 ? p.decoded / p.seconds : 0; }

void Report(const char* name, const Pass& p) {
    std::printf("%s_decoded %d\n%s_failed %d\n%s_seconds %.4f\n%s_pictures_per_second %.3f\n"
                "%s_megapixels_out %.1f\n",
                name, p.decoded, name, p.failed, name, p.seconds, name, PerSecond(p), name,
                p.pixels / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    const char* lib = "Lorimel.dll";
    const char* list = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--lib") && i + 1 < argc) {
            lib = argv[++i];
        } else if (!std::strcmp(argv[i], "--list") && i + 1 < argc) {
            list = argv[++i];
        } else {
            std::fprintf(stderr, "usage: bench_lorimel [--lib Lorimel.dll] --list FILE\n");
            return 2;
        }
    }
    if (!list) {
        std::fprintf(stderr, "usage: bench_lorimel [--lib Lorimel.dll] --list FILE\n");
        return 2;
    }
    std::vector<std::string> files = ReadList(list);
    if (files.empty()) {
        std::fprintf(stderr, "no pictures listed in %s\n", list);
        return 2;
    }

    LorimelApi api;
    if (!BindLorimel(api, lib)) {
        std::fprintf(stderr, "cannot load %s or bind its operations (error %lu)\n", lib,
                     GetLastError());
        return 1;
    }
    // The library's folder is the program folder it is initialised with.
    char dir[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(api.module, dir, MAX_PATH);
    while (n > 0 && dir[n - 1] != '\\' && dir[n - 1] != '/') --n;
    dir[n] = '\0';
    if (!api.InitImageLibrary(dir)) {
        std::fprintf(stderr, "InitImageLibrary(%s) failed\n", dir);
        UnbindLorimel(api);
        return 1;
    }

    WarmUp(files);
    Pass full = Run(api, files, false);
    Pass thumb = Run(api, files, true);

    std::printf("files %u\n", static_cast<unsigned>(files.size()));
    Report("full", full);
    Report("thumb", thumb);
    double ratio = PerSecond(full) > 0 ? PerSecond(thumb) / PerSecond(full) : 0;
    std::printf("thumb_to_full_ratio %.2f\n", ratio);

    api.FreeImageLibrary();
    UnbindLorimel(api);
    return full.failed || thumb.failed ? 1 : 0;
}
