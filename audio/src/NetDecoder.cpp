#include "NetDecoder.h"

#include "bass.h"

#include <mpg123.h>
#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <cstring>
#include <vector>

namespace calvoran::audio {
namespace {

constexpr std::size_t kProbe = 64 * 1024;
constexpr std::size_t kFeed = 16 * 1024;

// Shared by both decoders: pulls input from the stream, blocking or not.
class NetInput {
public:
    NetInput(std::shared_ptr<NetStream> stream, bool blocking)
        : stream_(std::move(stream)), blocking_(blocking) {}
    ~NetInput() { stream_->stop(); }
    NetInput(const NetInput &) = delete;
    NetInput &operator=(const NetInput &) = delete;

    // Bytes read; 0 with waiting() true when nothing has arrived yet, 0 with ended() at the end.
    std::size_t pull(void *buffer, std::size_t bytes) {
        std::size_t n = 0;
        if (blocking_) {
            while (n == 0 && !stream_->finished())
                n = stream_->takeUntil(buffer, bytes, NetStream::Clock::now() + std::chrono::seconds(1));
        } else {
            n = stream_->take(buffer, bytes);
        }
        waiting_ = n == 0 && !stream_->finished();
        ended_ = n == 0 && !waiting_;
        return n;
    }
    // During the open: waits until `deadline`.
    std::size_t pullUntil(void *buffer, std::size_t bytes, NetStream::Clock::time_point deadline) {
        return stream_->takeUntil(buffer, bytes, deadline);
    }
    bool waiting() const { return waiting_; }
    bool ended() const { return ended_; }
    const std::shared_ptr<NetStream> &stream() const { return stream_; }

private:
    std::shared_ptr<NetStream> stream_;
    bool blocking_;
    bool waiting_ = false;
    bool ended_ = false;
};

// Why the open failed: the stream's own failure, its end, or the deadline.
int openFailure(const NetStream &stream) {
    if (stream.error() != BASS_OK) return stream.error();
    return stream.downloadEnded() ? BASS_ERROR_FILEFORM : BASS_ERROR_TIMEOUT;
}

class NetMpegDecoder final : public Decoder {
public:
    NetMpegDecoder(std::shared_ptr<NetStream> stream, bool blocking) : input_(std::move(stream), blocking) {}
    ~NetMpegDecoder() override {
        if (handle_) {
            mpg123_close(handle_);
            mpg123_delete(handle_);
        }
    }
    NetMpegDecoder(const NetMpegDecoder &) = delete;
    NetMpegDecoder &operator=(const NetMpegDecoder &) = delete;

    bool open(NetStream::Clock::time_point deadline, int &error) {
        static std::once_flag once;
        std::call_once(once, [] { mpg123_init(); });
        int rc = MPG123_OK;
        handle_ = mpg123_new(nullptr, &rc);
        if (!handle_) {
            error = BASS_ERROR_MEM;
            return false;
        }
        mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
        mpg123_format_none(handle_);
        long const *rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i)
            mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (mpg123_open_feed(handle_) != MPG123_OK) {
            error = BASS_ERROR_MEM;
            return false;
        }
        feed_.resize(kFeed);
        // Feed until the first frame gives the format; no samples are taken yet.
        for (std::size_t fed = 0;;) {
            size_t got = 0;
            unsigned char none[4];
            rc = mpg123_read(handle_, none, 0, &got);
            if (rc == MPG123_NEW_FORMAT) break;
            if (rc != MPG123_NEED_MORE && rc != MPG123_OK) {
                error = BASS_ERROR_FILEFORM;
                return false;
            }
            const std::size_t n = input_.pullUntil(feed_.data(), feed_.size(), deadline);
            if (n == 0 || (fed += n) > 4 * kProbe) {
                error = n == 0 ? openFailure(*input_.stream()) : BASS_ERROR_FILEFORM;
                return false;
            }
            mpg123_feed(handle_, feed_.data(), n);
        }
        long rate = 0;
        int encoding = 0;
        if (mpg123_getformat(handle_, &rate, &channels_, &encoding) != MPG123_OK || rate <= 0 ||
            channels_ < 1 || channels_ > 2) {
            error = BASS_ERROR_FILEFORM;
            return false;
        }
        rate_ = static_cast<int>(rate);
        return true;
    }

    int rate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::uint64_t length() const override { return kUnknownLength; }
    bool seek(std::uint64_t frame) override { return frame == 0 && !started_; }
    bool waiting() const override { return input_.waiting() && !ended_; }
    std::shared_ptr<StreamTags> streamTags() const override { return input_.stream(); }

