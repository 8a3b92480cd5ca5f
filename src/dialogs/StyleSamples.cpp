// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/StyleSamples.h"

#include "platform/QtCanvas.h"

#include <QComboBox>
#include <QImage>
#include <QPixmap>

namespace dialogs {

namespace {

constexpr int SampleWidth = 104, SampleHeight = 16;

QPixmap Sample(StyleSampleKind kind, std::uint8_t style) {
    QImage image(SampleWidth, SampleHeight, QImage::Format_RGB32);
    image.fill(QColor(45, 47, 70));
    {
        platform::QtCanvas c(&image);
        if (kind == StyleSampleKind::Pen) {
            c.SetPen({0xFFFFFF, 1, platform::PenStyle(style), platform::PenMode::Copy});
            c.BrushRef().Style = platform::BrushStyle::Clear;
            c.MoveTo(10, SampleHeight - 8);
            c.LineTo(100, SampleHeight - 8);
        } else {
            c.SetPen({0xFFFFFF, 1, platform::PenStyle::Clear, platform::PenMode::Copy});
            c.SetBrush({0xFFFFFF, platform::BrushStyle(style)});
            c.FillRect(QRect(2, 1, SampleWidth - 4, SampleHeight - 2));
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

void FillStyleSamples(QComboBox* list, StyleSampleKind kind, std::span<const std::uint8_t> styles) {
    list->setIconSize(QSize(SampleWidth, SampleHeight));
    for (std::size_t i = 0; i < styles.size(); ++i)
        list->addItem(QIcon(Sample(kind, styles[i])), QString(), QString::number(i + 1));
}

} // namespace dialogs
