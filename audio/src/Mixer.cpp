#include "Mixer.h"

#include "Channel.h"
#include "Convert.h"
#include "FrameRing.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace calvoran::audio {

std::int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

Mixer::Mixer(int rate, std::function<void()> runningLow)
    : rate_(rate), mix_(kMaxChunk * 2), runningLow_(std::move(runningLow)) {
    setLoopbackRate(rate);
    loopbackRing(); // made here, so the device thread never allocates it
    channels_.reserve(64);
}

void Mixer::add(Channel *channel) {
    std::lock_guard lock(mutex_);
    if (std::find(channels_.begin(), channels_.end(), channel) == channels_.end())
        channels_.push_back(channel);
}

void Mixer::remove(Channel *channel) {
    std::lock_guard lock(mutex_);
    channels_.erase(std::remove(channels_.begin(), channels_.end(), channel), channels_.end());
}

void Mixer::render(std::int16_t *out, std::size_t frames, std::int64_t audibleNs) {
    const float master = master_.load(std::memory_order_relaxed);
    std::lock_guard lock(mutex_);
    std::size_t done = 0;
    bool low = false;
    while (done < frames) {
        const std::size_t n = std::min(kMaxChunk, frames - done);
        std::fill(mix_.begin(), mix_.begin() + static_cast<std::ptrdiff_t>(2 * n), 0.0f);
        const auto at = audibleNs + static_cast<std::int64_t>(static_cast<double>(done) * 1e9 / rate_);
        for (Channel *channel : channels_)
            low = channel->mixInto(mix_.data(), n, rendered_, at) || low;
        floatToInt16(mix_.data(), out + 2 * done, 2 * n, master);
        loopbackRing().write(out + 2 * done, n, at); // lock-free: recording's "Player output" input
        done += n;
        rendered_ += n;
    }
    if (low && runningLow_) runningLow_();
}

namespace {
std::atomic<std::uint64_t> g_soundChanges{0};
} // namespace

std::uint64_t soundChanges() {
    return g_soundChanges.load(std::memory_order_acquire);
}

void noteSoundChange() {
    g_soundChanges.fetch_add(1, std::memory_order_acq_rel);
}

std::size_t Mixer::rewind(std::size_t frames) {
    noteSoundChange();
    std::lock_guard lock(mutex_);
    std::uint64_t to = rendered_ - std::min<std::uint64_t>(frames, rendered_);
    for (const Channel *channel : channels_)
        to = std::max(to, channel->earliestRewindFrame());
    if (to >= rendered_) return 0;
    for (Channel *channel : channels_)
        channel->rewind(to);
    const auto back = static_cast<std::size_t>(rendered_ - to);
    loopbackRing().rewind(back);
    rendered_ = to;
    return back;
}

void Mixer::takeBackUnheard(std::int64_t nowNs) {
    noteSoundChange();
    std::lock_guard lock(mutex_);
    for (Channel *channel : channels_)
        channel->takeBackUnheard(nowNs, rate_);
}

} // namespace calvoran::audio
