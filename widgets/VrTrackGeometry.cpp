#include "VrTrackGeometry.h"
#include <algorithm>

namespace calvoran {

std::int64_t roundHalfEven(std::int64_t num, std::int64_t den) {
    if (den < 0) {
        num = -num;
        den = -den;
    }
    std::int64_t q = num / den;
    std::int64_t r = num % den;
    if (r < 0) { // floor division, so the remainder lies in [0, den)
        --q;
        r += den;
    }
    if (2 * r > den || (2 * r == den && (q & 1) != 0)) ++q;
    return q;
}

VrTrackGeometry::VrTrackGeometry(const QRect &track, QSize thumb, bool vertical, bool minAtTopRight)
    : track_(track), thumb_(thumb), vertical_(vertical), minAtTopRight_(minAtTopRight) {}

int VrTrackGeometry::length() const {
    return std::max(0, (vertical_ ? track_.height() : track_.width()) - thumbExtent());
}

int VrTrackGeometry::along(QPoint p) const {
    return vertical_ ? track_.bottom() - p.y() : p.x() - track_.left();
}

int VrTrackGeometry::thumbPosForValue(int value, int minValue, int maxValue) const {
    const std::int64_t range = std::int64_t(maxValue) - minValue;
    const int len = length();
    int offset = 0;
    if (range > 0) {
        const std::int64_t v = std::clamp<std::int64_t>(value, minValue, maxValue) - minValue;
        offset = int(roundHalfEven(std::int64_t(len) * v, range));
    }
    return minAtTopRight_ ? len - offset : offset;
}

int VrTrackGeometry::valueAtThumbPos(int pos, int minValue, int maxValue) const {
    const int len = length();
    std::int64_t v = minValue;
    if (len > 0) v += roundHalfEven(std::int64_t(pos) * (std::int64_t(maxValue) - minValue), len);
    v = std::clamp<std::int64_t>(v, minValue, maxValue);
    if (minAtTopRight_) v = std::int64_t(maxValue) + minValue - v;
    return int(v);
}

int VrTrackGeometry::coordinate(int pos) const {
    return vertical_ ? track_.bottom() - pos : track_.left() + pos;
}

QRect VrTrackGeometry::thumbRect(int pos) const {
    if (vertical_) {
        const int x = track_.left() + (track_.width() - thumb_.width()) / 2;
        return QRect(x, track_.bottom() + 1 - pos - thumb_.height(), thumb_.width(), thumb_.height());
    }
    const int y = track_.top() + (track_.height() - thumb_.height()) / 2;
    return QRect(track_.left() + pos, y, thumb_.width(), thumb_.height());
}

std::vector<int> VrTrackGeometry::tickValues(int minValue, int maxValue, int frequency) const {
    std::vector<int> ticks;
    const std::int64_t range = std::int64_t(maxValue) - minValue;
    if (range <= 0 || frequency <= 0) {
        ticks.push_back(minValue);
        return ticks;
    }
    const int len = length();
    std::int64_t stepValue = frequency;
    std::int64_t count = 2;
    for (std::int64_t k = 1;; ++k) {
        stepValue = k * frequency;
        count = std::max<std::int64_t>(2, roundHalfEven(range, stepValue) + 1);
        if (count <= 2 || len / (count - 1) >= 4) break;
    }
    for (std::int64_t i = 0; i + 1 < count; ++i)
        ticks.push_back(int(minValue + i * stepValue));
    ticks.push_back(maxValue);
    return ticks;
}

} // namespace calvoran
