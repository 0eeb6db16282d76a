// Where the mixed sound goes: an SDL device, or a clocked null device for "no sound".
#pragma once
#include <memory>

namespace calvoran::audio {

class Mixer;

class Output {
public:
    virtual ~Output() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
    // Any thread, never waits: something that changes the sound (an effect, volume, position, a channel
    // started or freed) should be heard soon, so what is queued and not yet heard is mixed again. Outputs
    // that queue little need not.
    virtual void rewrite() {}
};

// Null with `error` set (BASS_ERROR_DEVICE) when SDL has no usable output.
std::unique_ptr<Output> openSdlOutput(Mixer &mixer, int &error);
std::unique_ptr<Output> openNullOutput(Mixer &mixer);
// The sound server's own client, which wakes once per refill; null when no server answers.
std::unique_ptr<Output> openPulseOutput(Mixer &mixer);
// Whether the default output goes to the sound server directly: SDL's driver choice is left alone unless
// it names the sound server or nothing.
bool preferPulseOutput();

} // namespace calvoran::audio
