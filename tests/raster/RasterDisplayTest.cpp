// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/RasterDisplay.h"
#include "platform/FileError.h"
#include "platform/RasterFiles.h"
#include "raster/Marks.h"
#include "raster/RasterOpening.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

using platform::Bitmap24;

namespace {

Bitmap24 White(int w, int h) {
    Bitmap24 b(w, h);
    b.Fill(0xFEFEFE);
    return b;
}

// Numbers below n, the same sequence for the same seed.
struct RandomBelow {
    std::uint32_t seed;
    int operator()(int n) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % unsigned(n));
    }
};

int DarkPixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += qGray(img.pixel(x, y)) < 64;
    return n;
}

} // namespace

TEST(ClearMarks, EveryChannelBecomesEvenAndNothingElseChanges) {
    Bitmap24 b(37, 11); // odd width: rows carry padding
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.SetPixel(x, y,
                       platform::MakeColour(std::uint8_t(x * 7), std::uint8_t(y * 13 + 1),
                                            std::uint8_t(x + y)));
    Bitmap24 before(37, 11);
    for (int y = 0; y < 11; ++y) std::memcpy(before.ScanLine(y), b.ScanLine(y), 3 * 37);
    raster::ClearMarks(b);
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) EXPECT_EQ(b.Pixel(x, y), before.Pixel(x, y) & 0xFEFEFE);
}

TEST(RasterDisplay, ThinDarkLinesSurviveEveryZoomOut) {
    // A one-pixel line every 37 pixels both ways, on white.
    Bitmap24 b = White(3000, 2000);
    for (int y = 0; y < 2000; ++y)
        for (int x = 0; x < 3000; ++x)
            if (x % 37 == 5 || y % 37 == 5) b.SetPixel(x, y, 0);
    raster::RasterDisplay display;
    display.Rebuild(b);
    EXPECT_GE(display.LevelCount(), 3);
    EXPECT_LT(display.MemoryBytes(), b.SizeInBytes() / 14);
    for (int target : {2000, 900, 450, 220, 100}) {
        QImage out(target, target * 2 / 3, QImage::Format_RGB32);
        display.Render(b, QRect(0, 0, 3000, 2000), out, 0xFF000000);
        // Every column and every row that holds a line shows dark somewhere: count lines.
        int darkColumns = 0;
        for (int x = 0; x < out.width(); ++x)
            darkColumns += qGray(out.pixel(x, out.height() / 2 + 1)) < 64;
        const int lines = (3000 - 5 + 36) / 37; // columns 5, 42, ... 2965
        EXPECT_GE(darkColumns, std::min(lines, out.width() / 2)) << "target width " << target;
        EXPECT_GT(DarkPixels(out), 0);
    }
}

TEST(RasterDisplay, ZoomedInIsNearestNeighbourAndOutsideIsBackground) {
    Bitmap24 b = White(4, 4);
    b.SetPixel(1, 2, platform::MakeColour(200, 0, 0));
    raster::RasterDisplay display;
    display.Rebuild(b);
    QImage out(80, 80, QImage::Format_RGB32);
    display.Render(b, QRect(-2, -2, 8, 8), out, qRgb(1, 2, 3)); // 10 screen pixels a raster pixel
    EXPECT_EQ(out.pixel(5, 5), qRgb(1, 2, 3));                  // left of the raster
    EXPECT_EQ(out.pixel(35, 45), qRgb(200, 0, 0));              // raster pixel (1, 2)
    EXPECT_EQ(out.pixel(25, 25), qRgb(254, 254, 254));
    EXPECT_EQ(out.pixel(75, 75), qRgb(1, 2, 3));
}

TEST(RasterDisplay, UpdateRefreshesTheReducedLevels) {
    Bitmap24 b = White(1024, 1024);
    raster::RasterDisplay display;
    display.Rebuild(b);
    QImage out(64, 64, QImage::Format_RGB32);
    display.Render(b, QRect(0, 0, 1024, 1024), out, 0);
    EXPECT_EQ(DarkPixels(out), 0);
    b.SetPixel(700, 300, 0);
    display.Update(b, QRect(700, 300, 1, 1));
    display.Render(b, QRect(0, 0, 1024, 1024), out, 0);
    EXPECT_EQ(DarkPixels(out), 1);
    EXPECT_LT(qGray(out.pixel(700 / 16, 300 / 16)), 64);
}

// A sheet with some ink, marks in its low bits, and rows that all differ.
Bitmap24 SheetToOpen() {
    Bitmap24 sheet(700, 1100);
    for (int y = 0; y < sheet.Height(); ++y)
        for (int x = 0; x < sheet.Width(); ++x)
            sheet.SetPixel(
                x, y,
                (x / 9 + y / 7) % 5 == 0
                    ? platform::MakeColour(20, 21, 23)
                    : platform::MakeColour(std::uint8_t(240 + x % 9), 247, std::uint8_t(y % 255)));
    return sheet;
}

