// SPDX-License-Identifier: GPL-3.0-or-later
//
// Entity drawing. Every entity maps its points to canvas pixels through the caller's
// projection (map y up, canvas y down) and draws in its own pen and brush; canvas state
// is changed only where it differs. Shapes use the OCS matrix combined with the view
// matrix; texts use their own matrix only, and are drawn at their Height in pixels
// whatever the view scale, skipped when less than one pixel high at this view.
// DrawMarkers puts a disc of about 5 pixels on every defining point.

#include "drawing/EntityDraw.h"

#include "drawing/Circle_.h"
#include "drawing/Line_.h"
#include "drawing/Polyline_.h"
#include "drawing/Projection.h"
#include "drawing/Text_.h"

#include <algorithm>
#include <cmath>

namespace drawing {

namespace {

void SetPenColour(platform::Canvas& canvas, platform::Colour colour) {
    if (canvas.GetPen().Color != colour) canvas.PenRef().Color = colour;
}

void SetPen(platform::Canvas& canvas, const DXF_Entity& e) {
    SetPenColour(canvas, e.Color);
    platform::Pen& pen = canvas.PenRef();
    if (pen.Width != e.PenWidth) pen.Width = e.PenWidth;
    const auto style = static_cast<platform::PenStyle>(e.PenStyle);
    if (pen.Style != style) pen.Style = style;
}

void SetBrush(platform::Canvas& canvas, const DXF_Entity& e) {
    platform::Brush& brush = canvas.BrushRef();
    if (brush.Color != e.FillColor) brush.Color = e.FillColor;
    const auto style = static_cast<platform::BrushStyle>(e.BrushStyle);
    if (brush.Style != style) brush.Style = style;
}

void Marker(platform::Canvas& canvas, QPoint s) {
    canvas.Ellipse(s.x() - 2, s.y() - 2, s.x() + 3, s.y() + 3);
}

// Corners of the circle's box: s1 lower left, s2 upper right on the canvas.
bool BigEnough(QPoint s1, QPoint s2) {
    return s1.x() + 1 < s2.x() && s2.y() + 1 < s1.y();
}

} // namespace

platform::LogFont MakeLogFont(const std::string& name, std::int32_t escapement, std::int32_t width,
                              std::int32_t height, std::uint8_t style) {
    platform::LogFont lf;
    lf.Height = height;
    lf.Width = width;
    lf.Escapement = escapement;
    lf.Orientation = escapement;
    lf.Weight = (style & platform::FontBold) ? 700 : 0;
    lf.Italic = (style & platform::FontItalic) ? 1 : 0;
    lf.Underline = (style & platform::FontUnderline) ? 1 : 0;
    lf.StrikeOut = (style & platform::FontStrikeOut) ? 1 : 0;
    lf.Quality = 1; // draft
    // The platform expects a terminating zero, so at most 31 characters of the name.
    const std::size_t n = std::min<std::size_t>(name.size(), lf.FaceName.size() - 1);
    std::copy_n(name.begin(), n, lf.FaceName.begin());
    return lf;
}

void Point_::Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) {
    const Matrix4* m = CombineMatrix(OCSMatrix.get(), view);
    SetPen(canvas, *this);
    Marker(canvas, proj.Project(Pos, m));
}

void Point_::DrawMarkers(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) {
    const Matrix4* m = CombineMatrix(OCSMatrix.get(), view);
    SetPenColour(canvas, Color);
    Marker(canvas, proj.Project(Pos, m));
}

void Line_::Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) {
    const Matrix4* m = CombineMatrix(OCSMatrix.get(), view);
    SetPen(canvas, *this);
    const QPoint s = proj.Project(Pos, m);
    const QPoint e = proj.Project(EndPos, m);
    canvas.MoveTo(s.x(), s.y());
    canvas.LineTo(e.x(), e.y());
}

void Line_::DrawMarkers(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) {
    const Matrix4* m = CombineMatrix(OCSMatrix.get(), view);
    SetPenColour(canvas, Color);
    Marker(canvas, proj.Project(Pos, m));
    Marker(canvas, proj.Project(EndPos, m));
}

