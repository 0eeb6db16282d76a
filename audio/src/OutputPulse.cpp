#include "Mixer.h"
#include "Output.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace calvoran::audio {
namespace {

// The sound server's buffer holds about 43 ms, the server's own part included, refilled once about half of
// it has played. A block is mixed when the server asks for it and queued behind what is left, so an effect
// switch is heard within the whole buffer, and the device thread wakes once per request: SDL's client let
// the server ask for small pieces and woke several times for each of its periods.
constexpr std::uint32_t kBufferFrames = 1880; // at 44.1 kHz; scaled with the rate
constexpr std::uint32_t kRequestFrames = 1024;
constexpr std::uint32_t kFrameBytes = 4; // 16-bit stereo

class PulseOutput final : public Output {
public:
    explicit PulseOutput(Mixer &mixer) : mixer_(mixer) {}
    ~PulseOutput() override {
        if (loop_) pa_threaded_mainloop_stop(loop_);
        fallback_.reset();
        if (stream_) {
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
        }
        if (context_) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        if (loop_) pa_threaded_mainloop_free(loop_);
    }
    PulseOutput(const PulseOutput &) = delete;
    PulseOutput &operator=(const PulseOutput &) = delete;

    bool open() {
        loop_ = pa_threaded_mainloop_new();
        if (!loop_) return false;
        context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Calvoran Player");
        if (!context_) return false;
        pa_context_set_state_callback(context_, &PulseOutput::contextState, this);
        // No server running means SDL's drivers choose the output; do not start one for us.
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
        Lock lock(loop_);
        if (pa_threaded_mainloop_start(loop_) < 0) return false;
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context_);
            if (state == PA_CONTEXT_READY) break;
            if (!PA_CONTEXT_IS_GOOD(state)) return false;
            pa_threaded_mainloop_wait(loop_);
        }
        const auto rate = static_cast<std::uint32_t>(mixer_.rate());
        const pa_sample_spec format{PA_SAMPLE_S16NE, rate, 2};
        stream_ = pa_stream_new(context_, "Calvoran Player", &format, nullptr);
        if (!stream_) return false;
        const auto scaled = [rate](std::uint32_t frames) {
            return static_cast<std::uint32_t>(std::uint64_t{frames} * rate / 44100) * kFrameBytes;
        };
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.tlength = scaled(kBufferFrames);
        attr.prebuf = static_cast<std::uint32_t>(-1);
        attr.minreq = scaled(kRequestFrames);
        attr.fragsize = static_cast<std::uint32_t>(-1);
        pa_stream_set_state_callback(stream_, &PulseOutput::streamState, this);
        pa_stream_set_write_callback(stream_, &PulseOutput::writeRequest, this);
        // The buffer length is the whole latency, the server's own included.
        const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED);
        if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) < 0) return false;
        for (;;) {
            const pa_stream_state_t state = pa_stream_get_state(stream_);
            if (state == PA_STREAM_READY) break;
            if (!PA_STREAM_IS_GOOD(state)) return false;
            pa_threaded_mainloop_wait(loop_);
        }
        if (const pa_buffer_attr *got = pa_stream_get_buffer_attr(stream_)) bufferBytes_ = got->tlength;
        opened_ = true;
        return true;
    }

    void start() override {
        Lock lock(loop_);
        playing_ = true;
        if (fallback_) return fallback_->start();
        if (pa_operation *op = pa_stream_cork(stream_, 0, nullptr, nullptr)) pa_operation_unref(op);
    }

    void stop() override {
        Lock lock(loop_);
        playing_ = false;
        if (fallback_) return fallback_->stop();
        if (pa_operation *op = pa_stream_cork(stream_, 1, nullptr, nullptr)) pa_operation_unref(op);
        // What was queued is counted as heard already; playing it after a restart would repeat it.
        if (pa_operation *op = pa_stream_flush(stream_, nullptr, nullptr)) pa_operation_unref(op);
    }

private:
    struct Lock {
        explicit Lock(pa_threaded_mainloop *held) : loop(held) { pa_threaded_mainloop_lock(loop); }
        ~Lock() { pa_threaded_mainloop_unlock(loop); }
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;
        pa_threaded_mainloop *loop;
    };

    static void contextState(pa_context *, void *user) { static_cast<PulseOutput *>(user)->stateChanged(); }
    static void streamState(pa_stream *, void *user) { static_cast<PulseOutput *>(user)->stateChanged(); }

    // Server thread, with the loop's lock held. A server that goes away (restarted, killed) would stop
    // asking for sound, and with it the channels' clocks: the track would never end. The music then
    // goes on silently in real time, as on a machine without sound.
    void stateChanged() {
        pa_threaded_mainloop_signal(loop_, 0);
        if (!opened_ || fallback_) return;
        const bool good = PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)) &&
                          (!stream_ || PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)));
        if (good) return;
        fallback_ = openNullOutput(mixer_);
        if (playing_) fallback_->start();
    }

    // Server thread, with the loop's lock held. `bytes` is the free room of the buffer, so what is still
    // queued ahead of this block is the rest of it.
    static void writeRequest(pa_stream *stream, std::size_t bytes, void *user) {
        auto *self = static_cast<PulseOutput *>(user);
        const std::int64_t now = nowNs();
        std::size_t queued = self->bufferBytes_ > bytes ? self->bufferBytes_ - bytes : 0;
        bytes -= bytes % kFrameBytes;
        while (bytes > 0) {
            void *data = nullptr;
            std::size_t size = bytes;
            if (pa_stream_begin_write(stream, &data, &size) < 0 || !data || size < kFrameBytes) return;
            size = std::min(size, bytes);
            size -= size % kFrameBytes;
            const std::size_t frames = size / kFrameBytes;
            const auto aheadNs =
                static_cast<std::int64_t>(queued / kFrameBytes) * 1000000000LL / self->mixer_.rate();
            self->mixer_.render(static_cast<std::int16_t *>(data), frames, now + aheadNs);
            if (pa_stream_write(stream, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
            queued += size;
            bytes -= size;
        }
    }

    Mixer &mixer_;
    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;
    std::size_t bufferBytes_ = kBufferFrames * kFrameBytes;
    // Guarded by the loop's lock.
    bool opened_ = false;
    bool playing_ = false;
    std::unique_ptr<Output> fallback_;
};

} // namespace

std::unique_ptr<Output> openPulseOutput(Mixer &mixer) {
    auto output = std::make_unique<PulseOutput>(mixer);
    if (!output->open()) return nullptr;
    return output;
}

} // namespace calvoran::audio
