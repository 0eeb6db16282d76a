// A ring of the most recent 16-bit stereo frames: one writer (a device thread) that never waits, and
// readers that copy the latest frames without a lock. Frames are stored as atomics so a reader racing
// the writer reads whole frames, old or new, never torn ones.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace calvoran::audio {

class FrameRing {
public:
    static constexpr std::size_t kFrames = 32768; // a power of two

    FrameRing() : frames_(std::make_unique<std::atomic<std::uint32_t>[]>(kFrames)) {}

    // Writer thread only; `stampNs` is the steady-clock time the block belongs to.
    void write(const std::int16_t *stereo, std::size_t frames, std::int64_t stampNs) {
        std::uint64_t total = total_.load(std::memory_order_relaxed);
        for (std::size_t i = 0; i < frames; ++i, ++total) {
            const auto left = static_cast<std::uint16_t>(stereo[2 * i]);
            const auto right = static_cast<std::uint16_t>(stereo[2 * i + 1]);
            frames_[total & (kFrames - 1)].store(left | (std::uint32_t{right} << 16),
                                                 std::memory_order_relaxed);
        }
        total_.store(total, std::memory_order_release);
        stamp_.store(stampNs, std::memory_order_release);
    }

    // Writer thread only: forgets the newest `frames` frames, which are about to be written again.
    void rewind(std::size_t frames) {
        const std::uint64_t total = total_.load(std::memory_order_relaxed);
        total_.store(total - std::min<std::uint64_t>(frames, total), std::memory_order_release);
    }
    // The newest `frames` frames (at most half the ring) as floats -1..1, oldest first; silence where
    // nothing was written yet. Returns false, and writes silence, when nothing arrived since `freshAfterNs`.
    bool latest(float *stereo, std::size_t frames, std::int64_t freshAfterNs) const {
        const std::uint64_t total = total_.load(std::memory_order_acquire);
        const bool fresh = total > 0 && stamp_.load(std::memory_order_acquire) >= freshAfterNs;
        for (std::size_t i = 0; i < frames; ++i) {
            const std::uint64_t back = frames - i;
            if (!fresh || back > total) {
                stereo[2 * i] = stereo[2 * i + 1] = 0.0f;
                continue;
            }
            const std::uint32_t v = frames_[(total - back) & (kFrames - 1)].load(std::memory_order_relaxed);
            stereo[2 * i] = static_cast<float>(static_cast<std::int16_t>(v & 0xFFFFu)) / 32768.0f;
            stereo[2 * i + 1] = static_cast<float>(static_cast<std::int16_t>(v >> 16)) / 32768.0f;
        }
        return fresh;
    }

    std::uint64_t written() const { return total_.load(std::memory_order_acquire); }

private:
    std::unique_ptr<std::atomic<std::uint32_t>[]> frames_;
    std::atomic<std::uint64_t> total_{0};
    std::atomic<std::int64_t> stamp_{0};
};

// What the library itself plays, as it leaves the mixer, at `loopbackRate()` Hz (every output device,
// the silent one included, feeds it).
FrameRing &loopbackRing();
int loopbackRate();
void setLoopbackRate(int rate);

} // namespace calvoran::audio
