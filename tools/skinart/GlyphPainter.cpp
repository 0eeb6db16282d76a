#include "GlyphPainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace calvoran::skinart {

namespace {

QPainterPath triangle(QPointF tip, qreal height, qreal width, bool pointsRight) {
    const qreal back = pointsRight ? tip.x() - width : tip.x() + width;
    QPainterPath path;
    path.moveTo(tip);
    path.lineTo(back, tip.y() - height / 2);
    path.lineTo(back, tip.y() + height / 2);
    path.closeSubpath();
    return path;
}

// Skip icons: a bar and one or two triangles, two when there is room for them to read.
QPainterPath skipIcon(const QRectF &box, bool forward) {
    const qreal h = box.height() * 0.62;
    const qreal bar = std::max<qreal>(1.6, h * 0.16);
    const bool two = box.width() >= 16;
    const qreal tri = h * (two ? 0.62 : 0.8);
    const qreal total = bar + tri * (two ? 2 : 1) + 0.5;
    const qreal left = box.center().x() - total / 2;
    const qreal cy = box.center().y();
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    if (forward) {
        qreal x = left;
        for (int i = 0; i < (two ? 2 : 1); ++i, x += tri)
            path.addPath(triangle({x + tri, cy}, h, tri, true));
        path.addRect(QRectF(x + 0.5, cy - h / 2, bar, h));
    } else {
        path.addRect(QRectF(left, cy - h / 2, bar, h));
        qreal x = left + bar + 0.5;
        for (int i = 0; i < (two ? 2 : 1); ++i, x += tri)
            path.addPath(triangle({x, cy}, h, tri, false));
    }
    return path.simplified();
}

QPainterPath iconPath(Icon icon, const QRectF &box) {
    const qreal s = std::min(box.width(), box.height());
    const QPointF c = box.center();
    QPainterPath path;
    // Overlapping parts (the bars of a plus) must add up, not cancel.
    path.setFillRule(Qt::WindingFill);
    switch (icon) {
    case Icon::Play: {
        const qreal h = s * 0.66;
        const qreal w = h * 0.88;
        // Nudged right: a triangle's visual centre lies left of its box's.
        path.addPath(triangle({c.x() + w * 0.58, c.y()}, h, w, true));
        break;
    }
    case Icon::Stop: {
        const qreal a = s * 0.5;
        path.addRoundedRect(QRectF(c.x() - a / 2, c.y() - a / 2, a, a), 1, 1);
        break;
    }
    case Icon::Previous:
        return skipIcon(box, false);
    case Icon::Next:
        return skipIcon(box, true);
    case Icon::Playlist: {
        const qreal w = s * 0.78;
        const qreal line = std::max<qreal>(1.4, s * 0.12);
        const qreal gap = s * 0.22;
        for (int i = -1; i <= 1; ++i) {
            const qreal y = c.y() + i * gap - line / 2;
            path.addRect(QRectF(c.x() - w / 2, y, line, line));
            path.addRect(QRectF(c.x() - w / 2 + line * 1.9, y, w - line * 1.9, line));
        }
        break;
    }
    case Icon::Add:
    case Icon::Delete: {
        const qreal a = s * 0.6;
        const qreal t = std::max<qreal>(1.6, s * 0.16);
        path.addRect(QRectF(c.x() - a / 2, c.y() - t / 2, a, t));
        if (icon == Icon::Add) path.addRect(QRectF(c.x() - t / 2, c.y() - a / 2, t, a));
        return path.simplified();
    }
    case Icon::Save: {
        // An arrow down onto a tray.
        const qreal a = s * 0.7;
        const qreal t = std::max<qreal>(1.5, s * 0.13);
        const qreal top = c.y() - a / 2;
        QPainterPath head;
        head.moveTo(c.x() - a * 0.3, top + a * 0.42);
        head.lineTo(c.x() + a * 0.3, top + a * 0.42);
        head.lineTo(c.x(), top + a * 0.74);
        head.closeSubpath();
        path.addRect(QRectF(c.x() - t / 2, top, t, a * 0.45));
        path.addPath(head);
        path.addRect(QRectF(c.x() - a / 2, top + a - t, a, t));
        path.addRect(QRectF(c.x() - a / 2, top + a * 0.62, t, a * 0.38));
        path.addRect(QRectF(c.x() + a / 2 - t, top + a * 0.62, t, a * 0.38));
        return path.simplified();
    }
    }
    return path;
}

QPainterPath faceOutline(const ButtonStyle &style, const QRectF &rect) {
    QPainterPath path;
    if (style.shape == Shape::Circle)
        path.addEllipse(rect);
    else
        path.addRoundedRect(rect, style.radius, style.radius);
    return path;
}

QImage paintFrame(Icon icon, QSize size, const ButtonStyle &style, bool hover) {
    QImage frame(size, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::Antialiasing, !style.hardEdge);
    const QRectF outer = style.hardEdge ? QRectF(0, 0, size.width(), size.height())
                                        : QRectF(0.5, 0.5, size.width() - 1, size.height() - 1);
    QLinearGradient face(0, 0, 0, size.height());
    face.setColorAt(0, hover ? style.hoverFaceTop : style.faceTop);
    face.setColorAt(1, hover ? style.hoverFaceBottom : style.faceBottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(style.border);
    painter.drawPath(faceOutline(style, outer));
    painter.setBrush(face);
    painter.drawPath(faceOutline(style, outer.adjusted(1, 1, -1, -1)));
    painter.setRenderHint(QPainter::Antialiasing);
    // A thin light edge along the top reads as a raised key.
    painter.setClipPath(faceOutline(style, outer.adjusted(1, 1, -1, -1)));
    painter.setPen(QPen(QColor(255, 255, 255, hover ? 90 : 60), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(faceOutline(style, outer.adjusted(1.5, 1.5, -1.5, -0.5)));
    painter.setClipping(false);

    const QRectF box = outer.adjusted(3, 3, -3, -3);
    const QColor color = hover ? style.hoverIcon : style.icon;
    if (hover) {
        QColor glow = color;
        glow.setAlpha(70);
        painter.setPen(QPen(glow, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(iconPath(icon, box));
    }
    paintIcon(painter, icon, box, color);
    return frame;
}

} // namespace

void paintIcon(QPainter &painter, Icon icon, const QRectF &box, const QColor &color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(iconPath(icon, box));
    painter.restore();
}

QImage paintGlyph(Icon icon, QSize frame, const ButtonStyle &style, const QImage &under) {
    QImage glyph(frame.width() * 2, frame.height(), QImage::Format_RGB32);
    for (int f = 0; f < 2; ++f) {
        const QImage face = paintFrame(icon, frame, style, f == 1);
        QImage composed =
            under.convertToFormat(QImage::Format_RGB32).copy(0, 0, frame.width(), frame.height());
        QPainter(&composed).drawImage(0, 0, face);
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                QRgb pixel = composed.pixel(x, y);
                if (qAlpha(face.pixel(x, y)) == 0)
                    pixel = kKeyColor;
                else if ((pixel & 0xFFFFFF) == (kKeyColor & 0xFFFFFF))
                    pixel = qRgb(254, 0, 255); // a painted pixel must never read as see-through
                glyph.setPixel(f * frame.width() + x, y, pixel);
            }
        }
    }
    // The button takes its transparent colour from here.
    glyph.setPixel(0, 0, kKeyColor);
    return glyph;
}

} // namespace calvoran::skinart
