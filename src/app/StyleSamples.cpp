// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StyleSamples.h"

#include "platform/QtCanvas.h"

#include <QComboBox>
#include <QImage>
#include <QPixmap>

namespace app {

namespace {

constexpr int SampleWidth = 104, SampleHeight = 16;

// Brush list entries in order, by what each stores.
const platform::BrushStyle BrushEntries[8] = {
    platform::BrushStyle::Clear,      platform::BrushStyle::Solid,
    platform::BrushStyle::Horizontal, platform::BrushStyle::Vertical,
    platform::BrushStyle::FDiagonal,  platform::BrushStyle::BDiagonal,
    platform::BrushStyle::Cross,      platform::BrushStyle::DiagCross,
};

QPixmap Sample(StyleSampleKind kind, int index) {
    QImage image(SampleWidth, SampleHeight, QImage::Format_RGB32);
    image.fill(QColor(45, 47, 70));
    {
        platform::QtCanvas c(&image);
        if (kind == StyleSampleKind::Pen) {
            c.SetPen({0xFFFFFF, 1, platform::PenStyle(index), platform::PenMode::Copy});
            c.BrushRef().Style = platform::BrushStyle::Clear;
            c.MoveTo(10, SampleHeight - 8);
            c.LineTo(100, SampleHeight - 8);
        } else {
            c.SetPen({0xFFFFFF, 1, platform::PenStyle::Clear, platform::PenMode::Copy});
            c.SetBrush({0xFFFFFF, BrushEntries[index]});
            c.FillRect(QRect(2, 1, SampleWidth - 4, SampleHeight - 2));
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

void FillStyleSamples(QComboBox* list, StyleSampleKind kind) {
    const int count = kind == StyleSampleKind::Pen ? 5 : 8;
    list->setIconSize(QSize(SampleWidth, SampleHeight));
    for (int i = 0; i < count; ++i)
        list->addItem(QIcon(Sample(kind, i)), QString(), QString::number(i + 1));
}

} // namespace app
