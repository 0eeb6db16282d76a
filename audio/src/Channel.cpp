#include "Channel.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>

namespace calvoran::audio {
namespace {

constexpr std::size_t kResampledFrames = 8192;
constexpr double kMaxRatio = 256.0; // libsamplerate's limit either way

// Anything beyond two channels is folded into left (even) and right (odd) averages.
void toStereo(const float *in, float *out, std::size_t frames, int channels) {
    if (channels == 2) {
        std::copy(in, in + frames * 2, out);
        return;
    }
    if (channels == 1) {
        for (std::size_t i = 0; i < frames; ++i)
            out[2 * i] = out[2 * i + 1] = in[i];
        return;
    }
    const int left = (channels + 1) / 2;
    const int right = channels / 2;
    for (std::size_t i = 0; i < frames; ++i) {
        float l = 0;
        float r = 0;
        for (int c = 0; c < channels; ++c)
            (c % 2 == 0 ? l : r) += in[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)];
        out[2 * i] = l / static_cast<float>(left);
        out[2 * i + 1] = r / static_cast<float>(right);
    }
}

} // namespace

Channel::Channel(Kind kind, std::unique_ptr<Decoder> decoder, bool decodeOnly, bool autoFree, int outputRate)
    : kind_(kind), decodeOnly_(decodeOnly), autoFree_(autoFree), outputRate_(outputRate),
      decoder_(std::move(decoder)), rate_(decoder_->rate()), channels_(decoder_->channels()),
      orders_(decoder_->orderCount()), title_(decoder_->title()),
      // Played channels take their effects at mix time, on the stereo output: switching one is heard
      // within a device period however far ahead decoding runs.
      fx_(decodeOnly ? std::make_unique<FxChain>(rate_, channels_)
                     : std::make_unique<FxChain>(outputRate, 2)),
      tags_(decoder_->streamTags()), freq_(rate_) {
    native_.resize(kChunkFrames * static_cast<std::size_t>(channels_));
    if (!decodeOnly_) {
        stereo_.resize(kChunkFrames * 2);
        resampled_.resize(kResampledFrames * 2);
        ring_.resize(kRingFrames * 2);
        history_.resize(kHistoryFrames * 2);
        scratch_.resize(kScratchFrames * 2);
        ratio_ = currentRatio();
    }
    addCheckpointLocked(0, 0, 1.0 / ratio_);
}

Channel::~Channel() {
    if (resampler_) src_delete(resampler_);
}

bool Channel::playableFrequency(int freq, int outputRate) {
    return freq > 0 && src_is_valid_ratio(static_cast<double>(outputRate) / freq) != 0;
}

double Channel::currentRatio() const {
    // Beyond the resampler's range it would refuse every block and the channel would end at once.
    const double ratio = static_cast<double>(outputRate_) / freq_.load();
    return std::clamp(ratio, 1.0 / kMaxRatio, kMaxRatio);
}

void Channel::setFrequency(int freq) {
    freq_.store(freq == 0 ? rate_ : freq);
}

void Channel::addCheckpointLocked(std::uint64_t outIndex, std::uint64_t srcFrame, double srcPerOut) {
    if (checkpointCount_ == kCheckpoints) {
        std::move(checkpoints_ + 1, checkpoints_ + kCheckpoints, checkpoints_);
        --checkpointCount_;
    }
    checkpoints_[checkpointCount_++] = Checkpoint{outIndex, srcFrame, srcPerOut};
}

bool Channel::seek(std::uint64_t frame) {
    std::lock_guard decodeLock(decodeMutex_);
    if (!decoder_->seek(frame)) return false;
    if (resampler_) src_reset(resampler_);
    srcDecoded_ = 0;
    decoded_.store(frame);
    decodeEnded_.store(false);
    std::lock_guard outLock(outMutex_);
    readTotal_ = writeTotal_;
    heardBase_ = readTotal_;
    heardCount_ = 0;
    heardNext_ = 0;
    ringEnded_ = false;
    checkpointCount_ = 0;
    addCheckpointLocked(writeTotal_, frame, 1.0 / ratio_);
    return true;
}

