#include "VrThumbArt.h"
#include <cstring>

namespace calvoran {
namespace {

// One character per pixel; ' ' is a see-through corner (black without alpha).
QRgb artColor(char c) {
    switch (c) {
    case 'o':
        return qRgb(0x30, 0x30, 0x30); // outline
    case 'W':
        return qRgb(0xFF, 0xFF, 0xFF); // lit edge
    case 'l':
        return qRgb(0xE4, 0xE4, 0xE4); // upper face
    case 'f':
        return qRgb(0xCC, 0xCC, 0xCC); // face
    case 'm':
        return qRgb(0xB4, 0xB4, 0xB4); // lower face
    case 's':
        return qRgb(0x78, 0x78, 0x78); // shaded edge
    case 'g':
        return qRgb(0x58, 0x58, 0x58); // grip groove
    case 'h':
        return qRgb(0xF6, 0xF6, 0xF6); // grip lip
    default:
        return qRgba(0, 0, 0, 0);
    }
}

template <int H> QImage fromArt(const char *const (&rows)[H], bool transpose) {
    const int w = int(std::strlen(rows[0]));
    QImage img(transpose ? QSize(H, w) : QSize(w, H), QImage::Format_ARGB32);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(transpose ? QPoint(y, x) : QPoint(x, y), artColor(rows[y][x]));
    return img;
}

// A bevelled silver knob with three grip grooves across its middle.
const char *const kSlider[13] = {
    " oooooooooooooooooooooooooooo ", //
    "oWWWWWWWWWWWWWWWWWWWWWWWWWWWso", //
    "oWllllllllllllllllllllllllllso", //
    "oWlllllllllghlghlghlllllllllso", //
    "oWlllllllllghlghlghlllllllllso", //
    "oWfffffffffghfghfghfffffffffso", //
    "oWfffffffffghfghfghfffffffffso", //
    "oWfffffffffghfghfghfffffffffso", //
    "oWmmmmmmmmmghmghmghmmmmmmmmmso", //
    "oWmmmmmmmmmghmghmghmmmmmmmmmso", //
    "oWmmmmmmmmmmmmmmmmmmmmmmmmmmso", //
    "oWssssssssssssssssssssssssssso", //
    " oooooooooooooooooooooooooooo ", //
};

// A narrow knob with one centred groove, the same from both sides for ticks above and below.
const char *const kTrackBar[17] = {
    " ooooooo ", //
    "oWWWWWWso", //
    "oWlllllso", //
    "oWlllllso", //
    "oWllgllso", //
    "oWllgllso", //
    "oWffgffso", //
    "oWffgffso", //
    "oWffgffso", //
    "oWffgffso", //
    "oWffgffso", //
    "oWmmgmmso", //
    "oWmmgmmso", //
    "oWmmmmmso", //
    "oWmmmmmso", //
    "oWsssssso", //
    " ooooooo ", //
};

} // namespace

QImage VrThumbArt::sliderThumb(bool vertical) {
    return fromArt(kSlider, vertical);
}

QImage VrThumbArt::trackBarThumb(bool vertical) {
    return fromArt(kTrackBar, vertical);
}

} // namespace calvoran
