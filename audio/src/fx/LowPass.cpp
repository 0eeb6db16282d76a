#include "LowPass.h"

#include "DspUtil.h"

#include <cstring>

namespace calvoran::audio::fx {

LowPass::LowPass() : params_{1500.0f, 1.0f} {}

void LowPass::prepare(int sampleRate, int channels) {
    rate_ = sampleRate;
    channels_ = channels;
    states_.assign(static_cast<std::size_t>(channels), BiquadState{});
    coeffs_ = BiquadCoeffs::lowPass(rate_, params_.cutoff, params_.resonance);
}

bool LowPass::setParams(const LpfParams &p) {
    if (!inRange(p.cutoff, 20.0f, 20000.0f) || !inRange(p.resonance, 0.5f, 10.0f)) return false;
    params_ = p;
    coeffs_ = BiquadCoeffs::lowPass(rate_, params_.cutoff, params_.resonance);
    return true;
}

void LowPass::process(float *interleaved, std::size_t frames) {
    runBiquad(coeffs_, states_.data(), interleaved, frames, channels_);
}

bool LowPass::setParameters(const void *params) {
    LpfParams p;
    std::memcpy(&p, params, sizeof p);
    return setParams(p);
}

bool LowPass::getParameters(void *params) const {
    std::memcpy(params, &params_, sizeof params_);
    return true;
}

} // namespace calvoran::audio::fx
