#include "packed_dib.h"

#include <cstring>

namespace {

// The header sizes in use: the original one, the two with masks inside it
// (52, 56) and the colour-space ones (108, 124).
bool KnownHeaderSize(DWORD size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

DWORD ReadDword(const BYTE* p) {
    DWORD value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// One channel of a bit-field pixel: where the mask starts and how many bits
// it has.
struct Channel {
    int shift = 0;
    int bits = 0;
};

Channel ChannelOf(DWORD mask) {
    Channel c;
    if (!mask) return c;
    while (!(mask & 1)) {
        mask >>= 1;
        ++c.shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++c.bits;
    }
    return c;
}

BYTE Scale(DWORD pixel, DWORD mask, const Channel& c) {
    if (!c.bits) return 0;
    const DWORD value = (pixel & mask) >> c.shift;
    if (c.bits >= 8) return static_cast<BYTE>(value >> (c.bits - 8));
    const DWORD top = (1u << c.bits) - 1;
    return static_cast<BYTE>((value * 255 + top / 2) / top);
}

}  // namespace

PackedDibFault ReadPackedDib(const void* data, size_t size, PackedDib* dib) {
    *dib = PackedDib();
    const BYTE* base = static_cast<const BYTE*>(data);
    const uint64_t total = size;
    if (!base || total < sizeof(BITMAPINFOHEADER)) return PackedDibFault::kTooSmall;
    BITMAPINFOHEADER h;
    std::memcpy(&h, base, sizeof h);
    if (!KnownHeaderSize(h.biSize)) return PackedDibFault::kHeaderSize;
    if (total < h.biSize) return PackedDibFault::kTooSmall;
    // A height of INT_MIN has no positive counterpart.
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return PackedDibFault::kSize;
    const int64_t width = h.biWidth;
    const int64_t height = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
    // The 32-bit copy the picture becomes must stay addressable.
    if (width * height > (int64_t{1} << 29)) return PackedDibFault::kSize;
    if (h.biPlanes != 1) return PackedDibFault::kPlanes;
    const int bits = h.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return PackedDibFault::kBitCount;

    uint64_t offset = h.biSize;
    if (h.biCompression == BI_BITFIELDS) {
        if (bits != 16 && bits != 32) return PackedDibFault::kCompression;
        // A 40-byte header keeps its three masks behind it; the longer ones inside.
        const uint64_t maskAt = h.biSize == 40 ? offset : 40;
        if (maskAt + 12 > total) return PackedDibFault::kTooSmall;
        for (int i = 0; i < 3; ++i) dib->masks[i] = ReadDword(base + maskAt + 4 * i);
        if (h.biSize == 40) offset += 12;
    } else if (h.biCompression == BI_RGB) {
        if (bits == 16) {
            dib->masks[0] = 0x7C00;
            dib->masks[1] = 0x03E0;
            dib->masks[2] = 0x001F;
        } else if (bits == 32) {
            dib->masks[0] = 0xFF0000;
            dib->masks[1] = 0x00FF00;
            dib->masks[2] = 0x0000FF;
        }
    } else {
        return PackedDibFault::kCompression;
    }

    // The colour table: up to 2^bits entries for the indexed depths (0 means
    // all of them); the deeper ones may carry an unused table of at most 256.
    uint64_t entries = h.biClrUsed;
    if (bits <= 8) {
        const uint64_t most = uint64_t{1} << bits;
        if (entries == 0) entries = most;
        if (entries > most) return PackedDibFault::kColorTable;
    } else if (entries > 256) {
        return PackedDibFault::kColorTable;
    }
    if (offset + entries * sizeof(RGBQUAD) > total) return PackedDibFault::kColorTable;
    if (bits <= 8) {
        dib->colors = reinterpret_cast<const RGBQUAD*>(base + offset);
        dib->colorCount = static_cast<int>(entries);
    }
    offset += entries * sizeof(RGBQUAD);

    const uint64_t rowBytes = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
    if (rowBytes * static_cast<uint64_t>(height) > total - offset) return PackedDibFault::kPixels;

    dib->width = static_cast<int>(width);
    dib->height = static_cast<int>(height);
    dib->topDown = h.biHeight < 0;
    dib->bitCount = bits;
    dib->bits = base + offset;
    dib->rowBytes = static_cast<uint32_t>(rowBytes);
    return PackedDibFault::kOk;
}

void PackedDibToBgra(const PackedDib& dib, BYTE* out, size_t stride) {
    const Channel red = ChannelOf(dib.masks[0]), green = ChannelOf(dib.masks[1]), blue = ChannelOf(dib.masks[2]);
    for (int y = 0; y < dib.height; ++y) {
        const int stored = dib.topDown ? y : dib.height - 1 - y;
        const BYTE* row = dib.bits + static_cast<size_t>(stored) * dib.rowBytes;
        BYTE* target = out + static_cast<size_t>(y) * stride;
        for (int x = 0; x < dib.width; ++x) {
            BYTE* px = target + static_cast<size_t>(x) * 4;
            px[3] = 0;
            if (dib.bitCount <= 8) {
                const int perByte = 8 / dib.bitCount;
                const BYTE byte = row[x / perByte];
                const int shift = 8 - dib.bitCount * (x % perByte + 1);
                const int index = (byte >> shift) & ((1 << dib.bitCount) - 1);
                if (index < dib.colorCount) {
                    px[0] = dib.colors[index].rgbBlue;
                    px[1] = dib.colors[index].rgbGreen;
                    px[2] = dib.colors[index].rgbRed;
                } else {
                    px[0] = px[1] = px[2] = 0;
                }
            } else if (dib.bitCount == 24) {
                px[0] = row[x * 3];
                px[1] = row[x * 3 + 1];
                px[2] = row[x * 3 + 2];
            } else {
                DWORD pixel;
                if (dib.bitCount == 16) {
                    WORD word;
                    std::memcpy(&word, row + x * 2, sizeof word);
                    pixel = word;
                } else {
                    std::memcpy(&pixel, row + x * 4, sizeof pixel);
                }
                px[0] = Scale(pixel, dib.masks[2], blue);
                px[1] = Scale(pixel, dib.masks[1], green);
                px[2] = Scale(pixel, dib.masks[0], red);
            }
        }
    }
}

namespace {


// Bytes from the header's start to the first row in a block.
size_t HeadBytes(const DibBlock* block) {
    return static_cast<size_t>(block->pixels - reinterpret_cast<const BYTE*>(block->header));
}

// Largest picture read: a block's size is one 32-bit word.
constexpr unsigned long long kMaxPixels = (0xFFFFFFFFull - 4096) / 4;

}  // namespace

size_t PackedDibBytes(const DibBlock* block) {
    if (!block || !block->header) return 0;
    const DWORD row = DibRowBytes(block->header);
    if (row == 0) return 0;
    return HeadBytes(block) + static_cast<size_t>(row) * DibHeight(block);
}

bool WritePackedDib(const DibBlock* block, void* out, size_t bytes) {
    const size_t needed = PackedDibBytes(block);
    if (needed == 0 || !out || bytes < needed) return false;
    BYTE* to = static_cast<BYTE*>(out);
    const size_t head = HeadBytes(block);
    memcpy(to, block->header, head);
    const bool topDown = block->header->biHeight < 0;
    const int height = DibHeight(block);
    reinterpret_cast<BITMAPINFOHEADER*>(to)->biHeight = height;
    const DWORD row = DibRowBytes(block->header);
    reinterpret_cast<BITMAPINFOHEADER*>(to)->biSizeImage = row * static_cast<DWORD>(height);
    BYTE* rows = to + head;
    if (!topDown) {
        memcpy(rows, block->pixels, static_cast<size_t>(row) * height);
        return true;
    }
    // Source row i lands in row height - 1 - i.
    for (int i = 0; i < height; ++i)
        memcpy(rows + static_cast<size_t>(height - 1 - i) * row, block->pixels + static_cast<size_t>(i) * row, row);
    return true;
}

DibBlock* ReadPackedDib(const void* data, size_t bytes) {
    PackedDib dib;
    if (!data || ReadPackedDib(data, bytes, &dib) != PackedDibFault::kOk) return nullptr;
    if (static_cast<unsigned long long>(dib.width) * static_cast<unsigned>(dib.height) > kMaxPixels) return nullptr;
    DibBlock* block = CreateDib(dib.width, dib.height);
    if (!block) return nullptr;
    PackedDibToBgra(dib, block->pixels, static_cast<size_t>(dib.width) * 4);
    return block;
}
