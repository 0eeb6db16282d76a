#include "TVrLabel.h"

#include <QEvent>
#include <QPainter>
#include <cmath>
#include <numbers>

namespace calvoran {

TVrLabel::TVrLabel(QWidget *parent) : VrImageWidget(parent) {
    setColor(palette().color(QPalette::Button));
    setFocusPolicy(Qt::NoFocus);
}

TVrLabel::~TVrLabel() = default;

void TVrLabel::setCaption(const QString &value) {
    if (caption_ == value) return;
    caption_ = value;
    update();
}

void TVrLabel::setStyle(TVrLabelStyle value) {
    if (style_ == value) return;
    style_ = value;
    update();
}

void TVrLabel::setColorHighlight(QColor value) {
    if (colorHighlight_ == value) return;
    colorHighlight_ = value;
    update();
}

void TVrLabel::setColorShadow(QColor value) {
    if (colorShadow_ == value) return;
    colorShadow_ = value;
    update();
}

void TVrLabel::setShadowDepth(int value) {
    if (shadowDepth_ == value) return;
    shadowDepth_ = value;
    update();
}

void TVrLabel::setAlignment(TVrAlignment value) {
    if (alignment_ == value) return;
    alignment_ = value;
    update();
}

void TVrLabel::setLayout(TVrTextLayout value) {
    if (layout_ == value) return;
    layout_ = value;
    update();
}

void TVrLabel::setAngle(int value) {
    value %= 360;
    if (angle_ == value) return;
    angle_ = value;
    update();
}

void TVrLabel::setBitmap(const QImage &value) {
    bitmap_ = value;
    update();
}

void TVrLabel::setFontColor(QColor value) {
    if (fontColor_ == value) return;
    fontColor_ = value;
    update();
}

QRectF TVrLabel::textBounds() const {
    const QFontMetrics metrics = fontMetrics();
    const qreal w = metrics.horizontalAdvance(caption_);
    const qreal h = metrics.height();
    const qreal radians = angle_ * std::numbers::pi / 180.0;
    const qreal c = std::abs(std::cos(radians));
    const qreal s = std::abs(std::sin(radians));
    const QSizeF box(w * c + h * s, w * s + h * c);
    qreal x = 0;
    if (alignment_ == taCenter)
        x = (width() - box.width()) / 2;
    else if (alignment_ == taRightJustify)
        x = width() - box.width();
    qreal y = 0;
    if (layout_ == tlCenter)
        y = (height() - box.height()) / 2;
    else if (layout_ == tlBottom)
        y = height() - box.height();
    return QRectF(QPointF(std::round(x), std::round(y)), box);
}

// The caption rotated about the centre of its placed bounding box.
void TVrLabel::drawCaption(QPainter &painter, QPointF offset, QColor color) const {
    const QFontMetrics metrics = fontMetrics();
    const QRectF bounds = textBounds();
    painter.save();
    painter.translate(bounds.center() + offset);
    painter.rotate(-angle_);
    painter.setFont(font());
    painter.setPen(color);
    painter.drawText(
        QPointF(-metrics.horizontalAdvance(caption_) / 2.0, -metrics.height() / 2.0 + metrics.ascent()),
        caption_);
    painter.restore();
}

void TVrLabel::paintImage(QPainter &painter) {
    if (caption_.isEmpty()) return;
    switch (style_) {
    case lsNone:
        break;
    case lsRaised:
        drawCaption(painter, QPointF(1, 1), colorShadow_);
        drawCaption(painter, QPointF(-1, -1), colorHighlight_);
        break;
    case lsLowered:
        drawCaption(painter, QPointF(1, 1), colorHighlight_);
        drawCaption(painter, QPointF(-1, -1), colorShadow_);
        break;
    case lsShadow:
        drawCaption(painter, QPointF(shadowDepth_, shadowDepth_), colorShadow_);
        break;
    }
    if (bitmap_.isNull()) {
        drawCaption(painter, QPointF(), fontColor_);
        return;
    }
    // The texture shows only where the letters are.
    QImage letters(size(), QImage::Format_ARGB32_Premultiplied);
    letters.fill(Qt::transparent);
    QPainter layer(&letters);
    drawCaption(layer, QPointF(), fontColor_);
    layer.setCompositionMode(QPainter::CompositionMode_SourceIn);
    layer.drawImage(rect(), bitmap_);
    layer.end();
    painter.drawImage(0, 0, letters);
}

void TVrLabel::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange) update();
    VrImageWidget::changeEvent(event);
}

} // namespace calvoran
