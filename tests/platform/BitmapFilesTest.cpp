// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileError.h"
#include "platform/RasterFiles.h"
#include "support/TempDir.h"

#include <QDir>
#include <QImage>
#include <cstring>
#include <gtest/gtest.h>

using platform::Bitmap24;
using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

namespace {

// A small picture whose every pixel differs, odd channel values included.
Bitmap24 Pattern(int w, int h) {
    Bitmap24 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y,
                       platform::MakeColour(std::uint8_t(x * 7 + y), std::uint8_t(x + y * 3),
                                            std::uint8_t(x ^ y)));
    return b;
}

bool SamePixels(const Bitmap24& a, const Bitmap24& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), 3 * std::size_t(a.Width())) != 0)
            return false;
    return true;
}

} // namespace

TEST(BmpFile, RoundTripKeepsEveryByteAndRowOrder) {
    TempDir dir;
    for (int width : {1, 2, 3, 4, 5, 13}) { // every row padding
        const Bitmap24 original = Pattern(width, 7);
        const std::string file = dir.Path("p" + std::to_string(width) + ".bmp");
        platform::SaveBmp(file, original);
        EXPECT_EQ(ReadAll(file).size(), 54 + std::size_t((3 * width + 3) / 4 * 4) * 7);
        EXPECT_TRUE(SamePixels(platform::LoadBmp(file), original)) << "width " << width;
        // Qt reads the same picture: our files are ordinary bitmaps.
        QImage viaQt(QString::fromStdString(file));
        ASSERT_FALSE(viaQt.isNull());
        EXPECT_EQ(viaQt.pixelColor(1 % width, 6), platform::ToQColor(original.Pixel(1 % width, 6)));
    }
}

TEST(BmpFile, ReadsOtherDepthsAndTopDownRows) {
    TempDir dir;
    QImage indexed(9, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(200, 100, 50)});
    indexed.fill(1);
    indexed.setPixel(2, 3, 0);
    const std::string file8 = dir.Path("eight.bmp");
    ASSERT_TRUE(indexed.save(QString::fromStdString(file8), "BMP"));
    const Bitmap24 b = platform::LoadBmp(file8);
    EXPECT_EQ(b.Pixel(0, 0), platform::MakeColour(200, 100, 50));
    EXPECT_EQ(b.Pixel(2, 3), 0u);

    // A 24-bit file with a negative height stores its rows top-down.
    const Bitmap24 original = Pattern(5, 3);
    const std::string file = dir.Path("topdown.bmp");
    platform::SaveBmp(file, original);
    std::string bytes = ReadAll(file);
    const std::size_t row = 16;
    std::string flipped = bytes;
    for (std::size_t y = 0; y < 3; ++y)
        std::memcpy(&flipped[54 + row * y], &bytes[54 + row * (2 - y)], row);
    const std::int32_t minus3 = -3;
    std::memcpy(&flipped[22], &minus3, 4);
    WriteAll(file, flipped);
    EXPECT_TRUE(SamePixels(platform::LoadBmp(file), original));
}

TEST(BmpFile, BadFilesGiveAClearErrorNamingTheFile) {
    TempDir dir;
    const std::string good = dir.Path("good.bmp");
    platform::SaveBmp(good, Pattern(40, 30));
    const std::string bytes = ReadAll(good);

    auto expectError = [&](const std::string& name, const std::string& content, const char* words) {
        const std::string file = dir.Path(name);
        WriteAll(file, content);
        try {
            platform::LoadBmp(file);
            ADD_FAILURE() << name << " was accepted";
        } catch (const platform::FileError& e) {
            EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
        }
    };
    expectError("truncated.bmp", bytes.substr(0, bytes.size() - 100), "truncated");
    expectError("empty.bmp", "", "not a bitmap");
    expectError("text.bmp", "hello, this is not a picture at all", "not a bitmap");
    std::string huge = bytes;
    const std::int32_t big = 2000000000;
    std::memcpy(&huge[18], &big, 4); // width
    std::memcpy(&huge[22], &big, 4); // height
    expectError("huge.bmp", huge, "too large");
    std::string noPixels = bytes;
    std::memset(&noPixels[18], 0, 4);
    expectError("zero.bmp", noPixels, "no pixels");
    EXPECT_THROW(platform::LoadBmp(dir.Path("missing.bmp")), platform::FileError);
}

