// Ember Spectrum: the spectrum as a row of flames. Each bar feeds heat into the bottom of a fire that
// rises, spreads and cools; a beat flares the whole floor. A click changes the colours.
#include "VisCommon.h"
#include "VisIni.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <vector>

namespace {

using calvoran::vis::rgb;

constexpr const char *kName = "Ember Spectrum";
constexpr int kPalettes = 4;

struct Ember {
    int width = 0, height = 0;
    int gw = 0, gh = 0; // fire grid, coarser than the picture on large areas
    int cell = 1;
    int palette = 0;
    std::vector<std::uint16_t> heat; // gw × (gh + 2), two seed rows at the bottom
    std::vector<std::uint32_t> frame;
    std::array<std::array<std::uint32_t, 256>, kPalettes> colours{};
    std::vector<int> columnBin;           // spectrum bin per grid column
    std::vector<float> peaks;             // per column, falling slowly
    std::vector<std::uint32_t> columnMap; // per picture column: grid column and blend (gx << 8 | fx)
    calvoran::vis::Beat beat;
    calvoran::vis::Random random;
};

void makePalettes(Ember &e) {
    for (int i = 0; i < 256; ++i) {
        const float t = static_cast<float>(i) / 255.0f;
        const auto ramp = [&](float from, float to) {
            return static_cast<int>(255.0f * std::clamp((t - from) / (to - from), 0.0f, 1.0f));
        };
        e.colours[0][static_cast<std::size_t>(i)] =
            rgb(ramp(0.0f, 0.28f), ramp(0.22f, 0.62f), ramp(0.6f, 1.0f)); // fire
        e.colours[1][static_cast<std::size_t>(i)] =
            rgb(ramp(0.6f, 1.0f), ramp(0.3f, 0.8f), ramp(0.0f, 0.45f)); // ice
        e.colours[2][static_cast<std::size_t>(i)] =
            rgb(ramp(0.55f, 1.0f), ramp(0.0f, 0.45f), ramp(0.35f, 0.9f)); // venom
        e.colours[3][static_cast<std::size_t>(i)] =
            rgb(ramp(0.1f, 0.6f), ramp(0.5f, 1.0f), ramp(0.0f, 0.35f)); // aurora
    }
}

void *create(const char *settingsFile, int width, int height) {
    auto *e = new (std::nothrow) Ember;
    if (!e) return nullptr;
    e->width = width;
    e->height = height;
    e->cell = std::max(1, (std::min(width, height) + 119) / 120); // about 120 rows of fire
    e->gw = (width + e->cell - 1) / e->cell;
    e->gh = (height + e->cell - 1) / e->cell;
    e->heat.assign(static_cast<std::size_t>(e->gw) * static_cast<std::size_t>(e->gh + 2), 0);
    e->frame.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFF000000u);
    e->palette = std::clamp(calvoran::vis::readIniInt(settingsFile, kName, "Palette", 0), 0, kPalettes - 1);
    makePalettes(*e);
    // Low frequencies get most of the width, as the ear hears them.
    e->columnBin.resize(static_cast<std::size_t>(e->gw));
    for (int x = 0; x < e->gw; ++x) {
        const float f = (static_cast<float>(x) + 0.5f) / static_cast<float>(e->gw);
        e->columnBin[static_cast<std::size_t>(x)] =
            std::clamp(1 + static_cast<int>(f * f * 180.0f), 1, CALVORAN_VIS_SPECTRUM_BINS - 1);
    }
    e->peaks.assign(static_cast<std::size_t>(e->gw), 0.0f);
    e->columnMap.resize(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
        const int fixed = (x * 256) / e->cell;
        e->columnMap[static_cast<std::size_t>(x)] =
            static_cast<std::uint32_t>(std::min(fixed, (e->gw - 1) * 256 + 255));
    }
    return e;
}

void step(Ember &e, int cooling) {
    const int gw = e.gw;
    // Uneven cooling tears the rising heat into tongues instead of flat fronts.
    std::uint32_t noise = e.random.next() | 1u;
    std::uint16_t *h = e.heat.data();
    for (int y = 0; y < e.gh; ++y) {
        std::uint16_t *row = h + static_cast<std::ptrdiff_t>(y) * gw;
        const std::uint16_t *below = row + gw;
        const std::uint16_t *below2 = below + gw;
        for (int x = 0; x < gw; ++x) {
            const int left = below[x > 0 ? x - 1 : x];
            const int right = below[x + 1 < gw ? x + 1 : x];
            const int sum = left + below[x] + right + below2[x];
            noise = noise * 1664525u + 1013904223u;
            const int uneven = static_cast<int>((noise >> 16) % static_cast<std::uint32_t>(3 * cooling));
            row[x] = static_cast<std::uint16_t>(std::max(0, (sum >> 2) - uneven));
        }
    }
}