void Channel::pushStereo(const float *stereo, std::size_t frames) {
    std::lock_guard outLock(outMutex_);
    const std::size_t free = kAheadFrames - static_cast<std::size_t>(writeTotal_ - readTotal_);
    frames = std::min(frames, free);
    for (std::size_t i = 0; i < frames; ++i) {
        const std::size_t at = static_cast<std::size_t>((writeTotal_ + i) % kRingFrames);
        ring_[2 * at] = stereo[2 * i];
        ring_[2 * at + 1] = stereo[2 * i + 1];
    }
    writeTotal_ += frames;
}

void Channel::fill(std::size_t targetFrames) {
    std::lock_guard decodeLock(decodeMutex_);
    if (decodeOnly_) return;
    targetFrames = std::min(targetFrames, kAheadFrames);
    while (!decodeEnded_.load()) {
        std::size_t queued;
        {
            std::lock_guard outLock(outMutex_);
            queued = static_cast<std::size_t>(writeTotal_ - readTotal_);
        }
        if (queued >= targetFrames) {
            // A fifth taken is worth waking the update thread for: the sound server takes 200 ms of 500 at
            // once.
            std::lock_guard outLock(outMutex_);
            refillBelow_ = targetFrames - targetFrames / 5;
            break;
        }
        const double ratio = currentRatio();
        if (ratio != ratio_) {
            std::lock_guard outLock(outMutex_);
            const Checkpoint &last = checkpoints_[checkpointCount_ - 1];
            const auto src =
                static_cast<std::uint64_t>(static_cast<double>(last.srcFrame) +
                                           static_cast<double>(writeTotal_ - last.outIndex) * last.srcPerOut);
            addCheckpointLocked(writeTotal_, src, 1.0 / ratio);
            ratio_ = ratio;
        }
        if (ratio_ != 1.0 && !resampler_) {
            int error = 0;
            resampler_ = src_new(SRC_SINC_MEDIUM_QUALITY, 2, &error);
            if (!resampler_) {
                decodeEnded_.store(true);
                break;
            }
        }
        const std::size_t room = std::min(kAheadFrames - queued, kResampledFrames);
        const auto maxIn = std::min<std::size_t>(
            kChunkFrames, static_cast<std::size_t>(static_cast<double>(room > 64 ? room - 64 : 0) / ratio_));
        if (maxIn == 0) break;
        const std::size_t got = decoder_->read(native_.data(), maxIn);
        // A URL stream without data yet is not at its end: try again at the next top-up.
        inputWaiting_.store(got == 0 && decoder_->waiting());
        if (inputWaiting_.load()) break;
        const bool end = got == 0;
        if (got > 0) {
            toStereo(native_.data(), stereo_.data(), got, channels_);
            srcDecoded_ += got;
            decoded_.fetch_add(got);
        }
        if (resampler_) {
            SRC_DATA data{};
            data.data_in = stereo_.data();
            data.input_frames = static_cast<long>(got);
            data.src_ratio = ratio_;
            data.end_of_input = end ? 1 : 0;
            for (int guard = 0; guard < 64; ++guard) {
                data.data_out = resampled_.data();
                data.output_frames = static_cast<long>(kResampledFrames);
                if (src_process(resampler_, &data) != 0) break;
                pushStereo(resampled_.data(), static_cast<std::size_t>(data.output_frames_gen));
                data.data_in += data.input_frames_used * 2;
                data.input_frames -= data.input_frames_used;
                if (data.input_frames <= 0 && (!end || data.output_frames_gen == 0)) break;
                if (data.input_frames_used == 0 && data.output_frames_gen == 0) break;
            }
        } else if (got > 0) {
            pushStereo(stereo_.data(), got);
        }
        if (end) {
            decodeEnded_.store(true);
            std::lock_guard outLock(outMutex_);
            ringEnded_ = true;
        }
    }
}

