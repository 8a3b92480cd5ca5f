// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WmfPlayer.h"
#include "platform/FileError.h"
#include "platform/QtCanvas.h"
#include "platform/WmfCanvas.h"

#include <QImage>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace platform {
namespace {

// Every element as one line of text, for comparisons.
class Recorder final : public WmfSink {
public:
    std::vector<std::string> lines;
    std::vector<WmfLook> looks;

    void Line(QPointF a, QPointF b, const WmfLook& l) override { Add("line " + P(a) + P(b), l); }
    void Polyline(std::span<const QPointF> pts, const WmfLook& l) override {
        Add("polyline" + Ps(pts), l);
    }
    void Polygon(std::span<const QPointF> pts, const WmfLook& l) override {
        Add("polygon" + Ps(pts), l);
    }
    void Ellipse(const QRectF& b, const WmfLook& l) override {
        Add("ellipse " + P(b.topLeft()) + P(b.bottomRight()), l);
    }
    void Arc(const QRectF& b, QPointF s, QPointF e, WmfArcKind k, const WmfLook& l) override {
        Add(std::string(k == WmfArcKind::Arc   ? "arc "
                        : k == WmfArcKind::Pie ? "pie "
                                               : "chord ") +
                P(b.topLeft()) + P(b.bottomRight()) + P(s) + P(e),
            l);
    }
    void Text(QPointF at, const std::string& t, const WmfLook& l) override {
        Add("text " + P(at) + t, l);
    }
    void Pixel(QPointF at, Colour c) override { Add("pixel " + P(at) + std::to_string(c), {}); }
    void Image(const QRectF& d, const QImage& i) override {
        Add("image " + P(d.topLeft()) + P(d.bottomRight()) + std::to_string(i.width()), {});
    }

private:
    static std::string P(QPointF p) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "(%g,%g)", p.x(), p.y());
        return buf;
    }
    static std::string Ps(std::span<const QPointF> pts) {
        std::string s = " ";
        for (const QPointF& p : pts) s += P(p);
        return s;
    }
    void Add(const std::string& s, const WmfLook& l) {
        lines.push_back(s);
        looks.push_back(l);
    }
};

