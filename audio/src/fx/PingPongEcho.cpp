#include "PingPongEcho.h"

#include "DspUtil.h"
#include "Echo.h"

#include <cstring>

namespace calvoran::audio::fx {

PingPongEcho::PingPongEcho() : params_{0.8f, 0.5f, 0.45f, 0.3f} {}

void PingPongEcho::prepare(int sampleRate, int channels) {
    rate_ = sampleRate;
    channels_ = channels;
    lines_.resize(static_cast<std::size_t>(channels));
    for (DelayLine &l : lines_)
        l.allocate(static_cast<std::size_t>(kMaxEchoSeconds * static_cast<float>(sampleRate)) + 1);
}

bool PingPongEcho::setParams(const EchoParams &p) {
    if (!validEcho(p)) return false;
    params_ = p;
    return true;
}

void PingPongEcho::process(float *interleaved, std::size_t frames) {
    const auto delay =
        std::max<std::size_t>(1, static_cast<std::size_t>(params_.delay * static_cast<float>(rate_) + 0.5f));
    const EchoParams p = params_;
    const int first = channels_ >= 2 ? 2 : 0;
    if (channels_ >= 2) {
        DelayLine &left = lines_[0];
        DelayLine &right = lines_[1];
        float *x = interleaved;
        for (std::size_t i = 0; i < frames; ++i, x += channels_) {
            const float dl = left.tap(delay);
            const float dr = right.tap(delay);
            left.write(0.5f * (x[0] + x[1]) + p.feedback * dr);
            right.write(p.feedback * dl);
            x[0] = p.dry * x[0] + p.wet * dl;
            x[1] = p.dry * x[1] + p.wet * dr;
        }
    }
    // Mono, and channels past the first pair: a plain echo.
    for (int c = first; c < channels_; ++c) {
        DelayLine &line = lines_[static_cast<std::size_t>(c)];
        float *x = interleaved + c;
        for (std::size_t i = 0; i < frames; ++i, x += channels_) {
            const float d = line.tap(delay);
            line.write(*x + p.feedback * d);
            *x = p.dry * *x + p.wet * d;
        }
    }
}

bool PingPongEcho::setParameters(const void *params) {
    EchoParams p;
    std::memcpy(&p, params, sizeof p);
    return setParams(p);
}

bool PingPongEcho::getParameters(void *params) const {
    std::memcpy(params, &params_, sizeof params_);
    return true;
}

} // namespace calvoran::audio::fx
