// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/TTrackingForm.h"

#include "dialogs/DialogLook.h"
#include "platform/NumberFormat.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace dialogs {

namespace {

QFrame* Panel(QWidget* parent, const char* name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    PaintPanel(panel);
    return panel;
}

QLabel* Label(QWidget* parent, const char* name, const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(SansFont(8));
    return label;
}

} // namespace

TTrackingForm::TTrackingForm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TrackingForm"));
    setWindowTitle(QStringLiteral("Tracking Mouse"));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
    resize(CompactWidth, CompactHeight);
    PaintPanel(this);

    QFrame* panel1 = Panel(this, "Panel1");
    panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel1->setLineWidth(2);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel1);
    auto* column = new QVBoxLayout(panel1);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(1);

    QFrame* panel2 = Panel(panel1, "Panel2");
    panel2->setFixedHeight(65);
    auto* grid = new QGridLayout(panel2);
    grid->setContentsMargins(2, 1, 2, 1);
    grid->setVerticalSpacing(0);
    Tr_X = Label(panel2, "Tr_X", "000000.000");
    Tr_Y = Label(panel2, "Tr_Y", "000000.000");
    Tr_Z = Label(panel2, "Tr_Z", "000000.000");
    Tr_P = Label(panel2, "Tr_P", "0");
    const std::pair<const char*, const char*> captions[] = {
        {"Label1", "X"}, {"Label8", "Y"}, {"Label9", "Z"}, {"Label10", "Points"}};
    QLabel* values[] = {Tr_X, Tr_Y, Tr_Z, Tr_P};
    for (int row = 0; row < 4; ++row) {
        grid->addWidget(Label(panel2, captions[row].first, captions[row].second), row, 0);
        grid->addWidget(values[row], row, 1);
    }
    T_extended = GlyphButton(panel2, QStringLiteral("T_extended"), QStringLiteral("More info"),
                             QStyle::SP_ToolBarVerticalExtensionButton, QStringLiteral("+"));
    T_extended->setCheckable(true);
    R_Nearest = GlyphButton(panel2, QStringLiteral("R_Nearest"), QStringLiteral("Inside Poly"),
                            QStyle::SP_DialogApplyButton, QStringLiteral("P"));
    SpeedButton2 =
        GlyphButton(panel2, QStringLiteral("SpeedButton2"), QStringLiteral("Nearest point"),
                    QStyle::SP_ArrowRight, QStringLiteral("N"));
    grid->addWidget(T_extended, 0, 2);
    grid->addWidget(R_Nearest, 1, 2);
    grid->addWidget(SpeedButton2, 2, 2);
    grid->setColumnStretch(1, 1);
    column->addWidget(panel2);

    ListBox1 = new QListWidget(panel1);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setFont(SansFont(8));
    ListBox1->setUniformItemSizes(true);
    column->addWidget(ListBox1, 1);

    QFrame* panel3 = Panel(panel1, "Panel3");
    panel3->setFixedHeight(20);
    auto* hint = new QVBoxLayout(panel3);
    hint->setContentsMargins(2, 0, 2, 0);
    hint->addWidget(Label(panel3, "Label2", "Double click stop tracking"));
    column->addWidget(panel3);

    connect(T_extended, &QToolButton::clicked, this, [this] { T_extendedClick(); });
}

void TTrackingForm::T_extendedClick() {
    if (T_extended->autoRaise()) {
        resize(width(), ExtendedHeight);
        T_extended->setAutoRaise(false);
    } else {
        resize(CompactWidth, CompactHeight);
        T_extended->setAutoRaise(true);
    }
    T_extended->setChecked(!T_extended->autoRaise()); // shown pressed while extended
}

bool TTrackingForm::Extended() const {
    return !T_extended->autoRaise();
}

bool TTrackingForm::SearchNearest() const {
    return !R_Nearest->isDown();
}

void TTrackingForm::ShowVertex(const drawing::Point3& vertex, int vertexCount) {
    Tr_X->setText(FormatGeneral(vertex.x));
    Tr_Y->setText(FormatGeneral(vertex.y));
    Tr_Z->setText(FormatGeneral(vertex.z));
    Tr_P->setText(QString::number(vertexCount));
}

void TTrackingForm::ShowDescription(const std::vector<std::string>& lines) {
    ListBox1->clear();
    for (const std::string& line : lines) ListBox1->addItem(QString::fromStdString(line));
}

QString TTrackingForm::FormatGeneral(double value) {
    return QString::fromStdString(
        platform::FormatGeneral(value, 7, platform::ExponentSign::NegativeOnly));
}

} // namespace dialogs
