// The C interface: handle table, initialisation, the update thread and every BASS_* entry point.
#include "bass.h"
#include "Channel.h"
#include "ChannelFx.h"
#include "Convert.h"
#include "Fft.h"
#include "FrameRing.h"
#include "Library.h"
#include "Mixer.h"
#include "Output.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

namespace calvoran::audio {
namespace {

thread_local int t_error = BASS_OK;

constexpr QWORD kBadQword = ~QWORD{0};
constexpr DWORD kBadDword = ~DWORD{0};
// How far decoding runs ahead of the mixer: effects and volume apply at mix time, so only a speed change
// waits for what is queued. The sound server output takes up to 400 ms at once (when it starts) and 200 ms
// after that; the margin covers a busy machine and grows for good once the mixer found a ring empty. The
// mixer wakes the update thread when a ring runs low, so decoding shares the output's wake-ups; the period
// is for a stream waiting on the network, and for an output that stopped asking.
constexpr double kAheadSeconds = 0.5;
constexpr auto kUpdatePeriod = std::chrono::milliseconds(80);
constexpr auto kRefillPeriod = std::chrono::milliseconds(250);
constexpr double kLevelSeconds = 0.02;

struct Entry {
    std::shared_ptr<Channel> channel;
    bool playing = false;
};

struct Library {
    std::mutex lock;
    bool initialised = false;
    int rate = 44100;
    std::unique_ptr<Mixer> mixer;
    std::unique_ptr<Output> output;
    std::unordered_map<DWORD, Entry> channels;
    // Module names handed out by BASS_MusicGetName; they live until the caller frees the handle, even
    // when the channel itself was freed automatically.
    std::unordered_map<DWORD, std::unique_ptr<const std::string>> musicNames;
    DWORD nextHandle = 1;
    bool outputRunning = false;
    std::int64_t stoppedNs = 0;
    std::thread updater;
    std::condition_variable wake;
    std::atomic<bool> runningLow{false}; // set by the mixer, without the lock
    bool quit = false;

    // The device thread writes the loopback ring until this library stops it, so the ring is made
    // first: statics go in the reverse order of their making, and it then outlives the library.
    Library() { loopbackRing(); }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;
    ~Library();
};

Library &lib() {
    static Library library;
    return library;
}

template <typename T> T fail(int code, T result) {
    t_error = code;
    return result;
}

template <typename T> T ok(T result) {
    t_error = BASS_OK;
    return result;
}

// The error code for the exception being handled: nothing thrown inside may reach a C caller.
int exceptionCode() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc &) {
        return BASS_ERROR_MEM;
    } catch (...) {
        return BASS_ERROR_UNKNOWN;
    }
}

std::atomic<int> g_aheadScale{1};

std::size_t aheadFrames(int rate) {
    return static_cast<std::size_t>(rate * kAheadSeconds) * static_cast<std::size_t>(g_aheadScale.load());
}

// Time at which "heard" is judged: output that was stopped stays where it stopped.
std::int64_t observedNsLocked(const Library &l) {
    return l.outputRunning ? nowNs() : l.stoppedNs;
}

struct Found {
    std::shared_ptr<Channel> channel;
    bool playing = false;
    bool outputRunning = false;
    std::int64_t observedNs = 0;
    int rate = 0;
};

// Looks a channel up under the lock; sets the thread's error when there is none of that kind.
std::optional<Found> find(DWORD handle, std::optional<Channel::Kind> kind = std::nullopt) {
    Library &l = lib();
    std::lock_guard guard(l.lock);
    if (!l.initialised) return fail(BASS_ERROR_INIT, std::optional<Found>{});
    const auto it = l.channels.find(handle);
    if (it == l.channels.end() || (kind && it->second.channel->kind() != *kind))
        return fail(BASS_ERROR_HANDLE, std::optional<Found>{});
    return Found{it->second.channel, it->second.playing, l.outputRunning, observedNsLocked(l), l.rate};
}

