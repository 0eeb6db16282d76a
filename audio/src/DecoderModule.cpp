#include "Decoder.h"
#include "bass.h"

#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <vector>

namespace calvoran::audio {
namespace {

constexpr std::int64_t kMaxModuleBytes = 256LL << 20;

// Titles are kept as 8-bit text: UTF-8 code points up to U+00FF map to one byte, others to '?'.
std::string toLatin1(const char *utf8) {
    std::string out;
    for (auto *p = reinterpret_cast<const unsigned char *>(utf8); *p;) {
        unsigned cp = *p;
        int extra = cp >= 0xF0 ? 3 : cp >= 0xE0 ? 2 : cp >= 0xC0 ? 1 : 0;
        if (extra) cp &= 0x3Fu >> extra;
        ++p;
        for (; extra > 0 && (*p & 0xC0) == 0x80; --extra, ++p)
            cp = (cp << 6) | (*p & 0x3Fu);
        out.push_back(extra == 0 && cp <= 0xFF ? static_cast<char>(cp) : '?');
    }
    return out;
}

class ModuleDecoder final : public Decoder {
public:
    ModuleDecoder(openmpt_module *module, int rate) : module_(module), rate_(rate) {
        const double seconds = openmpt_module_get_duration_seconds(module_);
        length_ = std::isfinite(seconds) && seconds > 0
                      ? static_cast<std::uint64_t>(std::llround(seconds * rate))
                      : 0;
        orders_ = openmpt_module_get_num_orders(module_);
        const char *title = openmpt_module_get_metadata(module_, "title");
        if (title) {
            title_ = toLatin1(title);
            openmpt_free_string(title);
        }
    }
    ~ModuleDecoder() override { openmpt_module_destroy(module_); }
    ModuleDecoder(const ModuleDecoder &) = delete;
    ModuleDecoder &operator=(const ModuleDecoder &) = delete;

    int rate() const override { return rate_; }
    int channels() const override { return 2; }
    std::uint64_t length() const override { return length_; }
    int orderCount() const override { return orders_; }
    std::string title() const override { return title_; }

    std::size_t read(float *out, std::size_t frames) override {
        std::size_t done = 0;
        while (done < frames) {
            const std::size_t got =
                openmpt_module_read_interleaved_float_stereo(module_, rate_, frames - done, out + 2 * done);
            if (got == 0) break;
            done += got;
        }
        return done;
    }

    bool seek(std::uint64_t frame) override {
        if (frame > length_) return false;
        openmpt_module_set_position_seconds(module_, static_cast<double>(frame) / rate_);
        return true;
    }

private:
    openmpt_module *module_;
    int rate_;
    std::uint64_t length_ = 0;
    int orders_ = 0;
    std::string title_;
};

} // namespace

bool probeModule(Source &source) {
    std::vector<unsigned char> head(
        std::max<std::size_t>(openmpt_probe_file_header_get_recommended_size(), 65536));
    if (!source.seek(0)) return false;
    std::size_t got = 0;
    while (got < head.size()) {
        const long n = source.read(head.data() + got, head.size() - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    source.seek(0);
    if (got == 0) return false;
    // Audio streams are never taken for modules, whatever libopenmpt's heuristics think.
    std::size_t mpegStart = 0;
    if (detectStream(head.data(), got, mpegStart) != StreamKind::Unknown) return false;
    const std::int64_t size = source.size();
    const std::size_t recommended = openmpt_probe_file_header_get_recommended_size();
    const int result = openmpt_probe_file_header(
        OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, head.data(), std::min(got, recommended),
        size < 0 ? got : static_cast<std::uint64_t>(size), openmpt_log_func_silent, nullptr,
        openmpt_error_func_ignore, nullptr, nullptr, nullptr);
    return result == OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS;
}

std::unique_ptr<Decoder> openModuleDecoder(Source &source, int rate, int &error) {
    const std::int64_t size = source.size();
    if (size <= 0 || size > kMaxModuleBytes || !source.seek(0)) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    std::vector<unsigned char> data(static_cast<std::size_t>(size));
    std::size_t got = 0;
    while (got < data.size()) {
        const long n = source.read(data.data() + got, data.size() - got);
        if (n < 0) {
            error = BASS_ERROR_FILEOPEN;
            return nullptr;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    int code = 0;
    openmpt_module *module =
        openmpt_module_create_from_memory2(data.data(), got, openmpt_log_func_silent, nullptr,
                                           openmpt_error_func_ignore, nullptr, &code, nullptr, nullptr);
    if (!module) {
        error = code == OPENMPT_ERROR_OUT_OF_MEMORY ? BASS_ERROR_MEM : BASS_ERROR_FILEFORM;
        return nullptr;
    }
    return std::make_unique<ModuleDecoder>(module, rate);
}

} // namespace calvoran::audio
