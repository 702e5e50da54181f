// DIB block layout, allocation, formats, copies and crops.
#include <gtest/gtest.h>

#include <string.h>

#include "imaging_test_util.h"

namespace {

TEST(DibBlockTest, CreateLaysOutTopDown32BitBlock) {
    DibPtr block(CreateDib(30, 20));
    ASSERT_TRUE(block);
    BITMAPINFOHEADER* h = block->header;
    EXPECT_EQ(reinterpret_cast<BYTE*>(h), reinterpret_cast<BYTE*>(block.get()) + sizeof(DibBlock));
    EXPECT_EQ(block->pixels, reinterpret_cast<BYTE*>(h) + 40);
    EXPECT_EQ(block->size, kDibHeadBytes + 30u * 20u * 4u);
    EXPECT_EQ(h->biSize, 40u);
    EXPECT_EQ(h->biWidth, 30);
    EXPECT_EQ(h->biHeight, -20);
    EXPECT_EQ(h->biBitCount, 32);
    EXPECT_EQ(h->biSizeImage, 30u * 20u * 4u);
    for (DWORD i = 0; i < 600; ++i) ASSERT_EQ(Pixels32(block.get())[i], 0u) << i;
}

TEST(DibBlockTest, TinyBlockReservesRoomFor512Pixels) {
    DibPtr block(CreateDib(1, 1));
    ASSERT_TRUE(block);
    EXPECT_EQ(block->size, kDibHeadBytes + 512u * 4u);
    EXPECT_EQ(block->header->biSizeImage, 4u);
    // The whole reserve is writable.
    memset(block->pixels, 0xFF, 512 * 4);
}

TEST(DibBlockTest, RefusesEmptySizesAndUnknownDepths) {
    EXPECT_EQ(CreateDib(0, 5), nullptr);
    EXPECT_EQ(CreateDib(5, 0), nullptr);
    EXPECT_EQ(CreateDib(-3, 5), nullptr);
    EXPECT_EQ(CreateDib(70000, 70000), nullptr);
    FreeDib(nullptr);
    DibPtr block(CreateDib(4, 4));
    EXPECT_EQ(SetDibFormat(block.get(), 12), 0);
    EXPECT_EQ(block->header->biBitCount, 32);
    EXPECT_EQ(block->pixels, reinterpret_cast<BYTE*>(block->header) + 40);
}

TEST(DibBlockTest, PageAlignedVirtualMemoryIsReleased) {
    void* pages = VirtualAlloc(nullptr, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(pages, nullptr);
    DibFreeMemory(pages);
    MEMORY_BASIC_INFORMATION info;
    ASSERT_NE(VirtualQuery(pages, &info, sizeof(info)), 0u);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE));
}

TEST(DibBlockTest, RowBytesFollowDepthAndRoundToFour) {
    struct Case { int width, bits; DWORD bytes; } cases[] = {
        {5, 1, 4}, {33, 1, 8}, {17, 2, 8}, {5, 4, 4}, {9, 4, 8}, {5, 8, 8},
        {5, 15, 12}, {5, 16, 12}, {5, 24, 16}, {1, 24, 4}, {5, 32, 20}, {5, 12, 0}};
    for (const Case& c : cases) {
        BITMAPINFOHEADER h = {};
        h.biWidth = c.width;
        h.biBitCount = static_cast<WORD>(c.bits);
        EXPECT_EQ(DibRowBytes(&h), c.bytes) << c.width << "x" << c.bits;
    }
}

