#include "TVrLevelBar.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

namespace calvoran {

TVrLevelBar::TVrLevelBar(QWidget *parent)
    : VrImageWidget(parent), palettes_{TVrPalette(QColor(0x008000), QColor(0x00FF00)),
                                       TVrPalette(QColor(0x808000), QColor(0xFFFF00)),
                                       TVrPalette(QColor(0x800000), QColor(0xFF0000))} {
    for (TVrPalette &palette : palettes_)
        palette.setOnChange([this] { update(); });
    bevel_.setOnChange([this] {
        fitLength();
        update();
    });
    resize(16, 100);
}

TVrLevelBar::~TVrLevelBar() = default;

int TVrLevelBar::roundHalfEven(long long a, long long b) {
    long long q = a / b;
    long long r = a % b;
    if (r < 0) { // floor division, so the remainder is in [0, b)
        --q;
        r += b;
    }
    if (2 * r > b || (2 * r == b && (q % 2) != 0)) ++q;
    return static_cast<int>(q);
}

int TVrLevelBar::tickCount() const {
    const int along = orientation_ == voHorizontal ? width() : height();
    const int content = along - 2 * bevel_.totalWidth();
    return qMax(0, (content + spacing_) / (tickHeight_ + spacing_));
}

int TVrLevelBar::litCount() const {
    return litCountAt(position_);
}

int TVrLevelBar::litCountAt(int position) const {
    position = qBound(minValue_, position, maxValue_);
    const long long range = static_cast<long long>(maxValue_) - minValue_;
    const int percent =
        range == 0 ? 0 : roundHalfEven((static_cast<long long>(position) - minValue_) * 100, range);
    return roundHalfEven(static_cast<long long>(percent) * tickCount(), 100);
}

int TVrLevelBar::zoneOf(int tick) const {
    const int n = tickCount();
    const int z1 = roundHalfEven(static_cast<long long>(percent1_) * n, 100);
    const int z2 = roundHalfEven(static_cast<long long>(percent2_) * n, 100);
    if (tick <= z1) return 1;
    if (tick > z1 + z2) return 3;
    return 2;
}

void TVrLevelBar::fitLength() {
    const int pitch = tickHeight_ + spacing_;
    const int offset = bevel_.totalWidth();
    const int length = qMax(2 * offset, 2 * offset + tickCount() * pitch - spacing_);
    if (orientation_ == voHorizontal && width() != length)
        resize(length, height());
    else if (orientation_ == voVertical && height() != length)
        resize(width(), length);
}

void TVrLevelBar::resizeEvent(QResizeEvent *event) {
    VrImageWidget::resizeEvent(event);
    fitLength();
}

void TVrLevelBar::setMinValue(int value) {
    if (value >= maxValue_ || value == minValue_) return;
    minValue_ = value;
    if (position_ < minValue_) setPosition(minValue_);
    update();
}

void TVrLevelBar::setMaxValue(int value) {
    if (value <= minValue_ || value == maxValue_) return;
    maxValue_ = value;
    if (position_ > maxValue_) setPosition(maxValue_);
    update();
}

void TVrLevelBar::setPosition(int value) {
    value = qBound(minValue_, value, maxValue_);
    if (value == position_) return;
    const int lit = litCount();
    position_ = value;
    // Levels arrive many times a second; most moves light the same ticks and change no pixel.
    if (litCount() != lit) {
        invalidatePicture();
        if (!paintedByOwner_) QWidget::update();
    }
    if (onChange_) onChange_();
    if (position_ == minValue_ && onMinValue_) onMinValue_();
    if (position_ == maxValue_ && onMaxValue_) onMaxValue_();
}

void TVrLevelBar::setPercent1(int value) {
    value = qBound(0, value, 100 - percent2_);
    if (value == percent1_) return;
    percent1_ = value;
    update();
}

void TVrLevelBar::setPercent2(int value) {
    if (value < 0 || percent1_ + value > 100 || value == percent2_) return;
    percent2_ = value;
    update();
}

void TVrLevelBar::setOrientation(TVrOrientation value) {
    if (orientation_ == value) return;
    orientation_ = value;
    resize(height(), width());
    fitLength();
    update();
}

void TVrLevelBar::setSpacing(int value) {
    if (value < 0 || value == spacing_) return;
    spacing_ = value;
    fitLength();
    update();
}

void TVrLevelBar::setTickHeight(int value) {
    if (value <= 0 || value == tickHeight_) return;
    tickHeight_ = value;
    fitLength();
    update();
}

void TVrLevelBar::setStyle(TVrProgressStyle value) {
    if (value == style_) return;
    style_ = value;
    update();
}

QRect TVrLevelBar::tickRect(int tick, const QRect &content) const {
    const int pitch = tickHeight_ + spacing_;
    const bool horizontal = orientation_ == voHorizontal;
    const int length = horizontal ? content.width() : content.height();
    // Offset of the tick from the content's left or top edge.
    const bool fromStart = horizontal == (style_ == psBottomLeft);
    const int offset = fromStart ? (tick - 1) * pitch : length - tick * pitch + spacing_;
    return horizontal ? QRect(content.left() + offset, content.top(), tickHeight_, content.height())
                      : QRect(content.left(), content.top() + offset, content.width(), tickHeight_);
}

QRect TVrLevelBar::differingArea(int from, int to) const {
    const int edge = bevel_.totalWidth();
    const QRect content = rect().adjusted(edge, edge, -edge, -edge);
    QRect area;
    for (int t = std::min(from, to) + 1; t <= std::max(from, to); ++t)
        area |= tickRect(t, content);
    return area;
}

void TVrLevelBar::paintImage(QPainter &painter) {
    const QRect content = bevel_.paint(painter, QRect(QPoint(0, 0), size()));
    const int n = tickCount();
    const int lit = litCount();
    for (int t = 1; t <= n; ++t) {
        const TVrPalette &palette = palettes_[zoneOf(t) - 1];
        painter.fillRect(tickRect(t, content), t <= lit ? palette.High() : palette.Low());
    }
}

} // namespace calvoran
