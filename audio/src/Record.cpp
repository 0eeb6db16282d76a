// Recording: the "Player output" loopback of the library's own mix and the system's capture sources
// through SDL, summed into one polled recording channel.
#include "Convert.h"
#include "Fft.h"
#include "FrameRing.h"
#include "Library.h"
#include "Mixer.h"
#include "bass.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace calvoran::audio {
namespace {

constexpr DWORD kBad = ~DWORD{0};
// Data older than this is what an output that stopped last played: it is no longer heard.
constexpr std::int64_t kStaleNs = 250000000;
constexpr std::size_t kMaxFrames = FrameRing::kFrames / 4;

std::atomic<int> g_loopbackRate{44100};

struct Capture {
    SDL_AudioDeviceID device = 0;
    int rate = 44100;
    FrameRing ring;
};

struct Recorder {
    std::mutex lock;
    bool initialised = false;
    bool sdl = false;
    std::vector<std::string> inputs; // [0] is the loopback
    std::vector<bool> on;
    DWORD handle = 0;
    DWORD generation = 0;
    int freq = 44100;
    int channels = 2;
    std::unique_ptr<Capture> capture; // the first capture input that is on, while recording
    int captureInput = -1;

    ~Recorder() { release(); }
    void release();
};

Recorder &recorder() {
    static Recorder r;
    return r;
}

void SDLCALL captureCallback(void *user, Uint8 *stream, int length) {
    auto *capture = static_cast<Capture *>(user);
    capture->ring.write(reinterpret_cast<const std::int16_t *>(stream), static_cast<std::size_t>(length) / 4,
                        nowNs());
}

void closeCaptureLocked(Recorder &r) {
    if (r.capture) SDL_CloseAudioDevice(r.capture->device); // waits for a running callback to end
    r.capture.reset();
    r.captureInput = -1;
}

// Opens the first capture input that is on, if recording runs and it is not open yet.
void syncCaptureLocked(Recorder &r) {
    int wanted = -1;
    if (r.handle != 0 && r.sdl)
        for (std::size_t i = 1; i < r.inputs.size(); ++i)
            if (r.on[i]) {
                wanted = static_cast<int>(i);
                break;
            }
    if (wanted == r.captureInput) return;
    closeCaptureLocked(r);
    if (wanted < 0) return;
    auto capture = std::make_unique<Capture>();
    SDL_AudioSpec want{};
    want.freq = r.freq;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &captureCallback;
    want.userdata = capture.get();
    SDL_AudioSpec have{};
    const std::string &name = r.inputs[static_cast<std::size_t>(wanted)];
    capture->device = SDL_OpenAudioDevice(name.c_str(), 1, &want, &have, 0);
    if (capture->device == 0) capture->device = SDL_OpenAudioDevice(nullptr, 1, &want, &have, 0);
    if (capture->device == 0) return; // the input stays on and silent
    capture->rate = have.freq;
    SDL_PauseAudioDevice(capture->device, 0);
    r.capture = std::move(capture);
    r.captureInput = wanted;
}

void Recorder::release() {
    closeCaptureLocked(*this);
    if (sdl) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sdl = false;
    initialised = false;
    handle = 0;
    inputs.clear();
    on.clear();
}

// Adds the newest frames of `ring` (recorded at `rate`) into `out`, `frames` stereo frames at `outRate`.
void addLatest(const FrameRing &ring, int rate, float *out, std::size_t frames, int outRate) {
    const double step = static_cast<double>(rate) / outRate;
    const std::size_t need = std::min(kMaxFrames * 2, static_cast<std::size_t>(std::ceil(frames * step)) + 2);
    std::vector<float> source(need * 2);
    ring.latest(source.data(), need, nowNs() - kStaleNs);
    for (std::size_t i = 0; i < frames; ++i) {
        // Frame i of the output ends `frames - i` steps before now.
        const double at = static_cast<double>(need - 1) - static_cast<double>(frames - 1 - i) * step;
        const auto base = static_cast<std::size_t>(std::max(0.0, std::floor(at)));
        const double frac = at - static_cast<double>(base);
        const std::size_t next = std::min(base + 1, need - 1);
        for (int c = 0; c < 2; ++c) {
            const float a = source[2 * base + static_cast<std::size_t>(c)];
            const float b = source[2 * next + static_cast<std::size_t>(c)];
            out[2 * i + static_cast<std::size_t>(c)] += static_cast<float>(a + (b - a) * frac);
        }
    }
}

struct Snapshot {
    bool loopback = false;
    int freq = 44100;
    int channels = 2;
};

// Checks the handle and takes what reading needs; the capture ring stays valid while the lock is held.
bool snapshotLocked(Recorder &r, DWORD handle, Snapshot &s) {
    if (!r.initialised) {
        setError(BASS_ERROR_INIT);
        return false;
    }
    if (handle == 0 || handle != r.handle) {
        setError(BASS_ERROR_HANDLE);
        return false;
    }
    s.loopback = !r.on.empty() && r.on[0];
    s.freq = r.freq;
    s.channels = r.channels;
    return true;
}

// The newest `frames` stereo frames of every input that is on, summed, at the recording's rate.
bool recent(DWORD handle, std::vector<float> &stereo, std::size_t frames, Snapshot &s) {
    Recorder &r = recorder();
    std::lock_guard guard(r.lock);
    if (!snapshotLocked(r, handle, s)) return false;
    stereo.assign(frames * 2, 0.0f);
    if (s.loopback) addLatest(loopbackRing(), g_loopbackRate.load(), stereo.data(), frames, s.freq);
    if (r.capture) addLatest(r.capture->ring, r.capture->rate, stereo.data(), frames, s.freq);
    return true;
}

} // namespace

