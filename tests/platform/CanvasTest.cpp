// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PixelRaster.h"
#include "platform/QtCanvas.h"

#include <QGuiApplication>
#include <QImage>
#include <climits>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <vector>

using namespace platform;

namespace {

constexpr Colour White = 0xFFFFFF;
constexpr Colour Black = 0x000000;

// Text needs the font database, which needs an application object.
void EnsureApplication() {
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) new QGuiApplication(argc, argv);
}

QImage Surface(int w, int h, QImage::Format format = QImage::Format_RGB32) {
    QImage image(w, h, format);
    image.fill(Qt::white);
    return image;
}

// Bounding box of the pixels that are not white.
QRect InkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != 0xFFFFFFFFu) box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

// In QRect's namespace, so that failure messages find it.
static std::ostream& operator<<(std::ostream& os, const QRect& r) {
    return os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height()
              << ")";
}

// Devices exclude the right and bottom edge; without a pen the fill loses one more.
TEST(QtCanvasTest, ShapesStayInsideTheirExclusiveBounds) {
    struct Case {
        const char* name;
        PenStyle pen;
        std::function<void(Canvas&)> draw;
        QRect ink;
    };
    const std::vector<Case> cases = {
        {"rectangle", PenStyle::Solid, [](Canvas& c) { c.Rectangle(2, 3, 12, 9); }, {2, 3, 10, 6}},
        {"swapped corners",
         PenStyle::Solid,
         [](Canvas& c) { c.Rectangle(12, 9, 2, 3); },
         {2, 3, 10, 6}},
        {"one pixel", PenStyle::Solid, [](Canvas& c) { c.Rectangle(4, 4, 5, 5); }, {4, 4, 1, 1}},
        {"clear pen", PenStyle::Clear, [](Canvas& c) { c.Rectangle(2, 3, 12, 9); }, {2, 3, 9, 5}},
        {"ellipse", PenStyle::Solid, [](Canvas& c) { c.Ellipse(2, 3, 12, 9); }, {2, 3, 10, 6}},
        {"marker", PenStyle::Solid, [](Canvas& c) { c.Ellipse(8, 8, 13, 13); }, {8, 8, 5, 5}},
        {"fill rect",
         PenStyle::Solid,
         [](Canvas& c) { c.FillRect(QRect(2, 3, 10, 6)); },
         {2, 3, 10, 6}},
    };
    for (const Case& tc : cases) {
        QImage image = Surface(20, 20);
        QtCanvas canvas(&image);
        canvas.PenRef().Style = tc.pen;
        canvas.BrushRef() = {0x808080, BrushStyle::Solid};
        tc.draw(canvas);
        canvas.End();
        EXPECT_EQ(InkBox(image), tc.ink) << tc.name;
    }
}

TEST(QtCanvasTest, ClearBrushLeavesTheInsideAlone) {
    QImage image = Surface(20, 20);
    QtCanvas canvas(&image);
    canvas.BrushRef().Style = BrushStyle::Clear;
    canvas.Rectangle(2, 2, 12, 12);
    canvas.Ellipse(2, 2, 12, 12);
    EXPECT_EQ(canvas.Pixel(2, 7), Black);
    EXPECT_EQ(canvas.Pixel(7, 7), White);
}

TEST(QtCanvasTest, LineToLeavesTheEndPixelAndMovesThePen) {
    const QPoint ends[] = {{10, 5}, {10, 0}, {7, 0},  {5, 0},  {3, 0},  {0, 0},   {0, 3},  {0, 5},
                           {0, 7},  {0, 10}, {3, 10}, {5, 10}, {7, 10}, {10, 10}, {10, 7}, {5, 5}};
    for (const QPoint end : ends) {
        QImage image = Surface(11, 11);
        QtCanvas canvas(&image);
        canvas.MoveTo(5, 5);
        canvas.LineTo(end.x(), end.y());
        canvas.End();
        EXPECT_EQ(canvas.PenPos(), end);
        EXPECT_EQ(image.pixel(end), 0xFFFFFFFFu) << end.x() << "," << end.y();
        const int length = std::max(std::abs(end.x() - 5), std::abs(end.y() - 5));
        int ink = 0;
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 11; ++x) ink += image.pixel(x, y) != 0xFFFFFFFFu;
        EXPECT_EQ(ink, length) << end.x() << "," << end.y();
        if (length > 0) {
            EXPECT_EQ(image.pixel(5, 5), 0xFF000000u) << end.x() << "," << end.y();
        }
    }
}

