// SPDX-License-Identifier: GPL-3.0-or-later
// Files made to hurt: tiny files that claim huge pictures, short pixel data in every
// depth, pipes and folders where a file is expected, saves through links and after
// killed saves. Each is refused (or done) quickly, clearly, and without reading memory
// that was never written.
#include "platform/FileError.h"
#include "platform/FileFormats.h"
#include "platform/MappedFile.h"
#include "platform/RasterFiles.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::Bitmap24;
using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

namespace {

// Runs load on file and expects a FileError naming the file and saying words, within a
// second (the faults this guards against took tens of seconds and gigabytes).
template <class Load> void ExpectRefused(Load load, const std::string& file, const char* words) {
    const auto start = std::chrono::steady_clock::now();
    try {
        load(file);
        ADD_FAILURE() << file << " was accepted";
    } catch (const platform::FileError& e) {
        EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << file;
}

// The readers without a listener, as callables of one file name.
Bitmap24 LoadJpeg(const std::string& file) {
    return platform::LoadJpeg(file);
}
Bitmap24 LoadBmp(const std::string& file) {
    return platform::LoadBmp(file);
}

// A JPEG of the picture as Qt writes it, progressive or not.
std::string Jpeg(const QImage& image, bool progressive) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.setQuality(90);
    EXPECT_TRUE(writer.write(image));
    return bytes.toStdString();
}

// The same file with the frame header's height and width replaced.
std::string WithSize(std::string jpeg, int width, int height) {
    for (std::size_t i = 0; i + 9 < jpeg.size(); ++i) {
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
            jpeg[i + 5] = char(height >> 8), jpeg[i + 6] = char(height);
            jpeg[i + 7] = char(width >> 8), jpeg[i + 8] = char(width);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

QImage Picture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 9, y * 5, (x ^ y) * 3));
    return image;
}

// A bitmap file of the given depth and compression around the given pixel data.
std::string Bmp(int width, int height, int bits, int compression,
                const std::vector<std::uint32_t>& palette, const std::string& pixels) {
    std::string info(40, '\0');
    const auto put32 = [](std::string& s, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + std::size_t(i)] = char(v >> (8 * i));
    };
    put32(info, 0, 40);
    put32(info, 4, std::uint32_t(width));
    put32(info, 8, std::uint32_t(height));
    info[12] = 1;
    info[14] = char(bits);
    put32(info, 16, std::uint32_t(compression));
    put32(info, 32, std::uint32_t(palette.size()));
    std::string colours(4 * palette.size(), '\0');
    for (std::size_t i = 0; i < palette.size(); ++i) put32(colours, 4 * i, palette[i]);
    std::string head(14, '\0');
    head[0] = 'B', head[1] = 'M';
    const std::size_t offset = 14 + info.size() + colours.size();
    put32(head, 2, std::uint32_t(offset + pixels.size()));
    put32(head, 10, std::uint32_t(offset));
    return head + info + colours + pixels;
}

} // namespace

TEST(HostileFiles, TinyJpegsThatClaimHugePicturesAreRefusedAtOnce) {
    TempDir dir;
    const QImage small = Picture(64, 48);
    WriteAll(dir.Path("baseline.jpg"), WithSize(Jpeg(small, false), 65500, 32000));
    ExpectRefused(LoadJpeg, dir.Path("baseline.jpg"), "too short");
    WriteAll(dir.Path("progressive.jpg"), WithSize(Jpeg(small, true), 20000, 20000));
    ExpectRefused(LoadJpeg, dir.Path("progressive.jpg"), "too short");
}

TEST(HostileFiles, CorruptJpegDataStopsTheLoad) {
    TempDir dir;
    for (bool progressive : {false, true}) {
        std::string bytes = Jpeg(Picture(300, 200), progressive);
        // Garbage in the middle of the coded data: the library would only warn and go on.
        for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 200; ++i)
            bytes[i] = char(0xFF);
        const std::string file = dir.Path(progressive ? "p.jpg" : "b.jpg");
        WriteAll(file, bytes);
        ExpectRefused(LoadJpeg, file, "");
        // Cut short: "truncated", not a picture padded with grey.
        const std::string whole = Jpeg(Picture(300, 200), progressive);
        WriteAll(file, whole.substr(0, whole.size() * 3 / 4));
        ExpectRefused(LoadJpeg, file, "truncated");
    }
}

TEST(HostileFiles, BitmapsOfEveryDepthWithShortDataAreRefused) {
    TempDir dir;
    const std::vector<std::uint32_t> grey = {0x000000, 0xFFFFFF};
    struct Case {
        const char* name;
        int bits;
        std::size_t rowBytes;
    };
    for (const Case c : {Case{"one.bmp", 1, 4},
                         {"four.bmp", 4, 8},
                         {"eight.bmp", 8, 12},
                         {"sixteen.bmp", 16, 20},
                         {"thirtytwo.bmp", 32, 40}}) {
        const std::string file = dir.Path(c.name);
        // Ten pixels wide, eight rows, but only five rows of data.
        WriteAll(file, Bmp(10, 8, c.bits, 0, c.bits <= 8 ? grey : std::vector<std::uint32_t>{},
                           std::string(c.rowBytes * 5, '\x11')));
        ExpectRefused(LoadBmp, file, "truncated");
    }
    // A pixel offset past the end of the file.
    std::string bytes = Bmp(10, 8, 8, 0, grey, std::string(12 * 8, '\x01'));
    bytes[10] = char(0xF0), bytes[11] = char(0xFF);
    WriteAll(dir.Path("offset.bmp"), bytes);
    ExpectRefused(LoadBmp, dir.Path("offset.bmp"), "outside the file");
    // Two kilobytes that claim 16000 × 16000 pixels of 8 bits.
    WriteAll(dir.Path("claim.bmp"), Bmp(16000, 16000, 8, 0, grey, std::string(2000, '\0')));
    ExpectRefused(LoadBmp, dir.Path("claim.bmp"), "truncated");
    // Run-length data without its end: two rows of a run, then nothing.
    WriteAll(dir.Path("rle.bmp"),
             Bmp(4, 4, 8, 1, grey, std::string("\x04\x01\x00\x00\x04\x01", 6)));
    ExpectRefused(LoadBmp, dir.Path("rle.bmp"), "ends early");
}

