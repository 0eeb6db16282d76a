// Effect 0: exchanges the first two channels.
#pragma once
#include "Effect.h"

namespace calvoran::audio::fx {

class SwapChannels final : public Effect {
public:
    void prepare(int sampleRate, int channels) override;
    void process(float *interleaved, std::size_t frames) override;
    bool setParameters(const void *) override { return false; }
    bool getParameters(void *) const override { return false; }

private:
    int channels_ = 2;
};

} // namespace calvoran::audio::fx
