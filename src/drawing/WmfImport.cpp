// SPDX-License-Identifier: GPL-3.0-or-later
//
// Metafile records as entities: the player (platform/WmfPlayer) turns the records into
// picture elements in frame coordinates, and each element becomes an entity:
//   line (MoveTo/LineTo)          Line_
//   polyline                      Polyline_ (a line when it has two points)
//   polygon, rectangle, pattern   closed Polyline_ (pattern fills without outline)
//   ellipse                       Circle_ when round, else a closed polyline
//   arc                           Arc_ when round, else a polyline; pie and chord as
//                                 closed polylines
//   text                          Text_ on its base line, with the font's face, height,
//                                 escapement and style
//   pixel                         Point_
// Images are not converted; they are counted with the records the player skipped.
//
// Units: one map unit is one frame unit of the metafile (a pixel of our own metafiles),
// y turned upwards so that the picture reads the same: map y = frame height - frame y.
// Pens keep colour, style and width (at least one pixel); brushes colour and style; texts
// the text colour.

#include "drawing/WmfImport.h"

#include "drawing/Circle_.h"
#include "drawing/DxfCurves.h"
#include "drawing/Line_.h"
#include "drawing/Polyline_.h"
#include "drawing/Text_.h"
#include "platform/MappedFile.h"
#include "platform/WmfPlayer.h"

#include <cmath>
#include <filesystem>
#include <numbers>

namespace drawing {

namespace {

using platform::WmfLook;

class EntitySink final : public platform::WmfSink {
public:
    EntitySink(DXF_Layer& layer, double frameHeight) : layer_(layer), height_(frameHeight) {}

    std::size_t Added() const { return added_; }
    std::size_t Images() const { return images_; }

    void Line(QPointF from, QPointF to, const WmfLook& look) override {
        auto line = std::make_unique<Line_>(Map(from), Map(to), PenWidth(look), PenStyle(look), 0);
        Add(std::move(line), look, false);
    }
    void Polyline(std::span<const QPointF> points, const WmfLook& look) override {
        if (points.size() == 2) {
            Line(points[0], points[1], look);
            return;
        }
        AddPolyline(points, look, false);
    }
    void Polygon(std::span<const QPointF> points, const WmfLook& look) override {
        AddPolyline(points, look, true);
    }
    void Ellipse(const QRectF& box, const WmfLook& look) override {
        const double rx = box.width() / 2, ry = box.height() / 2;
        if (std::fabs(rx - ry) <= 1e-9 * std::max(rx, ry)) {
            auto circle =
                std::make_unique<Circle_>(WorldZAxis, Map(box.center()), rx, PenWidth(look),
                                          PenStyle(look), BrushStyle(look), look.BrushColour, 0);
            Add(std::move(circle), look, true);
            return;
        }
        std::vector<QPointF> points = platform::WmfArcPoints(box, box.topLeft(), box.topLeft());
        if (!points.empty()) points.pop_back();
        // A full turn: the arc helper gives one when start and end are the same radial.
        AddPolyline(points, look, true);
    }
    void Arc(const QRectF& box, QPointF start, QPointF end, platform::WmfArcKind kind,
             const WmfLook& look) override {
        const double rx = box.width() / 2, ry = box.height() / 2;
        if (kind == platform::WmfArcKind::Arc && rx > 0 &&
            std::fabs(rx - ry) <= 1e-9 * std::max(rx, ry)) {
            const Point3 c = Map(box.center()), s = Map(start), e = Map(end);
            const double a0 = std::atan2(s.y - c.y, s.x - c.x) * 180 / std::numbers::pi;
            const double a1 = std::atan2(e.y - c.y, e.x - c.x) * 180 / std::numbers::pi;
            auto arc =
                std::make_unique<Arc_>(WorldZAxis, c, rx, a0, a1, PenWidth(look), PenStyle(look),
                                       BrushStyle(look), look.BrushColour, 0);
            Add(std::move(arc), look, true);
            return;
        }
        std::vector<QPointF> points = platform::WmfArcPoints(box, start, end);
        if (kind == platform::WmfArcKind::Pie) points.push_back(box.center());
        AddPolyline(points, look, kind != platform::WmfArcKind::Arc);
    }
    void Text(QPointF at, const std::string& text, const WmfLook& look) override {
        const double height = std::fabs(look.FontHeight) > 0 ? std::fabs(look.FontHeight) : 12;
        // Our texts stand on their base line: move top and bottom references onto it.
        const unsigned vertical = look.TextAlign & 24u;
        double shift = 0;
        if (vertical == platform::AlignTop) shift = 0.8 * height;
        if (vertical == platform::AlignBottom) shift = -0.2 * height;
        const double a = look.Escapement * std::numbers::pi / 1800;
        const QPointF base(at.x() + shift * std::sin(a), at.y() + shift * std::cos(a));
        const unsigned horizontal = look.TextAlign & 6u;
        const std::int32_t align = horizontal == platform::AlignCenter  ? 1
                                   : horizontal == platform::AlignRight ? 2
                                                                        : 0;
        auto entity = std::make_unique<Text_>(WorldZAxis, Map(base), text,
                                              look.FontFace.empty() ? "Arial" : look.FontFace,
                                              height, look.Escapement, look.FontStyle, 0, align);
        entity->SetColor(look.TextColour);
        entity->FillColor = look.TextColour;
        layer_.AddEntity(std::move(entity));
        ++added_;
    }
    void Pixel(QPointF at, platform::Colour colour) override {
        auto point = std::make_unique<Point_>(WorldZAxis, Map(at), 1, 0, 0);
        point->SetColor(colour);
        layer_.AddEntity(std::move(point));
        ++added_;
    }
    void Image(const QRectF&, const QImage&) override { ++images_; }

private:
    Point3 Map(QPointF p) const { return {p.x(), height_ - p.y(), 0}; }
    static std::int16_t PenWidth(const WmfLook& look) {
        return std::int16_t(std::clamp<double>(std::lround(look.PenWidth), 1, 1000));
    }
    static std::uint8_t PenStyle(const WmfLook& look) { return std::uint8_t(look.Pen); }
    static std::uint8_t BrushStyle(const WmfLook& look) { return std::uint8_t(look.Brush); }

