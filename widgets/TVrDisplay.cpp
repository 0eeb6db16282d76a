#include "TVrDisplay.h"

#include <QPainter>

namespace calvoran {

TVrDisplay::TVrDisplay(QWidget *parent) : VrImageWidget(parent) {
    setColor(QColor(0x85987C));
    bevel_.setOnChange([this] { bevelChanged(); });
    bevelChanged();
    resize(185, 41);
}

TVrDisplay::~TVrDisplay() = default;

void TVrDisplay::bevelChanged() {
    const int w = bevel_.totalWidth();
    setContentsMargins(w, w, w, w);
    update();
}

void TVrDisplay::setShadowWidth(int value) {
    value = qMax(0, value);
    if (value == shadowWidth_) return;
    shadowWidth_ = value;
    update();
}

void TVrDisplay::setShadowColor1(QColor value) {
    if (value == shadowColor1_) return;
    shadowColor1_ = value;
    update();
}

void TVrDisplay::setShadowColor2(QColor value) {
    if (value == shadowColor2_) return;
    shadowColor2_ = value;
    update();
}

void TVrDisplay::setShadowLayout(TVrShadowLayout value) {
    if (value == shadowLayout_) return;
    shadowLayout_ = value;
    update();
}

QColor TVrDisplay::shadowLineColor(int line) const {
    if (shadowWidth_ <= 0) return shadowColor1_;
    auto channel = [&](int c1, int c2) { return c1 + line * (c2 - c1) / shadowWidth_; };
    return QColor(channel(shadowColor1_.red(), shadowColor2_.red()),
                  channel(shadowColor1_.green(), shadowColor2_.green()),
                  channel(shadowColor1_.blue(), shadowColor2_.blue()));
}

void TVrDisplay::moveEvent(QMoveEvent *event) {
    VrImageWidget::moveEvent(event);
    update();
}

void TVrDisplay::paintImage(QPainter &painter) {
    const QRect first = bevel_.paint(painter, QRect(QPoint(0, 0), size()));
    QRect r = first;
    for (int i = 0; i < shadowWidth_ && r.width() > 0 && r.height() > 0; ++i) {
        const QColor color = shadowLineColor(i);
        // Each line is an L along two edges of the current rectangle, reaching the first one's far ends.
        const QRect left(r.left(), r.top(), 1, first.bottom() - r.top() + 1);
        const QRect leftDown(r.left(), first.top(), 1, r.bottom() - first.top() + 1);
        const QRect right(r.right(), r.top(), 1, first.bottom() - r.top() + 1);
        const QRect rightDown(r.right(), first.top(), 1, r.bottom() - first.top() + 1);
        const QRect top(r.left(), r.top(), first.right() - r.left() + 1, 1);
        const QRect topRight(first.left(), r.top(), r.right() - first.left() + 1, 1);
        const QRect bottom(r.left(), r.bottom(), first.right() - r.left() + 1, 1);
        const QRect bottomRight(first.left(), r.bottom(), r.right() - first.left() + 1, 1);
        switch (shadowLayout_) {
        case soTopLeft:
            painter.fillRect(left, color);
            painter.fillRect(top, color);
            break;
        case soTopRight:
            painter.fillRect(topRight, color);
            painter.fillRect(right, color);
            break;
        case soBottomLeft:
            painter.fillRect(leftDown, color);
            painter.fillRect(bottom, color);
            break;
        case soBottomRight:
            painter.fillRect(bottomRight, color);
            painter.fillRect(rightDown, color);
            break;
        }
        r.adjust(1, 1, -1, -1);
    }
}

} // namespace calvoran
