// Float to 16-bit sample conversion, inlined: it runs on every output sample.
#pragma once
#include <cstdint>

namespace calvoran::audio {

// Rounds to nearest and clips; NaN gives -32768 rather than undefined behaviour.
inline std::int16_t floatToInt16(float v) {
    float s = v * 32768.0f;
    s = s > -32768.0f ? s : -32768.0f; // written as min/max without branches, so loops vectorise
    s = s < 32767.0f ? s : 32767.0f;
    // Adding and removing 1.5 * 2^23 rounds to nearest even, like lrint, without a library call.
    const float rounded = (s + 12582912.0f) - 12582912.0f;
    return static_cast<std::int16_t>(static_cast<int>(rounded));
}

} // namespace calvoran::audio
