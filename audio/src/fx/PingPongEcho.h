// Effect 13 ("Echo 2.0"): repeats bounce between left and right.
#pragma once
#include "DelayLine.h"
#include "Effect.h"
#include "bass_fx.h"

#include <vector>

namespace calvoran::audio::fx {

class PingPongEcho final : public Effect {
public:
    PingPongEcho();
    void prepare(int sampleRate, int channels) override;
    void process(float *interleaved, std::size_t frames) override;
    bool setParameters(const void *params) override;
    bool getParameters(void *params) const override;

    bool setParams(const EchoParams &p);
    EchoParams params() const { return params_; }

private:
    EchoParams params_;
    int rate_ = 44100;
    int channels_ = 2;
    std::vector<DelayLine> lines_;
};

} // namespace calvoran::audio::fx