// Figures reaching off the surface paint the pixels they would paint on a larger one.
TEST(QtCanvasTest, ClippingKeepsThePixels) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coordinate(-40, 80);
    const auto point = [&] { return QPoint(coordinate(random), coordinate(random)); };
    const QPoint shift(80, 80); // a multiple of the hatch period
    for (int i = 0; i < 300; ++i) {
        const QPoint a = point(), b = point(), c = point(), d = point();
        QImage small = Surface(40, 40), large = Surface(200, 200);
        for (const auto& [image, offset] : {std::pair{&small, QPoint()}, {&large, shift}}) {
            QtCanvas canvas(image);
            canvas.SetBrush({0x0000FF, BrushStyle::DiagCross});
            const QPoint line[] = {a + offset, b + offset, c + offset};
            canvas.Polyline(line, 3);
            canvas.Ellipse(c.x() + offset.x(), c.y() + offset.y(), d.x() + offset.x(),
                           d.y() + offset.y());
        }
        ASSERT_EQ(small, large.copy(QRect(shift, small.size())))
            << a.x() << "," << a.y() << " " << b.x() << "," << b.y() << " " << c.x() << "," << c.y()
            << " " << d.x() << "," << d.y();
    }

    QImage image = Surface(40, 40);
    QtCanvas canvas(&image);
    canvas.MoveTo(-2000000000, 20);
    canvas.LineTo(2000000000, 20);
    canvas.MoveTo(-2147483647, -2147483647);
    canvas.LineTo(2147483647, 2147483647);
    for (const int x : {0, 20, 39}) EXPECT_EQ(canvas.Pixel(x, 20), Black) << x;
    EXPECT_EQ(canvas.Pixel(10, 10), Black);
}

// Every size, including the flat ones QPainter gets wrong, and with outline and fill
// sharing no pixel, so that xor drawing erases itself.
TEST(QtCanvasTest, EllipsesOfEverySizeFillTheirBounds) {
    for (int w = 1; w <= 24; ++w)
        for (int h = 1; h <= 24; ++h) {
            QImage image = Surface(30, 30);
            QtCanvas canvas(&image);
            canvas.SetPen({White, 1, PenStyle::Solid, PenMode::Xor});
            canvas.BrushRef().Color = 0x00FF00;
            canvas.Ellipse(2, 3, 2 + w, 3 + h);
            ASSERT_EQ(InkBox(image), QRect(2, 3, w, h)) << w << " x " << h;
            canvas.Ellipse(2, 3, 2 + w, 3 + h);
            ASSERT_FALSE(InkBox(image).isValid()) << w << " x " << h;
        }
}

// Wide pens go through QPainter, whose pen the canvas only replaces when it changed.
TEST(QtCanvasTest, PainterPenFollowsTheCanvasPen) {
    EnsureApplication();
    QImage image = Surface(40, 40);
    QtCanvas canvas(&image);
    canvas.FontRef().Color = 0x0000FF;
    canvas.SetPen({0x00FF00, 3, PenStyle::Solid, PenMode::Copy});
    const auto line = [&](int y) {
        canvas.MoveTo(2, y);
        canvas.LineTo(38, y);
    };
    line(2);
    canvas.TextOut(2, 6, "X");
    line(30);
    canvas.PenRef().Color = 0xFF0000;
    line(35);
    EXPECT_EQ(canvas.Pixel(20, 2), 0x00FF00u);
    EXPECT_EQ(canvas.Pixel(20, 30), 0x00FF00u);
    EXPECT_EQ(canvas.Pixel(20, 35), 0xFF0000u);
}

