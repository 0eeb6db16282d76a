// Effect 6: a Schroeder/Freeverb reverberator.
#pragma once
#include "Effect.h"
#include "bass_fx.h"

#include <array>
#include <vector>

namespace calvoran::audio::fx {

class Reverb final : public Effect {
public:
    Reverb();
    void prepare(int sampleRate, int channels) override;
    void process(float *interleaved, std::size_t frames) override;
    bool setParameters(const void *params) override;
    bool getParameters(void *params) const override;

    bool setParams(const ReverbParams &p);
    ReverbParams params() const { return params_; }

private:
    struct Comb {
        std::vector<float> buf;
        std::size_t pos = 0;
        float store = 0.0f;
    };
    struct Allpass {
        std::vector<float> buf;
        std::size_t pos = 0;
    };
    // Eight parallel combs into four serial allpasses.
    struct Network {
        std::array<Comb, 8> combs;
        std::array<Allpass, 4> allpasses;
    };
    float run(Network &n, float in) const;

    ReverbParams params_;
    int channels_ = 2;
    float feedback_ = 0.84f;
    float damp_ = 0.2f;
    std::vector<Network> nets_;
};

} // namespace calvoran::audio::fx