void updateLoop() {
    Library &l = lib();
    std::vector<std::pair<DWORD, std::shared_ptr<Channel>>> playing;
    std::vector<DWORD> done;
    std::unique_lock guard(l.lock);
    while (!l.quit) {
        playing.clear();
        for (auto &[handle, entry] : l.channels)
            if (entry.playing) playing.emplace_back(handle, entry.channel);
        const int rate = l.rate;
        guard.unlock();
        // A starved mixer means this thread was not scheduled in time: the machine is busy, so keep more
        // decoded for every channel from now on.
        for (auto &item : playing)
            if (item.second->takeStarved()) g_aheadScale.store(std::min(g_aheadScale.load() * 2, 8));
        bool waiting = false;
        for (auto &item : playing) {
            item.second->fill(aheadFrames(rate));
            waiting = waiting || item.second->inputWaiting();
        }
        guard.lock();
        const std::int64_t observed = observedNsLocked(l);
        done.clear();
        for (auto &item : playing)
            if (item.second->finished(observed, rate)) done.push_back(item.first);
        for (DWORD handle : done) {
            const auto it = l.channels.find(handle);
            if (it == l.channels.end() || !it->second.playing) continue;
            it->second.playing = false;
            l.mixer->remove(it->second.channel.get());
            if (it->second.channel->autoFree()) l.channels.erase(it);
        }
        const bool busy = !playing.empty();
        playing.clear(); // channels freed meanwhile are destroyed here, outside the mixer
        // A mixer that ran low while this thread was busy has left its mark; the wake-up itself was lost.
        if (!l.runningLow.exchange(false))
            l.wake.wait_for(guard, !busy     ? std::chrono::milliseconds(200)
                                   : waiting ? kUpdatePeriod
                                             : kRefillPeriod);
        l.runningLow.store(false);
    }
}

// Stops and releases everything; safe to call when not initialised.
void shutdown(Library &l) {
    std::thread updater;
    std::unique_ptr<Output> output;
    std::unique_ptr<Mixer> mixer;
    std::unordered_map<DWORD, Entry> channels;
    std::unordered_map<DWORD, std::unique_ptr<const std::string>> names;
    {
        std::lock_guard guard(l.lock);
        if (!l.initialised) return;
        l.initialised = false;
        l.quit = true;
        updater = std::move(l.updater);
        output = std::move(l.output);
        mixer = std::move(l.mixer);
        channels = std::move(l.channels);
        l.channels.clear();
        names = std::move(l.musicNames);
        l.musicNames.clear();
        l.outputRunning = false;
    }
    l.wake.notify_all();
    if (updater.joinable()) updater.join();
    output.reset(); // no more mixing after this
    channels.clear();
    mixer.reset();
}

Library::~Library() {
    shutdown(*this);
}

bool startPlaying(DWORD handle, const Found &found, bool restart) {
    Channel &channel = *found.channel;
    if (channel.decodeOnly()) return fail(BASS_ERROR_DECODE, false);
    if (restart || channel.finished(found.observedNs, found.rate)) {
        if (!channel.seek(0)) return fail(BASS_ERROR_POSITION, false);
    }
    // Start with a full helping, so a late first wake-up of the update thread leaves no gap.
    channel.fill(aheadFrames(found.rate));
    Library &l = lib();
    std::lock_guard guard(l.lock);
    if (!l.initialised) return fail(BASS_ERROR_INIT, false);
    const auto it = l.channels.find(handle);
    if (it == l.channels.end()) return fail(BASS_ERROR_HANDLE, false);
    if (!it->second.playing) {
        it->second.playing = true;
        l.mixer->add(it->second.channel.get());
    }
    // A starting output mixes its whole buffer with this channel in it; a running one mixes again what it
    // has queued, so the channel is heard at once.
    noteSoundChange();
    if (!l.outputRunning) {
        l.output->start();
        l.outputRunning = true;
    } else {
        l.output->rewrite();
    }
    l.wake.notify_all(); // the update thread naps longer while nothing plays
    return ok(true);
}

