#include "DynAmp.h"

#include "DspUtil.h"

#include <cstring>

namespace calvoran::audio::fx {

namespace {
// The peak follower lets go slowly, so the gain does not ride every waveform cycle.
constexpr float kLevelReleaseMs = 150.0f;
} // namespace

DynAmp::DynAmp() : params_{0.5f, 8.0f, 5.0f, 800.0f} {}

void DynAmp::prepare(int sampleRate, int channels) {
    rate_ = sampleRate;
    channels_ = channels;
    level_ = params_.target;
    gain_ = 1.0f;
    updateCoeffs();
}

void DynAmp::updateCoeffs() {
    attackCoeff_ = timeCoeff(params_.attack, rate_);
    releaseCoeff_ = timeCoeff(params_.release, rate_);
    holdCoeff_ = timeCoeff(kLevelReleaseMs, rate_);
}

bool DynAmp::setParams(const DynAmpParams &p) {
    if (!inRange(p.target, 0.05f, 1.0f) || !inRange(p.maxGain, 1.0f, 32.0f) ||
        !inRange(p.attack, 0.1f, 500.0f) || !inRange(p.release, 10.0f, 10000.0f))
        return false;
    params_ = p;
    updateCoeffs();
    return true;
}

void DynAmp::process(float *interleaved, std::size_t frames) {
    const float minGain = 1.0f / params_.maxGain;
    for (std::size_t i = 0; i < frames; ++i, interleaved += channels_) {
        float peak = 0.0f;
        for (int c = 0; c < channels_; ++c)
            peak = std::max(peak, std::fabs(interleaved[c]));
        level_ = peak > level_ ? peak : level_ + holdCoeff_ * (peak - level_);
        const float want = std::clamp(params_.target / std::max(level_, 1e-9f), minGain, params_.maxGain);
        gain_ += (want < gain_ ? attackCoeff_ : releaseCoeff_) * (want - gain_);
        for (int c = 0; c < channels_; ++c)
            interleaved[c] = std::clamp(interleaved[c] * gain_, -1.0f, 1.0f);
    }
}

bool DynAmp::setParameters(const void *params) {
    DynAmpParams p;
    std::memcpy(&p, params, sizeof p);
    return setParams(p);
}

bool DynAmp::getParameters(void *params) const {
    std::memcpy(params, &params_, sizeof params_);
    return true;
}

} // namespace calvoran::audio::fx
