#include "Decoder.h"
#include "bass.h"

#include <mpg123.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace calvoran::audio {
namespace {

// Without a frame-count header the whole file is read for its length; up to this size that happens
// while opening, larger files get an estimate that a worker refines.
constexpr std::int64_t kScanWhileOpening = 1024 * 1024;

ssize_t readCallback(void *handle, void *buffer, size_t bytes) {
    return static_cast<Source *>(handle)->read(buffer, bytes);
}

off_t seekCallback(void *handle, off_t offset, int whence) {
    auto *source = static_cast<Source *>(handle);
    std::int64_t target = offset;
    if (whence == SEEK_CUR) target += source->tell();
    if (whence == SEEK_END) {
        if (source->size() < 0) return -1;
        target += source->size();
    }
    return source->seek(target) ? static_cast<off_t>(target) : off_t{-1};
}

// A reader that fails once `stop` is set, so a worker reading through it ends soon after being told.
class StoppableSource final : public Source {
public:
    StoppableSource(std::unique_ptr<Source> inner, const std::atomic<bool> &stop)
        : inner_(std::move(inner)), stop_(stop) {}
    long read(void *buffer, std::size_t bytes) override {
        return stop_.load(std::memory_order_relaxed) ? -1 : inner_->read(buffer, bytes);
    }
    bool seek(std::int64_t position) override { return !stop_.load() && inner_->seek(position); }
    std::int64_t tell() const override { return inner_->tell(); }
    std::int64_t size() const override { return inner_->size(); }

private:
    std::unique_ptr<Source> inner_;
    const std::atomic<bool> &stop_;
};

// True when the first frame is a Xing/Info or VBRI header that counts the frames of the file: then
// mpg123 knows the exact length (less the encoder delay and padding of a LAME tag) without a scan.
bool hasFrameCountHeader(Source &source) {
    unsigned char frame[192] = {};
    const long got = source.read(frame, sizeof frame);
    source.seek(0);
    if (got < 4 || frame[0] != 0xFF || (frame[1] & 0xE0) != 0xE0 || ((frame[1] >> 1) & 3) != 1) return false;
    const bool mpeg1 = ((frame[1] >> 3) & 3) == 3;
    const bool mono = ((frame[3] >> 6) & 3) == 3;
    const long xing = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    const auto be32 = [&](long at) {
        return (std::uint32_t{frame[at]} << 24) | (std::uint32_t{frame[at + 1]} << 16) |
               (std::uint32_t{frame[at + 2]} << 8) | frame[at + 3];
    };
    if (got >= xing + 12 &&
        (std::memcmp(frame + xing, "Xing", 4) == 0 || std::memcmp(frame + xing, "Info", 4) == 0))
        return (be32(xing + 4) & 1) != 0 && be32(xing + 8) > 0;
    constexpr long vbri = 4 + 32;
    return got >= vbri + 18 && std::memcmp(frame + vbri, "VBRI", 4) == 0 && be32(vbri + 14) > 0;
}

mpg123_handle *newHandle(bool forOutput) {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
    int rc = MPG123_OK;
    mpg123_handle *handle = mpg123_new(nullptr, &rc);
    if (!handle) return nullptr;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    // Never guess a position from the header's table of contents: seeks read forward from the nearest
    // indexed frame, so they land on the exact sample.
    mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_FUZZY, 0.0);
    if (!forOutput) return handle;
    // After a seek the bit reservoir may reach back several small VBR frames; decode enough of them
    // first that the samples match an uninterrupted decode.
    mpg123_param(handle, MPG123_PREFRAMES, 10, 0.0);
    // 16-bit output: faster than mpg123's float synthesis and the same samples its own tools write.
    mpg123_format_none(handle);
    long const *rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return handle;
}

bool openOn(mpg123_handle *handle, Source *source) {
    return mpg123_replace_reader_handle(handle, readCallback, seekCallback, nullptr) == MPG123_OK &&
           mpg123_open_handle(handle, source) == MPG123_OK;
}

class MpegDecoder final : public Decoder {
public:
    MpegDecoder(mpg123_handle *handle, std::unique_ptr<Source> source, int rate, int channels,
                std::uint64_t length)
        : handle_(handle), source_(std::move(source)), rate_(rate), channels_(channels), length_(length) {}
    ~MpegDecoder() override {
        stop_.store(true);
        if (indexer_.joinable()) indexer_.join();
        mpg123_close(handle_);
        mpg123_delete(handle_);
    }
    MpegDecoder(const MpegDecoder &) = delete;
    MpegDecoder &operator=(const MpegDecoder &) = delete;

    int rate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::uint64_t length() const override { return length_.load(std::memory_order_acquire); }

