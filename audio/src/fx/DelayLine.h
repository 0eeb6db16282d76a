// A ring buffer of one channel's past samples.
#pragma once
#include <cstddef>
#include <vector>

namespace calvoran::audio::fx {

class DelayLine {
public:
    // Room for delays up to maxDelay samples.
    void allocate(std::size_t maxDelay);
    void clear();
    void write(float x) {
        buf_[pos_] = x;
        pos_ = (pos_ + 1) & mask_;
    }
    // The sample written `delay` writes ago (1 = the last one).
    float tap(std::size_t delay) const { return buf_[(pos_ - delay) & mask_]; }
    // Linear interpolation between taps; delay at least 1.
    float tapFrac(float delay) const {
        const auto whole = static_cast<std::size_t>(delay);
        const float frac = delay - static_cast<float>(whole);
        const float a = tap(whole);
        const float b = tap(whole + 1);
        return a + (b - a) * frac;
    }
    std::size_t maxDelay() const { return mask_ > 0 ? mask_ - 1 : 0; }

private:
    std::vector<float> buf_ = std::vector<float>(2, 0.0f);
    std::size_t mask_ = 1;
    std::size_t pos_ = 0;
};

} // namespace calvoran::audio::fx
