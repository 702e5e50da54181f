#include "dib.h"

#include <string.h>

namespace {

// Largest block we hand out; keeps every size word and row arithmetic in range.
constexpr unsigned long long kMaxBlockBytes = 0x7FFF0000ull;

const BITMAPINFOHEADER kDefaultHeader = {
    sizeof(BITMAPINFOHEADER), 0, 0, 1, 32, BI_RGB, 0, 0, 0, 0, 0};

// Colour table entries (or 32-bit words for the masks) behind the header.
int TableEntries(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1: return 2;
    case 2: return 4;
    case 4: return 16;
    case 8: return 256;
    case 15: case 16: return 4;   // three masks and a spare word
    default: return 0;
    }
}

}  // namespace

void* DibAllocMemory(SIZE_T bytes) {
    if (bytes == 0) return nullptr;
    void* memory = LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, bytes);
    if (memory) return memory;
    SIZE_T rounded = (bytes + 4095) & ~static_cast<SIZE_T>(4095);
    if (rounded < bytes) return nullptr;
    // Committed pages come zeroed.
    return VirtualAlloc(nullptr, rounded, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

namespace {

// True when memory is the start of a VirtualAlloc region.  Heap blocks never
// are: the heap's own bookkeeping sits in front of each of them.  Wine's
// LocalFlags answers 0 for any pointer, so this check carries the decision
// there.
bool StartsVirtualRegion(void* memory) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(memory, &info, sizeof(info)) != sizeof(info)) return false;
    return info.State == MEM_COMMIT && info.AllocationBase == memory;
}

}  // namespace

void DibFreeMemory(void* memory) {
    if (!memory) return;
    // Local blocks are never page aligned unless the heap happens to place
    // them there; LocalFlags tells those apart from VirtualAlloc pages.
    if ((reinterpret_cast<ULONG_PTR>(memory) & 4095) == 0 &&
        (LocalFlags(memory) == LMEM_INVALID_HANDLE || StartsVirtualRegion(memory))) {
        VirtualFree(memory, 0, MEM_RELEASE);
        return;
    }
    LocalFree(memory);
}

DWORD DibRowBytesFor(int width, int bitsPerPixel) {
    if (width < 0) return 0;
    unsigned long long w = static_cast<unsigned long long>(width);
    unsigned long long bytes;
    switch (bitsPerPixel) {
    case 1: bytes = (w + 7) / 8; break;
    case 2: bytes = (w + 3) / 4; break;
    case 4: bytes = (w + 1) / 2; break;
    case 8: bytes = w; break;
    case 15: case 16: bytes = w * 2; break;
    case 24: bytes = w * 3; break;
    case 32: bytes = w * 4; break;
    default: return 0;
    }
    return static_cast<DWORD>((bytes + 3) & ~3ull);
}

DWORD DibRowBytes(const BITMAPINFOHEADER* header) {
    if (!header) return 0;
    return DibRowBytesFor(header->biWidth, header->biBitCount);
}

DibBlock* InitDibBlock(void* memory, DWORD size, int width, int height) {
    DibBlock* block = static_cast<DibBlock*>(memory);
    block->size = size;
    block->header = DibHeaderOf(block);
    *block->header = kDefaultHeader;
    block->header->biWidth = width;
    block->header->biHeight = -height;
    block->header->biSizeImage = DibRowBytesFor(width, 32) * static_cast<DWORD>(height);
    block->pixels = reinterpret_cast<BYTE*>(block->header + 1);
    return block;
}

DibBlock* CreateDib(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    unsigned long long pixels = static_cast<unsigned long long>(width) * height;
    if (pixels < kDibMinPixels) pixels = kDibMinPixels;
    unsigned long long size = kDibHeadBytes + pixels * 4;
    if (size > kMaxBlockBytes) return nullptr;
    void* memory = DibAllocMemory(static_cast<SIZE_T>(size));
    if (!memory) return nullptr;
    return InitDibBlock(memory, static_cast<DWORD>(size), width, height);
}

void FreeDib(DibBlock* block) {
    DibFreeMemory(block);
}

int SetDibFormat(DibBlock* block, int bitsPerPixel) {
    if (!block || !block->header) return 0;
    DWORD rowBytes = DibRowBytesFor(1, bitsPerPixel);
    if (rowBytes == 0) return 0;
    BITMAPINFOHEADER* header = block->header;
    LONG width = header->biWidth;
    LONG height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    int entries = TableEntries(bitsPerPixel);
    *header = kDefaultHeader;
    header->biWidth = width;
    header->biHeight = -height;
    header->biBitCount = static_cast<WORD>(bitsPerPixel == 15 ? 16 : bitsPerPixel);
    header->biSizeImage = DibRowBytesFor(width, bitsPerPixel) * static_cast<DWORD>(height);
    if (bitsPerPixel <= 8) header->biClrUsed = header->biClrImportant = entries;
    block->pixels = reinterpret_cast<BYTE*>(header) + (entries + 10) * 4;
    return 1;
}

int CopyDib(const DibBlock* source, DibBlock* destination) {
    if (!source || !destination || !source->header || !destination->header) return 0;
    const BYTE* srcHeader = reinterpret_cast<const BYTE*>(source->header);
    size_t headerArea = static_cast<size_t>(source->pixels - srcHeader);
    size_t pixelBytes = source->header->biSizeImage;
    size_t needed = (reinterpret_cast<BYTE*>(destination->header) -
                     reinterpret_cast<BYTE*>(destination)) + headerArea + pixelBytes;
    if (needed > destination->size) return 0;
    BYTE* dstHeader = reinterpret_cast<BYTE*>(destination->header);
    memmove(dstHeader, srcHeader, headerArea);
    destination->pixels = dstHeader + headerArea;
    memmove(destination->pixels, source->pixels, pixelBytes);
    return 1;
}

DibBlock* CropDib(const DibBlock* block, int left, int top, int right, int bottom) {
    if (!block || !block->header || block->header->biBitCount != 32) return nullptr;
    int width = DibWidth(block);
    int height = DibHeight(block);
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > width) right = width;
    if (bottom > height) bottom = height;
    if (right <= left || bottom <= top) return nullptr;
    DibBlock* crop = CreateDib(right - left, bottom - top);
    if (!crop) return nullptr;
    DWORD srcStride = DibRowBytesFor(width, 32);
    DWORD dstStride = DibRowBytesFor(right - left, 32);
    for (int y = top; y < bottom; ++y)
        memcpy(crop->pixels + static_cast<size_t>(y - top) * dstStride,
               block->pixels + static_cast<size_t>(y) * srcStride + static_cast<size_t>(left) * 4,
               dstStride);
    return crop;
}
