// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/TSetform.h"

#include "canvas/TGISPanel.h"
#include "dialogs/DialogLook.h"
#include "drawing/selection_lists.h"
#include "platform/ui/MessageBox.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <charconv>
#include <cmath>
#include <optional>

namespace dialogs {

namespace {

// Large enough for an A0 scan at 600 dpi; beyond it a typing slip would ask for
// gigabytes.
constexpr long MaxRasterSide = 60000;

QLineEdit* Field(QWidget* parent, const char* name, QRect where) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(where);
    return edit;
}

QLabel* Caption(QWidget* parent, const char* name, const QString& text, QRect where) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(where);
    return label;
}

// The selection's size as "12.500": three decimals, at least five characters.
QString SizeText(double v) {
    return QString("%1").arg(v, 5, 'f', 3);
}

// A whole number, "." or "," only as the decimal point of a real; nothing else.
std::optional<long> Whole(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    long v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<double> Real(const QString& text) {
    std::string s = text.trimmed().toStdString();
    for (auto& c : s)
        if (c == ',') c = '.';
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

TSetform::TSetform(QWidget* parent) : QDialog(parent) {
    setObjectName("Setform");
    setWindowTitle("Setup Dialog");
    setFixedSize(305, 166);
    setFont(SansFont(8));
    PaintPanel(this);

    auto* raster = new QGroupBox("Raster Size", this);
    raster->setObjectName("GroupBox1");
    raster->setGeometry(8, 6, 140, 84);
    Caption(raster, "Label1", "Width:", QRect(8, 22, 48, 20));
    Edit1 = Field(raster, "Edit1", QRect(58, 20, 72, 22));
    Caption(raster, "Label2", "Height:", QRect(8, 52, 48, 20));
    Edit2 = Field(raster, "Edit2", QRect(58, 50, 72, 22));

    auto* vector = new QGroupBox("Vector Size", this);
    vector->setObjectName("GroupBox2");
    vector->setGeometry(156, 6, 140, 84);
    Caption(vector, "Label3", "Width:", QRect(8, 22, 48, 20));
    Edit3 = Field(vector, "Edit3", QRect(58, 20, 72, 22));
    Caption(vector, "Label4", "Height:", QRect(8, 52, 48, 20));
    Edit4 = Field(vector, "Edit4", QRect(58, 50, 72, 22));

    Label5 = Caption(this, "Label5", "Max Vector Width:", QRect(8, 96, 230, 18));
    Label6 = Caption(this, "Label6", "Max Vector height:", QRect(8, 116, 230, 18));
    SpeedButton1 =
        GlyphButton(this, "SpeedButton1", "Apply the sizes", QStyle::SP_DialogApplyButton, "OK");
    SpeedButton1->setGeometry(244, 100, 26, 26);
    SpeedButton2 = GlyphButton(this, "SpeedButton2", "Close without change",
                               QStyle::SP_DialogCloseButton, "Close");
    SpeedButton2->setGeometry(272, 100, 26, 26);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { Confirm(); });
    connect(SpeedButton2, &QToolButton::clicked, this, &QDialog::reject);
}

void TSetform::Attach(canvas::TGISPanel* map, drawing::selection_lists* selection) {
    map_ = map;
    selection_ = selection;
}

void TSetform::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    changed_ = false;
    if (!map_ || !selection_) return;
    Edit1->setText(QString::number(map_->Raster().Width()));
    Edit2->setText(QString::number(map_->Raster().Height()));
    drawing::Point3 max{-1000000, -1000000, 0}, min{1000000, 1000000, 0};
    selection_->ExtendBounds(max, min);
    const QString w = SizeText(std::fabs(max.x - min.x)), h = SizeText(std::fabs(max.y - min.y));
    Edit3->setText(w);
    Label5->setText("Max Vector Width:" + w);
    Edit4->setText(h);
    Label6->setText("Max Vector height:" + h);
}

void TSetform::Confirm() {
    if (!map_ || !selection_) return;
    // Every value is checked before anything changes.
    const std::optional<long> width = Whole(Edit1->text()), height = Whole(Edit2->text());
    for (const auto& [value, edit] : {std::pair{width, Edit1}, std::pair{height, Edit2}}) {
        if (!value) {
            platform::ShowMessage("'" + edit->text() + "' is not a valid integer value.", this);
            return;
        }
        if (*value < 1 || *value > MaxRasterSide) {
            platform::ShowMessage("The raster's width and height must lie between 1 and " +
                                      QString::number(MaxRasterSide) + " pixels.",
                                  this);
            return;
        }
    }
    const std::optional<double> vw = Real(Edit3->text()), vh = Real(Edit4->text());
    for (const auto& [value, edit] : {std::pair{vw, Edit3}, std::pair{vh, Edit4}}) {
        if (!value) {
            platform::ShowMessage("'" + edit->text() + "' is not a valid floating point value.",
                                  this);
            return;
        }
    }

    platform::Bitmap24& raster = map_->Raster();
    raster.SetSize(int(*width), int(*height), 0xFEFEFE);
    map_->RasterChanged();
    changed_ = true;
    if (!map_->Image.Visible) {
        map_->Image.Visible = true;
        map_->SetExtent(20, 20, 0, raster.Width(), 0, raster.Height());
    }
    if (*vw != 0 && *vh != 0) {
        double f = double(*width) / *vw;
        if (double(*height) / *vh < f) f = double(*height) / *vh;
        selection_->ScaleAbout(drawing::Origin, f, f);
    }
    accept();
}

} // namespace dialogs
