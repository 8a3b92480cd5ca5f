// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WmfCanvas.h"
#include "platform/FileError.h"

#include "support/TempDir.h"

#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QString>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace platform;
using testing_support::ReadAll;
using testing_support::TempDir;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint16_t U16(const Bytes& b, std::size_t at) {
    return std::uint16_t(b[at] | b[at + 1] << 8);
}
std::uint32_t U32(const Bytes& b, std::size_t at) {
    return U16(b, at) | std::uint32_t(U16(b, at + 2)) << 16;
}

struct Record {
    std::uint16_t function;
    std::vector<std::uint16_t> words; // the parameters
};

// Walks the records after both headers; fails the test on any size that does not add up.
std::vector<Record> ReadRecords(const Bytes& b) {
    std::vector<Record> out;
    std::size_t at = 22 + 18;
    while (at + 6 <= b.size()) {
        const std::uint32_t words = U32(b, at);
        EXPECT_GE(words, 3u);
        EXPECT_LE(at + 2 * std::size_t(words), b.size());
        if (words < 3 || at + 2 * std::size_t(words) > b.size()) break;
        Record r{U16(b, at + 4), {}};
        for (std::uint32_t i = 3; i < words; ++i) r.words.push_back(U16(b, at + 2 * i));
        out.push_back(r);
        at += 2 * std::size_t(words);
    }
    EXPECT_EQ(at, b.size());
    return out;
}

std::vector<Record> After(const std::vector<Record>& all, std::size_t skip) {
    return {all.begin() + std::ptrdiff_t(skip), all.end()};
}

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) new QGuiApplication(argc, argv);
}

} // namespace

TEST(WmfCanvas, EmptyPictureHasBothHeadersTheFrameAndEndOfFile) {
    const WmfCanvas wmf(200, 100);
    const Bytes b = wmf.Bytes();
    ASSERT_EQ(b.size(), 22u + 18u + 10u + 10u + 6u);
    EXPECT_EQ(U32(b, 0), 0x9AC6CDD7u);
    EXPECT_EQ(U16(b, 10), 200); // right
    EXPECT_EQ(U16(b, 12), 100); // bottom
    EXPECT_EQ(U16(b, 14), 96);  // units per inch
    // 0xCDD7 ^ 0x9AC6 ^ 200 ^ 100 ^ 96
    EXPECT_EQ(U16(b, 20), 0x57DD);
    EXPECT_EQ(U16(b, 22), 1);      // type
    EXPECT_EQ(U16(b, 24), 9);      // header words
    EXPECT_EQ(U16(b, 26), 0x0300); // version
    EXPECT_EQ(U32(b, 28), 22u);    // whole metafile in words, placeable header excluded
    EXPECT_EQ(U16(b, 32), 0);      // objects
    EXPECT_EQ(U32(b, 34), 5u);     // largest record

    const auto records = ReadRecords(b);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].function, 0x020B); // window origin 0, 0
    EXPECT_EQ(records[1].function, 0x020C);
    EXPECT_EQ(records[1].words, (std::vector<std::uint16_t>{100, 200}));
    EXPECT_EQ(records[2].function, 0x0000);
}

TEST(WmfCanvas, PenIsRecordedOnceAndReplacedOnlyWhenItChanges) {
    WmfCanvas wmf(200, 100);
    wmf.PenRef().Color = 0x0000FF;
    wmf.MoveTo(10, 20);
    wmf.LineTo(100, 50);
    wmf.LineTo(30, 60); // continues from the current position: one record
    wmf.PenRef().Color = 0x00FF00;
    wmf.PenRef().Mode = PenMode::NotXor;
    wmf.MoveTo(0, 0);
    wmf.LineTo(5, 5);

    const Bytes b = wmf.Bytes();
    const auto r = After(ReadRecords(b), 2);
    const std::vector<std::pair<std::uint16_t, std::vector<std::uint16_t>>> expected = {
        {0x02FA, {0, 1, 0, 0x00FF, 0}}, // pen: solid, width 1, red
        {0x012D, {0}},                  // select it
        {0x0104, {13}},                 // copy pen
        {0x0201, {0xFFFF, 0x00FF}},     // background white: the brush is solid
        {0x0102, {2}},                  // opaque
        {0x0214, {20, 10}},             // move to (y, x)
        {0x0213, {50, 100}},
        {0x0213, {60, 30}},
        {0x02FA, {0, 1, 0, 0xFF00, 0}}, // the new pen takes the next free entry
        {0x012D, {1}},
        {0x01F0, {0}}, // the old one goes
        {0x0104, {10}},
        {0x0214, {0, 0}},
        {0x0213, {5, 5}},
        {0x0000, {}},
    };
    ASSERT_EQ(r.size(), expected.size());
    for (std::size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(r[i].function, expected[i].first) << "record " << i;
        EXPECT_EQ(r[i].words, expected[i].second) << "record " << i;
    }
    EXPECT_EQ(U16(b, 32), 2); // two object entries were in use at once
    EXPECT_EQ(U32(b, 34), 8u);
}