    std::size_t read(float *out, std::size_t frames) override {
        started_ = true;
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
            if (rc == MPG123_NEED_MORE) {
                const std::size_t n = input_.pull(feed_.data(), feed_.size());
                if (n == 0) {
                    if (input_.ended()) ended_ = true;
                    break;
                }
                mpg123_feed(handle_, feed_.data(), n);
                continue;
            }
            if (rc == MPG123_NEW_FORMAT) {
                long rate = 0;
                int channels = 0;
                int encoding = 0;
                mpg123_getformat(handle_, &rate, &channels, &encoding);
                // Another format after a reconnect cannot go on in this channel.
                if (rate != rate_ || channels != channels_) ended_ = true;
                continue;
            }
            if (rc == MPG123_OK) {
                errors_ = 0;
                continue;
            }
            // Damage in a live stream: mpg123 resyncs on the next frames; give up only on a run of errors.
            if (rc == MPG123_DONE || ++errors_ > 64) ended_ = true;
        }
        for (std::size_t i = 0; i < done * static_cast<std::size_t>(channels_); ++i)
            out[i] = static_cast<float>(pcm_[i]) * (1.0f / 32768.0f);
        return done;
    }

private:
    NetInput input_;
    mpg123_handle *handle_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    bool ended_ = false;
    bool started_ = false;
    int errors_ = 0;
    std::vector<unsigned char> feed_;
    std::vector<std::int16_t> pcm_;
};

// Ogg Vorbis from the page level, so that reading never blocks and a new chained stream (a station's
// next track) is picked up.
class NetVorbisDecoder final : public Decoder {
public:
    NetVorbisDecoder(std::shared_ptr<NetStream> stream, bool blocking) : input_(std::move(stream), blocking) {
        ogg_sync_init(&sync_);
    }
    ~NetVorbisDecoder() override {
        clearLogical();
        ogg_sync_clear(&sync_);
    }
    NetVorbisDecoder(const NetVorbisDecoder &) = delete;
    NetVorbisDecoder &operator=(const NetVorbisDecoder &) = delete;

    bool open(NetStream::Clock::time_point deadline, int &error) {
        std::size_t fed = 0;
        while (!ready_) {
            if (broken_) {
                error = BASS_ERROR_FILEFORM;
                return false;
            }
            if (step()) continue;
            char *buffer = ogg_sync_buffer(&sync_, static_cast<long>(kFeed));
            const std::size_t n = input_.pullUntil(buffer, kFeed, deadline);
            if (n == 0 || (fed += n) > 4 * kProbe) {
                error = n == 0 ? openFailure(*input_.stream()) : BASS_ERROR_FILEFORM;
                return false;
            }
            ogg_sync_wrote(&sync_, static_cast<long>(n));
        }
        rate_ = static_cast<int>(info_.rate);
        channels_ = info_.channels;
        if (rate_ < 1000 || rate_ > 384000 || channels_ < 1 || channels_ > 8) {
            error = BASS_ERROR_FILEFORM;
            return false;
        }
        return true;
    }

    int rate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::uint64_t length() const override { return kUnknownLength; }
    bool seek(std::uint64_t frame) override { return frame == 0 && !started_; }
    bool waiting() const override { return input_.waiting() && !ended_; }
    std::shared_ptr<StreamTags> streamTags() const override { return input_.stream(); }

    std::size_t read(float *out, std::size_t frames) override {
        started_ = true;
        std::size_t done = 0;
        while (done < frames && !ended_) {
            if (ready_) {
                float **pcm = nullptr;
                const int avail = vorbis_synthesis_pcmout(&dsp_, &pcm);
                if (avail > 0) {
                    const auto n = std::min<std::size_t>(frames - done, static_cast<std::size_t>(avail));
                    for (std::size_t i = 0; i < n; ++i)
                        for (int c = 0; c < channels_; ++c)
                            out[(done + i) * static_cast<std::size_t>(channels_) +
                                static_cast<std::size_t>(c)] = pcm[c][i];
                    vorbis_synthesis_read(&dsp_, static_cast<int>(n));
                    done += n;
                    continue;
                }
            }
            if (broken_) {
                ended_ = true;
                break;
            }
            if (step()) continue;
            char *buffer = ogg_sync_buffer(&sync_, static_cast<long>(kFeed));
            const std::size_t n = input_.pull(buffer, kFeed);
            if (n == 0) {
                if (input_.ended()) ended_ = true;
                break;
            }
            ogg_sync_wrote(&sync_, static_cast<long>(n));
        }
        return done;
    }

private:
    void clearLogical() {
        if (ready_) {
            vorbis_block_clear(&block_);
            vorbis_dsp_clear(&dsp_);
        }
        if (haveStream_) {
            ogg_stream_clear(&stream_);
            vorbis_comment_clear(&comment_);
            vorbis_info_clear(&info_);
        }
        ready_ = false;
        haveStream_ = false;
        headers_ = 0;
    }