bool Channel::mixInto(float *out, std::size_t frames, std::uint64_t outFrame, std::int64_t audibleNs) {
    const int pan = pan_.load(std::memory_order_relaxed);
    const float volume = static_cast<float>(volume_.load(std::memory_order_relaxed)) / 100.0f;
    const float left = volume * (pan > 0 ? static_cast<float>(100 - pan) / 100.0f : 1.0f);
    const float right = volume * (pan < 0 ? static_cast<float>(100 + pan) / 100.0f : 1.0f);
    std::lock_guard outLock(outMutex_);
    const std::size_t n = std::min(frames, static_cast<std::size_t>(writeTotal_ - readTotal_));
    for (std::size_t done = 0; done < n;) {
        const std::size_t piece = std::min(kScratchFrames, n - done);
        float *x = scratch_.data();
        for (std::size_t i = 0; i < piece; ++i) {
            const std::size_t at = static_cast<std::size_t>((readTotal_ + done + i) % kRingFrames);
            x[2 * i] = ring_[2 * at];
            x[2 * i + 1] = ring_[2 * at + 1];
        }
        fx_->process(x, piece);
        for (std::size_t i = 0; i < piece; ++i) {
            const std::size_t h = static_cast<std::size_t>((readTotal_ + done + i) % kHistoryFrames);
            history_[2 * h] = x[2 * i];
            history_[2 * h + 1] = x[2 * i + 1];
            out[2 * (done + i)] += x[2 * i] * left;
            out[2 * (done + i) + 1] += x[2 * i + 1] * right;
        }
        done += piece;
    }
    if (n < frames && !ringEnded_) starved_.store(true, std::memory_order_relaxed);
    heard_[heardNext_] = Heard{audibleNs, readTotal_, n, outFrame};
    heardNext_ = (heardNext_ + 1) % kHeardEntries;
    heardCount_ = std::min(heardCount_ + 1, kHeardEntries);
    readTotal_ += n;
    // A stream waiting for the network, or at its end, gets nothing from a top-up.
    return writeTotal_ - readTotal_ < refillBelow_ && !ringEnded_ &&
           !inputWaiting_.load(std::memory_order_relaxed);
}

std::uint64_t Channel::keptFromLocked() const {
    return std::max(heardBase_, readTotal_ > kKeptFrames ? readTotal_ - kKeptFrames : 0);
}

std::uint64_t Channel::earliestRewindFrame() const {
    std::lock_guard outLock(outMutex_);
    const std::uint64_t kept = keptFromLocked();
    std::uint64_t earliest = 0;
    for (std::size_t k = 1; k <= heardCount_; ++k) {
        const Heard &e = heard_[(heardNext_ + kHeardEntries - k) % kHeardEntries];
        if (e.start + e.taken <= kept) return e.outFrame + e.taken;
        if (e.start < kept) return e.outFrame + (kept - e.start);
        earliest = e.outFrame;
    }
    // Every entry since the last seek is still here: before them the channel gave nothing.
    return heardCount_ == kHeardEntries ? earliest : 0;
}

void Channel::rewindToIndexLocked(std::uint64_t index) {
    index = std::max(index, keptFromLocked());
    while (heardCount_ > 0 && readTotal_ > index) {
        Heard &e = heard_[(heardNext_ + kHeardEntries - 1) % kHeardEntries];
        if (e.start >= index) {
            readTotal_ = e.start;
            heardNext_ = (heardNext_ + kHeardEntries - 1) % kHeardEntries;
            --heardCount_;
            continue;
        }
        e.taken = std::min(e.taken, index - e.start);
        readTotal_ = e.start + e.taken;
        break;
    }
}

void Channel::rewind(std::uint64_t outFrame) {
    std::lock_guard outLock(outMutex_);
    std::uint64_t index = readTotal_;
    for (std::size_t k = 1; k <= heardCount_; ++k) {
        const Heard &e = heard_[(heardNext_ + kHeardEntries - k) % kHeardEntries];
        if (e.outFrame < outFrame) {
            index = e.start + std::min(e.taken, outFrame - e.outFrame);
            break;
        }
        index = e.start;
    }
    rewindToIndexLocked(index);
}

void Channel::takeBackUnheard(std::int64_t nowNs, int outputRate) {
    std::lock_guard outLock(outMutex_);
    rewindToIndexLocked(heardIndexLocked(nowNs, outputRate));
}

std::size_t Channel::queuedFrames() const {
    std::lock_guard outLock(outMutex_);
    return static_cast<std::size_t>(writeTotal_ - readTotal_);
}

