#include "TVrBevel.h"

#include <QPainter>

namespace calvoran {

QRect vrFrame3D(QPainter &painter, QRect rect, int width, QColor topLeft, QColor bottomRight) {
    for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
        // Top-right and bottom-left corner pixels belong to the bottom-right colour.
        painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height() - 1), topLeft);
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width() - 1, 1), topLeft);
        painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
        painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

namespace {

QRect fillRing(QPainter &painter, QRect rect, int width, QColor color) {
    return vrFrame3D(painter, rect, width, color, color);
}

} // namespace

TVrBevel::TVrBevel(const TVrBevel &other) : s_(other.s_) {}

TVrBevel &TVrBevel::operator=(const TVrBevel &other) {
    if (this != &other && !sameLook(other)) {
        s_ = other.s_;
        if (onChange_) onChange_();
    }
    return *this;
}

TVrBevel TVrBevel::widgetDefault() {
    TVrBevel bevel;
    bevel.s_.inner.style = bsLowered;
    bevel.s_.inner.width = 2;
    bevel.s_.inner.color = Qt::black;
    return bevel;
}

bool TVrBevel::sameLook(const TVrBevel &other) const {
    auto sameRing = [](const Ring &a, const Ring &b) {
        return a.outline == b.outline && a.style == b.style && a.width == b.width && a.shadow == b.shadow &&
               a.highlight == b.highlight && a.space == b.space && a.color == b.color;
    };
    return s_.borderWidth == other.s_.borderWidth && s_.borderColor == other.s_.borderColor &&
           s_.visible == other.s_.visible && sameRing(s_.outer, other.s_.outer) &&
           sameRing(s_.inner, other.s_.inner);
}

template <typename T> void TVrBevel::assign(T &member, T value) {
    if (member == value) return;
    member = value;
    if (onChange_) onChange_();
}

void TVrBevel::setBorderWidth(int value) {
    assign(s_.borderWidth, qMax(0, value));
}
void TVrBevel::setBorderColor(QColor value) {
    assign(s_.borderColor, value);
}
void TVrBevel::setOuterOutline(TVrBevelOutline value) {
    assign(s_.outer.outline, value);
}
void TVrBevel::setOuterStyle(TVrBevelStyle value) {
    assign(s_.outer.style, value);
}
void TVrBevel::setOuterWidth(int value) {
    assign(s_.outer.width, qMax(0, value));
}
void TVrBevel::setOuterShadow(QColor value) {
    assign(s_.outer.shadow, value);
}
void TVrBevel::setOuterHighlight(QColor value) {
    assign(s_.outer.highlight, value);
}
void TVrBevel::setOuterSpace(int value) {
    assign(s_.outer.space, qMax(0, value));
}
void TVrBevel::setOuterColor(QColor value) {
    assign(s_.outer.color, value);
}
void TVrBevel::setInnerOutline(TVrBevelOutline value) {
    assign(s_.inner.outline, value);
}
void TVrBevel::setInnerStyle(TVrBevelStyle value) {
    assign(s_.inner.style, value);
}
void TVrBevel::setInnerWidth(int value) {
    assign(s_.inner.width, qMax(0, value));
}
void TVrBevel::setInnerShadow(QColor value) {
    assign(s_.inner.shadow, value);
}
void TVrBevel::setInnerHighlight(QColor value) {
    assign(s_.inner.highlight, value);
}
void TVrBevel::setInnerSpace(int value) {
    assign(s_.inner.space, qMax(0, value));
}
void TVrBevel::setInnerColor(QColor value) {
    assign(s_.inner.color, value);
}
void TVrBevel::setVisible(bool value) {
    assign(s_.visible, value);
}

int TVrBevel::ringWidth(const Ring &ring) {
    return (ring.outline != osNone ? 1 : 0) + (ring.style != bsNone ? ring.width : 0) + ring.space;
}

int TVrBevel::totalWidth() const {
    if (!s_.visible) return 0;
    return s_.borderWidth + ringWidth(s_.outer) + ringWidth(s_.inner);
}

QRect TVrBevel::paintRing(QPainter &painter, QRect rect, const Ring &ring) {
    if (ring.outline == osOuter) rect = fillRing(painter, rect, 1, Qt::black);
    if (ring.style == bsLowered)
        rect = vrFrame3D(painter, rect, ring.width, ring.shadow, ring.highlight);
    else if (ring.style == bsRaised)
        rect = vrFrame3D(painter, rect, ring.width, ring.highlight, ring.shadow);
    if (ring.outline == osInner) rect = fillRing(painter, rect, 1, Qt::black);
    return fillRing(painter, rect, ring.space, ring.color);
}

QRect TVrBevel::paint(QPainter &painter, QRect rect) const {
    if (!s_.visible) return rect;
    rect = fillRing(painter, rect, s_.borderWidth, s_.borderColor);
    rect = paintRing(painter, rect, s_.outer);
    return paintRing(painter, rect, s_.inner);
}

} // namespace calvoran
