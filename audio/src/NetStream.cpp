#include "NetStream.h"

#include "Icy.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace calvoran::audio {
namespace {

constexpr int kMaxRedirects = 5;
constexpr int kMaxPlaylistHops = 3;
constexpr int kReconnectTries = 5;
constexpr std::size_t kMaxHeaderLines = 100;
constexpr std::size_t kMaxHeaderBytes = 16 * 1024;
constexpr std::size_t kMaxPlaylistBytes = 64 * 1024;
constexpr std::size_t kSniffBytes = 16;
constexpr auto kPoll = std::chrono::milliseconds(50);

const char *userAgent() {
    return "Calvoran Player/" CALVORAN_VERSION_TEXT;
}

// The user's proxy exceptions, and this machine always: a station on loopback never goes through a proxy.
std::string noProxy() {
    const char *env = std::getenv("no_proxy");
    if (!env || !*env) env = std::getenv("NO_PROXY");
    std::string list = env && *env ? std::string(env) + "," : std::string();
    return list + "localhost,127.0.0.1,::1";
}

void globalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int errorFor(CURLcode code) {
    switch (code) {
    case CURLE_URL_MALFORMAT:
        return BASS_ERROR_ILLPARAM;
    case CURLE_OPERATION_TIMEDOUT:
        return BASS_ERROR_TIMEOUT;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_USE_SSL_FAILED:
        return BASS_ERROR_SSL;
    case CURLE_HTTP_RETURNED_ERROR:
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL: // a status line that is neither HTTP nor "ICY 200"
    case CURLE_OUT_OF_MEMORY:        // libcurl's answer to a header line it will not hold
        return BASS_ERROR_HTTP;
    default:
        return BASS_ERROR_NONET;
    }
}

} // namespace

// State of one HTTP connection, touched only by the download thread (inside libcurl's callbacks).
struct NetStream::Transfer {
    NetStream *owner = nullptr;
    CURL *easy = nullptr;
    std::string url;
    std::vector<std::string> lines; // of the response being received
    std::size_t headerBytes = 0;
    bool committed = false;
    bool tooLarge = false;
    bool playlist = false;
    bool sniffed = false;
    std::string body; // the first bytes, or a whole playlist
    IcySplitter splitter;
    bool gotAudio = false;
    Clock::time_point lastData = Clock::now();

    void commit() {
        committed = true;
        splitter = IcySplitter(parseMetaint(headerValue(lines, "icy-metaint")));
        owner->setHeaders(lines);
    }

    // Audio bytes after the metadata is split out.
    void audio(const unsigned char *data, std::size_t size) {
        gotAudio = true;
        owner->push(data, size);
        if (owner->options_.proc) owner->options_.proc(data, static_cast<DWORD>(size), owner->options_.user);
    }

    void consume(const unsigned char *data, std::size_t size) {
        splitter.feed(
            data, size, [this](const unsigned char *a, std::size_t n) { audio(a, n); },
            [this](std::string text) { owner->setMeta(std::move(text)); });
    }

    static size_t onHeader(char *data, size_t size, size_t count, void *self) {
        auto *t = static_cast<Transfer *>(self);
        const std::size_t bytes = size * count;
        t->lastData = Clock::now();
        std::string line(data, bytes);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (isStatusLine(line)) { // each response of a redirect chain starts anew
            t->lines.clear();
            t->headerBytes = 0;
            t->committed = false;
        }
        t->headerBytes += bytes;
        if (t->headerBytes > kMaxHeaderBytes || t->lines.size() >= kMaxHeaderLines) {
            t->tooLarge = true;
            return 0;
        }
        if (!line.empty()) {
            t->lines.push_back(std::move(line));
        } else {
            long code = 0;
            curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &code);
            if (code >= 200 && code < 300) t->commit();
        }
        return bytes;
    }

    static size_t onBody(char *data, size_t size, size_t count, void *self) {
        auto *t = static_cast<Transfer *>(self);
        const std::size_t bytes = size * count;
        const auto *p = reinterpret_cast<const unsigned char *>(data);
        if (t->owner->abort_.load()) return 0;
        if (!t->committed) t->commit();
        if (!t->sniffed) {
            // The first bytes tell a station playlist from audio when the address and type did not.
            t->body.assign(data, std::min(bytes, kSniffBytes));
            t->sniffed = true;
            char *type = nullptr;
            curl_easy_getinfo(t->easy, CURLINFO_CONTENT_TYPE, &type);
            t->playlist = looksLikePlaylist(t->url, type ? type : "", t->body);
            if (t->playlist) t->body.clear();
        }
        if (t->playlist) {
            if (t->body.size() + bytes > kMaxPlaylistBytes) return 0;
            t->body.append(data, bytes);
            t->lastData = Clock::now();
            return bytes;
        }
        // Without room for the whole block, libcurl keeps it and hands it over again after the pause.
        if (t->owner->room() < bytes) {
            t->owner->paused_.store(true);
            return CURL_WRITEFUNC_PAUSE;
        }
        t->lastData = Clock::now();
        t->consume(p, bytes);
        return bytes;
    }
};

