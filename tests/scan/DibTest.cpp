// SPDX-License-Identifier: GPL-3.0-or-later
// Reading scanned images (packed DIBs in movable blocks) into the raster: where the colour
// table and the bits lie, row order, every pixel depth, clipping, and untrusted headers.
#include "scan/Dib.h"
#include "scan/ImageTransfer.h"
#include "scan/Twain.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A packed DIB assembled field by field.
struct DibBytes {
    std::vector<std::uint8_t> bytes;
    explicit DibBytes(std::int32_t width, std::int32_t height, std::uint16_t bits,
                      std::uint32_t coloursUsed = 0, std::uint32_t headerSize = 40)
        : bytes(headerSize, 0) {
        Put32(0, headerSize);
        Put32(dib::WidthOffset, std::uint32_t(width));
        Put32(dib::HeightOffset, std::uint32_t(height));
        Put16(dib::PlanesOffset, 1);
        Put16(dib::BitCountOffset, bits);
        Put32(dib::ClrUsedOffset, coloursUsed);
    }
    void Put32(std::size_t at, std::uint32_t v) { std::memcpy(&bytes[at], &v, 4); }
    void Put16(std::size_t at, std::uint16_t v) { std::memcpy(&bytes[at], &v, 2); }
    void Colour(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
        for (std::uint8_t v : {b, g, r, std::uint8_t(0)}) bytes.push_back(v);
    }
    void Row(const std::vector<std::uint8_t>& row) {
        for (std::uint8_t v : row) bytes.push_back(v);
        for (std::size_t i = row.size(); i % 4; ++i) bytes.push_back(0);
    }
    scan::DibLayout Layout() const { return scan::ReadDibLayout(bytes.data(), bytes.size()); }
    platform::Bitmap24 Bitmap() const { return scan::DibToBitmap(bytes.data(), bytes.size()); }
    // In a movable block, as a source manager hands it over.
    scan::ImageHandle Block() const {
        scan::ImageHandle h = platform::GlobalAlloc(bytes.size());
        std::memcpy(platform::GlobalLock(h), bytes.data(), bytes.size());
        platform::GlobalUnlock(h);
        return h;
    }
};

platform::Colour At(const platform::Bitmap24& b, int x, int y) {
    return b.Pixel(x, y);
}

constexpr platform::Colour Rgb(int r, int g, int b) {
    return platform::Colour(r | g << 8 | b << 16);
}

} // namespace

TEST(Dib, ColourTableSizeAndWhereTheBitsStart) {
    struct Case {
        std::uint16_t bits;
        std::uint32_t coloursUsed;
        std::uint32_t headerSize;
        std::uint32_t entries;
    } cases[] = {
        {8, 0, 40, 256}, {8, 16, 40, 16}, {8, 300, 40, 0},  {24, 0, 40, 0},
        {1, 0, 40, 2},   {4, 0, 40, 16},  {24, 10, 40, 10}, {8, 2, 124, 2},
    };
    for (const Case& c : cases) {
        DibBytes d(3, 2, c.bits, c.coloursUsed, c.headerSize);
        d.bytes.resize(c.headerSize + 4 * c.entries + 2 * std::size_t((3 * c.bits + 31) / 32 * 4));
        const scan::DibLayout layout = d.Layout();
        EXPECT_EQ(layout.colourCount, c.entries) << c.bits << " bits, " << c.coloursUsed << " used";
        EXPECT_EQ(layout.bitsOffset, c.headerSize + 4 * c.entries);
    }
}

TEST(Dib, OneBitScanArrivesUprightAtItsSize) {
    // 100 × 50, first stored row (the bottom) black, the rest white.
    DibBytes d(100, 50, 1);
    d.Colour(0, 0, 0);
    d.Colour(255, 255, 255);
    d.Row(std::vector<std::uint8_t>(13, 0x00));
    for (int y = 1; y < 50; ++y) d.Row(std::vector<std::uint8_t>(13, 0xff));
    const platform::Bitmap24 b = d.Bitmap();
    ASSERT_EQ(b.Width(), 100);
    ASSERT_EQ(b.Height(), 50);
    EXPECT_EQ(At(b, 0, 49), Rgb(0, 0, 0));
    EXPECT_EQ(At(b, 99, 49), Rgb(0, 0, 0));
    EXPECT_EQ(At(b, 0, 48), Rgb(255, 255, 255));
    EXPECT_EQ(At(b, 99, 0), Rgb(255, 255, 255));
}

