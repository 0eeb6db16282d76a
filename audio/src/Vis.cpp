// Visual plug-ins: the search, the instance table and the data each frame is drawn from.
#include "Library.h"
#include "bass_vis.h"
#include "calvoran_vis_plugin.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace calvoran::audio {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxSide = 8192;

// A loaded shared object, closed with the last owner.
class Module {
public:
    Module() = default;
    explicit Module(void *handle) : handle_(handle) {}
    ~Module() {
        if (handle_) dlclose(handle_);
    }
    Module(Module &&other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Module &operator=(Module &&other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    Module(const Module &) = delete;
    Module &operator=(const Module &) = delete;
    void *get() const { return handle_; }

private:
    void *handle_ = nullptr;
};

struct Loaded {
    Module module;
    const CalvoranVisPlugin *plugin = nullptr;
};

// Opens `path` and checks its entry; `error` tells why it is no plug-in of ours.
Loaded load(const std::string &path, int &error) {
    Loaded loaded;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = BASS_ERROR_FILEOPEN;
        return loaded;
    }
    loaded.module = Module(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!loaded.module.get()) {
        error = BASS_ERROR_FILEOPEN;
        return loaded;
    }
    const auto entry =
        reinterpret_cast<CalvoranVisEntry>(dlsym(loaded.module.get(), CALVORAN_VIS_ENTRY_NAME));
    const CalvoranVisPlugin *plugin = entry ? entry() : nullptr;
    if (!plugin) {
        error = BASS_ERROR_FILEFORM;
        return loaded;
    }
    if (plugin->abiVersion != CALVORAN_VIS_ABI_VERSION) {
        error = BASS_ERROR_VERSION;
        return loaded;
    }
    if (!plugin->name || !plugin->create || !plugin->render || !plugin->destroy) {
        error = BASS_ERROR_FILEFORM;
        return loaded;
    }
    loaded.plugin = plugin;
    return loaded;
}

struct Instance {
    Loaded loaded;
    std::string name;
    std::string iniFile;
    void *state = nullptr; // null for name-only handles
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> frame; // drawn here when the caller's surface has another size
    std::chrono::steady_clock::time_point created;
};

struct Vis {
    std::mutex lock;
    std::map<HVIS, Instance> instances;
    HVIS next = 1;
    std::string found;
    int sensitivity = 2;
    int fftZoom = 1;
    int waveZoom = 1;
};

Vis &vis() {
    static Vis v;
    return v;
}

template <typename T> T fail(int code, T result) {
    setError(code);
    return result;
}

template <typename T> T ok(T result) {
    setError(BASS_OK);
    return result;
}

std::string quoted(const std::string &item) {
    std::string out = "\"";
    for (char c : item) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

void endInstance(Instance &instance) {
    const CalvoranVisPlugin *plugin = instance.loaded.plugin;
    if (!instance.state) return;
    if (!instance.iniFile.empty() && plugin->saveSettings)
        plugin->saveSettings(instance.state, instance.iniFile.c_str());
    plugin->destroy(instance.state);
    instance.state = nullptr;
}

// The frame's data from `channel`, shaped by the library's options; silence when it gives none.
void gather(DWORD channel, std::uint32_t wants, const Vis &v,
            std::array<float, 2 * CALVORAN_VIS_WAVE_FRAMES> &wave,
            std::array<float, CALVORAN_VIS_SPECTRUM_BINS> &spectrum) {
    wave.fill(0.0f);
    spectrum.fill(0.0f);
    if (wants & CALVORAN_VIS_WANTS_WAVE) {
        const int channels = recordChannelCount(channel) == 1 ? 1 : 2;
        std::array<float, 2 * CALVORAN_VIS_WAVE_FRAMES> got{};
        const DWORD bytes = BASS_ChannelGetData(channel, got.data(),
                                                static_cast<DWORD>(CALVORAN_VIS_WAVE_FRAMES * channels * 4) |
                                                    BASS_DATA_FLOAT);
        if (bytes != ~DWORD{0}) {
            const auto frames = std::min<std::size_t>(bytes / (4u * static_cast<unsigned>(channels)),
                                                      CALVORAN_VIS_WAVE_FRAMES);
            const std::size_t offset = CALVORAN_VIS_WAVE_FRAMES - frames; // newest frames at the end
            const auto gain = static_cast<float>(v.waveZoom);
            for (std::size_t i = 0; i < frames; ++i) {
                const float left = got[i * static_cast<std::size_t>(channels)];
                const float right = channels == 2 ? got[2 * i + 1] : left;
                wave[2 * (offset + i)] = std::clamp(left * gain, -1.0f, 1.0f);
                wave[2 * (offset + i) + 1] = std::clamp(right * gain, -1.0f, 1.0f);
            }
        }
    }
    if (wants & CALVORAN_VIS_WANTS_SPECTRUM) {
        std::array<float, 512> fft{};
        if (BASS_ChannelGetData(channel, fft.data(), BASS_DATA_FFT1024) != ~DWORD{0}) {
            static constexpr float kGain[] = {1.0f, 1.6f, 2.4f, 3.5f};
            const float gain = kGain[v.sensitivity - 1];
            const double span = 512.0 / (CALVORAN_VIS_SPECTRUM_BINS * v.fftZoom);
            for (std::size_t j = 0; j < CALVORAN_VIS_SPECTRUM_BINS; ++j) {
                const auto from = static_cast<std::size_t>(std::floor(static_cast<double>(j) * span));
                const auto to = std::max(
                    from + 1, static_cast<std::size_t>(std::floor(static_cast<double>(j + 1) * span)));
                float peak = 0;
                for (std::size_t k = from; k < std::min<std::size_t>(to, 512); ++k)
                    peak = std::max(peak, fft[k]);
                spectrum[j] = std::clamp(std::sqrt(peak) * gain, 0.0f, 1.0f);
            }
        }
    }
}

} // namespace
} // namespace calvoran::audio

