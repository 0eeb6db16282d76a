#include "ArtHelpers.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace calvoran::skinart {

namespace {

QFont labelFont(int pixelSize, qreal spacing, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

} // namespace

void paintRecess(QPainter &painter, const QRectF &rect, qreal radius, const QColor &fill) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // Light lip below, so the well reads as sunk.
    painter.setBrush(QColor(255, 255, 255, 38));
    painter.drawRoundedRect(rect.translated(0, 1), radius, radius);
    painter.setBrush(fill);
    painter.drawRoundedRect(rect, radius, radius);
    QPainterPath well;
    well.addRoundedRect(rect, radius, radius);
    painter.setClipPath(well);
    QLinearGradient shade(0, rect.top(), 0, rect.top() + 6);
    shade.setColorAt(0, QColor(0, 0, 0, 120));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    painter.setBrush(shade);
    painter.drawRect(rect);
    painter.restore();
}

qreal labelWidth(const QString &text, int pixelSize, qreal spacing, bool bold) {
    return QFontMetricsF(labelFont(pixelSize, spacing, bold)).horizontalAdvance(text) - spacing;
}

void paintLabel(QPainter &painter, const QString &text, qreal x, qreal y, int pixelSize, qreal spacing,
                const QColor &color, bool bold) {
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(labelFont(pixelSize, spacing, bold));
    painter.setPen(color);
    painter.drawText(QPointF(x, y), text);
    painter.restore();
}

void paintGrille(QPainter &painter, const QRectF &area, qreal pitch, qreal radius, const QColor &hole,
                 const QColor &rim) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (qreal y = area.top() + radius; y <= area.bottom() - radius; y += pitch) {
        for (qreal x = area.left() + radius; x <= area.right() - radius; x += pitch) {
            painter.setBrush(rim);
            painter.drawEllipse(QPointF(x, y + 0.7), radius, radius);
            painter.setBrush(hole);
            painter.drawEllipse(QPointF(x, y), radius, radius);
        }
    }
    painter.restore();
}

} // namespace calvoran::skinart
