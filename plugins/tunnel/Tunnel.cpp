// Pulse Tunnel: a flight down a patterned tunnel. The bass drives the speed, the mids the spin, the
// waveform ripples the walls and each beat flashes the colours. A click changes the wall pattern.
#include "VisCommon.h"
#include "VisIni.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <vector>

namespace {

using calvoran::vis::rgb;

constexpr const char *kName = "Pulse Tunnel";
constexpr int kStyles = 3;
constexpr float kPi = 3.14159265f;

struct Tunnel {
    int width = 0, height = 0;
    int style = 0;
    std::vector<std::uint8_t> angle;  // per pixel, 256 steps around
    std::vector<std::uint16_t> depth; // per pixel, 256 steps per texture repeat
    std::vector<std::uint8_t> shade;  // per pixel, darker towards the far end
    std::array<std::array<std::uint8_t, 256 * 256>, kStyles> textures{};
    std::vector<std::uint32_t> frame;
    float travel = 0, spin = 0, hue = 0;
    calvoran::vis::Beat beat;
};

void makeTextures(Tunnel &t) {
    for (int v = 0; v < 256; ++v)
        for (int u = 0; u < 256; ++u) {
            const auto at = static_cast<std::size_t>(v * 256 + u);
            // Tiles with bevelled edges.
            const int tu = std::min(u & 31, 31 - (u & 31));
            const int tv = std::min(v & 31, 31 - (v & 31));
            t.textures[0][at] = static_cast<std::uint8_t>(
                std::min(255, 60 + std::min(tu, tv) * 12 + (((u >> 5) ^ (v >> 5)) & 1) * 40));
            // Interfering waves.
            const float w = std::sin(static_cast<float>(u) * kPi / 32.0f) +
                            std::sin(static_cast<float>(v) * kPi / 16.0f) +
                            std::sin(static_cast<float>(u + v) * kPi / 64.0f);
            t.textures[1][at] = static_cast<std::uint8_t>(127.5f + 42.0f * w);
            // Glowing rings with spokes.
            const float ring = 0.5f + 0.5f * std::cos(static_cast<float>(v) * kPi / 16.0f);
            const float spoke = 0.5f + 0.5f * std::cos(static_cast<float>(u) * kPi / 8.0f);
            t.textures[2][at] =
                static_cast<std::uint8_t>(255.0f * std::pow(std::max(ring, spoke * 0.6f), 2.0f));
        }
}

void *create(const char *settingsFile, int width, int height) {
    auto *t = new (std::nothrow) Tunnel;
    if (!t) return nullptr;
    t->width = width;
    t->height = height;
    t->style = std::clamp(calvoran::vis::readIniInt(settingsFile, kName, "Pattern", 0), 0, kStyles - 1);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    t->angle.resize(count);
    t->depth.resize(count);
    t->shade.resize(count);
    t->frame.assign(count, 0xFF000000u);
    const float cx = static_cast<float>(width) / 2.0f, cy = static_cast<float>(height) / 2.0f;
    const float radius = std::max(1.0f, std::min(cx, cy));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
            const float dist = std::max(0.5f, std::sqrt(dx * dx + dy * dy));
            const auto i =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
            t->angle[i] = static_cast<std::uint8_t>(
                static_cast<int>((std::atan2(dy, dx) / (2 * kPi) + 0.5f) * 256.0f) & 255);
            t->depth[i] = static_cast<std::uint16_t>(std::min(65535.0f, 48.0f * radius / dist));
            t->shade[i] = static_cast<std::uint8_t>(std::clamp(dist / radius * 300.0f, 0.0f, 255.0f));
        }
    makeTextures(*t);
    return t;
}

// One colour per texture value: a hue that drifts, brightened by the beat.
void makePalette(const Tunnel &t, std::array<std::uint32_t, 256> &palette) {
    const float flash = t.beat.pulse;
    for (int i = 0; i < 256; ++i) {
        const float v = static_cast<float>(i) / 255.0f;
        const float h = t.hue + v * 1.2f;
        const float r = 0.5f + 0.5f * std::cos(h);
        const float g = 0.5f + 0.5f * std::cos(h - 2.1f);
        const float b = 0.5f + 0.5f * std::cos(h - 4.2f);
        const float light = v * (0.75f + 0.6f * flash);
        palette[static_cast<std::size_t>(i)] = rgb(
            static_cast<int>(255.0f * (r * light + flash * 0.25f * v)), static_cast<int>(255.0f * g * light),
            static_cast<int>(255.0f * (b * light + flash * 0.15f * v)));
    }
}

void render(void *instance, uint32_t *pixels, int width, int height, int stride,
            const CalvoranVisData *data) {
    Tunnel &t = *static_cast<Tunnel *>(instance);
    t.beat.update(data->spectrum);
    t.travel += 1.5f + 18.0f * t.beat.bass + 10.0f * t.beat.pulse;
    t.spin += 0.4f + 3.0f * t.beat.mid;
    t.hue += 0.02f + 0.1f * t.beat.treble;
    std::array<std::uint32_t, 256> palette{};
    makePalette(t, palette);
    // The waveform around the circumference ripples the walls.
    std::array<int, 256> ripple{};
    for (int a = 0; a < 256; ++a)
        ripple[static_cast<std::size_t>(a)] =
            static_cast<int>(data->wave[static_cast<std::size_t>(a) * 4] * 40.0f);
    const auto &texture = t.textures[static_cast<std::size_t>(t.style)];
    const int travel = static_cast<int>(t.travel);
    const int spin = static_cast<int>(t.spin);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < count; ++i) {
        const int a = t.angle[i];
        const int u = (a + spin) & 255;
        const int v = (t.depth[i] + travel + ripple[static_cast<std::size_t>(a)]) & 255;
        const std::uint32_t c = palette[texture[static_cast<std::size_t>(v * 256 + u)]];
        const std::uint32_t s = t.shade[i];
        const std::uint32_t rb = ((c & 0xFF00FFu) * s >> 8) & 0xFF00FFu;
        const std::uint32_t g = ((c & 0x00FF00u) * s >> 8) & 0x00FF00u;
        t.frame[i] = 0xFF000000u | rb | g;
    }
    calvoran::vis::copyOut(t.frame.data(), pixels, width, height, stride);
}

void clicked(void *instance, int, int) {
    Tunnel &t = *static_cast<Tunnel *>(instance);
    t.style = (t.style + 1) % kStyles;
}

void saveSettings(void *instance, const char *settingsFile) {
    calvoran::vis::writeIniInt(settingsFile, kName, "Pattern", static_cast<Tunnel *>(instance)->style);
}

void destroy(void *instance) {
    delete static_cast<Tunnel *>(instance);
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
