#pragma once
#include <array>
#include <cstdint>

namespace calvoran {

// The LED matrix's 5 × 7 font, one entry per Windows-1252 code: seven rows from the top, bit 4 the
// leftmost column and bit 0 the rightmost. Control codes are blank.
class MatrixFont {
public:
    using Glyph = std::array<std::uint8_t, 7>;
    static const Glyph &glyph(unsigned char code);
};

} // namespace calvoran
