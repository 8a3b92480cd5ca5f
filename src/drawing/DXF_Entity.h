// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The root of the entity classes. Coordinates are map units; colours 0x00BBGGRR;
// pen, brush and font styles are the platform's 8-bit ordinals.

#include "drawing/Geometry.h"
#include "platform/Colour.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class Canvas;
}

namespace drawing {

struct Projection;
class DxfGroupWriter;

// What the writer of an entity record is given besides the entity: its layer, its colour
// number (the palette index in entity records, the ACI in whole files) and its line type
// (none in entity records).
struct DxfEntityHead {
    const std::string& Layer;
    std::int32_t Colour;
    std::string_view LineType;
};

inline constexpr const char* NotFiniteMessage = "Entity has a coordinate that is not a number";

bool FinitePoint(const Point3& p);

enum class EntityKind : std::uint8_t { Point, Text, Line, Circle, Arc, Polyline };

// "Point_", "Text_", "Line_", "Circle_", "Arc_" or "Polyline_": the entity list name too.
const char* ClassNameOf(EntityKind kind);

// The palette colour of an index, reduced modulo the palette size (negatives included).
platform::Colour PaletteColour(std::int32_t index);

class DXF_Entity {
public:
    virtual ~DXF_Entity() = default;
    DXF_Entity(const DXF_Entity&) = delete;
    DXF_Entity& operator=(const DXF_Entity&) = delete;

    // Ordered for size, not by meaning: picking walks a million of these.
    std::unique_ptr<Matrix4> OCSMatrix; // only when OCSAxis is not (0, 0, 1)
    Point3 OCSAxis;
    platform::Colour Color = 0; // pen colour; a text's colour
    platform::Colour FillColor = 0;
    std::int32_t ColorIndex = 0; // palette index, written to DXF
    std::int16_t PenWidth = 0;   // pixels
    std::uint8_t PenStyle = 0;
    std::uint8_t BrushStyle = 0;

    virtual EntityKind Kind() const = 0;
    const char* ClassName() const { return ClassNameOf(Kind()); }

    // The DXF arbitrary-axis rule; the axis must not be (0, 0, 0).
    void SetOCSAxis(const Point3& axis);

    // Entity drawing through a projection; see EntityDraw.cpp.
    virtual void Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) = 0;
    virtual void DrawMarkers(platform::Canvas& canvas, const Matrix4* view,
                             const Projection& proj) = 0;

    void SetColorIndex(std::int32_t index);
    // ColorIndex becomes the palette index of rgb, 0 when the palette lacks it.
    void SetColor(platform::Colour rgb);

    virtual void Translate(const Point3& offset) = 0;
    // axes: bit 0 x, bit 1 y, bit 2 z. Throws as RoundPoint does.
    virtual void RoundCoords(std::uint8_t axes, double factor) = 0;

    virtual std::int32_t VertexCount() const { return 1; }
    virtual std::int32_t LineCount() const { return 0; }
    virtual std::int32_t OpenPolyCount() const { return 0; }
    virtual std::int32_t ClosedPolyCount() const { return 0; }

    // DXF group output; see EntityDXF.cpp. The stream must be binary (CR LF line ends).
    // Both throw DXF_exception, writing nothing, when a value is not a finite number.
    std::string DXFName() const;
    void WriteDXFPoint(std::ostream& out, int code, const Point3& p) const;
    void WriteDXF(std::ostream& out, const std::string& layerName) const;
    // The groups of the record; callers check IsFinite first.
    virtual void WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const;
    // Every coordinate, size and angle is a finite number.
    virtual bool IsFinite() const;

    virtual void Describe(std::vector<std::string>& lines) const = 0;
    virtual void ExtendBounds(Point3& max, Point3& min) const = 0;
    // Closeness to p, smaller is closer; values <= 0 mean "not a candidate".
    virtual double PickDistance(const Point3& p) const = 0;
    virtual void NearestVertex(const Point3& p, Point3& out) const = 0;
    virtual bool Encloses(const Point3&) const { return false; }
    // Replaces the first defining point equal to oldPos; true when one was replaced.
    virtual bool MoveVertex(const Point3&, const Point3&) { return false; }
    virtual bool MoveBy(double, double) { return false; }
    virtual bool ScaleAbout(const Point3&, double, double) { return false; }
    virtual bool RotateAbout(const Point3&, double) { return false; }

protected:
    DXF_Entity() = default;
    void DescribeAxis(std::vector<std::string>& lines) const;
};

} // namespace drawing
