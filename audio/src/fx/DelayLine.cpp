#include "DelayLine.h"

#include <algorithm>

namespace calvoran::audio::fx {

void DelayLine::allocate(std::size_t maxDelay) {
    std::size_t size = 2;
    while (size < maxDelay + 2)
        size <<= 1;
    buf_.assign(size, 0.0f);
    mask_ = size - 1;
    pos_ = 0;
}

void DelayLine::clear() {
    std::fill(buf_.begin(), buf_.end(), 0.0f);
    pos_ = 0;
}

} // namespace calvoran::audio::fx
