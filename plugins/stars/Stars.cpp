// Star Drift: a star field that rushes past with the music, trails fading behind, around a ring that
// traces the waveform. Stars take the colour of their band: red with the bass, green with the mids,
// blue with the treble. A click changes how many stars there are.
#include "VisCommon.h"
#include "VisIni.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <vector>

namespace {

using calvoran::vis::rgb;

constexpr const char *kName = "Star Drift";
constexpr std::array<int, 3> kDensities = {600, 1500, 3000};
constexpr float kPi = 3.14159265f;

struct Star {
    float x, y, z;
};

struct Stars {
    int width = 0, height = 0;
    int density = 1;
    std::vector<Star> stars;
    std::vector<std::uint32_t> frame;
    float turn = 0;
    calvoran::vis::Beat beat;
    calvoran::vis::Random random;
};

void place(Stars &s, Star &star, bool anywhere) {
    star.x = s.random.unit() * 2.0f - 1.0f;
    star.y = s.random.unit() * 2.0f - 1.0f;
    star.z = anywhere ? 0.05f + s.random.unit() * 0.95f : 1.0f;
}

void fill(Stars &s) {
    s.stars.resize(static_cast<std::size_t>(kDensities[static_cast<std::size_t>(s.density)]));
    for (Star &star : s.stars)
        place(s, star, true);
}

void *create(const char *settingsFile, int width, int height) {
    auto *s = new (std::nothrow) Stars;
    if (!s) return nullptr;
    s->width = width;
    s->height = height;
    s->density = std::clamp(calvoran::vis::readIniInt(settingsFile, kName, "Density", 1), 0,
                            static_cast<int>(kDensities.size()) - 1);
    s->frame.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFF000000u);
    fill(*s);
    return s;
}

// Adds a colour to a pixel, saturating each channel.
inline void add(Stars &s, int x, int y, std::uint32_t c) {
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) return;
    std::uint32_t &p = s.frame[static_cast<std::size_t>(y) * static_cast<std::size_t>(s.width) +
                               static_cast<std::size_t>(x)];
    const std::uint32_t r = std::min(255u, ((p >> 16) & 255) + ((c >> 16) & 255));
    const std::uint32_t g = std::min(255u, ((p >> 8) & 255) + ((c >> 8) & 255));
    const std::uint32_t b = std::min(255u, (p & 255) + (c & 255));
    p = 0xFF000000u | r << 16 | g << 8 | b;
}

void line(Stars &s, int x0, int y0, int x1, int y1, std::uint32_t c) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (int n = 0; n < 4096; ++n) {
        add(s, x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void render(void *instance, uint32_t *pixels, int width, int height, int stride,
            const CalvoranVisData *data) {
    Stars &s = *static_cast<Stars *>(instance);
    s.beat.update(data->spectrum);
    // Fade what was drawn by a quarter: trails.
    for (std::uint32_t &p : s.frame)
        p = 0xFF000000u | (((p >> 1) & 0x7F7F7Fu) + ((p >> 2) & 0x3F3F3Fu));
    const float cx = static_cast<float>(width) / 2.0f, cy = static_cast<float>(height) / 2.0f;
    const float scale = static_cast<float>(std::max(width, height)) * 0.5f;
    const float speed = 0.004f + 0.05f * (s.beat.bass + s.beat.mid) + 0.04f * s.beat.pulse;
    s.turn += 0.002f + 0.01f * s.beat.treble;
    const float cs = std::cos(s.turn), sn = std::sin(s.turn);
    const std::array<float, 3> bands = {s.beat.bass, s.beat.mid, s.beat.treble};
    for (std::size_t i = 0; i < s.stars.size(); ++i) {
        Star &star = s.stars[i];
        const float before = star.z;
        star.z -= speed;
        if (star.z <= 0.02f) {
            place(s, star, false);
            continue;
        }
        const float rx = star.x * cs - star.y * sn, ry = star.x * sn + star.y * cs;
        const int x0 = static_cast<int>(cx + rx / before * scale),
                  y0 = static_cast<int>(cy + ry / before * scale);
        const int x1 = static_cast<int>(cx + rx / star.z * scale),
                  y1 = static_cast<int>(cy + ry / star.z * scale);
        if (x1 < -width || x1 > 2 * width || y1 < -height || y1 > 2 * height) {
            place(s, star, false);
            continue;
        }
        const float light = std::min(1.0f, (1.0f - star.z) * (0.35f + 1.6f * bands[i % 3]));
        const int level = static_cast<int>(255.0f * light);
        const int dim = level / 3;
        const std::uint32_t colour = i % 3 == 0   ? rgb(level, dim, dim)
                                     : i % 3 == 1 ? rgb(dim, level, dim)
                                                  : rgb(dim, dim, level);
        line(s, x0, y0, x1, y1, colour);
    }
    // The waveform as a ring that swells on the beat.
    const float radius = static_cast<float>(std::min(width, height)) * (0.18f + 0.06f * s.beat.pulse);
    const int glow = 120 + static_cast<int>(135.0f * s.beat.pulse);
    const std::uint32_t ringColour = rgb(glow, glow, 255);
    int px = 0, py = 0;
    for (int i = 0; i <= CALVORAN_VIS_WAVE_FRAMES; ++i) {
        const int k = i % CALVORAN_VIS_WAVE_FRAMES;
        const float sample = 0.5f * (data->wave[2 * k] + data->wave[2 * k + 1]);
        const float a = 2.0f * kPi * static_cast<float>(k) / CALVORAN_VIS_WAVE_FRAMES;
        const float r = radius * (1.0f + 0.6f * sample);
        const int x = static_cast<int>(cx + r * std::cos(a)), y = static_cast<int>(cy + r * std::sin(a));
        if (i > 0) line(s, px, py, x, y, ringColour);
        px = x;
        py = y;
    }
    calvoran::vis::copyOut(s.frame.data(), pixels, width, height, stride);
}

void clicked(void *instance, int, int) {
    Stars &s = *static_cast<Stars *>(instance);
    s.density = (s.density + 1) % static_cast<int>(kDensities.size());
    fill(s);
}

void saveSettings(void *instance, const char *settingsFile) {
    calvoran::vis::writeIniInt(settingsFile, kName, "Density", static_cast<Stars *>(instance)->density);
}

void destroy(void *instance) {
    delete static_cast<Stars *>(instance);
}

const CalvoranVisPlugin kPlugin = {CALVORAN_VIS_ABI_VERSION,
                                   kName,
                                   CALVORAN_VIS_WANTS_WAVE | CALVORAN_VIS_WANTS_SPECTRUM,
                                   create,
                                   render,
                                   clicked,
                                   saveSettings,
                                   destroy};

} // namespace

const CalvoranVisPlugin *calvoran_vis_plugin(void) {
    return &kPlugin;
}
