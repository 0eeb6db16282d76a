// Magnitude spectrum for BASS_DATA_FFT1024.
#pragma once
#include <cstddef>

namespace calvoran::audio {

constexpr std::size_t kFftSize = 1024;

// Hann-windowed FFT of kFftSize mono samples; writes kFftSize / 2 magnitudes into `out`, scaled so a
// full-scale sine centred on a bin reads 1.0.
void fftMagnitudes(const float *mono, float *out);

} // namespace calvoran::audio
