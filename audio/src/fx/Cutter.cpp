#include "Cutter.h"

#include "DspUtil.h"

#include <cstring>

namespace calvoran::audio::fx {

namespace {
constexpr float kEdgeMs = 3.0f; // a hard edge would click on every cut
}

Cutter::Cutter() : params_{4.0f, 0.5f, 1.0f} {}

void Cutter::prepare(int sampleRate, int channels) {
    rate_ = sampleRate;
    channels_ = channels;
    phase_ = 0.0;
    gain_ = 1.0f;
}

bool Cutter::setParams(const CutterParams &p) {
    if (!inRange(p.rate, 0.1f, 50.0f) || !inRange(p.duty, 0.05f, 0.95f) || !inRange(p.depth, 0.0f, 1.0f))
        return false;
    params_ = p;
    return true;
}

void Cutter::process(float *interleaved, std::size_t frames) {
    const double step = params_.rate / static_cast<double>(rate_);
    const float slew = 1.0f / (kEdgeMs * 1e-3f * static_cast<float>(rate_));
    const float closed = 1.0f - params_.depth;
    for (std::size_t i = 0; i < frames; ++i, interleaved += channels_) {
        const float target = phase_ < params_.duty ? 1.0f : closed;
        gain_ = target > gain_ ? std::min(target, gain_ + slew) : std::max(target, gain_ - slew);
        for (int c = 0; c < channels_; ++c)
            interleaved[c] *= gain_;
        phase_ += step;
        if (phase_ >= 1.0) phase_ -= 1.0;
    }
}

bool Cutter::setParameters(const void *params) {
    CutterParams p;
    std::memcpy(&p, params, sizeof p);
    return setParams(p);
}

bool Cutter::getParameters(void *params) const {
    std::memcpy(params, &params_, sizeof params_);
    return true;
}

} // namespace calvoran::audio::fx
