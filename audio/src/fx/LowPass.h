// Effect 7: resonant two-pole low-pass.
#pragma once
#include "Biquad.h"
#include "Effect.h"
#include "bass_fx.h"

#include <vector>

namespace calvoran::audio::fx {

class LowPass final : public Effect {
public:
    LowPass();
    void prepare(int sampleRate, int channels) override;
    void process(float *interleaved, std::size_t frames) override;
    bool setParameters(const void *params) override;
    bool getParameters(void *params) const override;

    bool setParams(const LpfParams &p);
    LpfParams params() const { return params_; }

private:
    LpfParams params_;
    int rate_ = 44100;
    int channels_ = 2;
    BiquadCoeffs coeffs_;
    std::vector<BiquadState> states_;
};

} // namespace calvoran::audio::fx
