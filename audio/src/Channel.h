// One stream or module: its decoder, effects, resampler, the ring of decoded audio waiting for the
// mixer and the record of what the mixer has sent to the device.
#pragma once
#include "Decoder.h"
#include "FxChain.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

typedef struct SRC_STATE_tag SRC_STATE;

namespace calvoran::audio {

class Channel {
public:
    enum class Kind { Stream, Music };

    Channel(Kind kind, std::unique_ptr<Decoder> decoder, bool decodeOnly, bool autoFree, int outputRate);
    ~Channel();
    Channel(const Channel &) = delete;
    Channel &operator=(const Channel &) = delete;

    Kind kind() const { return kind_; }
    bool decodeOnly() const { return decodeOnly_; }
    bool autoFree() const { return autoFree_; }
    int rate() const { return rate_; }
    int channels() const { return channels_; }
    // May grow once a worker has measured a file that had only an estimate.
    std::uint64_t lengthFrames() const { return decoder_->length(); }
    int orderCount() const { return orders_; }
    const std::string &title() const { return title_; }
    FxChain &fx() { return *fx_; }
    // URL streams: their header and metadata texts; null for files and modules.
    StreamTags *streamTags() const { return tags_.get(); }
    // Frames decoded and not yet handed to the mixer.
    std::size_t queuedFrames() const;

    // Attributes; freq 0 means the channel's own rate.
    void setFrequency(int freq);
    // Whether the resampler can play a channel at `freq` Hz on an output of `outputRate` Hz.
    static bool playableFrequency(int freq, int outputRate);
    // How many stereo frames of what was heard the channel keeps for recent().
    static constexpr std::size_t historyFrames() { return kHistoryFrames; }
    void setVolume(int volume) { volume_.store(volume); }
    void setPan(int pan) { pan_.store(pan); }
    int frequency() const { return freq_.load(); }
    int volume() const { return volume_.load(); }
    int pan() const { return pan_.load(); }

    // Moves decoding to `frame` and drops whatever was queued; false when the decoder refuses.
    bool seek(std::uint64_t frame);
    // Decodes until the ring holds `targetFrames` (update thread, or the caller before playing).
    void fill(std::size_t targetFrames);
    // True once after the mixer found the ring empty before the end.
    bool takeStarved() { return starved_.exchange(false) && !inputWaiting_.load(); }
    // The last top-up found the network stream without data.
    bool inputWaiting() const { return inputWaiting_.load(); }

    // Mixer thread: adds up to `frames` queued stereo frames into `out`, with effects, pan and volume, and
    // records that they are the mixer's output frames from `outFrame` on, audible at `audibleNs`. Never
    // blocks for long and never allocates. True when the ring has run low enough to be topped up now.
    bool mixInto(float *out, std::size_t frames, std::uint64_t outFrame, std::int64_t audibleNs);
    // The earliest output frame rewind() can go back to: mixed frames are kept for a while after mixing.
    std::uint64_t earliestRewindFrame() const;
    // Takes back every frame mixed at output frame `outFrame` or later, so the next mixInto hands them out
    // again (through the effects as they are then); never further back than earliestRewindFrame().
    void rewind(std::uint64_t outFrame);
    // Takes back what has not been heard by `nowNs`, so playing on after the output stopped goes on there.
    void takeBackUnheard(std::int64_t nowNs, int outputRate);

    // The channel output frame heard at time `nowNs`.
    std::uint64_t heardIndex(std::int64_t nowNs, int outputRate) const;
    // The source frame heard at time `nowNs`; `beyondMixed` tells whether the sound heard then is not mixed
    // yet.
    std::uint64_t heardFrame(std::int64_t nowNs, int outputRate, bool *beyondMixed = nullptr) const;
    // True once decoding ended and every queued frame was heard.
    bool finished(std::int64_t nowNs, int outputRate) const;
    // `frames` stereo frames that end at the heard position (silence where history is missing).
    void recent(float *stereo, std::size_t frames, std::int64_t nowNs, int outputRate) const;
    // The peak of each side over the `frames` frames heard just before `atNs` (silence where history is
    // missing). With `mixedOnly`, false when the sound heard then is not mixed yet.
    bool peakBefore(std::int64_t atNs, int outputRate, std::size_t frames, bool mixedOnly, float &left,
                    float &right) const;

