// Small numeric helpers shared by the effects.
#pragma once
#include <algorithm>
#include <cmath>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace calvoran::audio::fx {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;

inline bool inRange(float v, float lo, float hi) {
    return std::isfinite(v) && v >= lo && v <= hi;
}

// Feedback paths decay toward zero forever; subnormal values there cost a hundred times more.
class ScopedFlushDenormals {
public:
#if defined(__SSE__) || defined(__x86_64__)
    ScopedFlushDenormals() : saved_(_mm_getcsr()) {
        _mm_setcsr(saved_ | 0x8040u);
    } // FTZ | DAZ
    ~ScopedFlushDenormals() {
        _mm_setcsr(saved_);
    }

private:
    unsigned saved_;
#else
    ScopedFlushDenormals() = default;
#endif
public:
    ScopedFlushDenormals(const ScopedFlushDenormals &) = delete;
    ScopedFlushDenormals &operator=(const ScopedFlushDenormals &) = delete;
};

// Highest frequency a filter may be tuned to at this rate.
inline double maxFilterFreq(int sampleRate) {
    return 0.45 * sampleRate;
}

// One-pole smoothing coefficient for a time constant in milliseconds.
inline float timeCoeff(float ms, int sampleRate) {
    const double samples = std::max(1e-3, static_cast<double>(ms) * 1e-3 * sampleRate);
    return static_cast<float>(1.0 - std::exp(-1.0 / samples));
}

} // namespace calvoran::audio::fx
