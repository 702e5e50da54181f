// The arithmetic of the Blur and Sharpen filters: a square a x a kernel
// (a odd, 3..13) of e^-(i^2 + j^2) values, negated for Sharpen, whose centre
// is replaced (5 / a for Blur, 30 / a for Sharpen), convolved with every byte
// of a 32-bit picture and divided by the kernel's sum S (unless S is 0 or 1).
// Near the edges a coordinate outside the picture wraps to the other side.
#pragma once

#include <windows.h>

#include "filter_rows.h"
#include "picture_plugin.h"

enum class KernelKind { Blur, Sharpen };

// The trackbar's positions 3..8 give the kernel sizes 3, 5, ..., 13.
constexpr int kKernelFirstPosition = 3;
constexpr int kKernelLastPosition = 8;
constexpr int kKernelLargest = 13;
inline int KernelSizeAt(int position) { return 2 * position - 3; }

// The a x a kernel, row by row: value (i, j) for i, j = -t..t (t = a div 2)
// at values[(i + t) * a + (j + t)].
struct Kernel {
    int a;
    double values[kKernelLargest * kKernelLargest];
};
// a must be odd, 1..13.
Kernel MakeKernel(KernelKind kind, int a);
// S: the sum of the a^2 kernel values in that order.
double KernelSum(const Kernel& kernel);

// False for what the filter refuses: a width of 2 or less, a height below 3,
// an even a or one outside 1..13, either side 9 or less or smaller than a.
bool KernelAccepts(LONG width, LONG height, int a);

// Convolves source into result (both 32-bit, the same size, accepted by
// KernelAccepts).  The Gaussian part is applied as a row pass and a column
// pass and the replaced centre as one extra term, so a result may differ
// from the direct a^2-term sum only where that sum lies on a truncation
// boundary, within rounding of a whole number (then by 1; a flat area keeps
// its value exactly).  False when its row buffers cannot be had.
bool ConvolvePixels(const PluginDib* source, PluginDib* result, KernelKind kind, int a,
                    filter_rows::RowProgress& progress);

// The preview's result (a bare block, no progress), or null when refused.
PluginDib* KernelFilterDib(const PictureHostServices* host, const PluginDib* source, KernelKind kind, int a);
// The real run over the working copy: a new picture made between BeginBusy
// and EndBusy with the progress shown, or null when refused.
PluginPicture* KernelFilterPicture(const PictureHostServices* host, const PluginPicture* picture, KernelKind kind,
                                   int a);