// Shapes of every kind, drawn twice in a raster mode, must leave the surface as it was;
// the alpha byte of a 32-bit surface must stay opaque for it to display.
TEST(QtCanvasTest, XorAndNotXorDrawnTwiceRestoreBothFormats) {
    EnsureApplication();
    for (const auto format : {QImage::Format_RGB32, QImage::Format_BGR888}) {
        for (const PenMode mode : {PenMode::Xor, PenMode::NotXor, PenMode::Not}) {
            QImage image = Surface(40, 40, format);
            QtCanvas canvas(&image);
            canvas.SetPixel(5, 5, 0x123456);
            canvas.End();
            const QImage before = image.copy();
            canvas.SetPen({0x0F0F0F, 1, PenStyle::Solid, mode});
            canvas.SetBrush({0x334455, BrushStyle::Solid});
            const QPoint band[] = {{1, 30}, {20, 30}, {20, 38}, {1, 38}, {1, 30}};
            for (int pass = 0; pass < 2; ++pass) {
                canvas.MoveTo(0, 5);
                canvas.LineTo(39, 5);
                canvas.Rectangle(2, 2, 20, 20);
                canvas.Ellipse(22, 2, 38, 18);
                canvas.Polyline(band, 5);
                canvas.TextOut(22, 20, "Ab");
                if (pass == 0) {
                    EXPECT_NE(canvas.Pixel(2, 2), White); // corners painted once
                    EXPECT_NE(canvas.Pixel(1, 30), White);
                }
            }
            canvas.End();
            EXPECT_EQ(image, before) << int(format) << " mode " << int(mode);
            if (format == QImage::Format_RGB32) {
                EXPECT_EQ(image.constScanLine(5)[3], 0xFF) << int(mode);
            }
        }
    }
}

TEST(QtCanvasTest, RasterModesCombineWithTheSurface) {
    struct Case {
        PenMode mode;
        Colour pen, under, result;
    };
    const Case cases[] = {
        {PenMode::Xor, 0x0F0F0F, 0x123456, 0x1D3B59},
        {PenMode::NotXor, White, 0x123456, 0x123456},
        {PenMode::NotXor, Black, 0x123456, 0xEDCBA9},
        {PenMode::Not, 0x0F0F0F, 0x123456, 0xEDCBA9},
    };
    for (const auto format : {QImage::Format_RGB32, QImage::Format_BGR888}) {
        for (const Case& tc : cases) {
            QImage image = Surface(10, 10, format);
            QtCanvas canvas(&image);
            for (int x = 0; x < 10; ++x) canvas.SetPixel(x, 4, tc.under);
            canvas.SetPen({tc.pen, 1, PenStyle::Solid, tc.mode});
            canvas.MoveTo(0, 4);
            canvas.LineTo(9, 4);
            EXPECT_EQ(canvas.Pixel(3, 4), tc.result) << int(format) << " mode " << int(tc.mode);
            EXPECT_EQ(canvas.Pixel(9, 4), tc.under) << "end pixel";
        }
    }
}

TEST(QtCanvasTest, FillRectAndStretchDrawIgnoreThePenMode) {
    QImage image = Surface(8, 8);
    QImage source(2, 1, QImage::Format_BGR888);
    source.setPixel(0, 0, qRgb(255, 0, 0));
    source.setPixel(1, 0, qRgb(0, 0, 255));
    QtCanvas canvas(&image);
    canvas.PenRef().Mode = PenMode::Xor;
    canvas.BrushRef().Color = 0x00FF00;
    canvas.FillRect(QRect(0, 0, 8, 2));
    canvas.StretchDraw(QRect(0, 4, 8, 4), source, QRect(0, 0, 2, 1));
    EXPECT_EQ(canvas.Pixel(7, 1), 0x00FF00u);
    EXPECT_EQ(canvas.Pixel(0, 4), 0x0000FFu); // nearest neighbour: no blend at the seam
    EXPECT_EQ(canvas.Pixel(3, 7), 0x0000FFu);
    EXPECT_EQ(canvas.Pixel(4, 7), 0xFF0000u);
}