TEST(DibBlockTest, SetFormatMovesPixelsBehindColourTable) {
    struct Case { int bits; WORD count; DWORD entries; DWORD tableWords; DWORD rowBytes; } cases[] = {
        {1, 1, 2, 2, 4}, {2, 2, 4, 4, 4}, {4, 4, 16, 16, 8}, {8, 8, 256, 256, 12},
        {15, 16, 0, 4, 24}, {16, 16, 0, 4, 24}, {24, 24, 0, 0, 36}, {32, 32, 0, 0, 44}};
    for (const Case& c : cases) {
        DibPtr block(CreateDib(11, 3));
        Pixels32(block.get())[0] = 0x12345678;
        ASSERT_EQ(SetDibFormat(block.get(), c.bits), 1) << c.bits;
        BITMAPINFOHEADER* h = block->header;
        EXPECT_EQ(h->biBitCount, c.count) << c.bits;
        EXPECT_EQ(h->biWidth, 11);
        EXPECT_EQ(h->biHeight, -3);
        EXPECT_EQ(h->biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(h->biSizeImage, c.rowBytes * 3) << c.bits;
        EXPECT_EQ(h->biClrUsed, c.entries) << c.bits;
        EXPECT_EQ(h->biClrImportant, c.entries) << c.bits;
        EXPECT_EQ(block->pixels, reinterpret_cast<BYTE*>(h) + 40 + c.tableWords * 4) << c.bits;
        // Pixels stay where they were.
        EXPECT_EQ(*reinterpret_cast<DWORD*>(reinterpret_cast<BYTE*>(h) + 40), 0x12345678u);
    }
}

TEST(DibCopyTest, CopiesHeaderTableAndPixels) {
    DibPtr source = MakeDib(3, 1, {Bgr(1, 2, 3), Bgr(4, 5, 6), Bgr(7, 8, 9)});
    ASSERT_EQ(SetDibFormat(source.get(), 8), 1);
    DibColors(source.get())[5] = RGBQUAD{10, 20, 30, 0};
    memcpy(source->pixels, "\x05\x01\x02\x00", 4);
    DibPtr target(CreateDib(40, 40));
    ASSERT_EQ(CopyDib(source.get(), target.get()), 1);
    EXPECT_EQ(target->header->biBitCount, 8);
    EXPECT_EQ(target->header->biWidth, 3);
    EXPECT_EQ(target->pixels, reinterpret_cast<BYTE*>(target->header) + 40 + 1024);
    EXPECT_EQ(DibColors(target.get())[5].rgbRed, 30);
    EXPECT_EQ(memcmp(target->pixels, "\x05\x01\x02\x00", 4), 0);
}

TEST(DibCopyTest, RefusesTooSmallTargetAndNulls) {
    DibPtr source(CreateDib(40, 40));
    DibPtr target(CreateDib(10, 10));
    EXPECT_EQ(CopyDib(source.get(), target.get()), 0);
    EXPECT_EQ(target->header->biWidth, 10);
    EXPECT_EQ(CopyDib(nullptr, target.get()), 0);
    EXPECT_EQ(CopyDib(source.get(), nullptr), 0);
}

TEST(DibCropTest, CopiesClampedArea) {
    // 3 x 3 picture, pixel value = 10 * row + column.
    DibPtr source = MakeDib(3, 3, {0, 1, 2, 10, 11, 12, 20, 21, 22});
    DibPtr crop(CropDib(source.get(), 1, 1, 3, 3));
    ASSERT_TRUE(crop);
    EXPECT_EQ(DibWidth(crop.get()), 2);
    EXPECT_EQ(DibHeight(crop.get()), 2);
    const DWORD* p = Pixels32(crop.get());
    EXPECT_EQ(p[0], 11u);
    EXPECT_EQ(p[1], 12u);
    EXPECT_EQ(p[2], 21u);
    EXPECT_EQ(p[3], 22u);

    DibPtr clamped(CropDib(source.get(), -5, 2, 2, 99));
    ASSERT_TRUE(clamped);
    EXPECT_EQ(DibWidth(clamped.get()), 2);
    EXPECT_EQ(DibHeight(clamped.get()), 1);
    EXPECT_EQ(Pixels32(clamped.get())[0], 20u);
    EXPECT_EQ(Pixels32(clamped.get())[1], 21u);
}

TEST(DibCropTest, EmptyAreaGivesNull) {
    DibPtr source(CreateDib(3, 3));
    EXPECT_EQ(CropDib(source.get(), 2, 0, 2, 3), nullptr);
    EXPECT_EQ(CropDib(source.get(), 0, 3, 3, 9), nullptr);
    EXPECT_EQ(CropDib(nullptr, 0, 0, 1, 1), nullptr);
}

}  // namespace