void Circle_::Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) {
    const Matrix4* m = CombineMatrix(OCSMatrix.get(), view);
    SetPen(canvas, *this);
    SetBrush(canvas, *this);
    const double r = Radius;
    const QPoint s1 = proj.Project({Pos.x - r, Pos.y - r, Pos.z - r}, m);
    const QPoint s2 = proj.Project({Pos.x + r, Pos.y + r, Pos.z + r}, m);
    if (BigEnough(s1, s2))
        canvas.Ellipse(s1.x(), s2.y(), s2.x(), s1.y());
    else
        canvas.SetPixel(s1.x(), s1.y(), canvas.GetPen().Color);
}

void Arc_::Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) {
    const Matrix4* m = CombineMatrix(OCSMatrix.get(), view);
    SetPen(canvas, *this);
    SetBrush(canvas, *this);
    const double r = Radius;
    const QPoint s1 = proj.Project({Pos.x - r, Pos.y - r, Pos.z - r}, m);
    const QPoint s2 = proj.Project({Pos.x + r, Pos.y + r, Pos.z + r}, m);
    const QPoint s3 =
        proj.Project({Pos.x + r * std::cos(Angle1), Pos.y + r * std::sin(Angle1), Pos.z + r}, m);
    const QPoint s4 =
        proj.Project({Pos.x + r * std::cos(Angle2), Pos.y + r * std::sin(Angle2), Pos.z + r}, m);
    if (BigEnough(s1, s2))
        canvas.Arc(s1.x(), s2.y(), s2.x(), s1.y(), s3.x(), s3.y(), s4.x(), s4.y());
    else
        canvas.SetPixel(s1.x(), s1.y(), canvas.GetPen().Color);
}

void Polyline_::Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) {
    const Matrix4* m = CombineMatrix(OCSMatrix.get(), view);
    SetPen(canvas, *this);
    SetBrush(canvas, *this);
    if (BrushStyle != std::uint8_t(platform::BrushStyle::Clear)) Closed = true;
    // One buffer for all polylines, grown to the largest seen: no allocation per paint.
    static thread_local std::vector<QPoint> screen;
    if (screen.size() < Vertices.size()) screen.resize(Vertices.size());
    for (std::size_t i = 0; i < Vertices.size(); ++i) screen[i] = proj.Project(Vertices[i], m);
    if (Closed)
        canvas.Polygon(screen.data(), Count());
    else
        canvas.Polyline(screen.data(), Count());
}

void Polyline_::DrawMarkers(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) {
    const Matrix4* m = CombineMatrix(OCSMatrix.get(), view);
    SetPenColour(canvas, Color);
    for (const auto& v : Vertices) Marker(canvas, proj.Project(v, m));
}

void Text_::Draw(platform::Canvas& canvas, const Matrix4*, const Projection& proj) {
    SetPenColour(canvas, Color);
    const QPoint s0 = proj.Project(Origin, nullptr);
    const QPoint s1 = proj.Project({0, Height, 0}, nullptr);
    if (s1.y() == s0.y()) return;

    const int height = RoundClamped(Height);
    platform::Font& font = canvas.FontRef();
    if (font.Height != height) font.Height = height;
    if (font.Color != Color) font.Color = Color;
    if (font.Name != FontName) font.Name = FontName;
    if (font.Style != FontStyle) font.Style = FontStyle;
    // A font set from properties is upright at its natural width.
    font.Escapement = 0;
    font.Width = 0;
    if (Angle != 0) {
        LogFont = MakeLogFont(FontName, RoundClamped(Angle), height, height, FontStyle);
        canvas.SetLogFont(LogFont);
    }

    switch (Align) {
    case 0:
        canvas.SetTextAlign(platform::AlignBaseline | platform::AlignLeft);
        break;
    case 1:
        canvas.SetTextAlign(platform::AlignBaseline | platform::AlignCenter);
        break;
    case 2:
        canvas.SetTextAlign(platform::AlignBaseline | platform::AlignRight);
        break;
    default:
        break;
    }
    const QPoint s = proj.Project(Pos, OCSMatrix.get());
    canvas.BrushRef().Style = platform::BrushStyle::Clear;
    canvas.TextOut(s.x(), s.y(), TextString);
}

} // namespace drawing
