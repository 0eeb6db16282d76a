#pragma once
#include <QColor>
#include <QImage>
#include <QRectF>
#include <QRgb>

class QPainter;

namespace calvoran::skinart {

// The colour a glyph's top-left pixel carries: where the button leaves the background showing.
constexpr QRgb kKeyColor = qRgb(255, 0, 255);

enum class Icon { Previous, Play, Stop, Next, Playlist, Add, Delete, Save };
enum class Shape { RoundedRect, Circle };

struct ButtonStyle {
    Shape shape = Shape::RoundedRect;
    qreal radius = 4;
    QColor faceTop, faceBottom, border, icon;
    QColor hoverFaceTop, hoverFaceBottom, hoverIcon;
    // Hard edges for buttons whose surroundings are not known (the playlist window).
    bool hardEdge = false;
};

void paintIcon(QPainter &painter, Icon icon, const QRectF &box, const QColor &color);

// A glyph of two frames side by side (normal, mouse over) of `frame` size. `under` is what lies
// beneath the button, `frame` big: edges are smoothed against it, and the rest is kKeyColor.
QImage paintGlyph(Icon icon, QSize frame, const ButtonStyle &style, const QImage &under);

} // namespace calvoran::skinart
