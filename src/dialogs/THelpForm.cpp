// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/THelpForm.h"

#include "dialogs/DialogLook.h"
#include "dialogs/HelpTexts.h"

#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace dialogs {

namespace {

// Button and page names, in the order of HelpPages().
constexpr const char* ButtonNames[] = {
    "SpeedButton1", "SpeedButton2",  "SpeedButton6",  "SpeedButton5",  "SpeedButton7",
    "SpeedButton8", "SpeedButton10", "SpeedButton13", "SpeedButton14", "SpeedButton11"};
constexpr const char* PageNames[] = {"TabSheet2",  "TabSheet3", "TabSheet4", "TabSheet5",
                                     "TabSheet6",  "TabSheet8", "TabSheet9", "TabSheet10",
                                     "TabSheet12", "TabSheet1"};
constexpr int TextWidth = 453;

// A scroll box filling the page, with the title and the text under it.
QWidget* MakePage(const HelpPage& help, const char* name) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(page);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    pageLayout->addWidget(scroll);

    auto* content = new QWidget;
    PaintPanel(content);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(12, 8, 12, 8);
    auto* title = new QLabel(QString::fromUtf8(help.Title), content);
    title->setObjectName(QStringLiteral("Title"));
    title->setFont(SansFont(12, true));
    title->setStyleSheet(QStringLiteral("color: yellow"));
    auto* text = new QLabel(QString::fromUtf8(help.Text), content);
    text->setObjectName(QStringLiteral("Text"));
    text->setFont(SansFont(10));
    text->setWordWrap(true);
    text->setFixedWidth(TextWidth);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(title);
    column->addWidget(text);
    column->addStretch(1);
    scroll->setWidget(content);
    return page;
}

} // namespace

THelpForm::THelpForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Penwright Help"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    setFixedSize(602, 396);
    PaintPanel(this);

    auto* panel3 = new QFrame(this);
    panel3->setObjectName(QStringLiteral("Panel3"));
    panel3->setGeometry(0, 0, 89, 391);
    PaintPanel(panel3);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    // The whole client height, so that the tabs under the pages stay in view.
    PageControl1->setGeometry(91, 0, 509, 396);
    PageControl1->setTabPosition(QTabWidget::South);
    PageControl1->tabBar()->setExpanding(false);
    QFont tabFont(QStringLiteral("Times New Roman"));
    tabFont.setBold(true);
    PageControl1->tabBar()->setFont(tabFont);

    const auto& pages = HelpPages();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        PageControl1->addTab(MakePage(pages[i], PageNames[i]), QString::fromLatin1(pages[i].Tab));
        auto* button = new QToolButton(panel3);
        button->setObjectName(QString::fromLatin1(ButtonNames[i]));
        button->setText(QString::fromLatin1(pages[i].Button));
        button->setAutoRaise(true);
        // The button of the page shown stays down, in the highlight's colours.
        button->setCheckable(true);
        button->setAutoExclusive(true);
        button->setStyleSheet(QStringLiteral(
            "QToolButton:checked { background: rgb(90, 110, 190); color: yellow; border: none; }"));
        button->setGeometry(3, 4 + int(i) * 22, 82, 20);
        const QString page = QString::fromLatin1(PageNames[i]);
        pageButtons_.emplace_back(page, button);
        connect(button, &QToolButton::clicked, this, [this, page] { ShowPage(page); });
    }
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { MarkPageButton(); });
    ShowPage(QStringLiteral("TabSheet1"));
    MarkPageButton();
    CentreOnScreen(this);
}

void THelpForm::ShowPage(const QString& pageName) {
    if (auto* page = PageControl1->findChild<QWidget*>(pageName))
        PageControl1->setCurrentWidget(page);
}

void THelpForm::MarkPageButton() {
    const QWidget* page = PageControl1->currentWidget();
    for (auto& [name, button] : pageButtons_)
        if (page && name == page->objectName()) button->setChecked(true);
}

} // namespace dialogs
