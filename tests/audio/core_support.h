// Shared helpers for the audio core tests: library set-up, decoding whole channels, waiting.
#pragma once
#include "Fixtures.h"
#include "TestDir.h"
#include "bass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace calvoran::audio::test {

namespace fx = calvoran::fixtures;

// BASS_Init for one test, BASS_Free at its end.
class Library {
public:
    explicit Library(int device = 1, DWORD rate = 44100) {
        ok_ = BASS_Init(device, rate, 0, nullptr, nullptr) != 0;
    }
    ~Library() {
        if (ok_) BASS_Free();
    }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

inline std::vector<std::int16_t> toInt16(const std::vector<float> &samples) {
    return fx::toInt16(samples);
}

// Every sample of a decode channel, as 16-bit values in its own layout.
inline std::vector<std::int16_t> decodeAll16(DWORD handle) {
    std::vector<std::int16_t> all;
    std::vector<std::int16_t> block(8192);
    for (;;) {
        const DWORD got = BASS_ChannelGetData(handle, block.data(), static_cast<DWORD>(block.size() * 2));
        if (got == 0 || got == ~DWORD{0}) break;
        all.insert(all.end(), block.begin(), block.begin() + got / 2);
    }
    return all;
}

inline std::vector<float> decodeAllFloat(DWORD handle) {
    std::vector<float> all;
    std::vector<float> block(8192);
    for (;;) {
        const DWORD got =
            BASS_ChannelGetData(handle, block.data(), static_cast<DWORD>(block.size() * 4) | BASS_DATA_FLOAT);
        if (got == 0 || got == ~DWORD{0}) break;
        all.insert(all.end(), block.begin(), block.begin() + got / 4);
    }
    return all;
}

// Largest absolute difference of two 16-bit sequences over their common length; sizes must match.
inline int maxDifference(const std::vector<std::int16_t> &a, const std::vector<std::int16_t> &b,
                         std::size_t from = 0, std::size_t count = ~std::size_t{0}) {
    int worst = 0;
    const std::size_t end =
        std::min({a.size(), b.size(), count == ~std::size_t{0} ? a.size() : from + count});
    for (std::size_t i = from; i < end; ++i)
        worst = std::max(worst, std::abs(int{a[i]} - int{b[i]}));
    return worst;
}

// Polls `done` every 5 ms for up to `timeout`; true when it became true.
inline bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < until) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

inline double positionSeconds(DWORD handle) {
    return BASS_ChannelBytes2Seconds(handle, BASS_ChannelGetPosition(handle));
}

// A reference decoder's 16-bit output.
inline std::vector<std::int16_t> referenceSamples(const fx::fs::path &wav, int *channels = nullptr,
                                                  int *rate = nullptr) {
    const auto data = fx::readWav(wav);
    if (!data) return {};
    if (channels) *channels = data->channels;
    if (rate) *rate = data->rate;
    return fx::toInt16(data->samples);
}

// Power spectrum of `samples` (power-of-two length) through a 4-term Blackman-Harris window.
inline std::vector<double> powerSpectrum(std::vector<double> samples) {
    const std::size_t n = samples.size();
    std::vector<std::complex<double>> x(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = 2.0 * M_PI * static_cast<double>(i) / static_cast<double>(n);
        const double w =
            0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2 * t) - 0.01168 * std::cos(3 * t);
        x[i] = samples[i] * w;
    }
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2.0 * M_PI / static_cast<double>(len));
        for (std::size_t base = 0; base < n; base += len) {
            std::complex<double> w = 1.0;
            for (std::size_t k = 0; k < len / 2; ++k, w *= step) {
                const auto odd = x[base + k + len / 2] * w;
                x[base + k + len / 2] = x[base + k] - odd;
                x[base + k] += odd;
            }
        }
    }
    std::vector<double> power(n / 2);
    for (std::size_t i = 0; i < n / 2; ++i)
        power[i] = std::norm(x[i]);
    return power;
}

// Reads a raw 16-bit stereo capture of the disk driver.
inline std::vector<std::int16_t> readCapture(const fx::fs::path &path) {
    const auto bytes = fx::readFile(path);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// Sets an environment variable for the rest of the process (tests set SDL's before BASS_Init).
inline void setEnv(const char *name, const std::string &value) {
    ::setenv(name, value.c_str(), 1);
}

} // namespace calvoran::audio::test