NetStream::NetStream(Options options) : options_(std::move(options)), ring_(kBufferBytes) {}

NetStream::~NetStream() {
    stop();
}

void NetStream::start() {
    globalInit();
    thread_ = std::thread([this] { run(); });
}

void NetStream::stop() {
    abort_.store(true);
    {
        std::lock_guard guard(lock_);
        changed_.notify_all();
    }
    wakeDownloader();
    if (thread_.joinable()) thread_.join();
}

void NetStream::wakeDownloader() {
    std::lock_guard guard(multiLock_);
    if (multi_) curl_multi_wakeup(static_cast<CURLM *>(multi_));
}

std::size_t NetStream::room() const {
    std::lock_guard guard(lock_);
    return ring_.size() - size_;
}

void NetStream::push(const unsigned char *data, std::size_t size) {
    std::lock_guard guard(lock_);
    size = std::min(size, ring_.size() - size_);
    std::size_t at = (head_ + size_) % ring_.size();
    for (std::size_t done = 0; done < size;) {
        const std::size_t n = std::min(size - done, ring_.size() - at);
        std::memcpy(ring_.data() + at, data + done, n);
        done += n;
        at = (at + n) % ring_.size();
    }
    size_ += size;
    changed_.notify_all();
}

std::size_t NetStream::take(void *buffer, std::size_t bytes) {
    std::size_t n;
    {
        std::lock_guard guard(lock_);
        n = std::min(bytes, size_);
        auto *out = static_cast<unsigned char *>(buffer);
        for (std::size_t done = 0; done < n;) {
            const std::size_t piece = std::min(n - done, ring_.size() - head_);
            std::memcpy(out + done, ring_.data() + head_, piece);
            done += piece;
            head_ = (head_ + piece) % ring_.size();
        }
        size_ -= n;
    }
    if (n > 0 && paused_.load()) wakeDownloader();
    return n;
}

std::size_t NetStream::takeUntil(void *buffer, std::size_t bytes, Clock::time_point deadline) {
    {
        std::unique_lock guard(lock_);
        changed_.wait_until(guard, deadline, [&] { return size_ > 0 || ended_ || abort_.load(); });
    }
    return take(buffer, bytes);
}

std::size_t NetStream::peekUntil(void *buffer, std::size_t bytes, Clock::time_point deadline) {
    std::unique_lock guard(lock_);
    bytes = std::min(bytes, ring_.size());
    changed_.wait_until(guard, deadline, [&] { return size_ >= bytes || ended_ || abort_.load(); });
    const std::size_t n = std::min(bytes, size_);
    auto *out = static_cast<unsigned char *>(buffer);
    for (std::size_t done = 0, at = head_; done < n;) {
        const std::size_t piece = std::min(n - done, ring_.size() - at);
        std::memcpy(out + done, ring_.data() + at, piece);
        done += piece;
        at = (at + piece) % ring_.size();
    }
    return n;
}

bool NetStream::finished() const {
    std::lock_guard guard(lock_);
    return (ended_ || abort_.load()) && size_ == 0;
}

bool NetStream::downloadEnded() const {
    std::lock_guard guard(lock_);
    return ended_;
}

int NetStream::error() const {
    std::lock_guard guard(lock_);
    return error_;
}

void NetStream::setHeaders(std::vector<std::string> lines) {
    std::lock_guard guard(lock_);
    headers_ = std::move(lines);
}

void NetStream::setMeta(std::string text) {
    std::lock_guard guard(lock_);
    meta_ = std::move(text);
    hasMeta_ = true;
}

const char *NetStream::tags(int kind) {
    std::lock_guard guard(lock_);
    if (kind == BASS_TAG_ICY) {
        if (headers_.empty()) return nullptr;
        std::string &out = snapshot_[0];
        out.clear();
        for (const std::string &line : headers_) {
            out += line;
            out += '\0';
        }
        out += '\0';
        return out.c_str();
    }
    if (kind == BASS_TAG_META && hasMeta_) {
        snapshot_[1] = meta_;
        return snapshot_[1].c_str();
    }
    return nullptr;
}

bool NetStream::pauseFor(std::chrono::milliseconds pause) {
    std::unique_lock guard(lock_);
    return !changed_.wait_for(guard, pause, [&] { return abort_.load(); });
}