void render(void *instance, uint32_t *pixels, int width, int height, int stride,
            const CalvoranVisData *data) {
    Ember &e = *static_cast<Ember *>(instance);
    e.beat.update(data->spectrum);
    // Seed the two rows below the picture from the spectrum; higher bands are quieter in music, so they
    // get more gain, and neighbours blend so the flames look like one fire.
    std::uint16_t *seed = e.heat.data() + static_cast<std::ptrdiff_t>(e.gh) * e.gw;
    for (int x = 0; x < e.gw; ++x) {
        const auto i = static_cast<std::size_t>(x);
        const int bin = e.columnBin[i];
        const float tilt = 1.0f + 2.5f * static_cast<float>(x) / static_cast<float>(e.gw);
        const float raw = (data->spectrum[bin] * 2.0f + data->spectrum[std::max(1, bin - 1)] +
                           data->spectrum[std::min(CALVORAN_VIS_SPECTRUM_BINS - 1, bin + 1)]) /
                          4.0f;
        const float v = std::min(1.0f, raw * tilt * 1.2f + e.beat.pulse * 0.12f);
        e.peaks[i] = std::max(v, e.peaks[i] * 0.93f);
    }
    for (int x = 0; x < e.gw; ++x) {
        const auto i = static_cast<std::size_t>(x);
        const float near =
            (e.peaks[i > 0 ? i - 1 : i] + 2.0f * e.peaks[i] + e.peaks[i + 1 < e.peaks.size() ? i + 1 : i]) /
            4.0f;
        // Hot spots that come and go make the flames lick.
        const float flicker = e.random.unit() < 0.15f ? 1.0f : 0.55f + 0.35f * e.random.unit();
        const auto value = static_cast<std::uint16_t>(65535.0f * std::min(1.0f, near * flicker));
        seed[x] = value;
        seed[x + e.gw] = value;
    }
    // Loud bars reach the top: the cooling spreads the full heat over about the grid's height.
    const int steps = std::max(2, e.gh / 10); // fast enough to settle between beats
    const int cooling = std::max(1, static_cast<int>(65535.0 * 0.45 / e.gh));
    for (int s = 0; s < steps; ++s)
        step(e, cooling);
    // Scale the grid up, blending rows, and colour it.
    const auto &colours = e.colours[static_cast<std::size_t>(e.palette)];
    for (int y = 0; y < height; ++y) {
        const int gyFixed = (y * 256) / e.cell;
        const int gy = std::min(gyFixed >> 8, e.gh - 1);
        const int gy2 = std::min(gy + 1, e.gh - 1);
        const int fy = gyFixed & 255;
        const std::uint16_t *r1 = e.heat.data() + static_cast<std::ptrdiff_t>(gy) * e.gw;
        const std::uint16_t *r2 = e.heat.data() + static_cast<std::ptrdiff_t>(gy2) * e.gw;
        std::uint32_t *out = e.frame.data() + static_cast<std::ptrdiff_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const auto map = e.columnMap[static_cast<std::size_t>(x)];
            const auto gx = static_cast<int>(map >> 8);
            const int gx2 = gx + 1 < e.gw ? gx + 1 : gx;
            const auto fx = static_cast<int>(map & 255);
            const int top = (r1[gx] * (256 - fx) + r1[gx2] * fx) >> 8;
            const int bottom = (r2[gx] * (256 - fx) + r2[gx2] * fx) >> 8;
            const int v = (top * (256 - fy) + bottom * fy) >> 16;
            out[x] = colours[static_cast<std::size_t>(std::min(v, 255))];
        }
    }
    calvoran::vis::copyOut(e.frame.data(), pixels, width, height, stride);
}

void clicked(void *instance, int, int) {
    Ember &e = *static_cast<Ember *>(instance);
    e.palette = (e.palette + 1) % kPalettes;
}

void saveSettings(void *instance, const char *settingsFile) {
    calvoran::vis::writeIniInt(settingsFile, kName, "Palette", static_cast<Ember *>(instance)->palette);
}

void destroy(void *instance) {
    delete static_cast<Ember *>(instance);
}

const CalvoranVisPlugin kPlugin = {CALVORAN_VIS_ABI_VERSION,
                                   kName,
                                   CALVORAN_VIS_WANTS_SPECTRUM,
                                   create,
                                   render,
                                   clicked,
                                   saveSettings,
                                   destroy};

} // namespace

const CalvoranVisPlugin *calvoran_vis_plugin(void) {
    return &kPlugin;
}