bool freeChannel(DWORD handle, Channel::Kind kind) {
    Library &l = lib();
    std::shared_ptr<Channel> keep; // released after the lock
    std::unique_ptr<const std::string> name;
    std::lock_guard guard(l.lock);
    if (!l.initialised) return fail(BASS_ERROR_INIT, false);
    if (kind == Channel::Kind::Music) {
        const auto named = l.musicNames.find(handle);
        if (named != l.musicNames.end()) {
            name = std::move(named->second);
            l.musicNames.erase(named);
        }
    }
    const auto it = l.channels.find(handle);
    if (it == l.channels.end() || it->second.channel->kind() != kind) return fail(BASS_ERROR_HANDLE, false);
    keep = it->second.channel;
    l.mixer->remove(keep.get());
    noteSoundChange();
    l.output->rewrite();
    l.channels.erase(it);
    return ok(true);
}

DWORD addChannel(std::unique_ptr<Decoder> decoder, Channel::Kind kind, DWORD flags, int rate) {
    auto channel = std::make_shared<Channel>(kind, std::move(decoder), (flags & BASS_STREAM_DECODE) != 0,
                                             (flags & BASS_STREAM_AUTOFREE) != 0, rate);
    Library &l = lib();
    std::lock_guard guard(l.lock);
    if (!l.initialised) return fail(BASS_ERROR_INIT, DWORD{0});
    // After a wrap, numbers still in use (or whose module name is still held) are skipped.
    DWORD handle = l.nextHandle;
    while (handle == 0 || isRecordHandle(handle) || l.channels.contains(handle) ||
           l.musicNames.contains(handle))
        ++handle;
    l.nextHandle = handle + 1;
    l.channels.emplace(handle, Entry{std::move(channel), false});
    return ok(handle);
}

std::unique_ptr<Source> openSource(BOOL mem, const void *file, QWORD offset, QWORD length, int &error) {
    if (!file) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    if (mem) {
        if (length == 0) {
            error = BASS_ERROR_ILLPARAM;
            return nullptr;
        }
        return openMemorySource(static_cast<const unsigned char *>(file) + offset, length);
    }
    return openFileSource(static_cast<const char *>(file), offset, length, error);
}

std::optional<int> outputRate() {
    Library &l = lib();
    std::lock_guard guard(l.lock);
    if (!l.initialised) return std::nullopt;
    return l.rate;
}

std::size_t levelFrames(int rate) {
    return static_cast<std::size_t>(rate * kLevelSeconds);
}

DWORD packLevel(float left, float right) {
    const auto scale = [](float peak) {
        return static_cast<DWORD>(std::clamp(std::lround(peak * 128.0f), 0L, 128L));
    };
    return scale(left) | (scale(right) << 16);
}

// Decode-only data in bounded steps straight into the caller's buffer. Returns the bytes written, or
// (DWORD)-1 with BASS_ERROR_ENDED when nothing was left.
DWORD decodeInto(Channel &channel, void *buffer, std::size_t frames, bool asFloat) {
    constexpr std::size_t kStepFrames = 16384;
    const auto channels = static_cast<std::size_t>(channel.channels());
    std::vector<float> step(std::min(frames, kStepFrames) * channels);
    std::size_t done = 0;
    while (done < frames) {
        const std::size_t want = std::min(frames - done, kStepFrames);
        float *to = asFloat ? static_cast<float *>(buffer) + done * channels : step.data();
        const std::size_t got = channel.decodeDirect(to, want);
        if (!asFloat)
            floatToInt16(step.data(), static_cast<std::int16_t *>(buffer) + done * channels, got * channels);
        done += got;
        if (got < want) break;
    }
    if (done == 0) return fail(BASS_ERROR_ENDED, kBadDword);
    return ok(static_cast<DWORD>(done * channels * (asFloat ? sizeof(float) : 2)));
}

} // namespace

bool withChannelFx(DWORD handle, const std::function<void(FxChain &)> &fn) {
    Library &l = lib();
    std::lock_guard guard(l.lock);
    if (!l.initialised) return fail(BASS_ERROR_INIT, false);
    const auto it = l.channels.find(handle);
    if (it == l.channels.end()) return fail(BASS_ERROR_HANDLE, false);
    fn(it->second.channel->fx());
    return ok(true);
}

