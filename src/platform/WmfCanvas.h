// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A Canvas that records what is drawn on it as a Windows metafile (WMF) instead of
// painting pixels, so the picture can go to the clipboard or a file and be read by other
// programs.
//
// The file is a placeable metafile: a 22-byte placeable header (key 0x9AC6CDD7, the
// frame 0, 0 to width, height in device pixels, UnitsPerInch per inch, and the XOR
// checksum of its first ten 16-bit words), the 18-byte standard header, the records and
// the end-of-file record. Every value is little-endian; every record is a 32-bit size in
// 16-bit words, a 16-bit function number and its parameters, coordinates as signed
// 16-bit device pixels (larger values are clamped to that range).
//
// Pens, brushes and fonts become CreatePenIndirect / CreateBrushIndirect /
// CreateFontIndirect records, selected before the primitive that needs them and only
// when they differ from what the recorded device context already holds; the object they
// replace is deleted at once, so the object table never holds more than a few entries.
// The pen mode becomes SetROP2; text colour, alignment and background mode are recorded
// in the same on-change manner. The background follows the Canvas rule: opaque in the
// brush colour when the brush is solid, transparent otherwise.
//
// Pixel() answers 0: a metafile has no pixels. StretchDraw records a StretchDIB record
// holding the source part as a 24-bit bottom-up DIB. Text is stored in the single-byte
// ANSI character set; characters outside Latin-1 become '?'. A polyline longer than
// one record allows is split into joined pieces; a polygon keeps its first 65535 points.
//
// Cost: every call appends one record or a few; Bytes() copies the recording once.

#include "platform/Canvas.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class WmfCanvas final : public Canvas {
public:
    static constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;

    // The picture's frame is width × height device pixels (each clamped to 1..32767).
    WmfCanvas(int width, int height, int unitsPerInch = 96);

    int Width() const { return width_; }
    int Height() const { return height_; }

    // The complete metafile as it stands: headers, the records so far, end of file.
    // Drawing may go on afterwards.
    std::vector<std::uint8_t> Bytes() const;
    // Writes Bytes() to the file without ever leaving a half-written file in its place.
    // Throws FileError.
    void Save(const std::string& fileName) const;

    void Rectangle(int x1, int y1, int x2, int y2) override;
    void FillRect(const QRect& r) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void Polygon(const QPoint* points, int count) override;
    void Polyline(const QPoint* points, int count) override;
    void SetPixel(int x, int y, Colour c) override;
    Colour Pixel(int, int) const override { return 0; }
    void TextOut(int x, int y, const std::string& text) override;
    void StretchDraw(const QRect& dest, const QImage& src, const QRect& srcRect) override;

protected:
    void DrawLine(QPoint from, QPoint to) override;

private:
    // What a recorded pen, brush or font holds, in the metafile's own terms.
    struct PenRecord {
        std::uint16_t Style = 0;
        std::int16_t Width = 1;
        Colour Color = 0;
        bool operator==(const PenRecord&) const = default;
    };
    struct BrushRecord {
        std::uint16_t Style = 0;
        Colour Color = 0;
        std::uint16_t Hatch = 0;
        bool operator==(const BrushRecord&) const = default;
    };

    class RecordBuilder;

    void Append(const RecordBuilder& record);
    int CreateObject(const RecordBuilder& create); // records create + select; returns slot
    void DeleteObject(int slot);

    void UsePen(const PenRecord& pen);
    void UseCurrentPen();
    void UseBrush();
    void UseMode(std::uint16_t rop2);
    void UseBackground();
    void UseFont();
    void UseTextState();
    void ShapeState(); // pen, brush, mode and background for outlined, filled figures
    void Points(std::uint16_t function, const QPoint* points, int count);

    int width_;
    int height_;
    int unitsPerInch_;
    std::vector<std::uint8_t> records_;
    std::uint32_t maxRecordWords_ = 0;
    std::vector<bool> slots_; // object table: true where an object lives
    std::uint16_t objectCount_ = 0;

    // The recorded device context; empty until first recorded.
    int penSlot_ = -1, brushSlot_ = -1, fontSlot_ = -1;
    std::optional<PenRecord> dcPen_;
    std::optional<BrushRecord> dcBrush_;
    std::optional<std::vector<std::uint8_t>> dcFont_; // the font record's parameters
    std::optional<std::uint16_t> dcRop2_;
    std::optional<std::uint16_t> dcBkMode_;
    std::optional<Colour> dcBkColor_;
    std::optional<Colour> dcTextColor_;
    std::optional<unsigned> dcTextAlign_;
    std::optional<QPoint> dcPos_;
};

} // namespace platform
