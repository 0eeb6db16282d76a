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
};

// Null with `error` set (BASS_ERROR_DEVICE) when SDL has no usable output.
std::unique_ptr<Output> openSdlOutput(Mixer &mixer, int &error);
std::unique_ptr<Output> openNullOutput(Mixer &mixer);

} // namespace calvoran::audio