// Hatches repeat every 8 pixels in the brush colour over a transparent background.
TEST(QtCanvasTest, HatchBrushesDrawTheirPattern) {
    struct Case {
        BrushStyle style;
        QPoint along; // a painted pixel continues in this direction
        int inkPerTile;
    };
    const Case cases[] = {
        {BrushStyle::Horizontal, {1, 0}, 8}, {BrushStyle::Vertical, {0, 1}, 8},
        {BrushStyle::FDiagonal, {1, 1}, 8},  {BrushStyle::BDiagonal, {-1, 1}, 8},
        {BrushStyle::Cross, {0, 0}, 15},     {BrushStyle::DiagCross, {0, 0}, 16},
    };
    for (const Case& tc : cases) {
        QImage image = Surface(24, 24);
        QtCanvas canvas(&image);
        canvas.SetBrush({0x0000FF, tc.style});
        canvas.FillRect(QRect(0, 0, 24, 24));
        int ink = 0;
        for (int y = 8; y < 16; ++y)
            for (int x = 8; x < 16; ++x) {
                const Colour c = canvas.Pixel(x, y);
                ASSERT_TRUE(c == White || c == 0x0000FF) << int(tc.style);
                if (c == White) continue;
                ++ink;
                EXPECT_EQ(canvas.Pixel(x + 8, y), c);
                EXPECT_EQ(canvas.Pixel(x, y + 8), c);
                EXPECT_EQ(canvas.Pixel(x + tc.along.x(), y + tc.along.y()), c) << int(tc.style);
            }
        EXPECT_EQ(ink, tc.inkPerTile) << int(tc.style);

        QImage polygon = Surface(24, 24); // filled by QPainter, in the same phase
        QtCanvas other(&polygon);
        other.SetBrush({0x0000FF, tc.style});
        other.PenRef().Style = PenStyle::Clear;
        const QPoint square[] = {{0, 0}, {24, 0}, {24, 24}, {0, 24}};
        other.Polygon(square, 4);
        other.End();
        EXPECT_EQ(polygon.copy(8, 8, 8, 8), image.copy(8, 8, 8, 8)) << int(tc.style);
    }
}

TEST(QtCanvasTest, PolygonFillsAndPolylineDoesNot) {
    const QPoint triangle[] = {{2, 2}, {18, 2}, {2, 18}};
    for (const bool closed : {true, false}) {
        QImage image = Surface(20, 20);
        QtCanvas canvas(&image);
        canvas.BrushRef().Color = 0x0000FF;
        closed ? canvas.Polygon(triangle, 3) : canvas.Polyline(triangle, 3);
        EXPECT_EQ(canvas.Pixel(6, 6), closed ? 0x0000FFu : White);
        EXPECT_EQ(canvas.Pixel(2, 10), closed ? Black : White); // closing edge
        EXPECT_EQ(canvas.Pixel(10, 10), Black);
    }
}

// The arc runs counter-clockwise on the device (y down) from the start radial.
TEST(QtCanvasTest, ArcRunsCounterClockwise) {
    struct Case {
        QPoint start, end;
        std::array<bool, 4> quadrants; // upper right, upper left, lower left, lower right
    };
    const Case cases[] = {
        {{30, 20}, {20, 0}, {true, false, false, false}},
        {{20, 0}, {30, 20}, {false, true, true, true}},
        {{0, 20}, {20, 40}, {false, false, true, false}},
        {{30, 20}, {30, 20}, {true, true, true, true}},
    };
    for (const Case& tc : cases) {
        QImage image = Surface(41, 41);
        QtCanvas canvas(&image);
        canvas.Arc(4, 4, 37, 37, tc.start.x(), tc.start.y(), tc.end.x(), tc.end.y());
        canvas.End();
        const QRect quarters[] = {
            {23, 0, 18, 18}, {0, 0, 18, 18}, {0, 23, 18, 18}, {23, 23, 18, 18}};
        for (int q = 0; q < 4; ++q)
            EXPECT_EQ(InkBox(image.copy(quarters[q])).isValid(), tc.quadrants[q])
                << "start " << tc.start.x() << "," << tc.start.y() << " quadrant " << q;
    }
}