TEST(HostileFiles, RunLengthBitmapsDecodeAndSkippedPixelsAreBlack) {
    TempDir dir;
    const std::vector<std::uint32_t> palette = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000};
    // Bottom row: 3 × index 1, an absolute run 2 3 1 (padded to an even length), end of
    // line; next row: a move of (1, 0), 2 × index 2, then end of bitmap. Rows 2 and 3 are
    // never written.
    const std::string rle8(
        "\x03\x01\x00\x03\x02\x03\x01\x00\x00\x00\x00\x02\x01\x00\x02\x02\x00\x01", 18);
    WriteAll(dir.Path("rle8.bmp"), Bmp(7, 4, 8, 1, palette, rle8));
    const Bitmap24 b = platform::LoadBmp(dir.Path("rle8.bmp"));
    EXPECT_EQ(b.Pixel(0, 3), 0xFF0000u); // palette entries are 0x00RRGGBB in the file
    EXPECT_EQ(b.Pixel(2, 3), 0xFF0000u);
    EXPECT_EQ(b.Pixel(3, 3), 0x00FF00u);
    EXPECT_EQ(b.Pixel(4, 3), 0x0000FFu);
    EXPECT_EQ(b.Pixel(5, 3), 0xFF0000u);
    EXPECT_EQ(b.Pixel(6, 3), 0u);        // skipped by the end of line
    EXPECT_EQ(b.Pixel(0, 2), 0u);        // skipped by the move
    EXPECT_EQ(b.Pixel(1, 2), 0x00FF00u); // after the move
    EXPECT_EQ(b.Pixel(3, 0), 0u);        // never written
    // Four bits: 5 pixels alternating 1 and 2, then the end.
    WriteAll(dir.Path("rle4.bmp"), Bmp(5, 1, 4, 2, palette, std::string("\x05\x12\x00\x01", 4)));
    const Bitmap24 four = platform::LoadBmp(dir.Path("rle4.bmp"));
    EXPECT_EQ(four.Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(four.Pixel(1, 0), 0x00FF00u);
    EXPECT_EQ(four.Pixel(4, 0), 0xFF0000u);
}

TEST(HostileFiles, OtherDepthsDecodeAsQtReadsThem) {
    TempDir dir;
    const QImage source = Picture(13, 7);
    for (QImage::Format format : {QImage::Format_Mono, QImage::Format_Indexed8,
                                  QImage::Format_RGB32, QImage::Format_ARGB32}) {
        const QImage image = source.convertToFormat(format);
        const std::string file = dir.Path("depth" + std::to_string(int(format)) + ".bmp");
        ASSERT_TRUE(image.save(QString::fromStdString(file), "BMP"));
        const Bitmap24 b = platform::LoadBmp(file);
        const QImage back(QString::fromStdString(file));
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(platform::ToQColor(b.Pixel(x, y)).rgb(), back.pixel(x, y) | 0xFF000000)
                    << "format " << int(format) << " at " << x << "," << y;
    }
    // Sixteen bits, 5-5-5: full scale stays full scale.
    WriteAll(dir.Path("rgb555.bmp"), Bmp(2, 1, 16, 0, {}, std::string("\xFF\x7F\x00\x7C", 4)));
    const Bitmap24 b = platform::LoadBmp(dir.Path("rgb555.bmp"));
    EXPECT_EQ(b.Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(b.Pixel(1, 0), platform::MakeColour(255, 0, 0));
}

TEST(HostileFiles, PipesAndFoldersAreRefusedBeforeAnythingWaits) {
    TempDir dir;
    const std::string fifo = dir.Path("pipe.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectRefused(LoadBmp, fifo, "not a regular file");
    ExpectRefused(LoadJpeg, fifo, "not a regular file");
    ExpectRefused(LoadBmp, dir.Path(""), "is a folder");
    ExpectRefused(LoadJpeg, dir.Path(""), "is a folder");
    // The readers of drawings map their files; telling a format reads its first bytes.
    ExpectRefused([](const std::string& f) { platform::MappedFile mapped(f); }, fifo,
                  "not a regular file");
    EXPECT_EQ(platform::FormatOfFile(fifo), platform::FileFormat::Unknown);
}

TEST(HostileFiles, SavesGoThroughLinksKeepTheModeAndClearStaleTemporaries) {
    TempDir dir;
    Bitmap24 picture(4, 3);
    picture.Fill(0x102030);
    const std::string real = dir.Path("real.bmp"), link = dir.Path("link.bmp");
    WriteAll(real, "old");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.bmp", link.c_str()), 0);
    platform::SaveBmp(link, picture);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)); // still a link
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(platform::LoadBmp(real).Pixel(1, 1), 0x102030u);

    // A save killed half way left its temporary file; the next save into the folder
    // removes it (its process is gone). Another program's hidden file stays.
    const std::string stale = dir.Path(".penwright-save-999999999-abcdef");
    const std::string foreign = dir.Path(".other-program-file");
    WriteAll(stale, "half a picture");
    WriteAll(foreign, "not ours");
    platform::SaveBmp(dir.Path("next.bmp"), picture);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(stale)));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(foreign)));
}
