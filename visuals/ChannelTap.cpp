#include "ChannelTap.h"

#include "bass.h"

namespace calvoran {

ChannelTap audioChannelTap(std::function<uint32_t()> channel) {
    ChannelTap tap;
    tap.playing = [channel] { return BASS_ChannelIsActive(channel()) == BASS_ACTIVE_PLAYING; };
    tap.wave = [channel](uint32_t *frames) { BASS_ChannelGetData(channel(), frames, 2048); };
    tap.spectrum = [channel](float *bins) { BASS_ChannelGetData(channel(), bins, BASS_DATA_FFT1024); };
    tap.level = [channel]() -> uint32_t {
        const DWORD level = BASS_ChannelGetLevel(channel());
        // A bad or freed handle answers (DWORD)-1, which would pin both needles at full scale.
        return level == static_cast<DWORD>(-1) ? 0 : level;
    };
    return tap;
}

} // namespace calvoran
