// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/DrawingConverter.h"

#include "drawing/DxfFile.h"
#include "drawing/DxfReader.h"
#include "drawing/Projection.h"
#include "drawing/WmfImport.h"
#include "drawing/selection_lists.h"
#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/QtCanvas.h"
#include "platform/WmfCanvas.h"

#include <QBuffer>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace convert {

namespace {

constexpr double Margin = 10;
constexpr double MaxMetafileSize = 32000;

drawing::selection_lists AllLists(const drawing::DXF_Object& drawing) {
    drawing::selection_lists all;
    for (const auto& layer : drawing.Layers)
        for (const auto& list : layer->Lists) all.Lists.push_back(list.get());
    return all;
}

// Map units to picture pixels: the drawing's bounds at (Margin, Margin), y turned down.
class PictureProjection final : public drawing::Projection {
public:
    PictureProjection(const drawing::Point3& min, const drawing::Point3& max, double scale)
        : minX_(min.x), maxY_(max.y), scale_(scale) {}
    QPoint Project(const drawing::Point3& p, const drawing::Matrix4* m) const override {
        const drawing::Point3 q = m ? drawing::TransformPoint(*m, p) : p;
        return {drawing::RoundClamped(Margin + (q.x - minX_) * scale_),
                drawing::RoundClamped(Margin + (maxY_ - q.y) * scale_)};
    }

private:
    double minX_, maxY_, scale_;
};

void Draw(const drawing::DXF_Object& drawing, platform::Canvas& canvas,
          const drawing::Projection& projection) {
    for (const auto& layer : drawing.Layers)
        for (const auto& list : layer->Lists) list->Draw(canvas, nullptr, projection);
}

} // namespace

platform::FileFormat InputFormat(const std::string& fileName) {
    const platform::FileFormat byContent = platform::FormatOfFile(fileName);
    return byContent != platform::FileFormat::Unknown ? byContent
                                                      : platform::FormatOfExtension(fileName);
}

void ReadDrawing(const std::string& fileName, platform::FileFormat format,
                 drawing::DXF_Object& drawing, ConversionReport& report) {
    switch (format) {
    case platform::FileFormat::Rtv: {
        // The RTV reader keeps what it read before a fault; read aside so a bad file
        // leaves nothing behind.
        drawing::DXF_Object read(drawing.Name);
        drawing::selection_lists().LoadRTV(fileName, read);
        drawing.TakeAll(read);
        break;
    }
    case platform::FileFormat::Dxf:
        report.Skipped = drawing::LoadDXF(fileName, drawing).SkippedText();
        break;
    case platform::FileFormat::Metafile:
        report.Skipped = drawing::LoadWMF(fileName, drawing).SkippedText();
        break;
    default:
        throw std::invalid_argument("\"" + fileName +
                                    "\": not a drawing file (RTV, DXF or WMF) that can be read");
    }
    report.Layers = drawing.Layers.size();
    report.Entities = 0;
    for (const auto& layer : drawing.Layers)
        for (const auto& list : layer->Lists) report.Entities += list->Entities.size();
}

void WriteDrawing(const std::string& fileName, platform::FileFormat format,
                  const drawing::DXF_Object& drawing, ConversionReport& report) {
    const drawing::selection_lists all = AllLists(drawing);
    if (format == platform::FileFormat::Rtv) {
        all.SaveRTV(fileName);
        return;
    }
    if (format == platform::FileFormat::Dxf) {
        report.NotWritten = drawing::SaveDXF(fileName, all).NotFinite;
        return;
    }
    if (format != platform::FileFormat::Metafile && format != platform::FileFormat::Svg)
        throw std::invalid_argument("\"" + fileName +
                                    "\": can only write RTV, DXF, WMF and SVG files");

    drawing::Point3 max{-1e300, -1e300, 0}, min{1e300, 1e300, 0};
    all.ExtendBounds(max, min);
    if (!(min.x <= max.x && min.y <= max.y) || !std::isfinite(max.x - min.x) ||
        !std::isfinite(max.y - min.y))
        min = max = drawing::Origin;
    const double width = max.x - min.x, height = max.y - min.y;
    double scale = 1;
    if (format == platform::FileFormat::Metafile) {
        const double largest = std::max(width, height) + 2 * Margin;
        if (largest > MaxMetafileSize)
            scale = (MaxMetafileSize - 2 * Margin) / std::max(width, height);
    }
    const PictureProjection projection(min, max, scale);
    const int w = int(std::ceil(width * scale + 2 * Margin));
    const int h = int(std::ceil(height * scale + 2 * Margin));

    if (format == platform::FileFormat::Metafile) {
        platform::WmfCanvas metafile(w, h);
        Draw(drawing, metafile, projection);
        metafile.Save(fileName);
        return;
    }
    QByteArray svg;
    {
        QBuffer buffer(&svg);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(QSize(w, h));
        generator.setViewBox(QRect(0, 0, w, h));
        generator.setTitle("Penwright drawing");
        platform::QtCanvas canvas(static_cast<QPaintDevice*>(&generator));
        Draw(drawing, canvas, projection);
    }
    platform::AtomicFile file(fileName);
    file.Write(svg.constData(), std::size_t(svg.size()));
    file.Commit();
}

} // namespace convert
