#include "TVrTrackBar.h"
#include "VrThumbArt.h"

#include <QPainter>
#include <algorithm>

namespace calvoran {

TVrTrackBar::TVrTrackBar(QWidget *parent) : VrTrackWidget(parent, voHorizontal) {
    setColor(palette().color(QPalette::Button));
    gutterBevel_.setOuterStyle(bsLowered);
    gutterBevel_.setOnChange([this] { update(); });
    setCursor(Qt::PointingHandCursor);
}

TVrTrackBar::~TVrTrackBar() = default;

void TVrTrackBar::setOptions(TVrTrackBarOptions value) {
    if (options_ == value) return;
    options_ = value;
    if (options_.testFlag(toHandPoint))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    update();
}

void TVrTrackBar::setBackImageIndex(int value) {
    if (backIndex_ == value) return;
    backIndex_ = value;
    update();
}

void TVrTrackBar::setGutterWidth(int value) {
    value = std::max(0, value);
    if (gutterWidth_ == value) return;
    gutterWidth_ = value;
    update();
}

void TVrTrackBar::setGutterColor(QColor value) {
    if (gutterColor_ == value) return;
    gutterColor_ = value;
    update();
}

void TVrTrackBar::setTickMarks(TVrTickMarks value) {
    if (tickMarks_ == value) return;
    tickMarks_ = value;
    update();
}

void TVrTrackBar::setFrequency(int value) {
    value = std::max(1, value);
    if (frequency_ == value) return;
    frequency_ = value;
    update();
}

void TVrTrackBar::setTickColor(QColor value) {
    if (tickColor_ == value) return;
    tickColor_ = value;
    update();
}

void TVrTrackBar::setScaleOffset(int value) {
    if (scaleOffset_ == value) return;
    scaleOffset_ = value;
    update();
}

void TVrTrackBar::setBorderWidth(int value) {
    value = std::max(0, value);
    if (borderWidth_ == value) return;
    borderWidth_ = value;
    update();
}

void TVrTrackBar::setFocusColor(QColor value) {
    if (focusColor_ == value) return;
    focusColor_ = value;
    update();
}

void TVrTrackBar::setFocusOffset(int value) {
    if (focusOffset_ == value) return;
    focusOffset_ = value;
    update();
}

QRect TVrTrackBar::trackRect() const {
    return rect().adjusted(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
}

QImage TVrTrackBar::builtinThumb() const {
    // Across the bar the thumb may cover the border, but never leaves the widget.
    const bool vertical = Orientation() == voVertical;
    return VrThumbArt::trackBarThumb(vertical, vertical ? width() : height());
}

QRect TVrTrackBar::grooveRect() const {
    if (Orientation() == voHorizontal)
        return QRect(borderWidth_, (height() - gutterWidth_) / 2, width() - 2 * borderWidth_, gutterWidth_);
    return QRect((width() - gutterWidth_) / 2, borderWidth_, gutterWidth_, height() - 2 * borderWidth_);
}

void TVrTrackBar::paintTicks(QPainter &painter, const QRect &groove) const {
    if (tickMarks_ == tmNone) return;
    const VrTrackGeometry geometry = trackGeometry();
    const bool vertical = Orientation() == voVertical;
    const bool before = tickMarks_ == tmBoth || tickMarks_ == tmTopLeft;
    const bool after = tickMarks_ == tmBoth || tickMarks_ == tmBottomRight;
    const int halfThumb = geometry.thumbExtent() / 2;
    for (int value : geometry.tickValues(MinValue(), MaxValue(), frequency_)) {
        const int along =
            geometry.coordinate(geometry.thumbPosForValue(value, MinValue(), MaxValue()) + halfThumb);
        const int length = (value == MinValue() || value == MaxValue()) ? 4 : 3;
        if (vertical) {
            if (before)
                painter.fillRect(QRect(groove.left() - scaleOffset_ - length, along, length, 1), tickColor_);
            if (after)
                painter.fillRect(QRect(groove.right() + 1 + scaleOffset_, along, length, 1), tickColor_);
        } else {
            if (before)
                painter.fillRect(QRect(along, groove.top() - scaleOffset_ - length, 1, length), tickColor_);
            if (after)
                painter.fillRect(QRect(along, groove.bottom() + 1 + scaleOffset_, 1, length), tickColor_);
        }
    }
}

void TVrTrackBar::paintImage(QPainter &painter) {
    const QList<QImage> &images = BitmapList();
    if (backIndex_ >= 0 && backIndex_ < images.size() && !images[backIndex_].isNull())
        painter.drawImage(rect(), images[backIndex_]);
    const QRect groove = grooveRect();
    if (gutterBevel_.Visible() && groove.isValid()) {
        const QRect inside = gutterBevel_.paint(painter, groove);
        if (inside.isValid()) painter.fillRect(inside, gutterColor_);
    }
    paintTicks(painter, groove);
    if (hasFocus() && focusOffset_ >= 0) {
        const QRect frame = rect().adjusted(focusOffset_, focusOffset_, -focusOffset_, -focusOffset_);
        if (frame.isValid()) vrFrame3D(painter, frame, 1, focusColor_, focusColor_);
    }
    paintThumb(painter);
}

} // namespace calvoran
