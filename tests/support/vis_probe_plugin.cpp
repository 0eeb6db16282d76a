// A plug-in built only for the tests: it writes what it was given into its first pixels, so a test reads
// the data, clicks and settings back from the rendered frame.
#include "calvoran_vis_plugin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#ifndef PROBE_ABI
#define PROBE_ABI CALVORAN_VIS_ABI_VERSION
#endif

namespace {

struct Probe {
    int width;
    int height;
    unsigned setting = 0;
    unsigned renders = 0;
    unsigned click = 0xFFFFFF;
};

// "probe=N" anywhere in the settings file; "fail=1" makes creation fail.
unsigned readKey(const char *file, const std::string &key) {
    std::ifstream in(file ? file : "");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + "=", 0) == 0)
            return static_cast<unsigned>(std::stoul(line.substr(key.size() + 1)));
    return 0;
}

void *create(const char *settingsFile, int width, int height) {
    if (readKey(settingsFile, "fail") == 1) return nullptr;
    auto *probe = new Probe{width, height};
    probe->setting = readKey(settingsFile, "probe");
    return probe;
}

void render(void *instance, uint32_t *pixels, int width, int height, int stride,
            const CalvoranVisData *data) {
    auto *probe = static_cast<Probe *>(instance);
    ++probe->renders;
    for (int y = 0; y < height; ++y)
        std::fill_n(reinterpret_cast<uint32_t *>(reinterpret_cast<unsigned char *>(pixels) + y * stride),
                    width, 0xFF102030u);
    const float *spectrum = data->spectrum;
    const auto peak = static_cast<unsigned>(
        std::max_element(spectrum + 1, spectrum + CALVORAN_VIS_SPECTRUM_BINS) - spectrum);
    float wavePeak = 0;
    for (int i = 0; i < 2 * CALVORAN_VIS_WAVE_FRAMES; ++i)
        wavePeak = std::max(wavePeak, std::fabs(data->wave[i]));
    const uint32_t values[] = {peak,
                               static_cast<uint32_t>(std::lround(spectrum[peak] * 1000)),
                               static_cast<uint32_t>(std::lround(wavePeak * 10000)),
                               probe->click,
                               probe->renders,
                               static_cast<uint32_t>(probe->width) | static_cast<uint32_t>(probe->height)
                                                                         << 12,
                               probe->setting};
    for (int i = 0; i < 7 && i < width; ++i)
        pixels[i] = 0xFF000000u | (values[i] & 0xFFFFFFu);
}

void clicked(void *instance, int x, int y) {
    static_cast<Probe *>(instance)->click = static_cast<unsigned>(x) | static_cast<unsigned>(y) << 12;
}

void saveSettings(void *instance, const char *settingsFile) {
    std::ofstream out(settingsFile);
    out << "probe=" << static_cast<Probe *>(instance)->renders << "\n";
}

void destroy(void *instance) {
    delete static_cast<Probe *>(instance);
}

const CalvoranVisPlugin kPlugin = {
    PROBE_ABI,    PROBE_NAME, CALVORAN_VIS_WANTS_WAVE | CALVORAN_VIS_WANTS_SPECTRUM, create, render, clicked,
    saveSettings, destroy};

} // namespace

const CalvoranVisPlugin *calvoran_vis_plugin(void) {
    return &kPlugin;
}
