#include "PlayerLook.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace calvoran::PlayerLook {

namespace {

const QColor kKey(0xFF, 0x00, 0xFF);

void drawSymbol(QPainter &p, SkinButton button, const QRectF &r, const QColor &ink) {
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const QPointF c = r.center();
    auto triangle = [&](qreal x, qreal dir, qreal w, qreal h) {
        QPainterPath path;
        path.moveTo(x, c.y() - h / 2);
        path.lineTo(x + dir * w, c.y());
        path.lineTo(x, c.y() + h / 2);
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (button) {
    case SkinButton::PlButton:
        for (int i = 0; i < 3; ++i)
            p.drawRect(QRectF(c.x() - 5, c.y() - 4 + i * 3, 10, 1.6));
        break;
    case SkinButton::PrevBtn:
        p.drawRect(QRectF(c.x() - 6, c.y() - 4, 2, 8));
        triangle(c.x() + 1, -1, 5, 8);
        triangle(c.x() + 6, -1, 5, 8);
        break;
    case SkinButton::PlayBtn:
        triangle(c.x() - 3, 1, 7, 9);
        break;
    case SkinButton::StopBtn:
        p.drawRect(QRectF(c.x() - 3.5, c.y() - 3.5, 7, 7));
        break;
    case SkinButton::NextBtn:
        triangle(c.x() - 6, 1, 5, 8);
        triangle(c.x() - 1, 1, 5, 8);
        p.drawRect(QRectF(c.x() + 4, c.y() - 4, 2, 8));
        break;
    case SkinButton::AddBtn:
        p.drawRect(QRectF(c.x() - 4, c.y() - 1, 8, 2));
        p.drawRect(QRectF(c.x() - 1, c.y() - 4, 2, 8));
        break;
    case SkinButton::Delbtn:
        p.drawRect(QRectF(c.x() - 4, c.y() - 1, 8, 2));
        break;
    case SkinButton::SaveBtn:
        p.drawRect(QRectF(c.x() - 4, c.y() - 4, 8, 8));
        p.setBrush(QColor(0x20, 0x24, 0x2c));
        p.drawRect(QRectF(c.x() - 2, c.y() - 4, 4, 3));
        break;
    }
}

QSize frameSizeOf(SkinButton button) {
    switch (button) {
    case SkinButton::PlButton:
        return {25, 18};
    case SkinButton::AddBtn:
    case SkinButton::Delbtn:
    case SkinButton::SaveBtn:
        return {25, 17};
    default:
        return {28, 20};
    }
}

} // namespace

QString minutesSeconds(float seconds) {
    const int minutes = static_cast<int>(seconds / 60);
    const int rest = static_cast<int>(seconds - static_cast<float>(minutes) * 60);
    return QString::number(minutes) + ':' + QString::number(rest);
}

QImage builtInGlyph(SkinButton button) {
    const QSize frame = frameSizeOf(button);
    QImage glyph(frame.width() * 2, frame.height(), QImage::Format_RGB32);
    glyph.fill(kKey);
    QPainter p(&glyph);
    p.setRenderHint(QPainter::Antialiasing);
    for (int f = 0; f < 2; ++f) {
        const QRectF r(f * frame.width() + 1.5, 1.5, frame.width() - 3, frame.height() - 3);
        QLinearGradient face(r.topLeft(), r.bottomLeft());
        face.setColorAt(0, f ? QColor(0x5a, 0x64, 0x78) : QColor(0x46, 0x4e, 0x5e));
        face.setColorAt(1, f ? QColor(0x32, 0x3a, 0x48) : QColor(0x24, 0x29, 0x33));
        p.setPen(QPen(QColor(0x10, 0x12, 0x16), 1));
        p.setBrush(face);
        p.drawRoundedRect(r, 3, 3);
        drawSymbol(p, button, r, f ? QColor(0x9c, 0xff, 0x7a) : QColor(0x5c, 0xd8, 0x3c));
    }
    p.end();
    return glyph;
}

QImage builtInBackground() {
    QImage image(kDesignWidth, kDesignHeight, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, kDesignHeight);
    g.setColorAt(0, QColor(0x3a, 0x40, 0x4c));
    g.setColorAt(1, QColor(0x1c, 0x1f, 0x26));
    p.fillRect(image.rect(), g);
    p.setPen(QColor(0x62, 0x6a, 0x7a));
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    p.end();
    return image;
}

QImage menuButtonPicture() {
    QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x70, 0x78, 0x84));
    p.drawEllipse(QRectF(0, 0, 10, 10));
    p.setBrush(Qt::white);
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(2.5 + i * 2.5, 5), 0.9, 0.9);
    p.end();
    return image;
}

QImage firstFrame(const QImage &glyph, int numGlyphs) {
    if (glyph.isNull() || numGlyphs < 1) return {};
    const int width = glyph.width() / numGlyphs;
    QImage out = glyph.copy(0, 0, width, glyph.height()).convertToFormat(QImage::Format_ARGB32);
    const QRgb key = glyph.pixel(0, 0) & 0xFFFFFF;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if ((out.pixel(x, y) & 0xFFFFFF) == key) out.setPixel(x, y, 0);
    return out;
}

} // namespace calvoran::PlayerLook
