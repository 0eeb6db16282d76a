#pragma once
#include <cstdint>
#include <functional>

namespace calvoran {

// What the visual windows read of the channel that plays. Windows get one through their
// constructor; tests hand in their own data.
struct ChannelTap {
    // The channel is playing (not paused, stopped or gone).
    std::function<bool()> playing;
    // The most recent 512 stereo frames, two signed 16-bit samples each.
    std::function<void(uint32_t *frames512)> wave;
    // 512 FFT magnitudes of a 1024-point window.
    std::function<void(float *bins512)> spectrum;
    // Peak levels 0..128: left in the low word, right in the high word; 0 when unknown.
    std::function<uint32_t()> level;
};

// The audio library's view of whatever channel `channel` names at the moment of each call.
ChannelTap audioChannelTap(std::function<uint32_t()> channel);

} // namespace calvoran
