#include "SwapChannels.h"

#include <utility>

namespace calvoran::audio::fx {

void SwapChannels::prepare(int, int channels) {
    channels_ = channels;
}

void SwapChannels::process(float *interleaved, std::size_t frames) {
    if (channels_ < 2) return;
    for (std::size_t i = 0; i < frames; ++i, interleaved += channels_)
        std::swap(interleaved[0], interleaved[1]);
}

} // namespace calvoran::audio::fx
