// Effect 12 ("AutoWah"): a band-pass whose centre follows the loudness.
#pragma once
#include "Effect.h"
#include "bass_fx.h"

#include <vector>

namespace calvoran::audio::fx {

class AutoWah final : public Effect {
public:
    AutoWah();
    void prepare(int sampleRate, int channels) override;
    void process(float *interleaved, std::size_t frames) override;
    bool setParameters(const void *params) override;
    bool getParameters(void *params) const override;

    bool setParams(const AutoWahParams &p);
    AutoWahParams params() const { return params_; }
    float centre() const { return centre_; }

private:
    struct Svf {
        float ic1 = 0.0f, ic2 = 0.0f;
    };
    void tune(float level);

    AutoWahParams params_;
    int rate_ = 44100;
    int channels_ = 2;
    float attackCoeff_ = 1.0f;
    float releaseCoeff_ = 1.0f;
    float level_ = 0.0f;
    float centre_ = 0.0f;
    std::size_t sinceTune_ = 0;
    // Simper's trapezoidal state-variable filter coefficients.
    float a1_ = 0.0f, a2_ = 0.0f, a3_ = 0.0f, k_ = 1.0f;
    std::vector<Svf> svf_;
};

} // namespace calvoran::audio::fx
