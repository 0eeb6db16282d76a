// Second-order IIR sections from the RBJ audio-EQ cookbook, with per-channel state.
#pragma once
#include <cstddef>

namespace calvoran::audio::fx {

struct BiquadCoeffs {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0; // normalised by a0

    // Peaking band: gainDb at centre; q > 0 wins, otherwise bandwidth in octaves.
    static BiquadCoeffs peaking(double sampleRate, double centre, double gainDb, double q,
                                double bandwidthOctaves);
    static BiquadCoeffs lowPass(double sampleRate, double cutoff, double q);
    // Magnitude response at a frequency, for checks.
    double magnitude(double sampleRate, double freq) const;
};

// Transposed direct form II, double state: stays quiet at low centre frequencies.
struct BiquadState {
    double z1 = 0.0, z2 = 0.0;

    float step(const BiquadCoeffs &c, float in) {
        const double x = in;
        const double y = c.b0 * x + z1;
        z1 = c.b1 * x - c.a1 * y + z2;
        z2 = c.b2 * x - c.a2 * y;
        return static_cast<float>(y);
    }
    void clear() { z1 = z2 = 0.0; }
};

// Runs one coefficient set over every channel of an interleaved buffer.
void runBiquad(const BiquadCoeffs &c, BiquadState *states, float *interleaved, std::size_t frames,
               int channels);

} // namespace calvoran::audio::fx