std::uint64_t Channel::heardIndexLocked(std::int64_t nowNs, int outputRate, bool *beyondMixed) const {
    if (beyondMixed) *beyondMixed = heardCount_ == 0;
    if (heardCount_ == 0) return heardBase_;
    std::uint64_t oldest = readTotal_;
    for (std::size_t k = 1; k <= heardCount_; ++k) {
        const Heard &e = heard_[(heardNext_ + kHeardEntries - k) % kHeardEntries];
        if (e.audibleNs <= nowNs) {
            const auto elapsed =
                static_cast<std::uint64_t>(static_cast<double>(nowNs - e.audibleNs) * outputRate / 1e9);
            if (beyondMixed) *beyondMixed = k == 1 && elapsed > e.taken;
            return std::max(heardBase_, e.start + std::min(e.taken, elapsed));
        }
        oldest = e.start;
    }
    return std::max(heardBase_, oldest);
}

std::uint64_t Channel::heardIndex(std::int64_t nowNs, int outputRate) const {
    std::lock_guard outLock(outMutex_);
    return heardIndexLocked(nowNs, outputRate);
}

std::uint64_t Channel::heardFrame(std::int64_t nowNs, int outputRate, bool *beyondMixed) const {
    std::lock_guard outLock(outMutex_);
    const std::uint64_t h = heardIndexLocked(nowNs, outputRate, beyondMixed);
    const Checkpoint *cp = &checkpoints_[0];
    for (std::size_t i = 0; i < checkpointCount_; ++i)
        if (checkpoints_[i].outIndex <= h) cp = &checkpoints_[i];
    auto frame = cp->srcFrame + static_cast<std::uint64_t>(std::llround(
                                    static_cast<double>(h - std::min(h, cp->outIndex)) * cp->srcPerOut));
    const std::uint64_t length = lengthFrames();
    if (length != Decoder::kUnknownLength) frame = std::min(frame, length);
    return frame;
}

bool Channel::finished(std::int64_t nowNs, int outputRate) const {
    std::lock_guard outLock(outMutex_);
    return ringEnded_ && readTotal_ == writeTotal_ && heardIndexLocked(nowNs, outputRate) >= readTotal_;
}

void Channel::recent(float *stereo, std::size_t frames, std::int64_t nowNs, int outputRate) const {
    std::lock_guard outLock(outMutex_);
    const std::uint64_t h = heardIndexLocked(nowNs, outputRate);
    for (std::size_t i = 0; i < frames; ++i) {
        const std::uint64_t back = frames - i;
        const bool valid = back <= h && h - back + kHistoryFrames >= readTotal_;
        const std::size_t at = static_cast<std::size_t>((h - back) % kHistoryFrames);
        stereo[2 * i] = valid ? history_[2 * at] : 0.0f;
        stereo[2 * i + 1] = valid ? history_[2 * at + 1] : 0.0f;
    }
}

bool Channel::peakBefore(std::int64_t atNs, int outputRate, std::size_t frames, bool mixedOnly, float &left,
                         float &right) const {
    std::lock_guard outLock(outMutex_);
    bool beyond = false;
    const std::uint64_t h = heardIndexLocked(atNs, outputRate, &beyond);
    if (mixedOnly && beyond) return false;
    // History older than kHistoryFrames before the newest mixed frame is gone, and so is any before 0.
    const std::uint64_t oldest = readTotal_ > kHistoryFrames ? readTotal_ - kHistoryFrames : 0;
    const std::uint64_t from = std::max({h > frames ? h - frames : 0, oldest});
    left = 0.0f;
    right = 0.0f;
    // In at most two runs of the ring.
    for (std::uint64_t i = from; i < h;) {
        const auto at = static_cast<std::size_t>(i % kHistoryFrames);
        const std::size_t run = std::min<std::size_t>(kHistoryFrames - at, static_cast<std::size_t>(h - i));
        const float *x = history_.data() + 2 * at;
        for (std::size_t k = 0; k < run; ++k) {
            left = std::max(left, std::fabs(x[2 * k]));
            right = std::max(right, std::fabs(x[2 * k + 1]));
        }
        i += run;
    }
    return true;
}

std::size_t Channel::decodeDirect(float *out, std::size_t frames) {
    std::lock_guard decodeLock(decodeMutex_);
    std::size_t done = 0;
    while (done < frames) {
        const std::size_t got =
            decoder_->read(out + done * static_cast<std::size_t>(channels_), frames - done);
        if (got == 0) {
            decodeEnded_.store(true);
            break;
        }
        done += got;
    }
    if (done > 0) fx_->process(out, done);
    decoded_.fetch_add(done);
    return done;
}

} // namespace calvoran::audio