TEST(WmfCanvas, ShapesCarryTheirParametersInRecordOrder) {
    WmfCanvas wmf(300, 300);
    wmf.BrushRef().Style = BrushStyle::DiagCross;
    wmf.BrushRef().Color = 0x123456;
    wmf.Ellipse(1, 2, 3, 4);
    wmf.Rectangle(5, 6, 7, 8);
    wmf.Arc(10, 11, 12, 13, 14, 15, 16, 17);
    wmf.SetPixel(-40000, 7, 0xFFABCDEF); // clamped coordinate, colour without its top byte
    const QPoint triangle[] = {{1, 2}, {3, 4}, {5, 6}};
    wmf.Polygon(triangle, 3);

    std::vector<Record> shapes;
    for (const Record& r : ReadRecords(wmf.Bytes()))
        if (r.function == 0x02FC || r.function == 0x0418 || r.function == 0x041B ||
            r.function == 0x0817 || r.function == 0x041F || r.function == 0x0324)
            shapes.push_back(r);
    ASSERT_EQ(shapes.size(), 6u);
    EXPECT_EQ(shapes[0].words, (std::vector<std::uint16_t>{2, 0x3456, 0x12, 5})); // hatched
    EXPECT_EQ(shapes[1].words, (std::vector<std::uint16_t>{4, 3, 2, 1}));
    EXPECT_EQ(shapes[2].words, (std::vector<std::uint16_t>{8, 7, 6, 5}));
    EXPECT_EQ(shapes[3].words, (std::vector<std::uint16_t>{17, 16, 15, 14, 13, 12, 11, 10}));
    EXPECT_EQ(shapes[4].words, (std::vector<std::uint16_t>{0xCDEF, 0xAB, 7, 0x8000}));
    EXPECT_EQ(shapes[5].words, (std::vector<std::uint16_t>{3, 1, 2, 3, 4, 5, 6}));
}

TEST(WmfCanvas, RotatedTextRecordsItsFontColourAlignmentAndString) {
    WmfCanvas wmf(200, 100);
    LogFont lf;
    lf.Height = 20;
    lf.Width = 20;
    lf.Escapement = lf.Orientation = 900;
    lf.Weight = 700;
    lf.SetFace("Times New Roman");
    wmf.SetLogFont(lf);
    wmf.FontRef().Color = 0x00FFFF;
    wmf.BrushRef().Style = BrushStyle::Clear;
    wmf.SetTextAlign(AlignBaseline | AlignCenter);
    wmf.TextOut(50, 60, "Abc");

    const auto r = After(ReadRecords(wmf.Bytes()), 2);
    ASSERT_GE(r.size(), 6u);
    ASSERT_EQ(r[0].function, 0x02FB);
    ASSERT_EQ(r[0].words.size(), 25u); // 18 bytes of fields, 32 of face name
    EXPECT_EQ(r[0].words[0], 20);
    EXPECT_EQ(r[0].words[1], 20);
    EXPECT_EQ(r[0].words[2], 900);
    EXPECT_EQ(r[0].words[3], 900);
    EXPECT_EQ(r[0].words[4], 700);
    EXPECT_EQ(r[0].words[9], 'T' | 'i' << 8);
    EXPECT_EQ(r[1].function, 0x012D);
    const Record* text = nullptr;
    bool transparent = false, yellow = false, centred = false;
    for (const Record& x : r) {
        if (x.function == 0x0102) transparent = x.words == std::vector<std::uint16_t>{1};
        if (x.function == 0x0209) yellow = x.words == std::vector<std::uint16_t>{0xFFFF, 0};
        if (x.function == 0x012E) centred = x.words == std::vector<std::uint16_t>{30};
        if (x.function == 0x0521) text = &x;
    }
    EXPECT_TRUE(transparent && yellow && centred);
    ASSERT_NE(text, nullptr);
    // length, "Ab", "c\0", y, x
    EXPECT_EQ(text->words, (std::vector<std::uint16_t>{3, 'A' | 'b' << 8, 'c', 60, 50}));
}