TEST(QtCanvasTest, TextSitsWhereTheAlignmentSays) {
    EnsureApplication();
    struct Case {
        unsigned align;
        bool leftOfX, rightOfX, aboveY, belowY; // ink on each side of the point
    };
    const Case cases[] = {
        {AlignLeft | AlignTop, false, true, false, true},
        {AlignCenter | AlignBaseline, true, true, true, false},
        {AlignRight | AlignBottom, true, false, true, false},
    };
    for (const Case& tc : cases) {
        QImage image = Surface(200, 100);
        QtCanvas canvas(&image);
        canvas.FontRef().Height = 30;
        canvas.SetTextAlign(tc.align);
        canvas.TextOut(100, 50, "HHH");
        canvas.End();
        const QRect ink = InkBox(image);
        EXPECT_EQ(ink.left() < 100, tc.leftOfX) << tc.align << " " << ink;
        EXPECT_EQ(ink.right() >= 100, tc.rightOfX) << tc.align << " " << ink;
        EXPECT_EQ(ink.top() < 50, tc.aboveY) << tc.align << " " << ink;
        EXPECT_EQ(ink.bottom() >= 50, tc.belowY) << tc.align << " " << ink;
    }
}

TEST(QtCanvasTest, FontHeightIsTheCellAndWidthStretches) {
    EnsureApplication();
    QImage image = Surface(400, 200);
    QtCanvas canvas(&image);
    canvas.FontRef().Height = 40;
    canvas.TextOut(0, 0, "H"); // top of the cell at 0
    canvas.SetTextAlign(AlignBottom);
    canvas.TextOut(200, 100, "H"); // bottom of the cell at 100
    canvas.End();
    const int cell = 100 - (InkBox(image.copy(200, 0, 200, 200)).top() - InkBox(image).top());
    EXPECT_NEAR(cell, 40, 1);

    const auto inkWidth = [](int width) {
        QImage narrow = Surface(400, 60);
        QtCanvas c(&narrow);
        c.FontRef().Height = 40;
        c.FontRef().Width = width;
        c.TextOut(0, 0, "nnnn");
        c.End();
        return InkBox(narrow).width();
    };
    EXPECT_GT(inkWidth(40), 2 * inkWidth(0)); // a width equal to the height is very wide
}

TEST(QtCanvasTest, EscapementRotatesTextCounterClockwise) {
    EnsureApplication();
    QImage image = Surface(200, 200);
    QtCanvas canvas(&image);
    LogFont lf;
    lf.Height = 20;
    lf.Escapement = 900;
    lf.SetFace("Times New Roman");
    canvas.SetLogFont(lf);
    canvas.SetTextAlign(AlignLeft | AlignBaseline);
    canvas.TextOut(100, 150, "Rotated");
    canvas.End();
    const QRect ink = InkBox(image);
    EXPECT_GT(ink.height(), 2 * ink.width()) << ink;
    EXPECT_LE(ink.bottom(), 150) << ink; // runs upwards from the reference point
    EXPECT_LT(ink.right(), 101) << ink;  // the glyphs stand left of the base line
}

// Turned texts on images the canvas writes directly are put together from turned glyphs;
// they cover what the painter draws for them (on an image it does not write directly),
// at any angle, with a logical font's width and every alignment.
TEST(QtCanvasTest, TurnedTextIsBlittedWhereThePainterWouldDrawIt) {
    EnsureApplication();
    struct Case {
        int escapement, width;
        unsigned align;
    };
    for (const Case c : {Case{900, 0, AlignLeft | AlignBaseline},
                         {-10, 0, AlignLeft | AlignTop},
                         {450, 20, AlignCenter | AlignBaseline},
                         {1800, 0, AlignRight | AlignBottom},
                         {3590, 20, AlignLeft | AlignBaseline}}) {
        QImage images[] = {Surface(240, 240), Surface(240, 240, QImage::Format_ARGB32)};
        for (QImage& image : images) {
            QtCanvas canvas(&image);
            LogFont lf;
            lf.Height = 20;
            lf.Width = c.width;
            lf.Escapement = c.escapement;
            lf.SetFace("Liberation Serif");
            canvas.SetLogFont(lf);
            canvas.SetTextAlign(c.align);
            canvas.BrushRef().Style = BrushStyle::Clear;
            canvas.TextOut(120, 120, "Parcel 17 AVAWay");
            canvas.End();
        }
        const QRect blitted = InkBox(images[0]), painted = InkBox(images[1]);
        EXPECT_FALSE(blitted.isEmpty()) << c.escapement;
        for (const auto& [a, b] : {std::pair{blitted.left(), painted.left()},
                                   {blitted.right(), painted.right()},
                                   {blitted.top(), painted.top()},
                                   {blitted.bottom(), painted.bottom()}})
            EXPECT_NEAR(a, b, 2) << c.escapement << " " << blitted << " " << painted;
        // Most ink lies within a pixel of the painter's.
        int ink = 0, near = 0;
        for (int y = 1; y < 239; ++y)
            for (int x = 1; x < 239; ++x) {
                if (images[0].pixel(x, y) == 0xFFFFFFFFu) continue;
                ++ink;
                bool found = false;
                for (int v = -1; v <= 1 && !found; ++v)
                    for (int u = -1; u <= 1 && !found; ++u)
                        found = images[1].pixel(x + u, y + v) != 0xFFFFFFFFu;
                near += found;
            }
        EXPECT_GT(near, ink * 95 / 100) << c.escapement;
    }
}

