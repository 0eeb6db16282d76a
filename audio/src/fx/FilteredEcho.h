// Effect 15 ("Echo 2.1"): an echo whose repeats grow darker.
#pragma once
#include "DelayLine.h"
#include "Effect.h"
#include "bass_fx.h"

#include <vector>

namespace calvoran::audio::fx {

class FilteredEcho final : public Effect {
public:
    FilteredEcho();
    void prepare(int sampleRate, int channels) override;
    void process(float *interleaved, std::size_t frames) override;
    bool setParameters(const void *params) override;
    bool getParameters(void *params) const override;

    bool setParams(const Echo21Params &p);
    Echo21Params params() const { return params_; }

private:
    struct Channel {
        DelayLine line;
        float low = 0.0f;   // low-pass state
        float hpIn = 0.0f;  // high-pass: last input
        float hpOut = 0.0f; // high-pass: last output
    };
    void updateCoeffs();

    Echo21Params params_;
    int rate_ = 44100;
    int channels_ = 2;
    float lowCoeff_ = 1.0f;
    float highCoeff_ = 1.0f;
    std::vector<Channel> chans_;
};

} // namespace calvoran::audio::fx
