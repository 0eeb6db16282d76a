#include "Mixer.h"
#include "Output.h"

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace calvoran::audio {
namespace {

// The sound server's buffer holds 400 ms, the server's own part included, topped up by a timer of our own
// once about half of it has played: the device thread wakes about five times a second. Whatever changes
// the sound (an effect, the volume, a seek, another track) has the queued part that is not yet heard mixed
// again and written over the old, from kRewriteGuardNs ahead of now, so it is heard at once all the same.
// The server's own requests are not used: the client library does not count a write over queued sound as
// the rewrite it is, and would stop asking.
constexpr std::uint32_t kBufferFrames = 17640; // at 44.1 kHz; scaled with the rate
constexpr std::uint32_t kRequestFrames = 8820;
constexpr std::uint32_t kFrameBytes = 4; // 16-bit stereo
constexpr std::int64_t kRewriteGuardNs = 20'000'000;
constexpr std::int64_t kDriftLimitNs = 30'000'000;
constexpr std::int64_t kSettleNs = 1'500'000'000;
// The old sound fades into the new over this many frames where it is written over, so there is no click.
constexpr std::size_t kFadeFrames = 256;

class PulseOutput final : public Output {
public:
    explicit PulseOutput(Mixer &mixer) : mixer_(mixer) {}
    ~PulseOutput() override {
        if (loop_) pa_threaded_mainloop_stop(loop_);
        if (wakeEvent_) pa_threaded_mainloop_get_api(loop_)->io_free(wakeEvent_);
        if (topUpEvent_) pa_threaded_mainloop_get_api(loop_)->time_free(topUpEvent_);
        if (wakeFd_ >= 0) ::close(wakeFd_);
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
        pa_stream_set_write_callback(stream_, &PulseOutput::serverAsks, this);
        // The buffer length is the whole latency, the server's own included; the latency between the server's
        // reports is estimated here, so the timer knows how much is left without asking.
        const auto flags =
            static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED |
                                           PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_INTERPOLATE_TIMING);
        if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) < 0) return false;
        for (;;) {
            const pa_stream_state_t state = pa_stream_get_state(stream_);
            if (state == PA_STREAM_READY) break;
            if (!PA_STREAM_IS_GOOD(state)) return false;
            pa_threaded_mainloop_wait(loop_);
        }
        if (const pa_buffer_attr *got = pa_stream_get_buffer_attr(stream_)) bufferBytes_ = got->tlength;
        sent_.assign(2 * sentFrames(), 0);
        wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (wakeFd_ < 0) return false;
        pa_mainloop_api *api = pa_threaded_mainloop_get_api(loop_);
        wakeEvent_ = api->io_new(api, wakeFd_, PA_IO_EVENT_INPUT, &PulseOutput::rewriteWanted, this);
        if (!wakeEvent_) return false;
        topUpEvent_ = pa_context_rttime_new(context_, PA_USEC_INVALID, &PulseOutput::topUpDue, this);
        if (!topUpEvent_) return false;
        opened_ = true;
        return true;
    }

    void start() override {
        Lock lock(loop_);
        playing_ = true;
        if (fallback_) return fallback_->start();
        if (pa_operation *op = pa_stream_cork(stream_, 0, nullptr, nullptr)) pa_operation_unref(op);
        jumpNs_ = nowNs();
        topUp();
    }

    void stop() override {
        Lock lock(loop_);
        playing_ = false;
        if (fallback_) return fallback_->stop();
        if (pa_operation *op = pa_stream_cork(stream_, 1, nullptr, nullptr)) pa_operation_unref(op);
        // What was queued is counted as heard already; playing it after a restart would repeat it.
        if (pa_operation *op = pa_stream_flush(stream_, nullptr, nullptr)) pa_operation_unref(op);
        writeEndNs_ = 0;
        pa_context_rttime_restart(context_, topUpEvent_, PA_USEC_INVALID);
    }

    void rewrite() override {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(wakeFd_, &one, sizeof one);
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

    // When what is queued will have been heard: our own count of what was written, kept in step with the
    // server's clock by its reports. Around a start or a rewrite the client library's estimate can be off
    // by the whole buffer until the server's next report, so there a report far from the count is left out;
    // a difference that lasts (a sink that was suspended, say) is taken over after a while.
    std::int64_t queuedEndNs(std::int64_t now) {
        pa_usec_t latency = 0;
        int negative = 0;
        if (writeEndNs_ > now && pa_stream_get_latency(stream_, &latency, &negative) == 0 && !negative) {
            const std::int64_t reported = now + static_cast<std::int64_t>(latency) * 1000;
            if (std::abs(reported - writeEndNs_) < kDriftLimitNs || now - jumpNs_ > kSettleNs)
                writeEndNs_ = reported;
        }
        return std::max(writeEndNs_, now);
    }

    // Server thread, with the loop's lock held: fills the buffer up to its length. The server asks again once
    // a request's worth has played, and the thread is awake for that anyway; the timer only stands in for a
    // server that does not ask.
    static void topUpDue(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *user) {
        static_cast<PulseOutput *>(user)->topUp();
    }
    static void serverAsks(pa_stream *, std::size_t, void *user) {
        static_cast<PulseOutput *>(user)->topUp();
    }

    void topUp() {
        if (!playing_ || fallback_ || pa_stream_get_state(stream_) != PA_STREAM_READY) return;
        const std::int64_t now = nowNs();
        std::int64_t end = queuedEndNs(now);
        const auto rate = static_cast<std::int64_t>(mixer_.rate());
        const std::int64_t bufferNs =
            static_cast<std::int64_t>(bufferBytes_ / kFrameBytes) * 1000000000LL / rate;
        auto frames =
            static_cast<std::size_t>(std::max<std::int64_t>(0, now + bufferNs - end) * rate / 1000000000LL);
        while (frames > 0) {
            void *data = nullptr;
            std::size_t size = frames * kFrameBytes;
            if (pa_stream_begin_write(stream_, &data, &size) < 0 || !data || size < kFrameBytes) break;
            size = std::min(size, frames * kFrameBytes);
            size -= size % kFrameBytes;
            const std::size_t n = size / kFrameBytes;
            mixer_.render(static_cast<std::int16_t *>(data), n, end);
            keepSent(static_cast<const std::int16_t *>(data), n);
            if (pa_stream_write(stream_, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) break;
            end += static_cast<std::int64_t>(n) * 1000000000LL / rate;
            frames -= n;
        }
        writeEndNs_ = end;
        // Never sooner than 10 ms: a server that refuses writes must not make this thread spin.
        const std::int64_t lowNs = std::max<std::int64_t>(10'000'000, end - now - bufferNs / 4);
        pa_context_rttime_restart(context_, topUpEvent_,
                                  pa_rtclock_now() + static_cast<pa_usec_t>(lowNs / 1000));
    }

    std::size_t sentFrames() const { return bufferBytes_ / kFrameBytes + kRequestFrames; }

    // A copy of what went to the server lately, for the fade where a rewrite begins.
    void keepSent(const std::int16_t *frames, std::size_t count) {
        const std::size_t ring = sent_.size() / 2;
        for (std::size_t i = 0; i < count; ++i, ++sentTotal_) {
            const std::size_t at = static_cast<std::size_t>(sentTotal_ % ring);
            sent_[2 * at] = frames[2 * i];
            sent_[2 * at + 1] = frames[2 * i + 1];
        }
    }

    // Server thread, with the loop's lock held: mixes again what is queued beyond the guard and writes it
    // over the old. The server drops what it has already played.
    static void rewriteWanted(pa_mainloop_api *, pa_io_event *, int fd, pa_io_event_flags_t, void *user) {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto n = ::read(fd, &count, sizeof count);
        static_cast<PulseOutput *>(user)->rewriteQueued();
    }

    void rewriteQueued() {
        if (!playing_ || fallback_ || !stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY) return;
        const std::int64_t now = nowNs();
        const std::int64_t from = now + kRewriteGuardNs;
        if (queuedEndNs(now) <= from) return;
        const auto rate = static_cast<std::int64_t>(mixer_.rate());
        auto wanted = static_cast<std::size_t>((writeEndNs_ - from) * rate / 1000000000LL);
        wanted = std::min({wanted, bufferBytes_ / kFrameBytes, static_cast<std::size_t>(sentTotal_)});
        const std::size_t back = mixer_.rewind(wanted);
        if (back == 0) return;
        jumpNs_ = now;
        const std::int64_t startNs = writeEndNs_ - static_cast<std::int64_t>(back) * 1000000000LL / rate;
        sentTotal_ -= back;
        const std::uint64_t oldFrom = sentTotal_;
        std::int64_t offset = -static_cast<std::int64_t>(back * kFrameBytes);
        std::size_t done = 0;
        while (done < back) {
            void *data = nullptr;
            std::size_t size = (back - done) * kFrameBytes;
            if (pa_stream_begin_write(stream_, &data, &size) < 0 || !data || size < kFrameBytes) break;
            size = std::min(size, (back - done) * kFrameBytes);
            size -= size % kFrameBytes;
            const std::size_t frames = size / kFrameBytes;
            auto *out = static_cast<std::int16_t *>(data);
            mixer_.render(out, frames, startNs + static_cast<std::int64_t>(done) * 1000000000LL / rate);
            fadeFromSent(out, frames, done, oldFrom);
            keepSent(out, frames);
            if (pa_stream_write(stream_, data, size, nullptr, offset, PA_SEEK_RELATIVE) < 0) break;
            offset = 0;
            done += frames;
        }
        if (done < back) {
            // The server refused the rest (the stream is failing): what is queued ends where the write did.
            writeEndNs_ = startNs + static_cast<std::int64_t>(done) * 1000000000LL / rate;
        }
    }

    // `out` holds frames from `done` on of a rewrite whose old sound began at sent frame `oldFrom`.
    void fadeFromSent(std::int16_t *out, std::size_t frames, std::size_t done, std::uint64_t oldFrom) const {
        const std::size_t ring = sent_.size() / 2;
        for (std::size_t i = 0; i < frames && done + i < kFadeFrames; ++i) {
            const std::size_t at = static_cast<std::size_t>((oldFrom + done + i) % ring);
            const float w = static_cast<float>(done + i + 1) / static_cast<float>(kFadeFrames + 1);
            for (int c = 0; c < 2; ++c) {
                const auto k = 2 * i + static_cast<std::size_t>(c);
                const float mixed =
                    static_cast<float>(sent_[2 * at + static_cast<std::size_t>(c)]) * (1.0f - w) +
                    static_cast<float>(out[k]) * w;
                out[k] = static_cast<std::int16_t>(mixed);
            }
        }
    }

    Mixer &mixer_;
    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;
    std::size_t bufferBytes_ = kBufferFrames * kFrameBytes;
    int wakeFd_ = -1;
    pa_io_event *wakeEvent_ = nullptr;
    pa_time_event *topUpEvent_ = nullptr;
    // Guarded by the loop's lock.
    std::int64_t writeEndNs_ = 0; // when the end of what was written will be heard
    std::int64_t jumpNs_ = 0;     // the last start or rewrite
    std::vector<std::int16_t> sent_;
    std::uint64_t sentTotal_ = 0;
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
