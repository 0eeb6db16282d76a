// Test signals and level measurements for the effect tests.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

namespace fxtest {

inline constexpr double kPi = 3.14159265358979323846;

using Buffer = std::vector<float>; // interleaved

inline Buffer sine(int rate, int channels, double freq, double amp, double seconds) {
    const auto frames = static_cast<std::size_t>(seconds * rate);
    Buffer b(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            b[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                static_cast<float>(amp * std::sin(2.0 * kPi * freq * static_cast<double>(i) / rate));
    return b;
}

inline Buffer noise(int channels, std::size_t frames, float amp, unsigned seed = 1) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(-amp, amp);
    Buffer b(frames * static_cast<std::size_t>(channels));
    for (float &x : b)
        x = dist(gen);
    return b;
}

inline Buffer impulse(int channels, std::size_t frames, float amp = 1.0f) {
    Buffer b(frames * static_cast<std::size_t>(channels), 0.0f);
    for (int c = 0; c < channels; ++c)
        b[static_cast<std::size_t>(c)] = amp;
    return b;
}

inline float at(const Buffer &b, int channels, std::size_t frame, int channel) {
    return b[frame * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channel)];
}

// RMS of one channel over frames [from, to).
inline double rms(const Buffer &b, int channels, int channel, std::size_t from, std::size_t to) {
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i) {
        const double x = at(b, channels, i, channel);
        sum += x * x;
    }
    return std::sqrt(sum / static_cast<double>(std::max<std::size_t>(1, to - from)));
}

inline double peak(const Buffer &b) {
    double p = 0.0;
    for (float x : b)
        p = std::max(p, static_cast<double>(std::fabs(x)));
    return p;
}

inline bool allFinite(const Buffer &b) {
    return std::all_of(b.begin(), b.end(), [](float x) { return std::isfinite(x); });
}

inline double db(double ratio) {
    return 20.0 * std::log10(ratio);
}

// Runs `process(float*, frames)` over the buffer in blocks of `block` frames, as a player would.
template <typename Process> void inBlocks(Buffer &b, int channels, std::size_t block, Process &&process) {
    const std::size_t frames = b.size() / static_cast<std::size_t>(channels);
    for (std::size_t done = 0; done < frames; done += block)
        process(b.data() + done * static_cast<std::size_t>(channels), std::min(block, frames - done));
}

// Steady-state gain in dB of a tone through `process`: RMS of the last half, output over input.
template <typename Process>
double toneGainDb(int rate, int channels, double freq, std::size_t block, Process &&process) {
    Buffer in = sine(rate, channels, freq, 0.25, 1.0);
    Buffer out = in;
    inBlocks(out, channels, block, process);
    const std::size_t frames = in.size() / static_cast<std::size_t>(channels);
    return db(rms(out, channels, 0, frames / 2, frames) / rms(in, channels, 0, frames / 2, frames));
}

} // namespace fxtest
