// Effect 8: a rhythmic gate.
#pragma once
#include "Effect.h"
#include "bass_fx.h"

namespace calvoran::audio::fx {

class Cutter final : public Effect {
public:
    Cutter();
    void prepare(int sampleRate, int channels) override;
    void process(float *interleaved, std::size_t frames) override;
    bool setParameters(const void *params) override;
    bool getParameters(void *params) const override;

    bool setParams(const CutterParams &p);
    CutterParams params() const { return params_; }

private:
    CutterParams params_;
    int rate_ = 44100;
    int channels_ = 2;
    double phase_ = 0.0; // cycles
    float gain_ = 1.0f;
};

} // namespace calvoran::audio::fx
