// The C entry points for internet streams and library options.
#include "Channel.h"
#include "Icy.h"
#include "Library.h"
#include "NetDecoder.h"
#include "NetStream.h"
#include "bass.h"

#include <atomic>
#include <new>

using namespace calvoran::audio;

namespace {

std::atomic<int> g_netTimeoutMs{10000};

} // namespace

extern "C" {

HSTREAM BASS_StreamCreateURL(const char *url, DWORD offset, DWORD flags, BASS_DOWNLOADPROC *proc,
                             void *user) try {
    if (currentOutputRate() == 0) {
        setError(BASS_ERROR_INIT);
        return 0;
    }
    if (!url || !isHttpAddress(url)) {
        setError(BASS_ERROR_ILLPARAM);
        return 0;
    }
    NetStream::Options options;
    options.url = url;
    options.offset = offset;
    options.proc = proc;
    options.user = user;
    options.timeoutMs = g_netTimeoutMs.load();
    const auto deadline = NetStream::Clock::now() + std::chrono::milliseconds(options.timeoutMs);
    auto stream = std::make_shared<NetStream>(std::move(options));
    stream->start();
    int error = BASS_ERROR_UNKNOWN;
    auto decoder = openNetDecoder(stream, (flags & BASS_STREAM_DECODE) != 0, deadline, error);
    if (!decoder) {
        stream->stop();
        setError(error);
        return 0;
    }
    stream->accept();
    return registerStream(std::move(decoder), flags);
} catch (const std::bad_alloc &) {
    // Nothing may escape into a C caller; a thread that cannot start is a failed open too.
    setError(BASS_ERROR_MEM);
    return 0;
} catch (...) {
    setError(BASS_ERROR_UNKNOWN);
    return 0;
}

const char *BASS_StreamGetTags(HSTREAM handle, DWORD tags) try {
    const auto found = findStream(handle);
    if (!found) return nullptr;
    StreamTags *source = found->streamTags();
    const char *text = source ? source->tags(static_cast<int>(tags)) : nullptr;
    setError(text ? BASS_OK : BASS_ERROR_NOTAVAIL);
    return text;
} catch (...) {
    setError(BASS_ERROR_MEM);
    return nullptr;
}

BOOL BASS_SetConfig(DWORD option, DWORD value) {
    if (option != BASS_CONFIG_NET_TIMEOUT || value < 1 || value > 600000) {
        setError(BASS_ERROR_ILLPARAM);
        return FALSE;
    }
    g_netTimeoutMs.store(static_cast<int>(value));
    setError(BASS_OK);
    return TRUE;
}

DWORD BASS_GetConfig(DWORD option) {
    if (option == BASS_CONFIG_BUFFER) {
        setError(BASS_OK);
        return static_cast<DWORD>(calvoran::audio::decodeAheadMs());
    }
    if (option != BASS_CONFIG_NET_TIMEOUT) {
        setError(BASS_ERROR_ILLPARAM);
        return ~DWORD{0};
    }
    setError(BASS_OK);
    return static_cast<DWORD>(g_netTimeoutMs.load());
}

} // extern "C"
