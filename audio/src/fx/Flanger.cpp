#include "Flanger.h"

#include "DspUtil.h"

#include <cstring>

namespace calvoran::audio::fx {

namespace {
constexpr float kMaxDelayMs = 45.0f;

FlangerParams defaults(Flanger::Variant v) {
    if (v == Flanger::Variant::V2) return {0.6f, 0.6f, -0.4f, 0.15f, 0.5f, 5.0f, 90.0f};
    return {0.6f, 0.6f, 0.3f, 0.25f, 1.0f, 3.0f, 0.0f};
}
} // namespace

Flanger::Flanger(Variant v) : variant_(v), params_(defaults(v)) {}

void Flanger::prepare(int sampleRate, int channels) {
    rate_ = sampleRate;
    channels_ = channels;
    phase_ = 0.0;
    lines_.resize(static_cast<std::size_t>(channels));
    for (DelayLine &l : lines_)
        l.allocate(static_cast<std::size_t>(kMaxDelayMs * 1e-3f * static_cast<float>(sampleRate)) + 2);
}

bool Flanger::setParams(const FlangerParams &p) {
    if (!inRange(p.dry, 0.0f, 2.0f) || !inRange(p.wet, 0.0f, 2.0f) || !inRange(p.feedback, -0.95f, 0.95f) ||
        !inRange(p.rate, 0.01f, 10.0f) || !inRange(p.delay, 0.0f, 20.0f) || !inRange(p.depth, 0.0f, 20.0f) ||
        !inRange(p.phase, 0.0f, 360.0f))
        return false;
    params_ = p;
    return true;
}

float Flanger::sweep(double phase) const {
    phase -= std::floor(phase);
    if (variant_ == Variant::V2) return static_cast<float>(phase < 0.5 ? 2.0 * phase : 2.0 - 2.0 * phase);
    return static_cast<float>(0.5 - 0.5 * std::cos(kTwoPi * phase));
}

void Flanger::process(float *interleaved, std::size_t frames) {
    const FlangerParams p = params_;
    const double step = p.rate / static_cast<double>(rate_);
    const float msToSamples = 1e-3f * static_cast<float>(rate_);
    const double offset = p.phase / 360.0;
    const float longest = static_cast<float>(lines_.empty() ? 1 : lines_[0].maxDelay()) - 1.0f;
    for (int c = 0; c < channels_; ++c) {
        DelayLine &line = lines_[static_cast<std::size_t>(c)];
        // Odd channels (the right of each pair) run behind by `phase`.
        double ph = phase_ - (c % 2 == 1 ? offset : 0.0);
        float *x = interleaved + c;
        for (std::size_t i = 0; i < frames; ++i, x += channels_) {
            const float delay = std::clamp((p.delay + p.depth * sweep(ph)) * msToSamples, 1.0f, longest);
            const float d = line.tapFrac(delay);
            line.write(*x + p.feedback * d);
            *x = p.dry * *x + p.wet * d;
            ph += step;
        }
    }
    phase_ += step * static_cast<double>(frames);
    phase_ -= std::floor(phase_);
}

bool Flanger::setParameters(const void *params) {
    FlangerParams p;
    std::memcpy(&p, params, sizeof p);
    return setParams(p);
}

bool Flanger::getParameters(void *params) const {
    std::memcpy(params, &params_, sizeof params_);
    return true;
}

} // namespace calvoran::audio::fx
