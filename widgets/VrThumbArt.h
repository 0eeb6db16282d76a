#pragma once
#include <QImage>

namespace calvoran {

// Built-in thumb images, drawn at 1x; callers scale them by whole pixels. Their corners are fully
// transparent, and the top-left pixel's colour occurs nowhere else, so it can serve as the
// transparent colour.
class VrThumbArt {
public:
    // Slider thumb: 30 x 13 horizontal, 13 x 30 vertical.
    static QImage sliderThumb(bool vertical);
    // Track bar thumb: 9 x 17 horizontal, 17 x 9 vertical.
    static QImage trackBarThumb(bool vertical);
};

} // namespace calvoran