using namespace calvoran::audio;

extern "C" {

const char *BASS_VIS_FindPlugins(const char *folder, DWORD flags) try {
    if (!folder) return fail(BASS_ERROR_FILEOPEN, static_cast<const char *>(nullptr));
    const fs::path root(folder);
    std::error_code ec;
    if (!fs::is_directory(root, ec)) return fail(BASS_ERROR_FILEOPEN, static_cast<const char *>(nullptr));
    std::vector<fs::path> candidates;
    const auto consider = [&](const fs::directory_entry &entry) {
        std::error_code e;
        if (entry.path().extension() == ".so" && entry.is_regular_file(e)) candidates.push_back(entry.path());
    };
    // Linked folders are not followed, so a link loop cannot make the walk endless.
    if (flags & BASS_VIS_FIND_RECURSIVE) {
        for (auto it =
                 fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            consider(*it);
    } else {
        for (auto it = fs::directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::directory_iterator(); it.increment(ec))
            consider(*it);
    }
    std::sort(candidates.begin(), candidates.end());
    std::string text;
    for (const fs::path &path : candidates) {
        int error = 0;
        if (!load(path.string(), error).plugin) continue;
        const std::string item =
            (flags & BASS_VIS_FIND_FULLPATH) ? path.string() : path.lexically_relative(root).string();
        if (!text.empty()) text += ',';
        text += quoted(item);
    }
    Vis &v = vis();
    std::lock_guard guard(v.lock);
    v.found = std::move(text);
    return ok(v.found.c_str());
} catch (...) {
    return fail(BASS_ERROR_MEM, static_cast<const char *>(nullptr));
}

BOOL BASS_VIS_SetConfig(DWORD option, DWORD value) {
    Vis &v = vis();
    std::lock_guard guard(v.lock);
    const int n = static_cast<int>(std::min<DWORD>(value, 100));
    switch (option) {
    case BASS_VIS_CONFIG_SENSITIVITY:
        if (n < 1 || n > 4) return fail(BASS_ERROR_ILLPARAM, FALSE);
        v.sensitivity = n;
        break;
    case BASS_VIS_CONFIG_FFTZOOM:
        if (n < 1 || n > 3) return fail(BASS_ERROR_ILLPARAM, FALSE);
        v.fftZoom = n;
        break;
    case BASS_VIS_CONFIG_WAVEZOOM:
        if (n < 1 || n > 4) return fail(BASS_ERROR_ILLPARAM, FALSE);
        v.waveZoom = n;
        break;
    default:
        return fail(BASS_ERROR_ILLPARAM, FALSE);
    }
    return ok(TRUE);
}

HVIS BASS_SONIQUEVIS_CreateVis(const char *file, const char *iniFile, DWORD flags, int width,
                               int height) try {
    if (!file) return fail(BASS_ERROR_FILEOPEN, HVIS{0});
    const bool nameOnly = (flags & BASS_VIS_NAMEONLY) != 0;
    if (!nameOnly && (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide))
        return fail(BASS_ERROR_ILLPARAM, HVIS{0});
    int error = 0;
    Instance instance;
    instance.loaded = load(file, error);
    if (!instance.loaded.plugin) return fail(error, HVIS{0});
    instance.name = instance.loaded.plugin->name;
    instance.created = std::chrono::steady_clock::now();
    if (!nameOnly) {
        instance.iniFile = iniFile ? iniFile : "";
        instance.width = width;
        instance.height = height;
        instance.state = instance.loaded.plugin->create(instance.iniFile.c_str(), width, height);
        if (!instance.state) return fail(BASS_ERROR_CREATE, HVIS{0});
    }
    Vis &v = vis();
    std::lock_guard guard(v.lock);
    HVIS handle = v.next;
    while (handle == 0 || v.instances.contains(handle))
        ++handle;
    v.next = handle + 1;
    v.instances.emplace(handle, std::move(instance));
    return ok(handle);
} catch (...) {
    return fail(BASS_ERROR_MEM, HVIS{0});
}

const char *BASS_SONIQUEVIS_GetName(HVIS handle) {
    Vis &v = vis();
    std::lock_guard guard(v.lock);
    const auto it = v.instances.find(handle);
    if (it == v.instances.end()) return fail(BASS_ERROR_HANDLE, static_cast<const char *>(nullptr));
    return ok(it->second.name.c_str());
}

BOOL BASS_SONIQUEVIS_Render(HVIS handle, DWORD channel, BASS_VIS_SURFACE *surface) try {
    Vis &v = vis();
    std::lock_guard guard(v.lock);
    const auto it = v.instances.find(handle);
    if (it == v.instances.end()) return fail(BASS_ERROR_HANDLE, FALSE);
    Instance &instance = it->second;
    if (!instance.state) return fail(BASS_ERROR_NOTAVAIL, FALSE);
    if (!surface || !surface->bits || surface->width < 1 || surface->height < 1 ||
        surface->stride < surface->width * 4)
        return fail(BASS_ERROR_ILLPARAM, FALSE);
    std::array<float, 2 * CALVORAN_VIS_WAVE_FRAMES> wave{};
    std::array<float, CALVORAN_VIS_SPECTRUM_BINS> spectrum{};
    gather(channel, instance.loaded.plugin->wants, v, wave, spectrum);
    CalvoranVisData data{wave.data(), spectrum.data(),
                         static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                        std::chrono::steady_clock::now() - instance.created)
                                                        .count())};
    if (surface->width == instance.width && surface->height == instance.height) {
        instance.loaded.plugin->render(instance.state, static_cast<std::uint32_t *>(surface->bits),
                                       instance.width, instance.height, surface->stride, &data);
        return ok(TRUE);
    }
    // Another size: the plug-in draws into a buffer of its own size, and what fits is copied.
    instance.frame.resize(static_cast<std::size_t>(instance.width) *
                          static_cast<std::size_t>(instance.height));
    instance.loaded.plugin->render(instance.state, instance.frame.data(), instance.width, instance.height,
                                   instance.width * 4, &data);
    const int copyWidth = std::min(instance.width, surface->width);
    for (int y = 0; y < surface->height; ++y) {
        auto *row = reinterpret_cast<std::uint32_t *>(static_cast<unsigned char *>(surface->bits) +
                                                      static_cast<std::ptrdiff_t>(y) * surface->stride);
        int from = 0;
        if (y < instance.height) {
            std::memcpy(row,
                        instance.frame.data() +
                            static_cast<std::size_t>(y) * static_cast<std::size_t>(instance.width),
                        static_cast<std::size_t>(copyWidth) * 4);
            from = copyWidth;
        }
        std::fill(row + from, row + surface->width, 0xFF000000u);
    }
    return ok(TRUE);
} catch (...) {
    return fail(BASS_ERROR_MEM, FALSE);
}

BOOL BASS_SONIQUEVIS_Clicked(HVIS handle, int x, int y) {
    Vis &v = vis();
    std::lock_guard guard(v.lock);
    const auto it = v.instances.find(handle);
    if (it == v.instances.end()) return fail(BASS_ERROR_HANDLE, FALSE);
    Instance &instance = it->second;
    if (!instance.state) return fail(BASS_ERROR_NOTAVAIL, FALSE);
    if (x < 0 || y < 0 || x >= instance.width || y >= instance.height)
        return fail(BASS_ERROR_ILLPARAM, FALSE);
    if (instance.loaded.plugin->clicked) instance.loaded.plugin->clicked(instance.state, x, y);
    return ok(TRUE);
}

BOOL BASS_SONIQUEVIS_Free(HVIS handle) {
    Instance instance;
    {
        Vis &v = vis();
        std::lock_guard guard(v.lock);
        const auto it = v.instances.find(handle);
        if (it == v.instances.end()) return fail(BASS_ERROR_HANDLE, FALSE);
        instance = std::move(it->second);
        v.instances.erase(it);
    }
    endInstance(instance);
    return ok(TRUE);
}

} // extern "C"