    // One packet or page of progress; false when more input is needed.
    bool step() {
        if (haveStream_) {
            ogg_packet packet;
            const int rc = ogg_stream_packetout(&stream_, &packet);
            if (rc == 1) {
                handlePacket(packet);
                return true;
            }
        }
        ogg_page page;
        const int rc = ogg_sync_pageout(&sync_, &page);
        if (rc == 0) return false;
        if (rc < 0) return true; // skipped garbage
        if (ogg_page_bos(&page)) {
            // The next logical stream of a chain: new headers follow.
            if (ready_) {
                pendingChannels_ = channels_;
                pendingRate_ = rate_;
            }
            clearLogical();
            ogg_stream_init(&stream_, ogg_page_serialno(&page));
            vorbis_info_init(&info_);
            vorbis_comment_init(&comment_);
            haveStream_ = true;
        }
        if (haveStream_) ogg_stream_pagein(&stream_, &page);
        return true;
    }

    void handlePacket(ogg_packet &packet) {
        if (headers_ < 3) {
            if (vorbis_synthesis_headerin(&info_, &comment_, &packet) < 0) {
                broken_ = true;
                return;
            }
            if (++headers_ == 3) {
                if (pendingRate_ != 0 && (info_.rate != pendingRate_ || info_.channels != pendingChannels_)) {
                    broken_ = true; // another layout cannot go on in this channel
                    return;
                }
                vorbis_synthesis_init(&dsp_, &info_);
                vorbis_block_init(&dsp_, &block_);
                ready_ = true;
            }
            return;
        }
        if (vorbis_synthesis(&block_, &packet) == 0) vorbis_synthesis_blockin(&dsp_, &block_);
    }

    NetInput input_;
    ogg_sync_state sync_{};
    ogg_stream_state stream_{};
    vorbis_info info_{};
    vorbis_comment comment_{};
    vorbis_dsp_state dsp_{};
    vorbis_block block_{};
    bool haveStream_ = false;
    bool ready_ = false;
    bool broken_ = false;
    int headers_ = 0;
    long pendingRate_ = 0;
    int pendingChannels_ = 0;
    int rate_ = 0;
    int channels_ = 0;
    bool ended_ = false;
    bool started_ = false;
};

} // namespace

std::unique_ptr<Decoder> openNetDecoder(std::shared_ptr<NetStream> stream, bool blocking,
                                        NetStream::Clock::time_point deadline, int &error) {
    // Look at the first bytes until they name a format, without taking them.
    std::vector<unsigned char> head(kProbe);
    StreamKind kind = StreamKind::Unknown;
    for (std::size_t want = 4;;) {
        const std::size_t got = stream->peekUntil(head.data(), want, deadline);
        if (got >= 4 && std::memcmp(head.data(), "OggS", 4) == 0) {
            kind = StreamKind::Ogg;
            break;
        }
        std::size_t mpegStart = 0;
        if (got >= 4 && detectStream(head.data(), got, mpegStart) == StreamKind::Mpeg) {
            kind = StreamKind::Mpeg;
            break;
        }
        if (got < want) { // the end, a failure or the deadline
            error = stream->error() != BASS_OK ? stream->error()
                    : stream->downloadEnded()  ? BASS_ERROR_FILEFORM
                                               : BASS_ERROR_TIMEOUT;
            stream->stop();
            return nullptr;
        }
        if (got >= kProbe) {
            error = BASS_ERROR_FILEFORM;
            stream->stop();
            return nullptr;
        }
        want = std::min(kProbe, got * 2);
    }
    if (kind == StreamKind::Ogg) {
        auto decoder = std::make_unique<NetVorbisDecoder>(std::move(stream), blocking);
        if (!decoder->open(deadline, error)) return nullptr;
        return decoder;
    }
    auto decoder = std::make_unique<NetMpegDecoder>(std::move(stream), blocking);
    if (!decoder->open(deadline, error)) return nullptr;
    return decoder;
}

} // namespace calvoran::audio
