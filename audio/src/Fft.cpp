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
    // Plain float arithmetic: std::complex multiplication guards against NaN and infinities at
    // every butterfly, which a visualisation running 30 times a second does not need to pay for.
    std::array<float, kFftSize> re, im{};
    for (std::size_t i = 0; i < kFftSize; ++i)
        re[t.reversed[i]] = mono[i] * t.window[i];
    for (std::size_t len = 2; len <= kFftSize; len <<= 1) {
        const std::size_t half = len / 2, step = kFftSize / len;
        for (std::size_t base = 0; base < kFftSize; base += len)
            for (std::size_t k = 0; k < half; ++k) {
                const float wr = t.twiddle[k * step].real(), wi = t.twiddle[k * step].imag();
                const std::size_t a = base + k, b = a + half;
                const float orr = re[b] * wr - im[b] * wi, oi = re[b] * wi + im[b] * wr;
                re[b] = re[a] - orr;
                im[b] = im[a] - oi;
                re[a] += orr;
                im[a] += oi;
            }
    }
    // A sine of amplitude A at a bin centre gives |X| = A * N / 4 through the Hann window.
    constexpr float scale = 4.0f / kFftSize;
    for (std::size_t i = 0; i < kFftSize / 2; ++i)
        out[i] = std::sqrt(re[i] * re[i] + im[i] * im[i]) * scale;
}

} // namespace calvoran::audio