    void AddPolyline(std::span<const QPointF> points, const WmfLook& look, bool closed) {
        if (points.size() < 2) return;
        std::vector<Point3> vertices;
        vertices.reserve(points.size());
        for (const QPointF& p : points) vertices.push_back(Map(p));
        auto poly = std::make_unique<Polyline_>(WorldZAxis, std::move(vertices), PenWidth(look),
                                                PenStyle(look), BrushStyle(look), look.BrushColour,
                                                0, closed);
        Add(std::move(poly), look, true);
    }
    void Add(std::unique_ptr<DXF_Entity> entity, const WmfLook& look, bool filled) {
        const platform::Colour fill = entity->FillColor;
        entity->SetColor(look.PenColour);
        entity->FillColor = filled ? fill : look.PenColour;
        layer_.AddEntity(std::move(entity));
        ++added_;
    }

    DXF_Layer& layer_;
    double height_;
    std::size_t added_ = 0, images_ = 0;
};

} // namespace

std::string WmfImportReport::SkippedText() const {
    std::string text;
    for (const auto& [what, count] : Skipped) {
        if (!text.empty()) text += ", ";
        text += std::to_string(count) + " " + what;
    }
    return text;
}

WmfImportReport ReadWMF(std::string_view bytes, const std::string& fileName, DXF_Object& drawing) {
    const platform::WmfPlayer player(bytes, fileName);
    WmfImportReport report;
    report.Layer = std::filesystem::path(fileName).stem().string();
    if (report.Layer.empty()) report.Layer = "Metafile";
    DXF_Object read(drawing.Name);
    DXF_Layer* layer = read.CreateLayer(report.Layer, true);
    EntitySink sink(*layer, player.FrameSize().height());
    const platform::WmfPlayer::Report played = player.Play(sink);
    report.Entities = sink.Added();
    if (sink.Images() > 0) report.Skipped.emplace_back("image", sink.Images());
    for (const auto& skipped : played.Skipped) report.Skipped.push_back(skipped);
    read.RemoveEmpty();
    drawing.TakeAll(read);
    return report;
}

WmfImportReport LoadWMF(const std::string& fileName, DXF_Object& drawing) {
    const platform::MappedFile file(fileName);
    return ReadWMF(file.Bytes(), fileName, drawing);
}

} // namespace drawing
