// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the metafile player on arbitrary bytes, played onto a small canvas
// and into entities. A clean FileError is the expected outcome for bad input; anything
// else that escapes, and every sanitizer report, is a finding.
#include "drawing/WmfImport.h"
#include "platform/FileError.h"
#include "platform/QtCanvas.h"
#include "platform/WmfPlayer.h"

#include <QImage>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const platform::WmfPlayer player(bytes, "fuzz.wmf");
        // Drawing without fonts: texts are what a canvas with a painter needs an
        // application for, so the canvas here records nothing but shapes and images.
        static QImage image(64, 64, QImage::Format_RGB32);
        class Shapes final : public platform::WmfSink {
        public:
            explicit Shapes(platform::CanvasWmfSink& inner) : inner_(inner) {}
            void Line(QPointF a, QPointF b, const platform::WmfLook& l) override {
                inner_.Line(a, b, l);
            }
            void Polyline(std::span<const QPointF> p, const platform::WmfLook& l) override {
                inner_.Polyline(p, l);
            }
            void Polygon(std::span<const QPointF> p, const platform::WmfLook& l) override {
                inner_.Polygon(p, l);
            }
            void Ellipse(const QRectF& r, const platform::WmfLook& l) override {
                inner_.Ellipse(r, l);
            }
            void Arc(const QRectF& r, QPointF s, QPointF e, platform::WmfArcKind k,
                     const platform::WmfLook& l) override {
                inner_.Arc(r, s, e, k, l);
            }
            void Text(QPointF, const std::string&, const platform::WmfLook&) override {}
            void Pixel(QPointF p, platform::Colour c) override { inner_.Pixel(p, c); }
            void Image(const QRectF& d, const QImage& i) override { inner_.Image(d, i); }

        private:
            platform::CanvasWmfSink& inner_;
        };
        platform::QtCanvas canvas(&image);
        platform::CanvasWmfSink onCanvas(canvas, player.FrameSize(), QRectF(0, 0, 64, 64),
                                         QRectF(0, 0, 64, 64));
        Shapes shapes(onCanvas);
        player.Play(shapes);
        drawing::DXF_Object dxf("fuzz");
        drawing::ReadWMF(bytes, "fuzz.wmf", dxf);
    } catch (const platform::FileError&) {
    }
    return 0;
}
