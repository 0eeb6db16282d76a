#include "VrThumbArt.h"
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

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

QImage fromRows(const std::vector<std::string> &rows, bool transpose) {
    const int h = int(rows.size());
    const int w = int(rows[0].size());
    QImage img(transpose ? QSize(h, w) : QSize(w, h), QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(transpose ? QPoint(y, x) : QPoint(x, y), artColor(rows[size_t(y)][size_t(x)]));
    return img;
}

template <int H> QImage fromArt(const char *const (&rows)[H], bool transpose) {
    return fromRows(std::vector<std::string>(rows, rows + H), transpose);
}

// The same bevelled knob as the full-size art, at any size of 3 x 3 or more: outline with
// see-through corners, lit top and left, shaded bottom and right, a face in three bands, and
// grooves across the middle (each a dark column with a light lip, 3 pixels apart).
std::vector<std::string> knob(int w, int h, int grooves, bool lips) {
    std::vector<std::string> rows(size_t(h), std::string(size_t(w), 'f'));
    const int faceRows = std::max(1, h - 4);
    for (int y = 0; y < h; ++y) {
        std::string &row = rows[size_t(y)];
        for (int x = 0; x < w; ++x) {
            const bool edgeX = x == 0 || x == w - 1;
            const bool edgeY = y == 0 || y == h - 1;
            char c;
            if (edgeX && edgeY)
                c = ' ';
            else if (edgeX || edgeY)
                c = 'o';
            else if (y == h - 2)
                c = x == 1 ? 'W' : 's';
            else if (x == w - 2)
                c = 's';
            else if (y == 1 || x == 1)
                c = 'W';
            else
                c = "lfm"[std::clamp((y - 2) * 3 / faceRows, 0, 2)];
            row[size_t(x)] = c;
        }
    }
    const int pitch = lips ? 3 : 2;
    const int span = grooves * pitch - 1;
    if (grooves <= 0 || span > w - 4 || h < 5) return rows;
    const int left = (w - span) / 2;
    // Taller knobs leave a band of face above and below the grip.
    const int margin = std::max(2, h / 4);
    for (int y = margin; y <= h - 1 - margin && y <= h - 3; ++y) {
        for (int g = 0; g < grooves; ++g) {
            const int x = left + g * pitch;
            rows[size_t(y)][size_t(x)] = 'g';
            if (lips) rows[size_t(y)][size_t(x + 1)] = 'h';
        }
    }
    return rows;
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

QImage VrThumbArt::sliderThumb(bool vertical, int thickness) {
    if (thickness >= kSliderThickness) return fromArt(kSlider, vertical);
    // Half as long again as thick keeps a knob's look and leaves travel on short sliders.
    const int h = std::max(3, thickness);
    const int w = h >= 5 ? 2 * h - 3 : 2 * h + 1;
    const int grooves = h >= 9 ? 2 : 1;
    return fromRows(knob(w, h, grooves, true), vertical);
}

QImage VrThumbArt::trackBarThumb(bool vertical, int thickness) {
    if (thickness >= kTrackBarThickness) return fromArt(kTrackBar, vertical);
    const int h = std::max(3, thickness);
    const int w = h >= 10 ? 7 : 5;
    return fromRows(knob(w, h, 1, false), vertical);
}

} // namespace calvoran