TEST(Dib, EveryDepthBecomesBlueGreenRed) {
    {
        DibBytes d(3, 1, 24);
        d.Row({1, 2, 3, 4, 5, 6, 7, 8, 9});
        const platform::Bitmap24 b = d.Bitmap();
        EXPECT_EQ(At(b, 0, 0), Rgb(3, 2, 1));
        EXPECT_EQ(At(b, 2, 0), Rgb(9, 8, 7));
    }
    {
        DibBytes d(2, 1, 32);
        d.Row({1, 2, 3, 99, 4, 5, 6, 99});
        const platform::Bitmap24 b = d.Bitmap();
        EXPECT_EQ(At(b, 1, 0), Rgb(6, 5, 4));
    }
    {
        // 8 bits with a table of 2: index 1 is red, an index past the table is black.
        DibBytes d(3, 1, 8, 2);
        d.Colour(255, 255, 255);
        d.Colour(0, 0, 255);
        d.Row({0, 1, 200});
        const platform::Bitmap24 b = d.Bitmap();
        EXPECT_EQ(At(b, 0, 0), Rgb(255, 255, 255));
        EXPECT_EQ(At(b, 1, 0), Rgb(255, 0, 0));
        EXPECT_EQ(At(b, 2, 0), Rgb(0, 0, 0));
    }
    {
        // 4 bits: high nibble first.
        DibBytes d(3, 1, 4);
        for (int i = 0; i < 16; ++i)
            d.Colour(std::uint8_t(i), std::uint8_t(i), std::uint8_t(16 * i));
        d.Row({0x1f, 0x20});
        const platform::Bitmap24 b = d.Bitmap();
        EXPECT_EQ(At(b, 0, 0), Rgb(16, 1, 1));
        EXPECT_EQ(At(b, 1, 0), Rgb(240, 15, 15));
        EXPECT_EQ(At(b, 2, 0), Rgb(32, 2, 2));
    }
    {
        // No table at all (colours used above 256): a grey ramp.
        DibBytes d(2, 1, 8, 1000);
        d.Row({0, 128});
        const platform::Bitmap24 b = d.Bitmap();
        EXPECT_EQ(At(b, 1, 0), Rgb(128, 128, 128));
    }
    {
        // Negative height: rows top-down.
        DibBytes d(1, -2, 24);
        d.Row({0, 0, 255});
        d.Row({255, 0, 0});
        const platform::Bitmap24 b = d.Bitmap();
        EXPECT_EQ(At(b, 0, 0), Rgb(255, 0, 0));
        EXPECT_EQ(At(b, 0, 1), Rgb(0, 0, 255));
    }
}

TEST(Dib, UntrustedHeadersAreRefusedBeforeAnythingIsRead) {
    auto valid = [] {
        DibBytes d(4, 2, 8, 2);
        d.Colour(0, 0, 0);
        d.Colour(255, 255, 255);
        d.Row({0, 1, 0, 1});
        d.Row({1, 0, 1, 0});
        return d;
    };
    ASSERT_NO_THROW(valid().Bitmap());
    struct Case {
        const char* what;
        void (*spoil)(DibBytes&);
    } cases[] = {
        {"shorter than a header", [](DibBytes& d) { d.bytes.resize(39); }},
        {"header size below 40", [](DibBytes& d) { d.Put32(0, 12); }},
        {"header size past the block", [](DibBytes& d) { d.Put32(0, 0xfffffff0u); }},
        {"16 bits a pixel", [](DibBytes& d) { d.Put16(dib::BitCountOffset, 16); }},
        {"compressed", [](DibBytes& d) { d.Put32(dib::CompressionOffset, 1); }},
        {"zero width", [](DibBytes& d) { d.Put32(dib::WidthOffset, 0); }},
        {"negative width", [](DibBytes& d) { d.Put32(dib::WidthOffset, std::uint32_t(-4)); }},
        {"zero height", [](DibBytes& d) { d.Put32(dib::HeightOffset, 0); }},
        {"most negative height", [](DibBytes& d) { d.Put32(dib::HeightOffset, 0x80000000u); }},
        {"width beyond the raster", [](DibBytes& d) { d.Put32(dib::WidthOffset, 200000); }},
        {"pixels beyond the raster",
         [](DibBytes& d) {
             d.Put32(dib::WidthOffset, 90000);
             d.Put32(dib::HeightOffset, 90000);
         }},
        {"one pixel byte short", [](DibBytes& d) { d.bytes.pop_back(); }},
        {"more rows than bytes", [](DibBytes& d) { d.Put32(dib::HeightOffset, 3); }},
        {"colour table past the end", [](DibBytes& d) { d.Put32(dib::ClrUsedOffset, 250); }},
    };
    for (const Case& c : cases) {
        DibBytes d = valid();
        c.spoil(d);
        EXPECT_THROW(d.Bitmap(), scan::DibError) << c.what;
    }
}