void setError(int code) {
    t_error = code;
}

void soundChanged() {
    Library &l = lib();
    std::lock_guard guard(l.lock);
    noteSoundChange();
    if (l.output) l.output->rewrite();
}

DWORD registerStream(std::unique_ptr<Decoder> decoder, DWORD flags) {
    const auto rate = outputRate();
    if (!rate) return fail(BASS_ERROR_INIT, DWORD{0});
    if (!decoder) return fail(BASS_ERROR_ILLPARAM, DWORD{0});
    return addChannel(std::move(decoder), Channel::Kind::Stream, flags, *rate);
}

int decodeAheadMs() {
    return static_cast<int>(kAheadSeconds * 1000) * g_aheadScale.load();
}

int currentOutputRate() {
    return outputRate().value_or(0);
}

void setNextHandle(DWORD handle) {
    Library &l = lib();
    std::lock_guard guard(l.lock);
    l.nextHandle = handle;
}

std::shared_ptr<Channel> findStream(DWORD handle) {
    const auto found = find(handle, Channel::Kind::Stream);
    return found ? found->channel : nullptr;
}

} // namespace calvoran::audio

using namespace calvoran::audio;

extern "C" {

int BASS_ErrorGetCode(void) {
    return t_error;
}

BOOL BASS_Init(int device, DWORD freq, DWORD flags, void *win, const void *clsid) try {
    (void)flags;
    (void)win;
    (void)clsid;
    Library &l = lib();
    std::lock_guard guard(l.lock);
    if (l.initialised) return fail(BASS_ERROR_ALREADY, FALSE);
    if (device < -1 || device > 1) return fail(BASS_ERROR_DEVICE, FALSE);
    const int rate = freq == 0 ? 44100 : static_cast<int>(freq);
    if (freq != 0 && (freq < 8000 || freq > 192000)) return fail(BASS_ERROR_ILLPARAM, FALSE);
    auto mixer = std::make_unique<Mixer>(rate, [library = &l] {
        library->runningLow.store(true);
        library->wake.notify_all();
    });
    std::unique_ptr<Output> output;
    if (device == 0) {
        output = openNullOutput(*mixer);
    } else {
        int error = BASS_ERROR_DEVICE;
        if (preferPulseOutput()) output = openPulseOutput(*mixer);
        if (!output) output = openSdlOutput(*mixer, error);
        if (!output) return fail(error, FALSE);
    }
    l.rate = rate;
    l.mixer = std::move(mixer);
    l.output = std::move(output);
    l.output->start();
    l.outputRunning = true;
    l.quit = false;
    l.initialised = true;
    l.updater = std::thread(updateLoop);
    return ok(TRUE);
} catch (...) {
    return fail(exceptionCode(), FALSE);
}

BOOL BASS_Free(void) try {
    Library &l = lib();
    {
        std::lock_guard guard(l.lock);
        if (!l.initialised) return fail(BASS_ERROR_INIT, FALSE);
    }
    shutdown(l);
    return ok(TRUE);
} catch (...) {
    return fail(exceptionCode(), FALSE);
}

BOOL BASS_Start(void) try {
    Library &l = lib();
    std::lock_guard guard(l.lock);
    if (!l.initialised) return fail(BASS_ERROR_INIT, FALSE);
    if (!l.outputRunning) {
        noteSoundChange();
        l.output->start();
        l.outputRunning = true;
    }
    return ok(TRUE);
} catch (...) {
    return fail(exceptionCode(), FALSE);
}

BOOL BASS_Stop(void) try {
    Library &l = lib();
    std::lock_guard guard(l.lock);
    if (!l.initialised) return fail(BASS_ERROR_INIT, FALSE);
    if (l.outputRunning) {
        noteSoundChange();
        l.output->stop();
        l.outputRunning = false;
        l.stoppedNs = nowNs();
        // What the output dropped unheard plays when it starts again.
        l.mixer->takeBackUnheard(l.stoppedNs);
    }
    return ok(TRUE);
} catch (...) {
    return fail(exceptionCode(), FALSE);
}

BOOL BASS_SetVolume(DWORD volume) try {
    Library &l = lib();
    std::lock_guard guard(l.lock);
    if (!l.initialised) return fail(BASS_ERROR_INIT, FALSE);
    if (volume > 100) return fail(BASS_ERROR_ILLPARAM, FALSE);
    l.mixer->setMasterVolume(static_cast<float>(volume) / 100.0f);
    noteSoundChange();
    l.output->rewrite();
    return ok(TRUE);
} catch (...) {
    return fail(exceptionCode(), FALSE);
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags) try {
    const auto rate = outputRate();
    if (!rate) return fail(BASS_ERROR_INIT, HSTREAM{0});
    int error = BASS_ERROR_FILEOPEN;
    auto source = openSource(mem, file, offset, length, error);
    if (!source) return fail(error, HSTREAM{0});
    auto decoder = openStreamDecoder(std::move(source), error);
    if (!decoder) return fail(error, HSTREAM{0});
    return addChannel(std::move(decoder), Channel::Kind::Stream, flags, *rate);
} catch (...) {
    return fail(exceptionCode(), HSTREAM{0});
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) try {
    (void)flags;
    const auto found = find(handle, Channel::Kind::Stream);
    if (!found) return FALSE;
    return startPlaying(handle, *found, flush != 0);
} catch (...) {
    return fail(exceptionCode(), FALSE);
}

BOOL BASS_StreamFree(HSTREAM handle) {
    return freeChannel(handle, Channel::Kind::Stream);
}

QWORD BASS_StreamGetLength(HSTREAM handle) try {
    const auto found = find(handle, Channel::Kind::Stream);
    if (!found) return kBadQword;
    const Channel &channel = *found->channel;
    if (channel.lengthFrames() == Decoder::kUnknownLength) return fail(BASS_ERROR_NOTAVAIL, kBadQword);
    return ok(channel.lengthFrames() * static_cast<QWORD>(channel.channels()) * 2);
} catch (...) {
    return fail(exceptionCode(), kBadQword);
}

HMUSIC BASS_MusicLoad(BOOL mem, const void *file, QWORD offset, DWORD length, DWORD flags, DWORD freq) try {
    const auto rate = outputRate();
    if (!rate) return fail(BASS_ERROR_INIT, HMUSIC{0});
    if (freq != 0 && (freq < 8000 || freq > 192000)) return fail(BASS_ERROR_ILLPARAM, HMUSIC{0});
    int error = BASS_ERROR_FILEOPEN;
    auto source = openSource(mem, file, offset, length, error);
    if (!source) return fail(error, HMUSIC{0});
    if (!probeModule(*source)) return fail(BASS_ERROR_FILEFORM, HMUSIC{0});
    auto decoder = openModuleDecoder(*source, freq != 0 ? static_cast<int>(freq) : *rate, error);
    if (!decoder) return fail(error, HMUSIC{0});
    return addChannel(std::move(decoder), Channel::Kind::Music, flags, *rate);
} catch (...) {
    return fail(exceptionCode(), HMUSIC{0});
}

BOOL BASS_MusicPlay(HMUSIC handle) try {
    const auto found = find(handle, Channel::Kind::Music);
    if (!found) return FALSE;
    return startPlaying(handle, *found, false);
} catch (...) {
    return fail(exceptionCode(), FALSE);
}

BOOL BASS_MusicFree(HMUSIC handle) {
    return freeChannel(handle, Channel::Kind::Music);
}

DWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen) try {
    const auto found = find(handle, Channel::Kind::Music);
    if (!found) return kBadDword;
    const Channel &channel = *found->channel;
    if (!playlen) return ok(static_cast<DWORD>(channel.orderCount()));
    const QWORD bytes = channel.lengthFrames() * 4;
    return ok(static_cast<DWORD>(std::min<QWORD>(bytes, kBadDword - 1)));
} catch (...) {
    return fail(exceptionCode(), kBadDword);
}

