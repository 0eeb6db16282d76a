#include "VrTrackWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace calvoran {

VrTrackWidget::VrTrackWidget(QWidget *parent, TVrOrientation orientation)
    : VrImageWidget(parent), orientation_(orientation) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

VrTrackWidget::~VrTrackWidget() = default;

void VrTrackWidget::setMinValue(int value) {
    if (min_ == value) return;
    min_ = value;
    max_ = std::max(max_, min_);
    freeThumbPos_.reset();
    applyPosition(position_, std::nullopt);
    update();
}

void VrTrackWidget::setMaxValue(int value) {
    if (max_ == value) return;
    max_ = value;
    min_ = std::min(min_, max_);
    freeThumbPos_.reset();
    applyPosition(position_, std::nullopt);
    update();
}

void VrTrackWidget::setPosition(int value) {
    applyPosition(value, std::nullopt);
}

void VrTrackWidget::stepPosition(int delta) {
    applyPosition(int(std::clamp<qint64>(qint64(position_) + delta, min_, max_)), std::nullopt);
}

void VrTrackWidget::applyPosition(int value, std::optional<int> freeThumbPos) {
    value = std::clamp(value, min_, max_);
    const bool thumbMoved = freeThumbPos != freeThumbPos_;
    freeThumbPos_ = freeThumbPos;
    if (value == position_) {
        if (thumbMoved) update();
        return;
    }
    position_ = value;
    update();
    if (onChange_) onChange_();
}

void VrTrackWidget::setOrientation(TVrOrientation value) {
    if (orientation_ == value) return;
    orientation_ = value;
    freeThumbPos_.reset();
    update();
}

void VrTrackWidget::setMinAtTopRight(bool value) {
    if (minAtTopRight_ == value) return;
    minAtTopRight_ = value;
    freeThumbPos_.reset();
    update();
}

void VrTrackWidget::setBitmapList(const QList<QImage> &images) {
    bitmaps_ = images;
    freeThumbPos_.reset();
    update();
}

void VrTrackWidget::setThumbImageIndex(int value) {
    if (thumbIndex_ == value) return;
    thumbIndex_ = value;
    freeThumbPos_.reset();
    update();
}

void VrTrackWidget::setThumbStates(int value) {
    value = std::max(1, value);
    if (thumbStates_ == value) return;
    thumbStates_ = value;
    freeThumbPos_.reset();
    update();
}

bool VrTrackWidget::hasListThumb() const {
    return thumbIndex_ >= 0 && thumbIndex_ < bitmaps_.size() && !bitmaps_[thumbIndex_].isNull();
}

QSize VrTrackWidget::thumbSize() const {
    if (hasListThumb()) {
        const QImage &image = bitmaps_[thumbIndex_];
        return QSize(image.width() / thumbStates_, image.height());
    }
    return builtinThumb().size();
}

VrTrackGeometry VrTrackWidget::trackGeometry() const {
    return VrTrackGeometry(trackRect(), thumbSize(), orientation_ == voVertical, minAtTopRight_);
}

int VrTrackWidget::currentThumbPos() const {
    if (freeThumbPos_) return *freeThumbPos_;
    return trackGeometry().thumbPosForValue(position_, min_, max_);
}

QRect VrTrackWidget::thumbRect() const {
    return trackGeometry().thumbRect(currentThumbPos());
}

int VrTrackWidget::thumbFrame() const {
    int frame = 0;
    if (hot_ && !dragging_)
        frame = 3;
    else if (dragging_)
        frame = 2;
    else if (!isEnabled())
        frame = 1;
    const int frames = hasListThumb() ? thumbStates_ : 1;
    return frame < frames ? frame : 0;
}

void VrTrackWidget::paintThumb(QPainter &painter) const {
    const QSize size = thumbSize();
    if (size.isEmpty()) return;
    QImage frame = hasListThumb()
                       ? bitmaps_[thumbIndex_].copy(QRect(QPoint(thumbFrame() * size.width(), 0), size))
                       : builtinThumb();
    frame = frame.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = frame.pixel(0, 0) & RGB_MASK;
    for (int y = 0; y < frame.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(frame.scanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            if (thumbOpaque())
                line[x] |= ~RGB_MASK;
            else if ((line[x] & RGB_MASK) == key || qAlpha(line[x]) == 0)
                line[x] = 0;
        }
    }
    painter.drawImage(thumbRect().topLeft(), frame);
}

void VrTrackWidget::moveThumbTo(int thumbPos) {
    const VrTrackGeometry geometry = trackGeometry();
    const int value = geometry.valueAtThumbPos(thumbPos, min_, max_);
    if (fixedPoints())
        applyPosition(value, std::nullopt);
    else
        applyPosition(value, std::clamp(thumbPos, 0, geometry.length()));
}

void VrTrackWidget::setHot(bool value) {
    if (hot_ == value) return;
    hot_ = value;
    update();
}

void VrTrackWidget::mousePressEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        if (focusPolicy() & Qt::TabFocus) setFocus(Qt::MouseFocusReason);
        const VrTrackGeometry geometry = trackGeometry();
        if (thumbRect().contains(pos)) {
            dragging_ = true;
            dragOffset_ = geometry.along(pos) - currentThumbPos();
            if (mouseClip()) {
                grabMouse();
                grabbed_ = true;
            }
            update();
        } else if (activeClick()) {
            moveThumbTo(geometry.along(pos) - geometry.thumbExtent() / 2);
        }
    }
    if (onMouseDown_) onMouseDown_(event->button(), event->modifiers(), pos.x(), pos.y());
}

void VrTrackWidget::mouseMoveEvent(QMouseEvent *event) {
    QPoint pos = event->position().toPoint();
    if (dragging_) {
        if (grabbed_) pos = QPoint(std::clamp(pos.x(), 0, width() - 1), std::clamp(pos.y(), 0, height() - 1));
        moveThumbTo(trackGeometry().along(pos) - dragOffset_);
        return;
    }
    setHot(thumbRect().contains(pos));
}

void VrTrackWidget::mouseReleaseEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        if (grabbed_) {
            releaseMouse();
            grabbed_ = false;
        }
        hot_ = thumbRect().contains(pos);
        update();
    }
    if (onMouseUp_) onMouseUp_(event->button(), event->modifiers(), pos.x(), pos.y());
}

void VrTrackWidget::leaveEvent(QEvent *event) {
    if (!dragging_) setHot(false);
    VrImageWidget::leaveEvent(event);
}

void VrTrackWidget::focusInEvent(QFocusEvent *event) {
    update();
    VrImageWidget::focusInEvent(event);
}

void VrTrackWidget::focusOutEvent(QFocusEvent *event) {
    update();
    VrImageWidget::focusOutEvent(event);
}

void VrTrackWidget::changeEvent(QEvent *event) {
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange) update();
    VrImageWidget::changeEvent(event);
}

void VrTrackWidget::resizeEvent(QResizeEvent *event) {
    freeThumbPos_.reset();
    VrImageWidget::resizeEvent(event);
}

} // namespace calvoran
