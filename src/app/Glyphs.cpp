// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Glyphs.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace app {

namespace {

using Draw = std::function<void(QPainter&)>;
const QColor Ink(235, 235, 245);
const QColor Accent(255, 210, 60);

void Letter(QPainter& p, const QString& s, int size = 11, bool bold = true) {
    QFont f("Liberation Sans");
    f.setPixelSize(size);
    f.setBold(bold);
    p.setFont(f);
    p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, s);
}

void Magnifier(QPainter& p, const QString& sign) {
    p.drawEllipse(QRectF(3, 3, 10, 10));
    p.drawLine(QPointF(12, 12), QPointF(17, 17));
    if (sign.contains('-') || sign.contains('+')) p.drawLine(QPointF(5.5, 8), QPointF(10.5, 8));
    if (sign.contains('+')) p.drawLine(QPointF(8, 5.5), QPointF(8, 10.5));
}

const QHash<QString, Draw>& Table() {
    static const QHash<QString, Draw> table = {
        // file group
        {"open",
         [](QPainter& p) {
             p.drawPolyline(
                 QPolygonF({{2, 6}, {7, 6}, {9, 8}, {17, 8}, {17, 16}, {2, 16}, {2, 6}}));
         }},
        {"save",
         [](QPainter& p) {
             p.drawRect(3, 3, 14, 14);
             p.fillRect(6, 3, 8, 5, Ink);
             p.drawRect(6, 11, 8, 6);
         }},
        {"scan",
         [](QPainter& p) {
             p.drawRect(2, 9, 16, 7);
             p.setPen(Accent);
             p.drawLine(4, 12, 16, 12);
         }},
        {"print",
         [](QPainter& p) {
             p.drawRect(3, 8, 14, 6);
             p.drawRect(6, 3, 8, 5);
             p.drawRect(6, 14, 8, 4);
         }},
        {"map size",
         [](QPainter& p) {
             p.drawRect(3, 3, 14, 14);
             p.setPen(Accent);
             p.drawLine(6, 14, 14, 6);
             p.drawLine(14, 6, 10, 6);
             p.drawLine(14, 6, 14, 10);
         }},
        // raster group
        {"pick up text",
         [](QPainter& p) {
             p.setPen(QPen(Ink, 1, Qt::DashLine));
             p.drawRect(2, 4, 16, 12);
             p.setPen(Accent);
             Letter(p, "T");
         }},
        {"eraser",
         [](QPainter& p) {
             p.drawPolygon(QPolygonF({{4, 14}, {11, 5}, {17, 10}, {11, 17}, {6, 17}}));
             p.drawLine(7, 10, 13, 15);
         }},
        {"fill box", [](QPainter& p) { p.fillRect(4, 4, 12, 12, Ink); }},
        {"raster polyline",
         [](QPainter& p) {
             p.drawPolyline(QPolygonF({{2, 16}, {7, 5}, {12, 13}, {18, 3}}));
         }},
        {"pencil",
         [](QPainter& p) {
             p.drawPolygon(QPolygonF({{4, 16}, {5, 12}, {14, 3}, {17, 6}, {8, 15}}));
         }},
        // convert group
        {"vectorize",
         [](QPainter& p) {
             p.setPen(Accent);
             Letter(p, "V");
         }},
        {"thin",
         [](QPainter& p) {
             p.setPen(QPen(Ink, 5));
             p.drawLine(4, 10, 16, 10);
             p.setPen(QPen(Accent, 1));
             p.drawLine(4, 10, 16, 10);
         }},
        {"contract",
         [](QPainter& p) {
             p.drawRect(3, 3, 14, 14);
             p.setPen(Accent);
             p.drawRect(6, 6, 8, 8);
         }},
        {"enlarge",
         [](QPainter& p) {
             p.drawRect(6, 6, 8, 8);
             p.setPen(Accent);
             p.drawRect(3, 3, 14, 14);
         }},
        {"undo outline",
         [](QPainter& p) {
             p.drawArc(QRectF(4, 4, 12, 12), 90 * 16, 270 * 16);
             p.drawLine(10, 4, 7, 2);
             p.drawLine(10, 4, 7, 7);
         }},
        // draw group
        {"text", [](QPainter& p) { Letter(p, "T", 14, false); }},
        {"circle", [](QPainter& p) { p.drawEllipse(QRectF(3, 3, 14, 14)); }},
        {"rectangle", [](QPainter& p) { p.drawRect(3, 5, 14, 10); }},
        {"polyline",
         [](QPainter& p) {
             p.drawPolyline(QPolygonF({{2, 15}, {6, 5}, {12, 12}, {18, 4}}));
         }},
        {"line", [](QPainter& p) { p.drawLine(3, 17, 17, 3); }},
        // vector group
        {"pick",
         [](QPainter& p) {
             p.drawPolygon(
                 QPolygonF({{5, 3}, {5, 16}, {8, 13}, {11, 18}, {13, 17}, {10, 12}, {14, 12}}));
         }},
        {"points",
         [](QPainter& p) {
             p.drawPolyline(QPolygonF({{3, 15}, {10, 5}, {17, 14}}));
             p.setBrush(Accent);
             for (QPointF c : {QPointF(3, 15), QPointF(10, 5), QPointF(17, 14)})
                 p.drawEllipse(c, 2, 2);
         }},
        {"scale",
         [](QPainter& p) {
             p.drawRect(3, 9, 8, 8);
             p.setPen(Accent);
             p.drawRect(3, 3, 14, 14);
         }},
        {"rotate",
         [](QPainter& p) {
             p.drawArc(QRectF(3, 3, 14, 14), 30 * 16, 300 * 16);
             p.drawLine(16, 6, 17, 2);
             p.drawLine(16, 6, 12, 6);
         }},
        {"move",
         [](QPainter& p) {
             p.drawLine(10, 2, 10, 18);
             p.drawLine(2, 10, 18, 10);
             p.drawLine(10, 2, 7, 5);
             p.drawLine(10, 2, 13, 5);
             p.drawLine(18, 10, 15, 7);
             p.drawLine(18, 10, 15, 13);
         }},
        // management group
        {"layers",
         [](QPainter& p) {
             p.drawRect(3, 4, 12, 4);
             p.drawRect(5, 10, 12, 4);
         }},
        {"entities",
         [](QPainter& p) {
             p.drawEllipse(QRectF(3, 3, 6, 6));
             p.drawRect(11, 11, 6, 6);
         }},
        {"data",
         [](QPainter& p) {
             p.drawEllipse(QRectF(4, 2, 12, 5));
             p.drawLine(4, 5, 4, 15);
             p.drawLine(16, 5, 16, 15);
             p.drawArc(QRectF(4, 12, 12, 5), 180 * 16, 180 * 16);
         }},
        {"selection",
         [](QPainter& p) {
             p.setPen(QPen(Ink, 1, Qt::DotLine));
             p.drawRect(3, 3, 14, 14);
         }},
        {"links",
         [](QPainter& p) {
             p.drawEllipse(QRectF(2, 7, 9, 6));
             p.drawEllipse(QRectF(9, 7, 9, 6));
         }},
        // info bar
        {"zoom in", [](QPainter& p) { Magnifier(p, "+"); }},
        {"zoom out", [](QPainter& p) { Magnifier(p, "-"); }},
        {"reset",
         [](QPainter& p) {
             p.drawRect(4, 4, 12, 12);
             p.drawLine(2, 10, 6, 10);
             p.drawLine(14, 10, 18, 10);
         }},
        {"undo",
         [](QPainter& p) {
             p.drawArc(QRectF(4, 5, 12, 11), 0, 200 * 16);
             p.drawLine(4, 11, 2, 7);
             p.drawLine(4, 11, 8, 9);
         }},
        {"detect edge",
         [](QPainter& p) {
             p.setPen(QPen(Ink, 1, Qt::DashLine));
             p.drawEllipse(QRectF(3, 3, 14, 14));
             p.setPen(Accent);
             p.drawPoint(10, 10);
         }},
        {"pan",
         [](QPainter& p) {
             p.drawPolyline(QPolygonF({{6, 17},
                                       {4, 9},
                                       {6, 8},
                                       {8, 11},
                                       {8, 3},
                                       {10, 3},
                                       {10, 9},
                                       {10, 2},
                                       {12, 2},
                                       {12, 9},
                                       {12, 3},
                                       {14, 3},
                                       {14, 10},
                                       {14, 5},
                                       {16, 5},
                                       {16, 13},
                                       {14, 17}}));
         }},
        {"draw",
         [](QPainter& p) {
             p.drawPolygon(
                 QPolygonF({{5, 3}, {5, 16}, {8, 13}, {11, 18}, {13, 17}, {10, 12}, {14, 12}}));
         }},
        {"zoom box",
         [](QPainter& p) {
             p.setPen(QPen(Ink, 1, Qt::DashLine));
             p.drawRect(2, 2, 11, 11);
             p.setPen(Ink);
             Magnifier(p, "");
         }},
        {"select",
         [](QPainter& p) {
             p.drawPolygon(
                 QPolygonF({{5, 3}, {5, 16}, {8, 13}, {11, 18}, {13, 17}, {10, 12}, {14, 12}}));
             p.setPen(Accent);
             p.drawRect(12, 2, 6, 6);
         }},
        {"show layers",
         [](QPainter& p) {
             p.drawPolygon(QPolygonF({{2, 7}, {10, 3}, {18, 7}, {10, 11}}));
             p.drawPolyline(QPolygonF({{2, 11}, {10, 15}, {18, 11}}));
         }},
        {"view dialog",
         [](QPainter& p) {
             p.drawEllipse(QRectF(2, 6, 16, 8));
             p.setBrush(Ink);
             p.drawEllipse(QRectF(8, 8, 4, 4));
         }},
        {"tracking",
         [](QPainter& p) {
             p.drawLine(10, 2, 10, 18);
             p.drawLine(2, 10, 18, 10);
             p.setPen(Accent);
             p.drawEllipse(QRectF(6, 6, 8, 8));
         }},
        {"background",
         [](QPainter& p) {
             p.fillRect(3, 3, 14, 14, QColor(120, 120, 140));
             p.drawRect(3, 3, 14, 14);
         }},
        {"information", [](QPainter& p) { Letter(p, "i", 14); }},
    };
    return table;
}

} // namespace

QIcon GlyphFor(const QString& glyph) {
    const auto it = Table().constFind(glyph);
    if (it == Table().constEnd()) return {};
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Ink, 1.3));
    it.value()(p);
    return QIcon(pixmap);
}

} // namespace app