// Any angle, the most negative integer included, draws as the same angle within one turn.
TEST(QtCanvasTest, ExtremeEscapementsDrawAsTheirAngleWithinOneTurn) {
    EnsureApplication();
    const auto draw = [](int escapement) {
        QImage image = Surface(200, 200);
        QtCanvas canvas(&image);
        LogFont lf;
        lf.Height = 20;
        lf.Escapement = escapement;
        lf.SetFace("Times New Roman");
        canvas.SetLogFont(lf);
        canvas.TextOut(100, 100, "Angle");
        canvas.End();
        return image;
    };
    EXPECT_EQ(draw(INT_MIN), draw(INT_MIN % 3600));
    EXPECT_EQ(draw(INT_MAX), draw(INT_MAX % 3600));
}

TEST(QtCanvasTest, SolidBrushMakesTextBackgroundOpaque) {
    EnsureApplication();
    for (const BrushStyle style : {BrushStyle::Solid, BrushStyle::Clear}) {
        QImage image = Surface(60, 40);
        QtCanvas canvas(&image);
        canvas.SetBrush({0x00FF00, style});
        canvas.TextOut(2, 2, "i i");
        EXPECT_EQ(canvas.Pixel(4, 3), style == BrushStyle::Solid ? 0x00FF00u : White);
    }
}

TEST(QtCanvasTest, LogFontFaceIsCutAndStylesFollowTheRecord) {
    LogFont lf;
    lf.SetFace(std::string(40, 'x'));
    EXPECT_EQ(lf.Face(), std::string(31, 'x'));
    EXPECT_EQ(lf.FaceName[31], '\0');
    lf.FaceName.fill('y'); // a record from a file with no terminating zero
    EXPECT_EQ(lf.Face(), std::string(31, 'y'));
    lf.SetFace("Arial");
    EXPECT_EQ(lf.FaceName[5], '\0');

    lf.Weight = 700;
    lf.Italic = lf.StrikeOut = 1;
    lf.Height = 25;
    lf.Width = 25;
    QImage image = Surface(4, 4);
    QtCanvas canvas(&image);
    canvas.FontRef().Color = 0x123456;
    canvas.SetLogFont(lf);
    const Font& font = canvas.GetFont();
    EXPECT_EQ(font.Name, "Arial");
    EXPECT_EQ(font.Style, FontBold | FontItalic | FontStrikeOut);
    EXPECT_EQ(font.Height, 25);
    EXPECT_EQ(font.Width, 25);
    EXPECT_EQ(font.Color, 0x123456u);
    lf.Weight = 400;
    canvas.SetLogFont(lf);
    EXPECT_FALSE(canvas.GetFont().Style & FontBold);
}

