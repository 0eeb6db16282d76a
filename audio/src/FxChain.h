// Seam between the channel core and the effects: each channel owns one FxChain.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace calvoran::audio {

// The effects on one channel, in priority order (higher first). process() runs on interleaved float
// samples in [-1, 1], on the mixer thread for played channels and on the caller's thread for decode
// channels; the other members run on the caller's thread. A short lock keeps the two apart; new
// effects are allocated and old ones freed outside it.
class FxChain {
public:
    FxChain(int sampleRate, int channels);
    ~FxChain();
    FxChain(const FxChain &) = delete;
    FxChain &operator=(const FxChain &) = delete;

    void process(float *interleaved, std::size_t frames);
    // Output rate or channel count changed (a new stream in the same channel never does).
    void reset(int sampleRate, int channels);

    bool setDsp(int dsp, int priority);              // BASS_FX_DSP_Set
    bool removeDsp(int dsp);                         // BASS_FX_DSP_Remove
    bool setParameters(int dsp, const void *params); // BASS_FX_DSP_SetParameters
    bool getParameters(int dsp, void *params);       // BASS_FX_DSP_GetParameters
    // BASS_ChannelSetFX(BASS_FX_PARAMEQ): a flat peaking band; returns a nonzero id.
    std::uint32_t addParamEq();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace calvoran::audio
