#include "kernel_filter.h"

#include <cmath>
#include <cstring>
#include <cstdlib>

using filter_rows::Height;
using filter_rows::Usable;
using filter_rows::Width;

namespace {

double Sign(KernelKind kind) { return kind == KernelKind::Blur ? 1.0 : -1.0; }
double Centre(KernelKind kind, int a) { return (kind == KernelKind::Blur ? 5.0 : 30.0) / a; }

// Where coordinate k - t of a line of `size` reads from (k = 0..size+2t-1):
// outside the picture it wraps to the other side and is then kept inside.
void MapCoordinates(LONG* map, LONG size, int t) {
    for (LONG k = 0; k < size + 2 * t; ++k) {
        LONG c = k - t;
        if (c < 0) c += size;
        else if (c >= size) c -= size;
        if (c > size - 1) c = size - 1;
        if (c < 0) c = 0;
        map[k] = c;
    }
}

// The regrouped sums carry rounding errors far below 1e-9, so a value that
// is whole in exact arithmetic - every value of a flat area - may come out a
// hair below it and would truncate one too low.  Nudging by 1e-7 keeps those
// whole; only values within 1e-7 below a whole number, which lie on a
// truncation boundary anyway, move up by one.
constexpr double kTruncationNudge = 1e-7;

// Truncation of 0 <= v < 256 without a float-to-integer conversion (which
// on the x87 switches the rounding mode twice per byte): 2^20 + v rounded to
// a double keeps v's fraction to 2^-32 and its integer part in bits 32..39.
BYTE TruncateByte(double v) {
    const double shifted = v + 1048576.0;
    unsigned long long bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    return static_cast<BYTE>(bits >> 32);
}

BYTE Clamp(double v) {
    v += kTruncationNudge;
    if (!(v >= 0)) return 0;  // negative or not a number
    if (v >= 255) return 255;
    return TruncateByte(v);
}

// Byte values as doubles, read from memory rather than converted.
struct ByteValues {
    double of[256];
    ByteValues() {
        for (int b = 0; b < 256; ++b) of[b] = b;
    }
};
const ByteValues kBytes;

}  // namespace

Kernel MakeKernel(KernelKind kind, int a) {
    Kernel kernel = {};
    if (a < 1 || a > kKernelLargest || a % 2 == 0) return kernel;
    kernel.a = a;
    const int t = a / 2;
    for (int i = -t; i <= t; ++i)
        for (int j = -t; j <= t; ++j)
            kernel.values[(i + t) * a + (j + t)] = Sign(kind) * std::exp(-static_cast<double>(i * i + j * j));
    kernel.values[t * a + t] = Centre(kind, a);
    return kernel;
}

double KernelSum(const Kernel& kernel) {
    double sum = 0;
    for (int n = 0; n < kernel.a * kernel.a; ++n) sum += kernel.values[n];
    return sum;
}

bool KernelAccepts(LONG width, LONG height, int a) {
    if (width <= 2 || height < 3 || a < 1 || a > kKernelLargest || a % 2 == 0) return false;
    return width > 9 && height > 9 && width >= a && height >= a;
}