const char *BASS_MusicGetName(HMUSIC handle) try {
    const auto found = find(handle, Channel::Kind::Music);
    if (!found) return nullptr;
    auto copy = std::make_unique<const std::string>(found->channel->title());
    Library &l = lib();
    std::lock_guard guard(l.lock);
    if (!l.channels.contains(handle)) return fail(BASS_ERROR_HANDLE, static_cast<const char *>(nullptr));
    auto &name = l.musicNames[handle];
    if (!name) name = std::move(copy);
    return ok(name->c_str());
} catch (...) {
    return fail(exceptionCode(), static_cast<const char *>(nullptr));
}

DWORD BASS_ChannelIsActive(DWORD handle) try {
    if (isRecordHandle(handle)) return recordIsActive(handle);
    const auto found = find(handle);
    if (!found) return BASS_ACTIVE_STOPPED;
    const Channel &channel = *found->channel;
    if (channel.decodeOnly())
        return ok<DWORD>(channel.decodeEnded() ? BASS_ACTIVE_STOPPED : BASS_ACTIVE_PLAYING);
    if (!found->playing || channel.finished(found->observedNs, found->rate))
        return ok<DWORD>(BASS_ACTIVE_STOPPED);
    if (!found->outputRunning) return ok<DWORD>(BASS_ACTIVE_PAUSED);
    // A URL stream whose decoded audio ran out before its end is waiting for the network.
    if (channel.streamTags() && !channel.decodeEnded() && channel.queuedFrames() == 0)
        return ok<DWORD>(BASS_ACTIVE_STALLED);
    return ok<DWORD>(BASS_ACTIVE_PLAYING);
} catch (...) {
    return fail(exceptionCode(), DWORD{BASS_ACTIVE_STOPPED});
}

