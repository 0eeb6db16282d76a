// Effect 11 ("Dyn Amp"): automatic gain toward a target peak level.
#pragma once
#include "Effect.h"
#include "bass_fx.h"

namespace calvoran::audio::fx {

class DynAmp final : public Effect {
public:
    DynAmp();
    void prepare(int sampleRate, int channels) override;
    void process(float *interleaved, std::size_t frames) override;
    bool setParameters(const void *params) override;
    bool getParameters(void *params) const override;

    bool setParams(const DynAmpParams &p);
    DynAmpParams params() const { return params_; }
    float gain() const { return gain_; }

private:
    void updateCoeffs();

    DynAmpParams params_;
    int rate_ = 44100;
    int channels_ = 2;
    float attackCoeff_ = 1.0f;
    float releaseCoeff_ = 1.0f;
    float holdCoeff_ = 1.0f;
    float level_ = 0.0f; // peak follower
    float gain_ = 1.0f;
};

} // namespace calvoran::audio::fx