FrameRing &loopbackRing() {
    static FrameRing ring;
    return ring;
}

int loopbackRate() {
    return g_loopbackRate.load();
}

void setLoopbackRate(int rate) {
    g_loopbackRate.store(rate);
}

int recordChannelCount(DWORD handle) {
    Recorder &r = recorder();
    std::lock_guard guard(r.lock);
    return r.initialised && handle != 0 && handle == r.handle ? r.channels : 0;
}

DWORD recordIsActive(DWORD handle) {
    Recorder &r = recorder();
    std::lock_guard guard(r.lock);
    Snapshot s;
    if (!snapshotLocked(r, handle, s)) return BASS_ACTIVE_STOPPED;
    setError(BASS_OK);
    return BASS_ACTIVE_PLAYING;
}

DWORD recordGetLevel(DWORD handle) try {
    Snapshot s;
    std::vector<float> stereo;
    Recorder &r = recorder();
    int freq = 44100;
    {
        std::lock_guard guard(r.lock);
        freq = r.freq;
    }
    const auto frames = static_cast<std::size_t>(freq / 50);
    if (!recent(handle, stereo, frames, s)) return kBad;
    float left = 0;
    float right = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        left = std::max(left, std::fabs(stereo[2 * i]));
        right = std::max(right, std::fabs(stereo[2 * i + 1]));
    }
    if (s.channels == 1) left = right = std::max(left, right);
    const auto scale = [](float peak) {
        return static_cast<DWORD>(std::clamp(std::lround(peak * 128.0f), 0L, 128L));
    };
    setError(BASS_OK);
    return scale(left) | (scale(right) << 16);
} catch (...) {
    setError(BASS_ERROR_MEM);
    return kBad;
}

DWORD recordGetData(DWORD handle, void *buffer, DWORD length) try {
    if (!buffer) {
        Recorder &r = recorder();
        std::lock_guard guard(r.lock);
        Snapshot s;
        if (snapshotLocked(r, handle, s)) setError(BASS_ERROR_ILLPARAM);
        return kBad;
    }
    const bool fft = length == BASS_DATA_FFT1024;
    if (!fft && (length & 0x80000000u)) {
        setError(BASS_ERROR_ILLPARAM);
        return kBad;
    }
    const bool asFloat = !fft && (length & BASS_DATA_FLOAT) != 0;
    const DWORD bytes = length & ~BASS_DATA_FLOAT;
    Snapshot s;
    std::vector<float> stereo;
    if (fft) {
        if (!recent(handle, stereo, kFftSize, s)) return kBad;
        std::array<float, kFftSize> mono{};
        for (std::size_t i = 0; i < kFftSize; ++i)
            mono[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
        fftMagnitudes(mono.data(), static_cast<float *>(buffer));
        setError(BASS_OK);
        return static_cast<DWORD>(kFftSize / 2 * sizeof(float));
    }
    int channels = 2;
    {
        Recorder &r = recorder();
        std::lock_guard guard(r.lock);
        channels = r.channels;
    }
    const std::size_t sampleBytes = asFloat ? 4 : 2;
    const std::size_t frames =
        std::min<std::size_t>(bytes / (sampleBytes * static_cast<std::size_t>(channels)), kMaxFrames);
    if (!recent(handle, stereo, frames, s)) return kBad;
    // The recording may have been restarted in between with another layout: its layout now decides.
    const std::size_t count = s.channels == 1 ? frames : frames * 2;
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < frames; ++i) {
        if (s.channels == 1) {
            samples[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
        } else {
            samples[2 * i] = stereo[2 * i];
            samples[2 * i + 1] = stereo[2 * i + 1];
        }
    }
    const std::size_t fit = std::min(count, static_cast<std::size_t>(bytes) / sampleBytes);
    if (asFloat)
        std::copy(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(fit),
                  static_cast<float *>(buffer));
    else
        floatToInt16(samples.data(), static_cast<std::int16_t *>(buffer), fit);
    setError(BASS_OK);
    return static_cast<DWORD>(fit * sampleBytes);
} catch (...) {
    setError(BASS_ERROR_MEM);
    return kBad;
}

} // namespace calvoran::audio