NetStream::Outcome NetStream::transfer(const std::string &url, std::uint64_t offset, std::string &next,
                                       int &error, bool &gotAudio) {
    Transfer t;
    t.owner = this;
    t.url = url;
    CURL *easy = curl_easy_init();
    CURLM *multi = curl_multi_init();
    if (!easy || !multi) {
        if (easy) curl_easy_cleanup(easy);
        if (multi) curl_multi_cleanup(multi);
        error = BASS_ERROR_MEM;
        return Outcome::Failed;
    }
    t.easy = easy;
    curl_slist *headers = curl_slist_append(nullptr, "Icy-MetaData: 1");
    curl_slist *aliases = curl_slist_append(nullptr, "ICY 200");
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects));
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_HTTP200ALIASES, aliases);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent());
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // Freeing a stream never waits for a name look-up that hangs.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    const std::string exceptions = noProxy();
    curl_easy_setopt(easy, CURLOPT_NOPROXY, exceptions.c_str());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options_.timeoutMs));
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 16384L);
    if (offset > 0) curl_easy_setopt(easy, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(offset));
    curl_multi_add_handle(multi, easy);
    {
        std::lock_guard guard(multiLock_);
        multi_ = multi;
    }

    bool stale = false;
    const auto timeout = std::chrono::milliseconds(options_.timeoutMs);
    t.lastData = Clock::now();
    for (;;) {
        int running = 0;
        curl_multi_perform(multi, &running);
        if (running == 0 || abort_.load()) break;
        if (paused_.load() && room() >= 2 * 16384) {
            paused_.store(false);
            t.lastData = Clock::now();
            curl_easy_pause(easy, CURLPAUSE_CONT);
            continue;
        }
        // A server that goes quiet is a dropped connection (time spent waiting for room does not count).
        if (!paused_.load() && Clock::now() - t.lastData > timeout) {
            stale = true;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, static_cast<int>(kPoll.count()), nullptr);
    }
    CURLcode code = CURLE_OK;
    bool done = false;
    int left = 0;
    while (CURLMsg *msg = curl_multi_info_read(multi, &left)) {
        if (msg->msg == CURLMSG_DONE) {
            code = msg->data.result;
            done = true;
        }
    }
    curl_off_t length = -1;
    curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    {
        std::lock_guard guard(multiLock_);
        multi_ = nullptr;
    }
    curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);
    curl_multi_cleanup(multi);
    curl_slist_free_all(headers);
    curl_slist_free_all(aliases);
    paused_.store(false);

    gotAudio = t.gotAudio;
    if (abort_.load()) return Outcome::Aborted;
    if (t.playlist) {
        next = done && code == CURLE_OK ? firstStreamAddress(t.body) : std::string();
        if (!next.empty()) return Outcome::Playlist;
        error = BASS_ERROR_FILEFORM;
        return Outcome::Failed;
    }
    if (t.tooLarge) {
        error = BASS_ERROR_HTTP;
        return Outcome::Failed;
    }
    if (stale) {
        error = BASS_ERROR_TIMEOUT;
        return t.gotAudio ? Outcome::Dropped : Outcome::Failed;
    }
    if (done && code == CURLE_OK) {
        // A body of announced length is a file that has ended; a station that closes has dropped.
        if (length >= 0) return Outcome::Complete;
        return t.gotAudio ? Outcome::Dropped : Outcome::Complete;
    }
    error = errorFor(code);
    return t.gotAudio ? Outcome::Dropped : Outcome::Failed;
}

void NetStream::run() {
    std::string url = options_.url;
    std::uint64_t offset = options_.offset;
    int hops = 0;
    int tries = 0;
    bool everAudio = false;
    int failure = BASS_OK;
    while (!abort_.load()) {
        std::string next;
        int error = BASS_OK;
        bool gotAudio = false;
        const Outcome outcome = transfer(url, offset, next, error, gotAudio);
        if (outcome == Outcome::Aborted) break;
        if (outcome == Outcome::Playlist) {
            if (++hops > kMaxPlaylistHops) {
                failure = BASS_ERROR_HTTP;
                break;
            }
            url = next;
            continue;
        }
        everAudio = everAudio || gotAudio;
        if (gotAudio) tries = 0;
        if (outcome == Outcome::Complete) break;
        // Only a station that has already sent audio is worth calling back.
        if (!everAudio) {
            failure = error == BASS_OK ? BASS_ERROR_NONET : error;
            break;
        }
        if (++tries > kReconnectTries) break;
        offset = 0;
        const auto pause = std::min(std::chrono::milliseconds(options_.timeoutMs),
                                    std::chrono::milliseconds(125) * (1 << tries));
        if (!pauseFor(pause)) break;
    }
    {
        std::lock_guard guard(lock_);
        ended_ = true;
        if (!everAudio && failure == BASS_OK && !abort_.load()) failure = BASS_ERROR_FILEFORM;
        error_ = failure;
        changed_.notify_all();
    }
    if (options_.proc) options_.proc(nullptr, 0, options_.user);
}

} // namespace calvoran::audio
