// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/DialogLook.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QToolButton>
#include <QWidget>

namespace dialogs {

void PaintPanel(QWidget* widget, const QColor& text) {
    QPalette pal = widget->palette();
    const QColor panel = platform::ToQColor(PanelColour);
    pal.setColor(QPalette::Window, panel);
    pal.setColor(QPalette::Base, panel);
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::ButtonText, text);
    // Buttons get a face a shade lighter than the panel, so that their light text reads on
    // it, raised or pressed, checked or not.
    const QColor face = panel.lighter(160);
    pal.setColor(QPalette::Button, face);
    pal.setColor(QPalette::Light, face.lighter(130));
    pal.setColor(QPalette::Midlight, face.lighter(115));
    pal.setColor(QPalette::Mid, face.darker(130));
    pal.setColor(QPalette::Dark, face.darker(160));
    pal.setColor(QPalette::Highlight, QColor(90, 110, 190));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

QFont SansFont(int points, bool bold) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

QToolButton* GlyphButton(QWidget* parent, const QString& name, const QString& hint,
                         QStyle::StandardPixmap glyph, const QString& text) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setText(text);
    const QIcon icon = parent->style()->standardIcon(glyph);
    if (!icon.isNull()) button->setIcon(icon);
    button->setToolButtonStyle(icon.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    return button;
}

void CentreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace dialogs
