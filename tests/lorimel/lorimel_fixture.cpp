#include "lorimel_fixture.h"

#include <cstdio>
#include <cstring>

LorimelApi LorimelTest::api;

namespace {
std::string ExeDirectory() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of('\\') + 1);
}
}  // namespace

void LorimelTest::SetUpTestSuite() {
    if (api.module) return;
    // Tests live in build\tests, the deliverables in build\bin.
    std::string bin = ExeDirectory() + "..\\bin\\";
    ASSERT_TRUE(BindLorimel(api, (bin + "Lorimel.dll").c_str())) << "cannot bind " << bin;
    ASSERT_EQ(1, api.InitImageLibrary(bin.c_str()));
    CreateDirectoryA(Scratch("").c_str(), nullptr);
}

std::string LorimelTest::Scratch(const std::string& name) {
    return ExeDirectory() + "scratch-lorimel\\" + name;
}

std::string LorimelTest::Samples(const std::string& name) {
    return ExeDirectory() + "..\\samples\\" + name;
}

void LorimelTest::WriteBytes(const std::string& path, const std::vector<BYTE>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f) << path;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::vector<BYTE> LorimelTest::ReadBytes(const std::string& path) {
    std::vector<BYTE> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    BYTE buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

TestDib MakeDib(LONG width, LONG height, int bits, int colors) {
    TestDib dib;
    const int stored = bits == 15 ? 16 : bits;
    int entries = bits <= 8 ? (colors ? colors : 1 << bits) : (bits == 16 || bits == 15 ? 4 : 0);
    dib.rowBytes = stored == 32 ? width * 4 : ((width * stored + 31) / 32) * 4;
    size_t pixelBytes = dib.rowBytes * height;
    dib.block.assign(kDibHead + 40 + entries * 4 + pixelBytes, 0);
    BYTE* base = dib.block.data();
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(base + kDibHead);
    BYTE* pixels = base + kDibHead + 40 + entries * 4;
    dib.head()->size = static_cast<DWORD>(52 + pixelBytes);
    dib.head()->header = h;
    dib.head()->pixels = pixels;
    h->biSize = 40;
    h->biWidth = width;
    h->biHeight = -height;
    h->biPlanes = 1;
    h->biBitCount = static_cast<WORD>(stored);
    h->biSizeImage = static_cast<DWORD>(pixelBytes);
    if (bits <= 8) h->biClrUsed = h->biClrImportant = entries;
    DWORD* masks = reinterpret_cast<DWORD*>(base + kDibHead + 40);
    if (bits == 16) {
        h->biCompression = BI_BITFIELDS;
        masks[0] = 0xF800, masks[1] = 0x07E0, masks[2] = 0x001F;
    } else if (bits == 15) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    }
    return dib;
}

Decoded DecodeFile(const std::string& path, LONG page, LONG width, LONG height) {
    auto& api = LorimelTest::api;
    Decoded d;
    char format[200] = {};
    if (!api.DetectImageFormat(path.c_str(), format)) return d;
    d.format = format;
    LorimelHandle h = api.OpenImageFile(path.c_str(), "rb", format, 0);
    if (!h) return d;
    d.pages = api.ReadImageHeader(h);
    d.info.page = page;
    if (d.pages > 0 && api.GetImagePageInfo(h, &d.info)) {
        LONG w = width ? width : d.info.width, hgt = height ? height : d.info.height;
        d.pixels.assign(static_cast<size_t>(w) * hgt, 0);
        d.result = api.ReadImagePixels(h, d.pixels.data(), w, hgt, page);
    }
    api.CloseImageFile(h);
    return d;
}

LONG WriteDib(const std::string& path, const char* format, const TestDib& dib, LONG quality) {
    auto& api = LorimelTest::api;
    LorimelHandle h = api.OpenImageFile(path.c_str(), "wb", format, 0);
    if (!h) return -1;
    api.SetImageProgressCallback(h, nullptr);
    const auto* header = reinterpret_cast<const DibBlockHead*>(dib.block.data())->header;
    LorimelWriteInfo info{0, header->biWidth, header->biHeight < 0 ? -header->biHeight : header->biHeight,
                          0, 0, quality};
    LONG result = api.WriteImageFile(h, dib.get(), &info);
    api.CloseImageFile(h);
    return result;
}
