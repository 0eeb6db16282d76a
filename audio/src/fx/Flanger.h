// Effects 3 ("Flanger") and 9 ("Flanger v2"): a short delay swept by a slow oscillator.
#pragma once
#include "DelayLine.h"
#include "Effect.h"
#include "bass_fx.h"

#include <vector>

namespace calvoran::audio::fx {

class Flanger final : public Effect {
public:
    enum class Variant { Classic, V2 }; // V2: triangle sweep, stereo offset, negative feedback

    explicit Flanger(Variant v = Variant::Classic);
    void prepare(int sampleRate, int channels) override;
    void process(float *interleaved, std::size_t frames) override;
    bool setParameters(const void *params) override;
    bool getParameters(void *params) const override;

    bool setParams(const FlangerParams &p);
    FlangerParams params() const { return params_; }

private:
    float sweep(double phase) const; // 0..1

    Variant variant_;
    FlangerParams params_;
    int rate_ = 44100;
    int channels_ = 2;
    double phase_ = 0.0; // cycles
    std::vector<DelayLine> lines_;
};

} // namespace calvoran::audio::fx
