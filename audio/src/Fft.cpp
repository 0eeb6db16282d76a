#include "Fft.h"

#include <array>
#include <cmath>
#include <complex>
#include <numbers>

namespace calvoran::audio {
namespace {

struct Tables {
    std::array<float, kFftSize> window{};
    std::array<std::complex<float>, kFftSize / 2> twiddle{};
    std::array<unsigned, kFftSize> reversed{};
    Tables() {
        for (std::size_t i = 0; i < kFftSize; ++i) {
            window[i] = static_cast<float>(
                0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / kFftSize));
            unsigned r = 0;
            for (std::size_t bit = 1, rbit = kFftSize / 2; bit < kFftSize; bit <<= 1, rbit >>= 1)
                if (i & bit) r |= static_cast<unsigned>(rbit);
            reversed[i] = r;
        }
        for (std::size_t i = 0; i < kFftSize / 2; ++i)
            twiddle[i] = std::polar(
                1.0f, static_cast<float>(-2.0 * std::numbers::pi * static_cast<double>(i) / kFftSize));
    }
};

const Tables &tables() {
    static const Tables t;
    return t;
}

} // namespace

void fftMagnitudes(const float *mono, float *out) {
    const Tables &t = tables();
    std::array<std::complex<float>, kFftSize> x;
    for (std::size_t i = 0; i < kFftSize; ++i)
        x[t.reversed[i]] = mono[i] * t.window[i];
    for (std::size_t len = 2; len <= kFftSize; len <<= 1) {
        const std::size_t step = kFftSize / len;
        for (std::size_t base = 0; base < kFftSize; base += len)
            for (std::size_t k = 0; k < len / 2; ++k) {
                const std::complex<float> odd = x[base + k + len / 2] * t.twiddle[k * step];
                x[base + k + len / 2] = x[base + k] - odd;
                x[base + k] += odd;
            }
    }
    // A sine of amplitude A at a bin centre gives |X| = A * N / 4 through the Hann window.
    constexpr float scale = 4.0f / kFftSize;
    for (std::size_t i = 0; i < kFftSize / 2; ++i)
        out[i] = std::abs(x[i]) * scale;
}

} // namespace calvoran::audio
