#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <vector>

namespace calvoran {

// Division rounded to the nearest integer, halves to even (den may be negative, not 0).
std::int64_t roundHalfEven(std::int64_t num, std::int64_t den);

// Where a slider's or track bar's thumb travels, and how pixels and values map onto each other.
// "Along" distances run from the track's start: its left edge, or upward from its bottom edge.
class VrTrackGeometry {
public:
    VrTrackGeometry(const QRect &track, QSize thumb, bool vertical, bool minAtTopRight);

    // Pixels the thumb's leading edge can travel: the track's extent less the thumb's.
    int length() const;
    int thumbExtent() const { return vertical_ ? thumb_.height() : thumb_.width(); }
    // Distance of a widget point from the start along the track.
    int along(QPoint p) const;

    // Thumb position (distance of its leading edge from the start) showing a value.
    int thumbPosForValue(int value, int minValue, int maxValue) const;
    // Value whose thumb's leading edge would sit at a distance from the start, clamped to the range.
    int valueAtThumbPos(int pos, int minValue, int maxValue) const;
    // The thumb rectangle, in widget pixels, for a leading-edge distance; centred across the track.
    QRect thumbRect(int pos) const;
    // Widget coordinate (x or y) of a distance along the track.
    int coordinate(int pos) const;

    // Values that carry a tick mark: the smallest multiple of frequency whose ticks lie at least
    // 4 pixels apart, from minValue, and the last one at maxValue.
    std::vector<int> tickValues(int minValue, int maxValue, int frequency) const;

private:
    QRect track_;
    QSize thumb_;
    bool vertical_;
    bool minAtTopRight_;
};

} // namespace calvoran