TEST(Dib, PaintClipsToTheBitmapAndKeepsItsSize) {
    DibBytes d(6, 3, 24);
    for (int y = 0; y < 3; ++y) d.Row(std::vector<std::uint8_t>(18, std::uint8_t(10 * (y + 1))));
    scan::ImageHandle image = d.Block();
    EXPECT_EQ(scan::TWAIN_ImageWidth(image), 6);
    EXPECT_EQ(scan::TWAIN_ImageHeight(image), 3);

    platform::Bitmap24 b(4, 4);
    b.Fill(Rgb(1, 2, 3));
    scan::CopyImageToBitmap(image, b);
    EXPECT_EQ(b.Width(), 4);
    EXPECT_EQ(b.Height(), 4);
    EXPECT_EQ(At(b, 3, 0), Rgb(30, 30, 30)); // the top row is the last stored
    EXPECT_EQ(At(b, 0, 2), Rgb(10, 10, 10));
    EXPECT_EQ(At(b, 0, 3), Rgb(1, 2, 3)); // below the image: as it was

    // A part of the image placed partly off the bitmap.
    b.Fill(Rgb(1, 2, 3));
    scan::TWAIN_PaintImage(b, -1, 2, 3, 3, image, 4, 1);
    EXPECT_EQ(At(b, 0, 2), Rgb(20, 20, 20)); // image (5, 1)
    EXPECT_EQ(At(b, 1, 2), Rgb(1, 2, 3));    // past the image's right edge
    EXPECT_EQ(At(b, 0, 3), Rgb(10, 10, 10)); // image (5, 2)
    scan::TWAIN_FreeImage(image);
}

TEST(Dib, TakingAnImageLendsAColourScanItsRowsAndFreesTheRest) {
    // 24 bits: the raster is the block's memory, rows set upright, an odd count of them.
    DibBytes colour(2, 3, 24);
    for (int y = 0; y < 3; ++y) colour.Row(std::vector<std::uint8_t>(6, std::uint8_t(y + 1)));
    scan::ImageHandle image = colour.Block();
    const auto* bits = static_cast<const std::uint8_t*>(platform::GlobalLock(image)) + 40;
    platform::GlobalUnlock(image);
    platform::Bitmap24 raster = scan::TakeImage(image);
    EXPECT_EQ(raster.ScanLine(0), bits);
    EXPECT_EQ(At(raster, 1, 0), Rgb(3, 3, 3));
    EXPECT_EQ(At(raster, 0, 1), Rgb(2, 2, 2));
    EXPECT_EQ(At(raster, 1, 2), Rgb(1, 1, 1));
    raster.SetPixel(0, 0, Rgb(9, 8, 7)); // writable in place
    EXPECT_EQ(At(raster, 0, 0), Rgb(9, 8, 7));
    platform::Bitmap24 moved = std::move(raster);
    EXPECT_EQ(At(moved, 1, 2), Rgb(1, 1, 1));

    // Other depths are converted; the result is the same as reading without taking.
    DibBytes grey(3, 2, 8);
    for (int i = 0; i < 256; ++i) grey.Colour(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i));
    grey.Row({10, 20, 30});
    grey.Row({40, 50, 60});
    const platform::Bitmap24 taken = scan::TakeImage(grey.Block());
    EXPECT_EQ(At(taken, 2, 0), Rgb(60, 60, 60));
    EXPECT_EQ(At(taken, 0, 1), Rgb(10, 10, 10));

    // A bad image throws (and is freed all the same).
    DibBytes bad(3, 2, 16);
    EXPECT_THROW(scan::TakeImage(bad.Block()), scan::DibError);
}

TEST(GlobalMemory, BlocksMoveWhenResizedAndKeepTheirContents) {
    platform::GlobalHandle h = platform::GlobalAlloc(100);
    auto* p = static_cast<std::uint8_t*>(platform::GlobalLock(h));
    for (int i = 0; i < 100; ++i) p[i] = std::uint8_t(i);
    EXPECT_EQ(platform::GlobalReAlloc(h, 200), nullptr); // locked: stays
    EXPECT_TRUE(platform::GlobalLock(h));                // locks nest
    EXPECT_TRUE(platform::GlobalUnlock(h));
    EXPECT_FALSE(platform::GlobalUnlock(h));
    // Grown past the size where blocks are mapped, then shrunk again.
    for (std::size_t size : {std::size_t(9) << 20, std::size_t(50) << 20, std::size_t(60)}) {
        ASSERT_EQ(platform::GlobalReAlloc(h, size), h);
        EXPECT_EQ(platform::GlobalSize(h), size);
        p = static_cast<std::uint8_t*>(platform::GlobalLock(h));
        for (int i = 0; i < 60; ++i) ASSERT_EQ(p[i], i);
        platform::GlobalUnlock(h);
    }
    EXPECT_EQ(platform::GlobalFree(h), nullptr);
}