TEST(QtCanvasTest, PixelsKeepTheirColourOrderOnBothFormats) {
    for (const auto format : {QImage::Format_RGB32, QImage::Format_BGR888}) {
        QImage image = Surface(4, 4, format);
        QtCanvas canvas(&image);
        canvas.Rectangle(0, 0, 2, 2); // the painter is active while pixels are set
        canvas.SetPixel(3, 3, MakeColour(0x11, 0x22, 0x33));
        canvas.SetPixel(4, 0, Black); // outside: ignored
        EXPECT_EQ(canvas.Pixel(3, 3), 0x332211u);
        EXPECT_EQ(canvas.Pixel(-1, 0), 0u);
        EXPECT_EQ(canvas.Pixel(0, 0), Black);
        canvas.End();
        EXPECT_EQ(image.pixel(3, 3), qRgb(0x11, 0x22, 0x33)) << int(format);
    }
}

TEST(QtCanvasTest, StyledAndWidePens) {
    QImage image = Surface(60, 12);
    QtCanvas canvas(&image);
    canvas.SetPen({Black, 1, PenStyle::Dash, PenMode::Copy});
    canvas.BrushRef().Style = BrushStyle::Clear;
    canvas.MoveTo(0, 1);
    canvas.LineTo(60, 1);
    canvas.BrushRef() = {0x00FF00, BrushStyle::Solid}; // gaps take the solid brush colour
    canvas.MoveTo(0, 3);
    canvas.LineTo(60, 3);
    canvas.SetPen({Black, 3, PenStyle::Dash, PenMode::Copy}); // wide pens are solid
    canvas.MoveTo(2, 8);
    canvas.LineTo(57, 8);
    EXPECT_EQ(canvas.Pixel(17, 1), Black);
    EXPECT_EQ(canvas.Pixel(20, 1), White);
    EXPECT_EQ(canvas.Pixel(20, 3), 0x00FF00u);
    for (int y = 7; y <= 9; ++y) EXPECT_EQ(canvas.Pixel(20, y), Black) << y;
    EXPECT_EQ(canvas.Pixel(20, 10), White);
}

TEST(QtCanvasTest, PainterFollowsEndAndRetarget) {
    QImage first = Surface(4, 4);
    QImage second = Surface(4, 4);
    QtCanvas canvas(&first);
    canvas.Rectangle(0, 0, 2, 2);
    canvas.End();
    first.setPixel(3, 3, qRgb(0, 0, 0)); // the owner writes between paintings
    canvas.Retarget(&second);
    canvas.Rectangle(2, 2, 4, 4);
    canvas.Retarget(nullptr);
    canvas.Rectangle(0, 0, 4, 4); // no surface: nothing happens
    EXPECT_EQ(first.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(first.pixel(2, 2), qRgb(255, 255, 255));
    EXPECT_EQ(second.pixel(2, 2), qRgb(0, 0, 0));
    EXPECT_EQ(second.pixel(0, 0), qRgb(255, 255, 255));
}

// The short path for solid lines inside the surface must walk exactly the pixels of the
// general path (forced here by a two-pixel all-ink pattern).
namespace {

// Every pixel that is no longer white lies in one of the rectangles.
bool Covered(const QImage& image, const std::vector<QRect>& rects, QPoint& missed) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != 0xFFFFFFFFu &&
                std::none_of(rects.begin(), rects.end(),
                             [&](const QRect& r) { return r.contains(x, y); })) {
                missed = QPoint(x, y);
                return false;
            }
    return true;
}

} // namespace

