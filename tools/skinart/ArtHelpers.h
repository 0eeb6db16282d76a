#pragma once
#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace calvoran::skinart {

// A well pressed into the surface: shadow along its top, a light edge along its bottom.
void paintRecess(QPainter &painter, const QRectF &rect, qreal radius, const QColor &fill);
// Letter-spaced text; `pixelSize` in pixels, left edge at x, baseline at y.
void paintLabel(QPainter &painter, const QString &text, qreal x, qreal y, int pixelSize, qreal spacing,
                const QColor &color, bool bold = true);
qreal labelWidth(const QString &text, int pixelSize, qreal spacing, bool bold = true);
// Rows of small holes, as over a speaker.
void paintGrille(QPainter &painter, const QRectF &area, qreal pitch, qreal radius, const QColor &hole,
                 const QColor &rim);

} // namespace calvoran::skinart
