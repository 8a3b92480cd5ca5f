// SPDX-License-Identifier: GPL-3.0-or-later
// The source manager's side of the transfer: SANE frames in, a packed DIB out, read back
// by the program's own DIB reader, so both ends of the hand-over are checked together.
#include "scan/manager/DibBuilder.h"
#include "scan/Dib.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using twaindsm::DibBuilder;

namespace {

SANE_Parameters Frame(SANE_Frame format, int depth, int width, int lines, bool last = true,
                      int padding = 0) {
    const int channels = format == SANE_FRAME_RGB ? 3 : 1;
    return {format,
            last ? SANE_TRUE : SANE_FALSE,
            (width * channels * depth + 7) / 8 + padding,
            width,
            lines,
            depth};
}

// Feeds the bytes in uneven pieces, as sane_read may deliver them.
void Feed(DibBuilder& b, const std::vector<std::uint8_t>& bytes, std::size_t piece = 7) {
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        ASSERT_TRUE(b.Add(bytes.data() + at, std::min(piece, bytes.size() - at)));
}

platform::Bitmap24 Finish(DibBuilder& b, int* bits = nullptr) {
    std::string problem;
    platform::GlobalHandle image = b.Finish(300, problem);
    EXPECT_NE(image, nullptr) << problem;
    const auto* data = static_cast<const std::uint8_t*>(platform::GlobalLock(image));
    const std::size_t size = platform::GlobalSize(image);
    if (bits) *bits = scan::ReadDibLayout(data, size).bitsPerPixel;
    platform::Bitmap24 bitmap = scan::DibToBitmap(data, size);
    platform::GlobalUnlock(image);
    platform::GlobalFree(image);
    return bitmap;
}

constexpr platform::Colour Rgb(int r, int g, int b) {
    return platform::Colour(r | g << 8 | b << 16);
}

} // namespace

TEST(DibBuilder, ColourRowsInUnevenPieces) {
    // 3 × 2 RGB with two bytes of padding a line.
    DibBuilder b;
    std::string problem;
    ASSERT_TRUE(b.BeginFrame(Frame(SANE_FRAME_RGB, 8, 3, 2, true, 2), problem)) << problem;
    Feed(b, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 0});
    b.EndFrame();
    int bits = 0;
    const platform::Bitmap24 image = Finish(b, &bits);
    EXPECT_EQ(bits, 24);
    ASSERT_EQ(image.Width(), 3);
    ASSERT_EQ(image.Height(), 2);
    EXPECT_EQ(image.Pixel(0, 0), Rgb(1, 2, 3));
    EXPECT_EQ(image.Pixel(2, 0), Rgb(7, 8, 9));
    EXPECT_EQ(image.Pixel(1, 1), Rgb(40, 50, 60));
}

TEST(DibBuilder, GreyAndBlackAndWhiteKeepTheirDepth) {
    {
        // 16-bit grey keeps the high byte of each host-order sample.
        DibBuilder b;
        std::string problem;
        ASSERT_TRUE(b.BeginFrame(Frame(SANE_FRAME_GRAY, 16, 2, 1), problem));
        const std::uint16_t samples[] = {0x12ff, 0xab00};
        const auto* p = reinterpret_cast<const std::uint8_t*>(samples);
        Feed(b, std::vector<std::uint8_t>(p, p + 4), 3);
        b.EndFrame();
        int bits = 0;
        const platform::Bitmap24 image = Finish(b, &bits);
        EXPECT_EQ(bits, 8);
        EXPECT_EQ(image.Pixel(0, 0), Rgb(0x12, 0x12, 0x12));
        EXPECT_EQ(image.Pixel(1, 0), Rgb(0xab, 0xab, 0xab));
    }
    {
        // SANE's 1 is black.
        DibBuilder b;
        std::string problem;
        ASSERT_TRUE(b.BeginFrame(Frame(SANE_FRAME_GRAY, 1, 10, 2), problem));
        Feed(b, {0b10000000, 0b01000000, 0b00000000, 0b11000000}, 1);
        b.EndFrame();
        int bits = 0;
        const platform::Bitmap24 image = Finish(b, &bits);
        EXPECT_EQ(bits, 1);
        EXPECT_EQ(image.Pixel(0, 0), Rgb(0, 0, 0));
        EXPECT_EQ(image.Pixel(1, 0), Rgb(255, 255, 255));
        EXPECT_EQ(image.Pixel(9, 0), Rgb(0, 0, 0));
        EXPECT_EQ(image.Pixel(8, 1), Rgb(0, 0, 0));
        EXPECT_EQ(image.Pixel(0, 1), Rgb(255, 255, 255));
    }
}