QWORD BASS_ChannelGetPosition(DWORD handle) try {
    const auto found = find(handle);
    if (!found) return kBadQword;
    const Channel &channel = *found->channel;
    const QWORD frame =
        channel.decodeOnly() ? channel.decodedFrames() : channel.heardFrame(found->observedNs, found->rate);
    return ok(frame * static_cast<QWORD>(channel.channels()) * 2);
} catch (...) {
    return fail(exceptionCode(), kBadQword);
}

QWORD BASS_ChannelGetPositionAhead(DWORD handle, DWORD ms) try {
    const auto found = find(handle);
    if (!found) return kBadQword;
    const Channel &channel = *found->channel;
    if (channel.decodeOnly()) return fail(BASS_ERROR_NOTAVAIL, kBadQword);
    if (!found->playing || !found->outputRunning) return fail(BASS_ERROR_NOPLAY, kBadQword);
    bool beyond = false;
    const std::int64_t atNs = found->observedNs + static_cast<std::int64_t>(ms) * 1'000'000;
    const QWORD frame = channel.heardFrame(atNs, found->rate, &beyond);
    if (beyond) return fail(BASS_ERROR_NOTAVAIL, kBadQword);
    return ok(frame * static_cast<QWORD>(channel.channels()) * 2);
} catch (...) {
    return fail(exceptionCode(), kBadQword);
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) try {
    const auto found = find(handle);
    if (!found) return FALSE;
    Channel &channel = *found->channel;
    const QWORD frame = pos / (static_cast<QWORD>(channel.channels()) * 2);
    if (channel.lengthFrames() != Decoder::kUnknownLength && frame > channel.lengthFrames())
        return fail(BASS_ERROR_POSITION, FALSE);
    if (!channel.seek(frame)) return fail(BASS_ERROR_POSITION, FALSE);
    if (found->playing) {
        channel.fill(aheadFrames(found->rate));
        soundChanged();
    }
    return ok(TRUE);
} catch (...) {
    return fail(exceptionCode(), FALSE);
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) try {
    const auto found = find(handle);
    if (!found) return -1.0f;
    const Channel &channel = *found->channel;
    return ok(static_cast<float>(static_cast<double>(pos) /
                                 (static_cast<double>(channel.rate()) * channel.channels() * 2)));
} catch (...) {
    return fail(exceptionCode(), -1.0f);
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos) try {
    const auto found = find(handle);
    if (!found) return kBadQword;
    const Channel &channel = *found->channel;
    if (!(pos > 0.0f)) return ok(QWORD{0});
    const double frames = std::floor(static_cast<double>(pos) * channel.rate());
    if (frames > 1e15) return fail(BASS_ERROR_ILLPARAM, kBadQword);
    return ok(static_cast<QWORD>(frames) * static_cast<QWORD>(channel.channels()) * 2);
} catch (...) {
    return fail(exceptionCode(), kBadQword);
}

