// Sums the playing channels into the device's 16-bit stereo buffer.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace calvoran::audio {

class Channel;

class Mixer {
public:
    // `runningLow` is called on the device thread, without waiting or allocating, when a channel's decoded
    // sound ran low and decoding should top it up.
    explicit Mixer(int rate, std::function<void()> runningLow = {});
    int rate() const { return rate_; }

    // Caller's thread; the channel must stay alive until it is removed again.
    void add(Channel *channel);
    void remove(Channel *channel);
    void setMasterVolume(float gain) { master_.store(gain); }

    // Device thread: `audibleNs` is when the first frame will be heard.
    void render(std::int16_t *out, std::size_t frames, std::int64_t audibleNs);
    // Device thread: takes back the last `frames` rendered frames, or as many as every channel still holds,
    // so that they can be rendered again as things now are; returns how many.
    std::size_t rewind(std::size_t frames);
    // Every channel takes back what has not been heard by `nowNs` (the output stopped and dropped it).
    void takeBackUnheard(std::int64_t nowNs);

private:
    static constexpr std::size_t kMaxChunk = 4096;
    const int rate_;
    std::mutex mutex_;
    std::vector<Channel *> channels_;
    std::vector<float> mix_;
    std::uint64_t rendered_ = 0; // output frames rendered; guarded by mutex_
    std::atomic<float> master_{1.0f};
    const std::function<void()> runningLow_;
};

// Steady-clock time in nanoseconds, the time base of every audible timestamp.
std::int64_t nowNs();

// A count that moves whenever sound already mixed is, or is about to be, mixed again or dropped: an
// effect switched, a seek, a start, pause or stop. What was read ahead of the heard position holds until
// it moves.
std::uint64_t soundChanges();
void noteSoundChange();

} // namespace calvoran::audio