    // Reads every frame header once on a worker of its own, through a second reader: the frame index
    // that makes seeks cheap, and the exact length when `refineLength`. Until it is ready, mpg123 reads
    // forward from the frames it has already seen, which is exact but slower. False when the bytes
    // cannot be read twice.
    bool startIndexing(bool refineLength, std::unique_ptr<Source> copy = nullptr) {
        if (indexStarted_) return true;
        if (!copy) copy = source_->clone();
        if (!copy) return false;
        indexStarted_ = true;
        indexer_ = std::thread([this, refineLength, reader = std::move(copy)]() mutable {
            StoppableSource source(std::move(reader), stop_);
            mpg123_handle *scan = newHandle(false);
            if (!scan) return;
            if (openOn(scan, &source) && mpg123_scan(scan) == MPG123_OK && !stop_.load()) {
                off_t *offsets = nullptr;
                off_t step = 0;
                size_t fill = 0;
                const off_t total = mpg123_length(scan);
                if (mpg123_index(scan, &offsets, &step, &fill) == MPG123_OK && fill > 0 && step > 0) {
                    std::lock_guard guard(indexMutex_);
                    index_.assign(offsets, offsets + fill);
                    indexStep_ = step;
                    indexReady_.store(true, std::memory_order_release);
                }
                if (refineLength && total >= 0) length_.store(static_cast<std::uint64_t>(total));
            }
            mpg123_close(scan);
            mpg123_delete(scan);
        });
        return true;
    }
    void indexWhenPlayed() { indexOnUse_ = true; }

    std::size_t read(float *out, std::size_t frames) override {
        useIndex();
        const std::size_t frameBytes = sizeof(std::int16_t) * static_cast<std::size_t>(channels_);
        if (pcm_.size() < frames * static_cast<std::size_t>(channels_))
            pcm_.resize(frames * static_cast<std::size_t>(channels_));
        std::size_t done = 0;
        while (done < frames && !ended_) {
            size_t got = 0;
            const int rc =
                mpg123_read(handle_, reinterpret_cast<unsigned char *>(pcm_.data() + done * channels_),
                            (frames - done) * frameBytes, &got);
            done += got / frameBytes;
            if (rc == MPG123_NEW_FORMAT) {
                long rate = 0;
                int channels = 0;
                int encoding = 0;
                mpg123_getformat(handle_, &rate, &channels, &encoding);
                // A change of format mid-stream is treated as the end of the stream.
                if (rate != rate_ || channels != channels_) ended_ = true;
                continue;
            }
            if (rc == MPG123_OK) {
                // Guard against a decoder that keeps returning nothing.
                if (got > 0)
                    emptyReads_ = 0;
                else if (++emptyReads_ > 64)
                    ended_ = true;
                continue;
            }
            ended_ = true; // the end, or damage mpg123 cannot get past
        }
        for (std::size_t i = 0; i < done * static_cast<std::size_t>(channels_); ++i)
            out[i] = static_cast<float>(pcm_[i]) * (1.0f / 32768.0f);
        return done;
    }

    bool seek(std::uint64_t frame) override {
        useIndex();
        const std::uint64_t known = length();
        if (known != kUnknownLength && frame > known) return false;
        const off_t at = mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET);
        if (at < 0) return false;
        ended_ = false;
        emptyReads_ = 0;
        return true;
    }

private:
    // Decoding side: starts the worker on first use, and hands its index to mpg123 once it is ready.
    void useIndex() {
        if (indexOnUse_ && !indexStarted_) startIndexing(false);
        if (indexApplied_ || !indexReady_.load(std::memory_order_acquire)) return;
        std::lock_guard guard(indexMutex_);
        mpg123_set_index(handle_, index_.data(), indexStep_, index_.size());
        indexApplied_ = true;
        index_ = {};
    }

    mpg123_handle *handle_;
    std::unique_ptr<Source> source_;
    int rate_;
    int channels_;
    std::atomic<std::uint64_t> length_;
    bool ended_ = false;
    int emptyReads_ = 0;
    std::vector<std::int16_t> pcm_;

    bool indexOnUse_ = false;
    bool indexStarted_ = false;
    bool indexApplied_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<bool> indexReady_{false};
    std::mutex indexMutex_;
    std::vector<off_t> index_;
    off_t indexStep_ = 1;
    std::thread indexer_;
};

} // namespace

std::unique_ptr<Decoder> openMpegDecoder(std::unique_ptr<Source> source, int &error) {
    mpg123_handle *handle = newHandle(true);
    if (!handle) {
        error = BASS_ERROR_MEM;
        return nullptr;
    }
    const bool counted = hasFrameCountHeader(*source);
    if (!openOn(handle, source.get())) {
        mpg123_delete(handle);
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    const auto refuse = [&] {
        mpg123_close(handle);
        mpg123_delete(handle);
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    };
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels < 1 ||
        channels > 2)
        return refuse();
    // A small file without a frame count is scanned at once: reading it whole costs little and gives the
    // exact length and the frame index straight away.
    const std::int64_t bytes = source->size();
    std::unique_ptr<Source> second;
    if (!counted && bytes > kScanWhileOpening) second = source->clone();
    // Bytes that cannot be read twice are measured here, however large.
    const bool scanNow = !counted && !second;
    if (scanNow && mpg123_scan(handle) != MPG123_OK) return refuse();
    const off_t length = mpg123_length(handle);
    if (scanNow) mpg123_seek(handle, 0, SEEK_SET);
    auto decoder = std::make_unique<MpegDecoder>(handle, std::move(source), static_cast<int>(rate), channels,
                                                 length < 0 ? Decoder::kUnknownLength
                                                            : static_cast<std::uint64_t>(length));
    if (counted) decoder->indexWhenPlayed();
    if (second) decoder->startIndexing(true, std::move(second));
    return decoder;
}

} // namespace calvoran::audio
