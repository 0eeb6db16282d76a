#include "Rotate.h"

#include "DspUtil.h"

#include <cstring>

namespace calvoran::audio::fx {

Rotate::Rotate() : params_{0.25f, 1.0f} {}

void Rotate::prepare(int sampleRate, int channels) {
    rate_ = sampleRate;
    channels_ = channels;
    phase_ = 0.0;
}

bool Rotate::setParams(const RotateParams &p) {
    if (!inRange(p.rate, 0.01f, 20.0f) || !inRange(p.depth, 0.0f, 1.0f)) return false;
    params_ = p;
    return true;
}

void Rotate::process(float *interleaved, std::size_t frames) {
    if (channels_ < 2) return;
    const double step = params_.rate / static_cast<double>(rate_);
    for (std::size_t i = 0; i < frames; ++i, interleaved += channels_) {
        // Balance law: the side the sound moves toward stays at full level, so nothing is raised.
        const float pos = params_.depth * static_cast<float>(std::sin(kTwoPi * phase_));
        interleaved[0] *= pos > 0.0f ? 1.0f - pos : 1.0f;
        interleaved[1] *= pos < 0.0f ? 1.0f + pos : 1.0f;
        phase_ += step;
        if (phase_ >= 1.0) phase_ -= 1.0;
    }
}

bool Rotate::setParameters(const void *params) {
    RotateParams p;
    std::memcpy(&p, params, sizeof p);
    return setParams(p);
}

bool Rotate::getParameters(void *params) const {
    std::memcpy(params, &params_, sizeof params_);
    return true;
}

} // namespace calvoran::audio::fx