bool ConvolvePixels(const PluginDib* source, PluginDib* result, KernelKind kind, int a,
                    filter_rows::RowProgress& progress) {
    const LONG width = Width(source), height = Height(source);
    const int t = a / 2;
    const double sign = Sign(kind);
    // The Gaussian part holds sign x e^0 at the centre; the kernel's own
    // centre value replaces it.
    const double centreExtra = Centre(kind, a) - sign;
    const double sum = KernelSum(MakeKernel(kind, a));
    // Dividing by S is multiplying by its reciprocal (a difference of one
    // unit in the last place, below the truncation nudge).
    const double scale = sum != 0 && sum != 1 ? 1.0 / sum : 1.0;
    // e^-(k^2) for k = 0..t; the kernel is symmetric, so each pass adds the
    // two pixels at a distance before multiplying.
    double e[kKernelLargest / 2 + 1];
    for (int k = 0; k <= t; ++k) e[k] = std::exp(-static_cast<double>(k * k));

    const size_t lineValues = static_cast<size_t>(width) * 4;
    const size_t paddedWidth = static_cast<size_t>(width) + 2 * t;
    const size_t paddedHeight = static_cast<size_t>(height) + 2 * t;
    // One block (freed by hand: no cleanup code, so no unwinding runtime in
    // the plug-in) holding, in this order:
    // - one source row with its wrapped margins, as doubles;
    // - the row pass of a consecutive rows (one result row's window) in a
    //   ring: the row pass of virtual row v (-t..height+t-1) is slot (v + t) mod a;
    // - the column and row coordinate maps.
    void* block = std::malloc((paddedWidth * 4 + lineValues * a) * sizeof(double) +
                              (paddedWidth + paddedHeight) * sizeof(LONG));
    if (!block) return false;
    double* const line = static_cast<double*>(block);
    double* const ring = line + paddedWidth * 4;
    LONG* const columns = reinterpret_cast<LONG*>(ring + lineValues * a);
    LONG* const rows = columns + paddedWidth;
    MapCoordinates(columns, width, t);
    MapCoordinates(rows, height, t);

    auto rowPass = [&](LONG virtualRow) {
        const BYTE* from = source->pixels + static_cast<size_t>(rows[virtualRow + t]) * lineValues;
        for (size_t k = 0; k < paddedWidth; ++k) {
            const BYTE* p = from + static_cast<size_t>(columns[k]) * 4;
            double* to = &line[k * 4];
            to[0] = kBytes.of[p[0]];
            to[1] = kBytes.of[p[1]];
            to[2] = kBytes.of[p[2]];
            to[3] = kBytes.of[p[3]];
        }
        double* out = &ring[static_cast<size_t>((virtualRow + t) % a) * lineValues];
        const double* centre = &line[static_cast<size_t>(t) * 4];
        for (size_t n = 0; n < lineValues; ++n, ++centre) {
            double acc = centre[0];
            for (int k = 1; k <= t; ++k) acc += e[k] * (centre[-4 * k] + centre[4 * k]);
            out[n] = acc;
        }
    };

    for (LONG v = -t; v < t; ++v) rowPass(v);
    const double* window[kKernelLargest];
    for (LONG y = 0; y < height; ++y) {
        progress.Row(y);
        rowPass(y + t);
        for (int i = 0; i < a; ++i) window[i] = &ring[static_cast<size_t>((y + i) % a) * lineValues];
        const BYTE* in = source->pixels + static_cast<size_t>(y) * lineValues;
        BYTE* out = result->pixels + static_cast<size_t>(y) * lineValues;
        const double* middle = window[t];
        for (size_t n = 0; n < lineValues; ++n) {
            double acc = middle[n];
            for (int k = 1; k <= t; ++k) acc += e[k] * (window[t - k][n] + window[t + k][n]);
            out[n] = Clamp((sign * acc + centreExtra * kBytes.of[in[n]]) * scale);
        }
    }
    std::free(block);
    return true;
}

PluginDib* KernelFilterDib(const PictureHostServices* host, const PluginDib* source, KernelKind kind, int a) {
    if (!host || !Usable(source) || !KernelAccepts(Width(source), Height(source), a)) return nullptr;
    return filter_rows::IntoDib(host, source, [&](const PluginDib* from, PluginDib* to, filter_rows::RowProgress& p) {
        return ConvolvePixels(from, to, kind, a, p);
    });
}

PluginPicture* KernelFilterPicture(const PictureHostServices* host, const PluginPicture* picture, KernelKind kind,
                                   int a) {
    if (!host || !picture || !Usable(picture->working) ||
        !KernelAccepts(Width(picture->working), Height(picture->working), a))
        return nullptr;
    return filter_rows::IntoPicture(host, picture,
                                    [&](const PluginDib* from, PluginDib* to, filter_rows::RowProgress& p) {
                                        return ConvolvePixels(from, to, kind, a, p);
                                    });
}