using namespace calvoran::audio;

extern "C" {

BOOL BASS_RecordInit(int device) try {
    Recorder &r = recorder();
    std::lock_guard guard(r.lock);
    if (device != 0 && device != -1) {
        setError(BASS_ERROR_DEVICE);
        return FALSE;
    }
    if (r.initialised) {
        setError(BASS_ERROR_ALREADY);
        return FALSE;
    }
    r.inputs = {"Player output"};
    // Without a sound system the loopback still works; only the capture sources are missing.
    r.sdl = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (r.sdl) {
        const int count = SDL_GetNumAudioDevices(1);
        for (int i = 0; i < count; ++i)
            if (const char *name = SDL_GetAudioDeviceName(i, 1)) r.inputs.emplace_back(name);
    }
    r.on.assign(r.inputs.size(), false);
    r.on[0] = true;
    r.initialised = true;
    setError(BASS_OK);
    return TRUE;
} catch (...) {
    recorder().release();
    setError(BASS_ERROR_MEM);
    return FALSE;
}

HRECORD BASS_RecordStart(DWORD freq, DWORD flags, void *proc, void *user) try {
    (void)user;
    Recorder &r = recorder();
    std::lock_guard guard(r.lock);
    if (!r.initialised) {
        setError(BASS_ERROR_INIT);
        return 0;
    }
    if (r.handle != 0) {
        setError(BASS_ERROR_ALREADY);
        return 0;
    }
    if (proc != nullptr || (freq != 0 && (freq < 8000 || freq > 192000))) {
        setError(BASS_ERROR_ILLPARAM);
        return 0;
    }
    r.freq = freq == 0 ? 44100 : static_cast<int>(freq);
    r.channels = (flags & BASS_SAMPLE_MONO) != 0 ? 1 : 2;
    r.generation = r.generation % 0xFFFEu + 1;
    r.handle = kRecordHandleBase + r.generation;
    syncCaptureLocked(r);
    setError(BASS_OK);
    return r.handle;
} catch (...) {
    setError(BASS_ERROR_MEM);
    return 0;
}

const char *BASS_RecordGetInputName(int input) {
    Recorder &r = recorder();
    std::lock_guard guard(r.lock);
    if (!r.initialised) {
        setError(BASS_ERROR_INIT);
        return nullptr;
    }
    if (input < 0 || static_cast<std::size_t>(input) >= r.inputs.size()) {
        setError(BASS_ERROR_ILLPARAM);
        return nullptr;
    }
    setError(BASS_OK);
    return r.inputs[static_cast<std::size_t>(input)].c_str();
}

BOOL BASS_RecordSetInput(int input, DWORD setting) try {
    Recorder &r = recorder();
    std::lock_guard guard(r.lock);
    if (!r.initialised) {
        setError(BASS_ERROR_INIT);
        return FALSE;
    }
    if (input < 0 || static_cast<std::size_t>(input) >= r.inputs.size()) {
        setError(BASS_ERROR_ILLPARAM);
        return FALSE;
    }
    if (setting & BASS_INPUT_ON)
        r.on[static_cast<std::size_t>(input)] = true;
    else if (setting & BASS_INPUT_OFF)
        r.on[static_cast<std::size_t>(input)] = false;
    syncCaptureLocked(r);
    setError(BASS_OK);
    return TRUE;
} catch (...) {
    setError(BASS_ERROR_MEM);
    return FALSE;
}

BOOL BASS_RecordFree(void) {
    Recorder &r = recorder();
    std::lock_guard guard(r.lock);
    if (!r.initialised) {
        setError(BASS_ERROR_INIT);
        return FALSE;
    }
    r.release();
    setError(BASS_OK);
    return TRUE;
}

} // extern "C"
