#include "Biquad.h"

#include "DspUtil.h"

#include <cmath>
#include <complex>

namespace calvoran::audio::fx {

namespace {

BiquadCoeffs normalise(double b0, double b1, double b2, double a0, double a1, double a2) {
    BiquadCoeffs c;
    c.b0 = b0 / a0;
    c.b1 = b1 / a0;
    c.b2 = b2 / a0;
    c.a1 = a1 / a0;
    c.a2 = a2 / a0;
    return c;
}

} // namespace

BiquadCoeffs BiquadCoeffs::peaking(double sampleRate, double centre, double gainDb, double q,
                                   double bandwidthOctaves) {
    const double f0 = std::clamp(centre, 1.0, 0.49 * sampleRate);
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = kTwoPi * f0 / sampleRate;
    const double sn = std::sin(w0);
    const double cs = std::cos(w0);
    const double alpha =
        q > 0.0 ? sn / (2.0 * q) : sn * std::sinh(std::log(2.0) / 2.0 * bandwidthOctaves * w0 / sn);
    return normalise(1.0 + alpha * a, -2.0 * cs, 1.0 - alpha * a, 1.0 + alpha / a, -2.0 * cs,
                     1.0 - alpha / a);
}

BiquadCoeffs BiquadCoeffs::lowPass(double sampleRate, double cutoff, double q) {
    const double f0 = std::clamp(cutoff, 1.0, maxFilterFreq(static_cast<int>(sampleRate)));
    const double w0 = kTwoPi * f0 / sampleRate;
    const double cs = std::cos(w0);
    const double alpha = std::sin(w0) / (2.0 * q);
    return normalise((1.0 - cs) / 2.0, 1.0 - cs, (1.0 - cs) / 2.0, 1.0 + alpha, -2.0 * cs, 1.0 - alpha);
}

double BiquadCoeffs::magnitude(double sampleRate, double freq) const {
    const std::complex<double> z1 = std::polar(1.0, -kTwoPi * freq / sampleRate);
    const std::complex<double> z2 = z1 * z1;
    return std::abs((b0 + b1 * z1 + b2 * z2) / (1.0 + a1 * z1 + a2 * z2));
}

void runBiquad(const BiquadCoeffs &c, BiquadState *states, float *interleaved, std::size_t frames,
               int channels) {
    for (int ch = 0; ch < channels; ++ch) {
        BiquadState s = states[ch];
        float *p = interleaved + ch;
        for (std::size_t i = 0; i < frames; ++i, p += channels)
            *p = s.step(c, *p);
        states[ch] = s;
    }
}

} // namespace calvoran::audio::fx
