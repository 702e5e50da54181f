// SmoothPixelRow: a low-pass filter along one row of 32-bit pixels, used to
// soften a row after it was stretched.
#include "smooth.h"

#include <cstring>
#include <vector>

namespace {

// Binomial weights: the 9-tap row sums to 256, the 3-tap one is a plain mean.
const int kNineTaps[9] = {1, 8, 28, 56, 70, 56, 28, 8, 1};

}  // namespace

bool SmoothRow(DWORD* row, long count) {
    if (!row || count < 4) return false;
    std::vector<BYTE> copy(reinterpret_cast<BYTE*>(row), reinterpret_cast<BYTE*>(row + count));
    BYTE* out = reinterpret_cast<BYTE*>(row);
    auto at = [&](long x, int channel) {
        if (x < 0) x = 0;
        if (x >= count) x = count - 1;
        return static_cast<int>(copy[x * 4 + channel]);
    };
    for (long x = 0; x < count; ++x) {
        for (int c = 0; c < 3; ++c) {
            int value;
            if (count > 9) {
                int sum = 0;
                for (int k = -4; k <= 4; ++k) sum += kNineTaps[k + 4] * at(x + k, c);
                value = (sum + 128) >> 8;
            } else {
                value = (at(x - 1, c) + at(x, c) + at(x + 1, c) + 1) / 3;
            }
            out[x * 4 + c] = static_cast<BYTE>(value);
        }
    }
    return true;
}