// What a figure draws lies within what it reports first (a copy-on-write undo saves those
// pixels), for every figure, pen width, brush, mode and text turn; and a long thin figure
// reports a strip, not its whole bounding box.
TEST(QtCanvasTest, FiguresReportWhereTheyDraw) {
    EnsureApplication();
    struct Figure {
        const char* what;
        std::function<void(QtCanvas&)> draw;
    };
    const QPoint zigzag[] = {{60, 70}, {590, 20}, {120, 550}, {560, 460}};
    const std::vector<Figure> figures = {
        {"line", [](QtCanvas& c) { c.MoveTo(30, 40), c.LineTo(570, 520); }},
        {"short line", [](QtCanvas& c) { c.MoveTo(30, 40), c.LineTo(50, 45); }},
        {"rectangle", [](QtCanvas& c) { c.Rectangle(50, 60, 540, 550); }},
        {"fill", [](QtCanvas& c) { c.FillRect(QRect(70, 30, 40, 90)); }},
        {"ellipse", [](QtCanvas& c) { c.Ellipse(40, 50, 550, 420); }},
        {"small ellipse", [](QtCanvas& c) { c.Ellipse(40, 50, 150, 120); }},
        {"arc", [](QtCanvas& c) { c.Arc(40, 50, 550, 420, 550, 50, 40, 420); }},
        {"polygon", [&](QtCanvas& c) { c.Polygon(zigzag, 4); }},
        {"polyline", [&](QtCanvas& c) { c.Polyline(zigzag, 4); }},
        {"pixel", [](QtCanvas& c) { c.SetPixel(99, 101, Black); }},
        {"image",
         [](QtCanvas& c) {
             QImage src(8, 8, QImage::Format_RGB32);
             src.fill(Qt::black);
             c.StretchDraw(QRect(60, 60, 50, 30), src, QRect(0, 0, 8, 8));
         }},
    };
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_BGR888})
        for (int width : {1, 2, 7})
            for (const BrushStyle brush : {BrushStyle::Solid, BrushStyle::Clear, BrushStyle::Cross})
                for (const Figure& f : figures) {
                    QImage image = Surface(600, 600, format);
                    QtCanvas canvas(&image);
                    std::vector<QRect> reported;
                    canvas.SetBeforeWrite([&](const QRect& r) { reported.push_back(r); });
                    canvas.SetPen({Black, width, PenStyle::Solid, PenMode::Copy});
                    canvas.SetBrush({0x808080, brush});
                    f.draw(canvas);
                    canvas.End();
                    QPoint missed;
                    EXPECT_TRUE(Covered(image, reported, missed))
                        << f.what << " width " << width << " brush " << int(brush) << ": pixel ("
                        << missed.x() << ", " << missed.y() << ") not reported";
                }
    for (int turn : {0, 300, 900, 1800, 2700, 3300})
        for (unsigned align :
             {AlignLeft | AlignTop, AlignCenter | AlignBaseline, AlignRight | AlignBottom}) {
            QImage image = Surface(300, 300);
            QtCanvas canvas(&image);
            std::vector<QRect> reported;
            canvas.SetBeforeWrite([&](const QRect& r) { reported.push_back(r); });
            LogFont lf;
            lf.Height = 24;
            lf.Escapement = turn;
            lf.SetFace("Times New Roman");
            canvas.SetLogFont(lf);
            canvas.SetTextAlign(align);
            canvas.TextOut(150, 150, "Mill Farm 1897");
            canvas.End();
            QPoint missed;
            EXPECT_TRUE(Covered(image, reported, missed)) << "turn " << turn << " align " << align;
        }
    // A diagonal across a large raster reports a strip along itself.
    QImage image = Surface(4000, 3000, QImage::Format_BGR888);
    QtCanvas canvas(&image);
    qint64 area = 0;
    canvas.SetBeforeWrite([&](const QRect& r) { area += qint64(r.width()) * r.height(); });
    canvas.SetPen({Black, 3, PenStyle::Solid, PenMode::Copy});
    canvas.MoveTo(0, 0);
    canvas.LineTo(3999, 2999);
    EXPECT_LT(area, qint64(4000) * 3000 / 20);
}

TEST(PixelRasterLines, ShortPathMatchesTheGeneralPath) {
    QImage fast(64, 64, QImage::Format_RGB32), general(64, 64, QImage::Format_RGB32);
    fast.fill(Qt::white);
    general.fill(Qt::white);
    platform::PixelRaster a(fast), b(general);
    platform::PixelRaster::Stroke solid{{0x0000FF, platform::PenMode::Copy}, {1u, 1}};
    platform::PixelRaster::Stroke twoInk{{0x0000FF, platform::PenMode::Copy}, {3u, 2}};
    std::uint32_t seed = 7;
    auto next = [&seed] { return int((seed = seed * 1103515245u + 12345u) >> 16) % 64; };
    for (int i = 0; i < 500; ++i) {
        const QPoint from(next(), next()), to(next(), next());
        int pa = 0, pb = 0;
        a.Line(from, to, solid, pa);
        b.Line(from, to, twoInk, pb);
        ASSERT_EQ(fast, general) << "line " << i;
    }
}
