// The DIB block: one memory area holding a size word, a pointer to the
// BITMAPINFOHEADER inside the block, a pointer to the first pixel row, the
// header itself, its colour table and the pixel rows (always top-down,
// biHeight = -height).
#pragma once

#include <windows.h>

// The three words at the front of every block.  The header follows right
// behind them; the compiler lays them out (12 bytes on the 32-bit suite,
// naturally aligned 24 bytes on the 64-bit test build).
struct DibBlock {
    DWORD size;                 // bytes of the whole block: head, header area, pixel room
    BITMAPINFOHEADER* header;   // == (BITMAPINFOHEADER*)(this + 1)
    BYTE* pixels;               // == (BYTE*)header + (palette entries + 10) * 4
};

// Bytes in front of the pixel room: the three words and the 40-byte header.
constexpr DWORD kDibHeadBytes = sizeof(DibBlock) + sizeof(BITMAPINFOHEADER);
// A bare 32-bit block always has room for at least this many pixels.
constexpr DWORD kDibMinPixels = 512;

inline BITMAPINFOHEADER* DibHeaderOf(DibBlock* block) {
    return reinterpret_cast<BITMAPINFOHEADER*>(block + 1);
}
// Colour table (or the masks of 16-bit pixels) right behind the header.
inline RGBQUAD* DibColors(DibBlock* block) {
    return reinterpret_cast<RGBQUAD*>(block->header + 1);
}
inline DWORD* DibMasks(DibBlock* block) {
    return reinterpret_cast<DWORD*>(block->header + 1);
}
inline int DibWidth(const DibBlock* block) { return block->header->biWidth; }
inline int DibHeight(const DibBlock* block) {
    LONG h = block->header->biHeight;
    return h < 0 ? -h : h;
}

// Memory for blocks: LocalAlloc (zeroed), else VirtualAlloc rounded up to
// 4096 bytes.  DibFreeMemory sends each address back where it came from.
void* DibAllocMemory(SIZE_T bytes);
void DibFreeMemory(void* memory);

// A zeroed 32-bit top-down block of width x height; null for a size of 0,
// a negative size or failed allocation.
DibBlock* CreateDib(int width, int height);
// Null does nothing.
void FreeDib(DibBlock* block);

// Writes the three words and a 32-bit header for a block placed at memory
// with `size` bytes in all; used for blocks inside a larger allocation.
DibBlock* InitDibBlock(void* memory, DWORD size, int width, int height);

// Re-formats the header in place for 1, 2, 4, 8, 15, 16, 24 or 32 bits per
// pixel (15 gives 16-bit pixels) and moves the pixel pointer behind the
// colour table; pixels are not touched and the caller makes sure the block
// is large enough.  0 for a null block or another depth.
int SetDibFormat(DibBlock* block, int bitsPerPixel);

// Bytes in one row for the header's width and depth, rounded up to 4;
// 0 for a depth not listed above.
DWORD DibRowBytes(const BITMAPINFOHEADER* header);
DWORD DibRowBytesFor(int width, int bitsPerPixel);

// Copies the header, its colour table and biSizeImage bytes of pixels from
// source into destination.  0 when either is null or destination is too small.
int CopyDib(const DibBlock* source, DibBlock* destination);

// The area (left, top)-(right, bottom) of a 32-bit block, clamped to the
// block, as a new 32-bit block; null when the clamped area is empty.
DibBlock* CropDib(const DibBlock* block, int left, int top, int right, int bottom);

// Nearest-neighbour resampling of 32-bit rows: target column x reads source
// column (int)(x * r) with r = (float)((double)srcWidth / dstWidth) (the
// quotient in double, rounded to a float) and the product in single
// precision, clamped below srcWidth; rows likewise.  Strides in bytes.  0 for
// a null buffer, a zero size or failed allocation of the maps.
int ScaleDibNearest(const BYTE* src, int srcWidth, int srcHeight, int srcStride,
                    BYTE* dst, int dstWidth, int dstHeight, int dstStride);
// A new 32-bit block of width x height resampled from a 32-bit block; null
// for a zero size, a block of another depth or failed allocation.
DibBlock* ScaleDib(const DibBlock* source, int width, int height);
