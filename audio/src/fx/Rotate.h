// Effect 1: auto-pan of the first two channels.
#pragma once
#include "Effect.h"
#include "bass_fx.h"

namespace calvoran::audio::fx {

class Rotate final : public Effect {
public:
    Rotate();
    void prepare(int sampleRate, int channels) override;
    void process(float *interleaved, std::size_t frames) override;
    bool setParameters(const void *params) override;
    bool getParameters(void *params) const override;

    bool setParams(const RotateParams &p);
    RotateParams params() const { return params_; }

private:
    RotateParams params_;
    int rate_ = 44100;
    int channels_ = 2;
    double phase_ = 0.0; // cycles
};

} // namespace calvoran::audio::fx
