// The multi-band peaking equaliser (effect 5) and the single flat band of BASS_ChannelSetFX.
#pragma once
#include "Biquad.h"
#include "Effect.h"
#include "bass_fx.h"

#include <cstddef>
#include <vector>

namespace calvoran::audio::fx {

class PeakEq final : public Effect {
public:
    static constexpr int kMaxBands = 32;

    PeakEq();
    void prepare(int sampleRate, int channels) override;
    void process(float *interleaved, std::size_t frames) override;
    bool setParameters(const void *params) override;
    bool getParameters(void *params) const override;

    // A new flat band; its number, or -1 when there are kMaxBands already.
    int addBand();
    int bandCount() const { return static_cast<int>(bands_.size()); }
    // False when the band does not exist or a value is out of range.
    bool setBand(const EqBandParams &p);
    // Fills the band named in p.band; false when it does not exist.
    bool getBand(EqBandParams &p) const;

private:
    struct Band {
        EqBandParams params;
        BiquadCoeffs coeffs;
        float gainNow = 0.0f; // moves toward params.gain, so a slider step does not click
        std::size_t rampLeft = 0;
    };
    void updateCoeffs(Band &b) const;

    int rate_ = 44100;
    int channels_ = 2;
    std::vector<Band> bands_;
    std::vector<BiquadState> states_; // kMaxBands x channels
};

} // namespace calvoran::audio::fx