std::string ReadAll(const std::string& file) {
    std::string bytes;
    if (std::FILE* f = std::fopen(file.c_str(), "rb")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

void WriteAll(const std::string& file, const std::string& bytes) {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// The same bitmap file stored top-down: the height negated and the rows in reverse.
void MakeTopDown(const std::string& file) {
    std::string bytes = ReadAll(file);
    ASSERT_GT(bytes.size(), 54u);
    const auto u32 = [&bytes](std::size_t at) {
        return std::uint32_t(std::uint8_t(bytes[at])) |
               std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
               std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 |
               std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
    };
    const std::size_t offset = u32(10), width = u32(18), height = u32(22);
    const std::size_t rowBytes = (3 * width + 3) & ~std::size_t(3);
    std::string flipped = bytes.substr(0, offset);
    for (std::size_t y = height; y-- > 0;) flipped += bytes.substr(offset + y * rowBytes, rowBytes);
    const std::uint32_t negative = std::uint32_t(-std::int32_t(height));
    for (int i = 0; i < 4; ++i) flipped[22 + std::size_t(i)] = char(negative >> (8 * i));
    WriteAll(file, flipped);
}

// Opening with the marks cleared and the levels built behind the reader gives what reading,
// clearing and building one after the other gives: every byte, and every view. A file that
// ends early is an error, and the worker stops with it.
template <class Open, class Load>
void ExpectOpenedAsInTurn(const std::string& file, Open open, Load load) {
    Bitmap24 reference = load(file);
    raster::ClearMarks(reference);
    raster::RasterDisplay referenceDisplay;
    referenceDisplay.Rebuild(reference);
    raster::OpenedRaster opened = open(file);
    ASSERT_EQ(opened.raster.Width(), reference.Width());
    ASSERT_EQ(opened.raster.Height(), reference.Height());
    for (int y = 0; y < reference.Height(); ++y)
        ASSERT_EQ(std::memcmp(opened.raster.ScanLine(y), reference.ScanLine(y),
                              3 * std::size_t(reference.Width())),
                  0)
            << file << " row " << y;
    ASSERT_EQ(opened.display.LevelCount(), referenceDisplay.LevelCount());
    for (const QRect view :
         {QRect(0, 0, 700, 1100), QRect(-300, 0, 1300, 1100), QRect(100, 200, 150, 100)}) {
        QImage a(160, 130, QImage::Format_RGB32), b(160, 130, QImage::Format_RGB32);
        opened.display.Render(opened.raster, view, a, 0);
        referenceDisplay.Render(reference, view, b, 0);
        EXPECT_EQ(a, b) << file;
    }
    const std::string bytes = ReadAll(file);
    WriteAll(file, bytes.substr(0, bytes.size() / 2));
    EXPECT_THROW(open(file), platform::FileError) << file;
}

TEST(OpenRaster, EqualsReadingThenClearingThenBuilding) {
    const Bitmap24 sheet = SheetToOpen();
    char pattern[] = "/tmp/penwright-open-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    const std::string jpeg = dir + "/sheet.jpg", bottomUp = dir + "/sheet.bmp",
                      topDown = dir + "/top-down.bmp", indexed = dir + "/indexed.bmp";
    platform::SaveJpeg(jpeg, sheet, 90);
    ExpectOpenedAsInTurn(jpeg, raster::OpenJpeg,
                         [](const std::string& f) { return platform::LoadJpeg(f); });
    const auto loadBmp = [](const std::string& f) { return platform::LoadBmp(f); };
    platform::SaveBmp(bottomUp, sheet);
    ExpectOpenedAsInTurn(bottomUp, raster::OpenBmp, loadBmp);
    platform::SaveBmp(topDown, sheet);
    MakeTopDown(topDown);
    ExpectOpenedAsInTurn(topDown, raster::OpenBmp, loadBmp);
    // Other depths are decoded whole, then followed at once.
    QImage grey(700, 1100, QImage::Format_Indexed8);
    grey.setColorCount(256);
    for (int i = 0; i < 256; ++i) grey.setColor(i, qRgb(i, i, i));
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) grey.setPixel(x, y, uint((x + 3 * y) % 256));
    ASSERT_TRUE(grey.save(QString::fromStdString(indexed), "BMP"));
    ExpectOpenedAsInTurn(indexed, raster::OpenBmp, loadBmp);
    for (const std::string& f : {jpeg, bottomUp, topDown, indexed}) std::remove(f.c_str());
    ::rmdir(dir.c_str());
}

// The levels built band by band, in steps of any size, are the levels built at once.
TEST(RasterDisplay, BuiltInStepsEqualsRebuilt) {
    Bitmap24 b = White(1300, 900);
    for (int y = 0; y < 900; ++y)
        for (int x = 0; x < 1300; ++x)
            if ((x * 31 + y * 17) % 97 < 3)
                b.SetPixel(x, y, platform::MakeColour(0, x % 200, y % 200));
    raster::RasterDisplay once, steps;
    once.Rebuild(b);
    steps.Begin(1300, 900);
    for (int rows : {1, 3, 64, 65, 200, 333, 512, 899, 900}) steps.Built(b, rows);
    for (const QRect view :
         {QRect(0, 0, 1300, 900), QRect(0, 0, 13000, 9000), QRect(40, 30, 900, 600)}) {
        QImage x(100, 70, QImage::Format_RGB32), y(100, 70, QImage::Format_RGB32);
        once.Render(b, view, x, 0);
        steps.Render(b, view, y, 0);
        EXPECT_EQ(x, y);
    }
}

// Updating the blocks over each changed rectangle leaves the levels as a rebuild makes them.
TEST(RasterDisplay, UpdatesOfChangedRectanglesEqualARebuild) {
    Bitmap24 b = White(1500, 1100);
    raster::RasterDisplay updated;
    updated.Rebuild(b);
    RandomBelow next{5};
    for (int k = 0; k < 60; ++k) {
        // Now and then a change over most of the sheet, whose rows are shared out.
        const QRect r = k % 15 == 0 ? QRect(next(300), next(200), 900 + next(600), 600 + next(500))
                                    : QRect(next(1500), next(1100), 1 + next(300), 1 + next(200));
        const platform::Colour c =
            platform::MakeColour(std::uint8_t(next(256)), 0, std::uint8_t(next(256)));
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if ((x + y) % 3 == 0) b.SetPixel(x, y, c);
        updated.Update(b, r);
    }
    raster::RasterDisplay rebuilt;
    rebuilt.Rebuild(b);
    for (const QRect view : {QRect(0, 0, 1500, 1100), QRect(0, 0, 15000, 11000),
                             QRect(200, 100, 800, 600), QRect(700, 500, 90, 60)}) {
        QImage x(150, 110, QImage::Format_RGB32), y(150, 110, QImage::Format_RGB32);
        updated.Render(b, view, x, 0);
        rebuilt.Render(b, view, y, 0);
        EXPECT_EQ(x, y);
    }
}

// Updating the blocks under changed pixels given as walked (with repeats, returns and
// points off the raster) leaves the levels as a rebuild makes them, the edges included:
// block by block at once, or noted over many changes (rectangle updates in between) and
// rebuilt in one flush.
TEST(RasterDisplay, UpdatesOfChangedPixelsEqualARebuild) {
    for (const int flushEvery : {1, 7, 1000}) {
        SCOPED_TRACE(flushEvery);
        Bitmap24 b = White(1501, 1099);
        raster::RasterDisplay updated;
        updated.Rebuild(b);
        RandomBelow next{11};
        for (int k = 0; k < 40; ++k) {
            std::vector<QPoint> walk{QPoint(next(1501), next(1099))};
            if (k == 0) walk = {QPoint(1500, 1098), QPoint(-1, 5), QPoint(1501, 7), QPoint(0, 0)};
            const int steps = k == 0 ? 0 : next(3000);
            for (int i = 0; i < steps; ++i) {
                const QPoint last = walk.back();
                walk.push_back(QPoint(std::clamp(last.x() + next(3) - 1, 0, 1500),
                                      std::clamp(last.y() + next(3) - 1, 0, 1098)));
            }
            const platform::Colour c =
                platform::MakeColour(std::uint8_t(next(256)), std::uint8_t(next(256)), 0);
            for (const QPoint p : walk)
                if (p.x() >= 0 && p.y() >= 0 && p.x() < 1501 && p.y() < 1099)
                    b.SetPixel(p.x(), p.y(), c);
            if (flushEvery == 1) {
                updated.UpdatePixels(b, walk.data(), walk.size());
                continue;
            }
            updated.NotePixels(b, walk.data(), walk.size());
            if (k % 5 == 3) { // a tool paints a box meanwhile
                const QRect box(next(1400), next(1000), 1 + next(90), 1 + next(90));
                for (int y = box.top(); y <= box.bottom(); ++y)
                    for (int x = box.left(); x <= box.right(); ++x) b.SetPixel(x, y, c);
                updated.Update(b, box);
            }
            if (k % flushEvery == flushEvery - 1) updated.Flush(b);
        }
        updated.Flush(b);
        EXPECT_FALSE(updated.HasNoted());
        // A change over the whole raster rebuilds every block: nothing noted is left to flush.
        const std::vector<QPoint> corners{QPoint(0, 0), QPoint(1500, 1098), QPoint(750, 9)};
        updated.NotePixels(b, corners.data(), corners.size());
        EXPECT_TRUE(updated.HasNoted());
        updated.Update(b, QRect(0, 0, 1501, 1099));
        EXPECT_FALSE(updated.HasNoted());
        raster::RasterDisplay rebuilt;
        rebuilt.Rebuild(b);
        for (const QRect view : {QRect(0, 0, 1501, 1099), QRect(0, 0, 15010, 10990),
                                 QRect(200, 100, 800, 600), QRect(1400, 1000, 101, 99)}) {
            QImage x(150, 110, QImage::Format_RGB32), y(150, 110, QImage::Format_RGB32);
            updated.Render(b, view, x, 0);
            rebuilt.Render(b, view, y, 0);
            EXPECT_EQ(x, y);
        }
    }
}
