#pragma once
#include <QImage>

namespace calvoran {

// Built-in thumb images, drawn at 1x; callers scale them by whole pixels. Their corners are fully
// transparent, and the top-left pixel's colour occurs nowhere else, so it can serve as the
// transparent colour. A thumb never grows past the room across its track: below the full size the
// art is drawn anew at the smaller size rather than cut off.
class VrThumbArt {
public:
    static constexpr int kSliderLength = 30;
    static constexpr int kSliderThickness = 13;
    static constexpr int kTrackBarLength = 9;
    static constexpr int kTrackBarThickness = 17;

    // Slider thumb: 30 x 13 horizontal, 13 x 30 vertical, when thickness allows.
    static QImage sliderThumb(bool vertical, int thickness = kSliderThickness);
    // Track bar thumb: 9 x 17 horizontal, 17 x 9 vertical, when thickness allows.
    static QImage trackBarThumb(bool vertical, int thickness = kTrackBarThickness);
};

} // namespace calvoran
