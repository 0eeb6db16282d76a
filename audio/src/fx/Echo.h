// Effect 2: one feedback delay per channel.
#pragma once
#include "DelayLine.h"
#include "Effect.h"
#include "bass_fx.h"

#include <vector>

namespace calvoran::audio::fx {

inline constexpr float kMaxEchoSeconds = 2.0f;

bool validEcho(const EchoParams &p);

class Echo final : public Effect {
public:
    Echo();
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