DWORD BASS_ChannelGetLevel(DWORD handle) try {
    if (isRecordHandle(handle)) return recordGetLevel(handle);
    const auto found = find(handle);
    if (!found) return kBadDword;
    Channel &channel = *found->channel;
    float left = 0;
    float right = 0;
    if (channel.decodeOnly()) {
        const int channels = channel.channels();
        std::vector<float> buffer(static_cast<std::size_t>(channel.rate() * kLevelSeconds) *
                                  static_cast<std::size_t>(channels));
        const std::size_t got =
            channel.decodeDirect(buffer.data(), buffer.size() / static_cast<std::size_t>(channels));
        if (got == 0) return fail(BASS_ERROR_ENDED, kBadDword);
        for (std::size_t i = 0; i < got * static_cast<std::size_t>(channels); ++i) {
            const float v = std::fabs(buffer[i]);
            const bool isRight = channels > 1 && i % static_cast<std::size_t>(channels) % 2 == 1;
            (isRight ? right : left) = std::max(isRight ? right : left, v);
        }
        if (channels == 1) right = left;
        return ok(packLevel(left, right));
    }
    if (!found->playing) return ok(DWORD{0});
    channel.peakBefore(found->observedNs, found->rate, levelFrames(found->rate), false, left, right);
    return ok(packLevel(left, right));
} catch (...) {
    return fail(exceptionCode(), kBadDword);
}

DWORD BASS_ChannelGetLevelAhead(DWORD handle, DWORD ms) try {
    if (isRecordHandle(handle)) return fail(BASS_ERROR_NOTAVAIL, kBadDword);
    const auto found = find(handle);
    if (!found) return kBadDword;
    const Channel &channel = *found->channel;
    if (channel.decodeOnly()) return fail(BASS_ERROR_NOTAVAIL, kBadDword);
    if (!found->playing || !found->outputRunning) return fail(BASS_ERROR_NOPLAY, kBadDword);
    float left = 0;
    float right = 0;
    const std::int64_t atNs = found->observedNs + static_cast<std::int64_t>(ms) * 1'000'000;
    if (!channel.peakBefore(atNs, found->rate, levelFrames(found->rate), true, left, right))
        return fail(BASS_ERROR_NOTAVAIL, kBadDword);
    return ok(packLevel(left, right));
} catch (...) {
    return fail(exceptionCode(), kBadDword);
}

QWORD BASS_GetSoundChanges(void) {
    return soundChanges();
}

BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) try {
    const auto found = find(handle);
    if (!found) return FALSE;
    if ((freq != -1 && freq != 0 && (freq < 100 || freq > 384000)) || volume < -1 || volume > 100 ||
        pan < -100 || pan > 100)
        return fail(BASS_ERROR_ILLPARAM, FALSE);
    Channel &channel = *found->channel;
    // A speed the resampler cannot reach would end playback at once.
    if (freq > 0 && !channel.decodeOnly() && !Channel::playableFrequency(freq, found->rate))
        return fail(BASS_ERROR_ILLPARAM, FALSE);
    if (freq != -1 && !channel.decodeOnly()) channel.setFrequency(freq);
    if (volume != -1) channel.setVolume(volume);
    channel.setPan(pan);
    if (found->playing) soundChanged();
    return ok(TRUE);
} catch (...) {
    return fail(exceptionCode(), FALSE);
}

BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD *freq, DWORD *volume, int *pan) try {
    const auto found = find(handle);
    if (!found) return FALSE;
    const Channel &channel = *found->channel;
    if (freq) *freq = static_cast<DWORD>(channel.frequency());
    if (volume) *volume = static_cast<DWORD>(channel.volume());
    if (pan) *pan = channel.pan();
    return ok(TRUE);
} catch (...) {
    return fail(exceptionCode(), FALSE);
}

HFX BASS_ChannelSetFX(DWORD handle, DWORD type) try {
    HFX fx = 0;
    if (!withChannelFx(handle, [&](FxChain &chain) {
            if (type == BASS_FX_PARAMEQ) fx = chain.addParamEq();
        }))
        return 0;
    if (type != BASS_FX_PARAMEQ) return fail(BASS_ERROR_ILLPARAM, HFX{0});
    if (fx == 0) return fail(BASS_ERROR_UNKNOWN, HFX{0});
    return ok(fx);
} catch (...) {
    return fail(exceptionCode(), HFX{0});
}

DWORD BASS_ChannelGetData(DWORD handle, void *buffer, DWORD length) try {
    if (isRecordHandle(handle)) return recordGetData(handle, buffer, length);
    const auto found = find(handle);
    if (!found) return kBadDword;
    if (!buffer) return fail(BASS_ERROR_ILLPARAM, kBadDword);
    Channel &channel = *found->channel;
    const bool fft = length == BASS_DATA_FFT1024;
    if (!fft && (length & 0x80000000u)) return fail(BASS_ERROR_ILLPARAM, kBadDword);
    const bool asFloat = !fft && (length & BASS_DATA_FLOAT) != 0;
    const DWORD bytes = length & ~BASS_DATA_FLOAT;

    if (channel.decodeOnly()) {
        const auto channels = static_cast<std::size_t>(channel.channels());
        const std::size_t frames = fft ? kFftSize : bytes / (channels * (asFloat ? 4 : 2));
        if (frames == 0) return ok(DWORD{0});
        if (!fft) return decodeInto(channel, buffer, frames, asFloat);
        std::vector<float> decoded(frames * channels);
        const std::size_t got = channel.decodeDirect(decoded.data(), frames);
        if (got == 0) return fail(BASS_ERROR_ENDED, kBadDword);
        std::array<float, kFftSize> mono{};
        for (std::size_t i = 0; i < got; ++i) {
            float sum = 0;
            for (std::size_t c = 0; c < channels; ++c)
                sum += decoded[i * channels + c];
            mono[i] = sum / static_cast<float>(channels);
        }
        fftMagnitudes(mono.data(), static_cast<float *>(buffer));
        return ok(static_cast<DWORD>(kFftSize / 2 * sizeof(float)));
    }

    if (!found->playing || channel.finished(found->observedNs, found->rate))
        return fail(BASS_ERROR_NOPLAY, kBadDword);
    // Only what the history holds can be handed out; the caller's length never sizes an allocation.
    const std::size_t frames =
        fft ? kFftSize : std::min<std::size_t>(bytes / (asFloat ? 8 : 4), Channel::historyFrames());
    std::vector<float> recent(frames * 2);
    channel.recent(recent.data(), frames, found->observedNs, found->rate);
    if (fft) {
        std::array<float, kFftSize> mono{};
        for (std::size_t i = 0; i < kFftSize; ++i)
            mono[i] = 0.5f * (recent[2 * i] + recent[2 * i + 1]);
        fftMagnitudes(mono.data(), static_cast<float *>(buffer));
        return ok(static_cast<DWORD>(kFftSize / 2 * sizeof(float)));
    }
    if (asFloat) {
        std::copy(recent.begin(), recent.end(), static_cast<float *>(buffer));
        return ok(static_cast<DWORD>(frames * 8));
    }
    auto *out = static_cast<std::int16_t *>(buffer);
    floatToInt16(recent.data(), out, frames * 2);
    return ok(static_cast<DWORD>(frames * 4));
} catch (...) {
    return fail(exceptionCode(), kBadDword);
}

} // extern "C"