TEST(JpegFile, RoundTripIsCloseAndQualityNinety) {
    TempDir dir;
    Bitmap24 flat(64, 48);
    flat.Fill(platform::MakeColour(200, 120, 40));
    const std::string file = dir.Path("flat.jpg");
    platform::SaveJpeg(file, flat);
    const Bitmap24 back = platform::LoadJpeg(file);
    ASSERT_EQ(back.Width(), 64);
    ASSERT_EQ(back.Height(), 48);
    const platform::Colour c = back.Pixel(30, 20);
    EXPECT_NEAR(platform::RedOf(c), 200, 3);
    EXPECT_NEAR(platform::GreenOf(c), 120, 3);
    EXPECT_NEAR(platform::BlueOf(c), 40, 3);
    // Quality 90 gives this file size band for a synthetic photo-like pattern; quality 75
    // (the library's default) would be markedly smaller.
    const Bitmap24 busy = Pattern(128, 128);
    platform::SaveJpeg(dir.Path("q90.jpg"), busy, 90);
    platform::SaveJpeg(dir.Path("q75.jpg"), busy, 75);
    EXPECT_GT(ReadAll(dir.Path("q90.jpg")).size(), ReadAll(dir.Path("q75.jpg")).size() * 5 / 4);
}

TEST(JpegFile, GreyscaleFilesBecomeThreeChannels) {
    TempDir dir;
    QImage grey(10, 10, QImage::Format_Grayscale8);
    grey.fill(128);
    const std::string file = dir.Path("grey.jpg");
    ASSERT_TRUE(grey.save(QString::fromStdString(file), "JPEG", 95));
    const platform::Colour c = platform::LoadJpeg(file).Pixel(5, 5);
    EXPECT_NEAR(platform::RedOf(c), 128, 2);
    EXPECT_EQ(platform::RedOf(c), platform::BlueOf(c));
}

TEST(JpegFile, CorruptAndTruncatedFilesAreRefused) {
    TempDir dir;
    const std::string good = dir.Path("good.jpg");
    platform::SaveJpeg(good, Pattern(200, 150));
    const std::string bytes = ReadAll(good);
    for (const auto& [name, content] : std::initializer_list<std::pair<std::string, std::string>>{
             {"truncated.jpg", bytes.substr(0, bytes.size() / 2)},
             {"header-only.jpg", bytes.substr(0, 20)},
             {"garbage.jpg", std::string(5000, 'x')},
             {"empty.jpg", ""}}) {
        const std::string file = dir.Path(name);
        WriteAll(file, content);
        try {
            platform::LoadJpeg(file);
            ADD_FAILURE() << name << " was accepted";
        } catch (const platform::FileError& e) {
            EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
        }
    }
}

TEST(AtomicSave, AFailedSaveKeepsThePreviousFile) {
    TempDir dir;
    const std::string file = dir.Path("keep.jpg");
    WriteAll(file, "previous good content");
    // An empty raster cannot be saved; nothing may be written over the old file.
    EXPECT_THROW(platform::SaveJpeg(file, Bitmap24()), platform::FileError);
    EXPECT_THROW(platform::SaveBmp(file, Bitmap24()), platform::FileError);
    EXPECT_EQ(ReadAll(file), "previous good content");
    // A save into a folder that does not exist fails cleanly too.
    EXPECT_THROW(platform::SaveBmp(dir.Path("no/such/folder.bmp"), Pattern(2, 2)),
                 platform::FileError);
    // No temporary files are left behind.
    EXPECT_EQ(
        QDir(QString::fromStdString(dir.Path(""))).entryList(QDir::Files | QDir::Hidden).size(), 1);
}
