// What the shipped plug-ins share: a beat follower over the spectrum and small pixel helpers.
#pragma once
#include "calvoran_vis_plugin.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace calvoran::vis {

inline std::uint32_t rgb(int r, int g, int b) {
    return 0xFF000000u | static_cast<std::uint32_t>(std::clamp(r, 0, 255)) << 16 |
           static_cast<std::uint32_t>(std::clamp(g, 0, 255)) << 8 |
           static_cast<std::uint32_t>(std::clamp(b, 0, 255));
}

// Energy in three bands, and a beat when the low band jumps well above its recent average.
struct Beat {
    float bass = 0, mid = 0, treble = 0;
    float average = 0.05f;
    float pulse = 0; // 1 on a beat, decaying to 0
    bool hit = false;

    void update(const float *spectrum) {
        auto band = [&](int from, int to) {
            float sum = 0;
            for (int i = from; i < to; ++i)
                sum += spectrum[i];
            return sum / static_cast<float>(to - from);
        };
        bass = band(1, 8);
        mid = band(8, 48);
        treble = band(48, CALVORAN_VIS_SPECTRUM_BINS);
        hit = bass > average * 1.35f && bass > 0.12f && pulse < 0.6f;
        average = average * 0.94f + bass * 0.06f;
        pulse = hit ? 1.0f : pulse * 0.88f;
    }
};

// Copies a width × height frame into the caller's rows.
inline void copyOut(const std::uint32_t *frame, std::uint32_t *pixels, int width, int height, int stride) {
    for (int y = 0; y < height; ++y)
        std::memcpy(reinterpret_cast<unsigned char *>(pixels) + static_cast<std::ptrdiff_t>(y) * stride,
                    frame + static_cast<std::ptrdiff_t>(y) * width, static_cast<std::size_t>(width) * 4);
}

// A small fast generator for sparks and stars.
struct Random {
    std::uint32_t state = 0x9E3779B9u;
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    float unit() { return static_cast<float>(next() >> 8) / 16777216.0f; }
};

} // namespace calvoran::vis
