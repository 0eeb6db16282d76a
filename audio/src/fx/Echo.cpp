#include "Echo.h"

#include "DspUtil.h"

#include <cstring>

namespace calvoran::audio::fx {

bool validEcho(const EchoParams &p) {
    return inRange(p.dry, 0.0f, 2.0f) && inRange(p.wet, 0.0f, 2.0f) && inRange(p.feedback, -0.95f, 0.95f) &&
           inRange(p.delay, 0.001f, kMaxEchoSeconds);
}

Echo::Echo() : params_{0.8f, 0.4f, 0.3f, 0.25f} {}

void Echo::prepare(int sampleRate, int channels) {
    rate_ = sampleRate;
    channels_ = channels;
    lines_.resize(static_cast<std::size_t>(channels));
    for (DelayLine &l : lines_)
        l.allocate(static_cast<std::size_t>(kMaxEchoSeconds * static_cast<float>(sampleRate)) + 1);
}

bool Echo::setParams(const EchoParams &p) {
    if (!validEcho(p)) return false;
    params_ = p;
    return true;
}

void Echo::process(float *interleaved, std::size_t frames) {
    const auto delay =
        std::max<std::size_t>(1, static_cast<std::size_t>(params_.delay * static_cast<float>(rate_) + 0.5f));
    const EchoParams p = params_;
    for (int c = 0; c < channels_; ++c) {
        DelayLine &line = lines_[static_cast<std::size_t>(c)];
        float *x = interleaved + c;
        for (std::size_t i = 0; i < frames; ++i, x += channels_) {
            const float d = line.tap(delay);
            line.write(*x + p.feedback * d);
            *x = p.dry * *x + p.wet * d;
        }
    }
}

bool Echo::setParameters(const void *params) {
    EchoParams p;
    std::memcpy(&p, params, sizeof p);
    return setParams(p);
}

bool Echo::getParameters(void *params) const {
    std::memcpy(params, &params_, sizeof params_);
    return true;
}

} // namespace calvoran::audio::fx
