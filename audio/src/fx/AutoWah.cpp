#include "AutoWah.h"

#include "DspUtil.h"

#include <cstring>

namespace calvoran::audio::fx {

namespace {
constexpr float kAttackMs = 10.0f;
constexpr float kReleaseMs = 120.0f;
constexpr std::size_t kRetuneEvery = 16; // tan() per sample is the cost; 0.4 ms steps are inaudible
} // namespace

AutoWah::AutoWah() : params_{0.4f, 0.8f, 350.0f, 2500.0f, 3.0f, 1.5f} {}

void AutoWah::prepare(int sampleRate, int channels) {
    rate_ = sampleRate;
    channels_ = channels;
    svf_.assign(static_cast<std::size_t>(channels), Svf{});
    attackCoeff_ = timeCoeff(kAttackMs, sampleRate);
    releaseCoeff_ = timeCoeff(kReleaseMs, sampleRate);
    level_ = 0.0f;
    sinceTune_ = 0;
    tune(0.0f);
}

bool AutoWah::setParams(const AutoWahParams &p) {
    if (!inRange(p.dry, 0.0f, 2.0f) || !inRange(p.wet, 0.0f, 2.0f) || !inRange(p.minFreq, 20.0f, 10000.0f) ||
        !inRange(p.maxFreq, p.minFreq, 20000.0f) || !inRange(p.q, 0.5f, 20.0f) ||
        !inRange(p.sensitivity, 0.1f, 100.0f))
        return false;
    params_ = p;
    tune(level_);
    return true;
}

void AutoWah::tune(float level) {
    const double top = maxFilterFreq(rate_);
    const double lo = std::min<double>(params_.minFreq, top);
    const double hi = std::min<double>(params_.maxFreq, top);
    const double amount = std::clamp(static_cast<double>(level) * params_.sensitivity, 0.0, 1.0);
    const double fc = lo * std::pow(hi / lo, amount);
    centre_ = static_cast<float>(fc);
    const double g = std::tan(kPi * fc / rate_);
    const double k = 1.0 / params_.q;
    const double a1 = 1.0 / (1.0 + g * (g + k));
    a1_ = static_cast<float>(a1);
    a2_ = static_cast<float>(g * a1);
    a3_ = static_cast<float>(g * g * a1);
    k_ = static_cast<float>(k);
}

void AutoWah::process(float *interleaved, std::size_t frames) {
    const float dry = params_.dry;
    const float wet = params_.wet;
    for (std::size_t i = 0; i < frames; ++i, interleaved += channels_) {
        float peak = 0.0f;
        for (int c = 0; c < channels_; ++c)
            peak = std::max(peak, std::fabs(interleaved[c]));
        level_ += (peak > level_ ? attackCoeff_ : releaseCoeff_) * (peak - level_);
        if (++sinceTune_ >= kRetuneEvery) {
            sinceTune_ = 0;
            tune(level_);
        }
        for (int c = 0; c < channels_; ++c) {
            Svf &s = svf_[static_cast<std::size_t>(c)];
            const float x = interleaved[c];
            const float v3 = x - s.ic2;
            const float v1 = a1_ * s.ic1 + a2_ * v3;
            const float v2 = s.ic2 + a2_ * s.ic1 + a3_ * v3;
            s.ic1 = 2.0f * v1 - s.ic1;
            s.ic2 = 2.0f * v2 - s.ic2;
            interleaved[c] = dry * x + wet * k_ * v1; // k*band-pass: unit gain at the centre
        }
    }
}

bool AutoWah::setParameters(const void *params) {
    AutoWahParams p;
    std::memcpy(&p, params, sizeof p);
    return setParams(p);
}

bool AutoWah::getParameters(void *params) const {
    std::memcpy(params, &params_, sizeof params_);
    return true;
}

} // namespace calvoran::audio::fx