TEST(WmfCanvas, LongPolylineIsSplitIntoJoinedRecordsAndShortOnesAreIgnored) {
    WmfCanvas wmf(100, 100);
    std::vector<QPoint> points;
    for (int i = 0; i < 70000; ++i) points.emplace_back(i % 100, i / 1000);
    wmf.Polyline(points.data(), 1);
    wmf.Polyline(points.data(), int(points.size()));
    std::vector<Record> lines;
    for (const Record& r : ReadRecords(wmf.Bytes()))
        if (r.function == 0x0325) lines.push_back(r);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].words[0], 32767);
    EXPECT_EQ(lines[1].words[0], 32767);
    EXPECT_EQ(lines[2].words[0], 70000 - 2 * 32766);
    // The second piece starts where the first ended.
    EXPECT_EQ(lines[1].words[1], std::uint16_t(points[32766].x()));
    EXPECT_EQ(lines[1].words[2], std::uint16_t(points[32766].y()));
}

TEST(WmfCanvas, SaveWritesTheSameBytesAndReportsAMissingFolder) {
    TempDir dir;
    WmfCanvas wmf(50, 40);
    wmf.Rectangle(1, 1, 20, 20);
    const std::string path = dir.Path("pic.wmf");
    wmf.Save(path);
    const Bytes b = wmf.Bytes();
    EXPECT_EQ(ReadAll(path), std::string(b.begin(), b.end()));
    EXPECT_EQ(wmf.Pixel(1, 1), 0u);
    EXPECT_THROW(wmf.Save(dir.Path("missing/pic.wmf")), FileError);
}

// An independent reader: libwmf's converter must understand what we write.
TEST(WmfCanvas, Wmf2svgReadsOurShapesAndText) {
    if (std::system("command -v wmf2svg >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "wmf2svg (libwmf-bin) is not installed";
    EnsureApplication();
    TempDir dir;
    WmfCanvas wmf(200, 100);
    wmf.PenRef().Color = 0x0000FF; // red
    wmf.MoveTo(10, 10);
    wmf.LineTo(100, 50);
    wmf.BrushRef().Color = 0x00FF00; // lime
    wmf.Rectangle(20, 20, 60, 40);
    wmf.PenRef().Color = 0xFF0000; // blue
    wmf.BrushRef().Style = BrushStyle::Clear;
    wmf.Ellipse(100, 10, 150, 60);
    const QPoint points[] = {{10, 90}, {50, 60}, {90, 90}};
    wmf.Polyline(points, 3);
    wmf.Polygon(points, 3);
    wmf.FontRef().Color = 0x00FFFF; // yellow
    wmf.FontRef().Height = 20;
    wmf.FontRef().Escapement = 900;
    wmf.SetTextAlign(AlignBaseline | AlignCenter);
    wmf.TextOut(150, 80, "Penwright");
    wmf.BrushRef().Style = BrushStyle::Solid;
    wmf.BrushRef().Color = 0xFF00FF; // fuchsia
    wmf.FillRect(QRect(150, 5, 10, 10));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    wmf.StretchDraw(QRect(170, 60, 20, 20), image, image.rect());
    const std::string in = dir.Path("in.wmf"), out = dir.Path("out.svg");
    wmf.Save(in);

    ASSERT_EQ(std::system(("wmf2svg -o '" + out + "' '" + in + "' 2>/dev/null").c_str()), 0);
    const QString svg = QString::fromStdString(ReadAll(out));
    auto has = [&](const char* pattern) {
        return svg.contains(QRegularExpression(QString::fromLatin1(pattern),
                                               QRegularExpression::DotMatchesEverythingOption));
    };
    EXPECT_TRUE(has("<line [^>]*stroke:red")) << svg.toStdString();
    EXPECT_TRUE(has("<rect [^>]*fill:lime[^>]*stroke:red"));
    EXPECT_TRUE(has("<ellipse [^>]*fill:none[^>]*stroke:blue"));
    EXPECT_TRUE(has("<polyline points=\"[^\"]*\"[^>]*stroke:blue"));
    EXPECT_TRUE(has("<polygon [^>]*fill:none[^>]*stroke:blue"));
    EXPECT_TRUE(has("<rect [^>]*fill:fuchsia; stroke:none"));
    EXPECT_TRUE(has("<image "));
    // Upward text: a quarter turn counter-clockwise.
    EXPECT_TRUE(has(
        "<text [^>]*fill:yellow[^>]*matrix\\(0\\.0+ -1\\.0+ 1\\.0+ 0\\.0+ [^>]*>Penwright</text>"));
}