TEST(DibBuilder, ThreePassFramesFillTheirChannels) {
    DibBuilder b;
    std::string problem;
    const SANE_Frame frames[] = {SANE_FRAME_RED, SANE_FRAME_GREEN, SANE_FRAME_BLUE};
    for (int f = 0; f < 3; ++f) {
        ASSERT_TRUE(b.BeginFrame(Frame(frames[f], 8, 2, 1, f == 2), problem)) << problem;
        Feed(b, {std::uint8_t(10 * (f + 1)), std::uint8_t(100 + f)});
        b.EndFrame();
    }
    const platform::Bitmap24 image = Finish(b);
    EXPECT_EQ(image.Pixel(0, 0), Rgb(10, 20, 30));
    EXPECT_EQ(image.Pixel(1, 0), Rgb(100, 101, 102));
    // A later frame of another width is refused.
    DibBuilder c;
    ASSERT_TRUE(c.BeginFrame(Frame(SANE_FRAME_RED, 8, 2, 1, false), problem));
    EXPECT_FALSE(c.BeginFrame(Frame(SANE_FRAME_GREEN, 8, 3, 1, false), problem));
}

TEST(DibBuilder, UnknownHeightGrowsAndShortImagesKeepTheirRows) {
    {
        // A hand scanner: height -1; 1000 rows arrive, more than the first block holds.
        DibBuilder b;
        std::string problem;
        ASSERT_TRUE(b.BeginFrame(Frame(SANE_FRAME_GRAY, 8, 5, -1), problem));
        std::vector<std::uint8_t> bytes;
        for (int y = 0; y < 1000; ++y) bytes.insert(bytes.end(), 5, std::uint8_t(y % 251));
        Feed(b, bytes, 4096);
        b.EndFrame();
        const platform::Bitmap24 image = Finish(b);
        ASSERT_EQ(image.Height(), 1000);
        EXPECT_EQ(image.Pixel(0, 0), Rgb(0, 0, 0));
        EXPECT_EQ(image.Pixel(4, 999), Rgb(999 % 251, 999 % 251, 999 % 251));
        EXPECT_EQ(image.Pixel(2, 600), Rgb(600 % 251, 600 % 251, 600 % 251));
    }
    {
        // Ten rows announced, three delivered: an image of three rows, still upright.
        DibBuilder b;
        std::string problem;
        ASSERT_TRUE(b.BeginFrame(Frame(SANE_FRAME_GRAY, 8, 2, 10), problem));
        Feed(b, {1, 1, 2, 2, 3, 3});
        b.EndFrame();
        const platform::Bitmap24 image = Finish(b);
        ASSERT_EQ(image.Height(), 3);
        EXPECT_EQ(image.Pixel(0, 0), Rgb(1, 1, 1));
        EXPECT_EQ(image.Pixel(1, 2), Rgb(3, 3, 3));
    }
    {
        DibBuilder b;
        std::string problem;
        ASSERT_TRUE(b.BeginFrame(Frame(SANE_FRAME_GRAY, 8, 2, 10), problem));
        b.EndFrame();
        EXPECT_EQ(b.Finish(300, problem), nullptr);
        EXPECT_FALSE(problem.empty());
    }
}

TEST(DibBuilder, FramesItCannotTakeAreRefused) {
    std::string problem;
    for (const SANE_Parameters& p :
         {Frame(SANE_FRAME_RGB, 1, 4, 4), Frame(SANE_FRAME_GRAY, 4, 4, 4),
          Frame(SANE_FRAME_GRAY, 8, 0, 4), Frame(SANE_FRAME_GRAY, 8, 200000, 4)}) {
        DibBuilder b;
        problem.clear();
        EXPECT_FALSE(b.BeginFrame(p, problem));
        EXPECT_FALSE(problem.empty());
    }
    DibBuilder b;
    SANE_Parameters shortLines = Frame(SANE_FRAME_RGB, 8, 4, 4);
    shortLines.bytes_per_line = 11;
    EXPECT_FALSE(b.BeginFrame(shortLines, problem));
}
