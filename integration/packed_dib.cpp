#include "packed_dib.h"

#include <cstring>

#include "win_guards.h"

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
    if (!data || bytes < sizeof(BITMAPINFOHEADER)) return nullptr;
    BITMAPINFOHEADER header;
    memcpy(&header, data, sizeof header);
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > bytes || header.biPlanes != 1) return nullptr;
    if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == LONG(0x80000000)) return nullptr;
    const int bits = header.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return nullptr;
    if (header.biCompression != BI_RGB && !(header.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32)))
        return nullptr;
    const int width = header.biWidth;
    const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (static_cast<unsigned long long>(width) * height > kMaxPixels) return nullptr;
    unsigned long long table = 0;
    if (bits <= 8) table = header.biClrUsed ? header.biClrUsed : (1u << bits);
    else table = header.biClrUsed;
    if (bits <= 8 && table > (1u << bits)) return nullptr;
    unsigned long long head = header.biSize + table * 4;
    // The masks follow a plain 40-byte header; larger headers hold them.
    if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER)) head += 12;
    const unsigned long long row = DibRowBytesFor(width, bits);
    if (head + row * height > bytes) return nullptr;

    DibBlock* block = CreateDib(width, height);
    if (!block) return nullptr;
    // GDI converts every depth into the block's 32-bit top-down rows.  The
    // BITMAPINFO it reads is the header with its table or masks behind it;
    // a longer header is cut to 40 bytes with the table moved up.
    BYTE* info = static_cast<BYTE*>(LocalAlloc(LMEM_FIXED, static_cast<size_t>(sizeof header + (head - header.biSize))));
    bool ok = info != nullptr;
    if (ok) {
        BITMAPINFOHEADER shortened = header;
        shortened.biSize = sizeof shortened;
        memcpy(info, &shortened, sizeof shortened);
        memcpy(info + sizeof shortened, static_cast<const BYTE*>(data) + header.biSize,
               static_cast<size_t>(head - header.biSize));
        if (header.biCompression == BI_BITFIELDS && header.biSize > sizeof(BITMAPINFOHEADER))
            ok = false;   // masks inside a version 4/5 header: not read here
    }
    if (ok) {
        MemoryDC dc(nullptr);
        BITMAPINFOHEADER target = *block->header;
        void* bitsOut = nullptr;
        GdiObject<HBITMAP> section(CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&target), DIB_RGB_COLORS,
                                                    &bitsOut, nullptr, 0));
        ok = section && bitsOut;
        if (ok) {
            SelectedObject selected(dc, section);
            ok = SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, static_cast<const BYTE*>(data) + head,
                                   reinterpret_cast<BITMAPINFO*>(info), DIB_RGB_COLORS) != 0;
            GdiFlush();
            if (ok) memcpy(block->pixels, bitsOut, static_cast<size_t>(width) * height * 4);
        }
    }
    if (info) LocalFree(info);
    if (!ok) {
        FreeDib(block);
        return nullptr;
    }
    return block;
}