std::string Bytes(const WmfCanvas& c) {
    const std::vector<std::uint8_t> b = c.Bytes();
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

TEST(WmfPlayerTest, PlaysBackWhatOurWriterRecorded) {
    WmfCanvas c(200, 100);
    c.PenRef().Color = 0x0000FF;
    c.PenRef().Width = 3;
    c.MoveTo(1, 2);
    c.LineTo(30, 40);
    c.PenRef().Style = PenStyle::Dash;
    c.PenRef().Width = 1;
    const QPoint pts[3] = {{0, 0}, {10, 0}, {10, 10}};
    c.Polyline(pts, 3);
    c.BrushRef() = Brush{0x00FF00, BrushStyle::Cross};
    c.Polygon(pts, 3);
    c.Rectangle(5, 6, 15, 16);
    c.Ellipse(20, 20, 40, 30);
    c.Arc(0, 0, 10, 10, 10, 5, 0, 5);
    c.FontRef().Name = "Arial";
    c.FontRef().Height = -20;
    c.FontRef().Color = 0xFF0000;
    c.FontRef().Style = FontBold | FontItalic;
    c.SetTextAlign(AlignCenter | AlignBaseline);
    c.TextOut(50, 60, "Caf\xC3\xA9");
    c.SetPixel(7, 8, 0x123456);
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    c.StretchDraw(QRect(100, 50, 8, 4), image, image.rect());

    const std::string bytes = Bytes(c);
    const WmfPlayer player(bytes, "ours.wmf");
    EXPECT_EQ(player.FrameSize(), QSizeF(200, 100));
    Recorder r;
    const WmfPlayer::Report report = player.Play(r);
    EXPECT_TRUE(report.Skipped.empty());
    ASSERT_EQ(r.lines.size(), 9u);
    EXPECT_EQ(r.lines[0], "line (1,2)(30,40)");
    EXPECT_EQ(r.looks[0].PenColour, 0x0000FFu);
    EXPECT_EQ(r.looks[0].PenWidth, 3);
    EXPECT_EQ(r.lines[1], "polyline (0,0)(10,0)(10,10)");
    EXPECT_EQ(r.looks[1].Pen, PenStyle::Dash);
    EXPECT_EQ(r.lines[2], "polygon (0,0)(10,0)(10,10)");
    EXPECT_EQ(r.looks[2].Brush, BrushStyle::Cross);
    EXPECT_EQ(r.looks[2].BrushColour, 0x00FF00u);
    EXPECT_EQ(r.lines[3], "polygon (5,6)(15,6)(15,16)(5,16)");
    EXPECT_EQ(r.lines[4], "ellipse (20,20)(40,30)");
    EXPECT_EQ(r.lines[5], "arc (0,0)(10,10)(10,5)(0,5)");
    EXPECT_EQ(r.lines[6], "text (50,60)Caf\xC3\xA9");
    EXPECT_EQ(r.looks[6].FontFace, "Arial");
    EXPECT_EQ(r.looks[6].FontHeight, -20);
    EXPECT_EQ(r.looks[6].TextColour, 0xFF0000u);
    EXPECT_EQ(r.looks[6].FontStyle, FontBold | FontItalic);
    EXPECT_EQ(r.looks[6].TextAlign, unsigned(AlignCenter | AlignBaseline));
    EXPECT_EQ(r.lines[7], "pixel (7,8)" + std::to_string(0x123456));
    EXPECT_EQ(r.lines[8].substr(0, 5), "image");
}

// A metafile as other programs write them: no placeable header, the anisotropic mapping
// mode, a window of 2000 × 1000 units from (1000, 500), objects in the table before ours.
struct Builder {
    std::string b;
    void U16(unsigned v) {
        b += char(v & 0xFF);
        b += char((v >> 8) & 0xFF);
    }
    void U32(std::uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Record(unsigned function, std::vector<unsigned> params) {
        U32(std::uint32_t(3 + params.size()));
        U16(function);
        for (unsigned p : params) U16(p);
    }
    std::string Finish() {
        Record(0, {});
        std::string header;
        Builder h;
        h.U16(1);
        h.U16(9);
        h.U16(0x0300);
        h.U32(std::uint32_t((18 + b.size()) / 2));
        h.U16(4);
        h.U32(16);
        h.U16(0);
        return h.b + b;
    }
};

TEST(WmfPlayerTest, OtherProgramsWindowsAndObjectTables) {
    Builder m;
    m.Record(0x0103, {8});                        // anisotropic
    m.Record(0x020B, {500, 1000});                // window origin (1000, 500)
    m.Record(0x020C, {1000, 2000});               // window extent 2000 × 1000
    m.Record(0x00F7, {0x300, 1, 0, 0});           // a palette takes slot 0
    m.Record(0x02FA, {0, 10, 0, 0x00FF, 0x0000}); // a red pen of width 10 in slot 1
    m.Record(0x012D, {1});
    m.Record(0x012D, {7}); // no such object: nothing happens
    m.Record(0x0325, {2, 1000, 500, 3000, 1500});
    m.Record(0x020C, {500, 1000});  // the window halves: everything after doubles in size
    m.Record(0x0214, {500, 1000});  // MoveTo
    m.Record(0x0213, {600, 1100});  // LineTo
    m.Record(0x0419, {0, 0, 0, 0}); // FloodFill: skipped, counted
    const std::string bytes = m.Finish();
    const WmfPlayer player(bytes, "other.wmf");
    EXPECT_EQ(player.FrameSize(), QSizeF(2000, 1000));
    Recorder r;
    const WmfPlayer::Report report = player.Play(r);
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[0], "polyline (0,0)(2000,1000)");
    EXPECT_EQ(r.looks[0].PenColour, 0x0000FFu);
    EXPECT_EQ(r.looks[0].PenWidth, 10);
    EXPECT_EQ(r.lines[1], "line (0,0)(200,200)");
    EXPECT_EQ(r.looks[1].PenWidth, 20);
    ASSERT_EQ(report.Skipped.size(), 1u);
    EXPECT_EQ(report.Skipped[0].first, "record 0x0419");
}

TEST(WmfPlayerTest, PlaysOntoACanvasStretchedToATarget) {
    WmfCanvas c(20, 10);
    c.PenRef().Style = PenStyle::Clear;
    c.BrushRef() = Brush{0x0000FF, BrushStyle::Solid};
    c.Rectangle(10, 0, 21, 11); // the right half, red
    const std::string bytes = Bytes(c);
    const WmfPlayer player(bytes, "half.wmf");
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QtCanvas canvas(&image);
        CanvasWmfSink sink(canvas, player.FrameSize(), QRectF(0, 0, 40, 20), QRectF(0, 0, 40, 20));
        player.Play(sink);
    }
    EXPECT_EQ(image.pixel(10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(30, 10), qRgb(255, 0, 0));
}

TEST(WmfPlayerTest, BrokenFilesAreRefusedWithTheirNameAndPlace) {
    WmfCanvas c(20, 10);
    const QPoint pts[3] = {{0, 0}, {10, 0}, {10, 10}};
    c.Polyline(pts, 3);
    const std::string good = Bytes(c);
    std::string badCount = good;
    // The polyline's count, after its size and function, claims 200 points.
    const std::size_t countAt = good.find(std::string("\x25\x03\x03\x00", 4), 40) + 2;
    ASSERT_EQ(badCount[countAt], 3);
    badCount[countAt] = char(200);
    std::string badSize = good;
    badSize[22 + 18] = 2; // a record of two words
    const struct {
        std::string bytes;
        const char* expected;
    } cases[] = {
        {"", "not a metafile"},
        {"GIF89a and more bytes than a header", "not a metafile"},
        {good.substr(0, 30), "not a metafile"},
        {good.substr(0, good.size() - 14), "has a bad size"},
        {badSize, "has a bad size"},
        {badCount, "is too short"},
    };
    for (const auto& k : cases) {
        try {
            const WmfPlayer player(k.bytes, "broken.wmf");
            Recorder r;
            player.Play(r);
            ADD_FAILURE() << "no error for: " << k.expected;
        } catch (const FileError& e) {
            EXPECT_NE(std::strstr(e.what(), "broken.wmf"), nullptr) << e.what();
            EXPECT_NE(std::strstr(e.what(), k.expected), nullptr)
                << e.what() << " / " << k.expected;
        }
    }
}

} // namespace
} // namespace platform
