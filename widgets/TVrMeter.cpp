#include "TVrMeter.h"
#include "TVrLevelBar.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace calvoran {

// ---- TVrMeterScale ------------------------------------------------------------------------------

TVrMeterScale::TVrMeterScale(const TVrMeterScale &other) : s_(other.s_) {}

TVrMeterScale &TVrMeterScale::operator=(const TVrMeterScale &other) {
    s_ = other.s_;
    if (onChange_) onChange_();
    return *this;
}

void TVrMeterScale::setPercent1(int value) {
    assign(s_.percent1, std::clamp(value, 0, 100 - s_.percent2));
}

void TVrMeterScale::setPercent2(int value) {
    if (value < 0 || s_.percent1 + value > 100) return;
    assign(s_.percent2, value);
}

void TVrMeterScale::setTicks(int value) {
    assign(s_.ticks, std::max(1, value));
}

void TVrMeterScale::setEnlarge(int value) {
    assign(s_.enlarge, std::max(1, value));
}

int TVrMeterScale::zoneOf(int tick) const {
    const int p1 = s_.ticks * s_.percent1 / 100;
    const int p2 = s_.ticks * s_.percent2 / 100;
    if (tick <= p1) return 1;
    if (tick <= p1 + p2) return 2;
    return 3;
}

// ---- TVrMeter -----------------------------------------------------------------------------------

TVrMeter::TVrMeter(QWidget *parent) : VrImageWidget(parent) {
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(8);
    setFont(f);
    bevel_.setOnChange([this] { changed(); });
    scale_.setOnChange([this] { changed(); });
    resize(105, 240);
}

TVrMeter::~TVrMeter() = default;

void TVrMeter::setMinValue(int value) {
    if (value == minValue_) return;
    if (value > maxValue_) throw VrRangeError();
    minValue_ = value;
    if (position_ < minValue_) setPosition(minValue_);
    changed();
}

void TVrMeter::setMaxValue(int value) {
    if (value == maxValue_) return;
    if (value < minValue_) throw VrRangeError();
    maxValue_ = value;
    if (position_ > maxValue_) setPosition(maxValue_);
    changed();
}

void TVrMeter::setPosition(int value) {
    value = std::clamp(value, minValue_, maxValue_);
    if (value == position_) return;
    position_ = value;
    changed();
    if (onChange_) onChange_();
}

void TVrMeter::setAngle(int value) {
    value = std::clamp(value, 0, 89);
    if (angle_ == value) return;
    angle_ = value;
    changed();
}

void TVrMeter::setNeedleColor(QColor value) {
    if (needleColor_ == value) return;
    needleColor_ = value;
    changed();
}

void TVrMeter::setNeedleWidth(int value) {
    value = std::max(1, value);
    if (needleWidth_ == value) return;
    needleWidth_ = value;
    changed();
}

void TVrMeter::setSpacing(int value) {
    if (spacing_ == value) return;
    spacing_ = value;
    changed();
}

void TVrMeter::setLabels(int value) {
    value = std::max(0, value);
    if (labels_ == value) return;
    labels_ = value;
    changed();
}

void TVrMeter::setLabelOffsetX(int value) {
    if (labelOffsetX_ == value) return;
    labelOffsetX_ = value;
    changed();
}

void TVrMeter::setLabelOffsetY(int value) {
    if (labelOffsetY_ == value) return;
    labelOffsetY_ = value;
    changed();
}

void TVrMeter::setBackImage(const QImage &value) {
    backImage_ = value;
    changed();
}

void TVrMeter::setCaption(const QString &value) {
    if (caption_ == value) return;
    caption_ = value;
    changed();
}

void TVrMeter::setFontColor(QColor value) {
    if (fontColor_ == value) return;
    fontColor_ = value;
    changed();
}

QPoint TVrMeter::pivot() const {
    return {width() / 2, height() + spacing_};
}

int TVrMeter::radius() const {
    return height() - 10;
}

QPoint TVrMeter::pointAt(double degrees, double rx, double ry) const {
    const double t = degrees * M_PI / 180.0;
    const QPoint c = pivot();
    return {c.x() + static_cast<int>(std::trunc(std::sin(t) * rx)),
            c.y() - static_cast<int>(std::trunc(std::cos(t) * ry))};
}

double TVrMeter::tickAngle(double index) const {
    const double step = (180.0 - 2.0 * angle_) / scale_.Ticks();
    return 270.0 + angle_ + index * step;
}

int TVrMeter::needleTick() const {
    const long long range = static_cast<long long>(maxValue_) - minValue_;
    if (range <= 0) return 0;
    return static_cast<int>(static_cast<long long>(scale_.Ticks()) * (position_ - minValue_) / range);
}

int TVrMeter::labelCount() const {
    if (labels_ <= 0) return 0;
    const int every = scale_.Ticks() / labels_;
    if (every <= 0) return 1;
    return std::min(labels_, (scale_.Ticks() - 1) / every) + 1;
}

int TVrMeter::labelTick(int k) const {
    return labels_ <= 0 ? 0 : k * (scale_.Ticks() / labels_);
}

int TVrMeter::labelValue(int k) const {
    const long long range = static_cast<long long>(maxValue_) - minValue_;
    return minValue_ + TVrLevelBar::roundHalfEven(k * range, labels_);
}

void TVrMeter::paintImage(QPainter &painter) {
    if (!backImage_.isNull()) painter.drawImage(rect(), backImage_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QPoint c = pivot();
    const int r = radius();
    const TVrMeterScale &s = scale_;

    if (s.Visible()) {
        for (int j = 1; j <= s.Ticks(); ++j) {
            const double t = tickAngle(j - 1);
            const int length = (j - 1) % s.Enlarge() == 0 ? s.HeightMax() : s.HeightMin();
            const int zone = s.zoneOf(j);
            painter.setPen(QPen(zone == 1 ? s.Color1() : zone == 2 ? s.Color2() : s.Color3(), 1));
            const int inner = r - s.HeightMin();
            painter.drawLine(pointAt(t, inner, inner), pointAt(t, inner + length, inner + length));
        }
    }

    if (labels_ > 0) {
        painter.setFont(font());
        painter.setPen(fontColor_);
        const int reach = r - s.HeightMin() + s.HeightMax();
        const QFontMetrics metrics(font());
        for (int k = 0; k < labelCount(); ++k) {
            const QPoint at = pointAt(tickAngle(labelTick(k)), reach + labelOffsetX_, reach + labelOffsetY_);
            const QString text = QString::number(labelValue(k));
            const QSize size = metrics.size(Qt::TextSingleLine, text);
            painter.drawText(
                QRect(at.x() - size.width() / 2, at.y() - size.height() / 2, size.width(), size.height()),
                Qt::AlignCenter | Qt::TextSingleLine, text);
        }
    }

    painter.setPen(QPen(needleColor_, needleWidth_));
    painter.drawLine(c, pointAt(tickAngle(needleTick()), r, r));

    const QRect inside = bevel_.paint(painter, rect());
    if (!caption_.isEmpty()) {
        painter.setFont(font());
        painter.setPen(fontColor_);
        const QSize size = QFontMetrics(font()).size(Qt::TextSingleLine, caption_);
        const int bottom = inside.bottom() + 1 - 10;
        painter.drawText(QRect(c.x() - size.width() / 2, bottom - size.height(), size.width(), size.height()),
                         Qt::AlignCenter | Qt::TextSingleLine, caption_);
    }
}

} // namespace calvoran
