// One sound effect on interleaved float samples. prepare() may allocate; process() never does.
#pragma once
#include <cstddef>

namespace calvoran::audio::fx {

class Effect {
public:
    virtual ~Effect() = default;
    // Allocates for this format and clears the sound state; parameters are kept.
    virtual void prepare(int sampleRate, int channels) = 0;
    virtual void process(float *interleaved, std::size_t frames) = 0;
    // The effect's parameter record from bass_fx.h; false when it is out of range (nothing changes)
    // or the effect has none.
    virtual bool setParameters(const void *params) = 0;
    virtual bool getParameters(void *params) const = 0;
};

} // namespace calvoran::audio::fx
