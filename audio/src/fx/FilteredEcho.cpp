#include "FilteredEcho.h"

#include "DspUtil.h"
#include "Echo.h"

#include <cstring>

namespace calvoran::audio::fx {

namespace {
constexpr double kHighPassHz = 60.0; // keeps DC and rumble from piling up in the loop
}

FilteredEcho::FilteredEcho() : params_{0.8f, 0.45f, 0.5f, 0.35f, 2500.0f} {}

void FilteredEcho::prepare(int sampleRate, int channels) {
    rate_ = sampleRate;
    channels_ = channels;
    chans_.resize(static_cast<std::size_t>(channels));
    for (Channel &c : chans_) {
        c.line.allocate(static_cast<std::size_t>(kMaxEchoSeconds * static_cast<float>(sampleRate)) + 1);
        c.low = c.hpIn = c.hpOut = 0.0f;
    }
    updateCoeffs();
}

void FilteredEcho::updateCoeffs() {
    const double fc = std::min<double>(params_.damping, maxFilterFreq(rate_));
    lowCoeff_ = static_cast<float>(1.0 - std::exp(-kTwoPi * fc / rate_));
    highCoeff_ = static_cast<float>(std::exp(-kTwoPi * kHighPassHz / rate_));
}

bool FilteredEcho::setParams(const Echo21Params &p) {
    const EchoParams base{p.dry, p.wet, p.feedback, p.delay};
    if (!validEcho(base) || !inRange(p.damping, 100.0f, 20000.0f)) return false;
    params_ = p;
    updateCoeffs();
    return true;
}

void FilteredEcho::process(float *interleaved, std::size_t frames) {
    const auto delay =
        std::max<std::size_t>(1, static_cast<std::size_t>(params_.delay * static_cast<float>(rate_) + 0.5f));
    const Echo21Params p = params_;
    for (int c = 0; c < channels_; ++c) {
        Channel &ch = chans_[static_cast<std::size_t>(c)];
        float low = ch.low, hpIn = ch.hpIn, hpOut = ch.hpOut;
        float *x = interleaved + c;
        for (std::size_t i = 0; i < frames; ++i, x += channels_) {
            const float d = ch.line.tap(delay);
            low += lowCoeff_ * (d - low);
            hpOut = highCoeff_ * (hpOut + low - hpIn);
            hpIn = low;
            ch.line.write(*x + p.feedback * hpOut);
            *x = p.dry * *x + p.wet * d;
        }
        ch.low = low;
        ch.hpIn = hpIn;
        ch.hpOut = hpOut;
    }
}

bool FilteredEcho::setParameters(const void *params) {
    Echo21Params p;
    std::memcpy(&p, params, sizeof p);
    return setParams(p);
}

bool FilteredEcho::getParameters(void *params) const {
    std::memcpy(params, &params_, sizeof params_);
    return true;
}

} // namespace calvoran::audio::fx