    // Decode-only channels: frames in the channel's own layout, effects applied. 0 at the end.
    std::size_t decodeDirect(float *out, std::size_t frames);
    std::uint64_t decodedFrames() const { return decoded_.load(); }
    bool decodeEnded() const { return decodeEnded_.load(); }

private:
    struct Checkpoint {
        std::uint64_t outIndex;
        std::uint64_t srcFrame;
        double srcPerOut;
    };
    struct Heard {
        std::int64_t audibleNs;
        std::uint64_t start;
        std::uint64_t taken;
        std::uint64_t outFrame;
    };
    // Decoded frames stay in the ring for kKeptFrames after mixing, so a mix can be redone; decoding runs
    // at most kAheadFrames ahead of the mixer.
    static constexpr std::size_t kRingFrames = 131072;
    static constexpr std::size_t kKeptFrames = 49152;
    static constexpr std::size_t kAheadFrames = kRingFrames - kKeptFrames;
    static constexpr std::size_t kHistoryFrames = 65536;
    static constexpr std::size_t kChunkFrames = 256;
    static constexpr std::size_t kScratchFrames = 1024;
    static constexpr std::size_t kHeardEntries = 64;
    static constexpr std::size_t kCheckpoints = 8;

    double currentRatio() const; // output frames per source frame
    void pushStereo(const float *stereo, std::size_t frames);
    void addCheckpointLocked(std::uint64_t outIndex, std::uint64_t srcFrame, double srcPerOut);
    std::uint64_t heardIndexLocked(std::int64_t nowNs, int outputRate, bool *beyondMixed = nullptr) const;
    std::uint64_t keptFromLocked() const;
    void rewindToIndexLocked(std::uint64_t index);

    const Kind kind_;
    const bool decodeOnly_;
    const bool autoFree_;
    const int outputRate_;
    std::unique_ptr<Decoder> decoder_;
    int rate_;
    int channels_;
    int orders_;
    std::string title_;
    std::unique_ptr<FxChain> fx_;
    std::shared_ptr<StreamTags> tags_;

    std::atomic<int> freq_;
    std::atomic<int> volume_{100};
    std::atomic<int> pan_{0};

    // Decoding side, guarded by decodeMutex_.
    mutable std::mutex decodeMutex_;
    SRC_STATE *resampler_ = nullptr;
    double ratio_ = 1.0;
    std::uint64_t srcDecoded_ = 0; // source frames read since the last seek
    std::vector<float> native_;
    std::vector<float> stereo_;
    std::vector<float> resampled_;
    std::atomic<std::uint64_t> decoded_{0};
    std::atomic<bool> decodeEnded_{false};
    std::atomic<bool> inputWaiting_{false}; // the decoder ran dry waiting for the network

    // Mixer side, guarded by outMutex_; held only for copies.
    mutable std::mutex outMutex_;
    std::vector<float> ring_;
    std::uint64_t writeTotal_ = 0;
    std::uint64_t readTotal_ = 0;
    std::uint64_t heardBase_ = 0;
    std::vector<float> history_;
    std::vector<float> scratch_; // effects run here at mix time
    Heard heard_[kHeardEntries]{};
    std::size_t heardCount_ = 0;
    std::size_t heardNext_ = 0;
    Checkpoint checkpoints_[kCheckpoints]{};
    std::size_t checkpointCount_ = 0;
    bool ringEnded_ = false;
    std::atomic<bool> starved_{false};
    std::size_t refillBelow_ = 0; // queued frames under which the ring wants a top-up; guarded by outMutex_
};

} // namespace calvoran::audio
