#include "mFileScan.h"

#include "Wildcard.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <dirent.h>
#include <mutex>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace calvoran {

constexpr qint64 kInlineBudgetMs = 8;
constexpr int kInlineBudgetCount = 32;
constexpr std::chrono::microseconds kInlineWait{1000};
// A few microseconds of looking: giving the processor away instead (yield) loses a whole time slice
// on a busy machine.
constexpr int kSpins = 400;
constexpr qsizetype kBatch = 64;
// Longest a found name waits in the worker before it is handed over (and so shown).
constexpr std::chrono::milliseconds kHoldFound{15};

inline void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// What the worker and the component share. The component may go away while the worker runs; the
// worker then stops at once and hands nothing more over, and notifications still queued find no
// component and do nothing.
struct SearchHandOver : std::enable_shared_from_this<SearchHandOver> {
    // The matches of one listing travel together; each still gets its own handler call, in order, and
    // the worker waits for all of them.
    struct Notification {
        bool end = false;
        QStringList fileNames;
    };

    // Runs a notification on the user-interface thread and waits until it has been handled there.
    // False when the component has gone away (nothing more may be handed over).
    bool handOver(Notification notification) {
        std::unique_lock lock(mutex);
        if (detached || !app) return false;
        const uint64_t seq = ++posted;
        pending = std::move(notification);
        hasPending = true;
        if (uiWaiting)
            cv.notify_all();
        else
            QMetaObject::invokeMethod(
                app, [self = shared_from_this()] { self->dispatch(); }, Qt::QueuedConnection);
        lock.unlock();
        // Both sides look for a moment before they sleep: a wake-up costs more than the wait.
        for (int i = 0; i < kSpins && doneSeq.load() < seq && !abort.load(); ++i)
            cpuRelax();
        lock.lock();
        cv.wait(lock, [&] { return doneSeq.load() >= seq || detached; });
        return !detached;
    }

    // User-interface thread: the component stops being a target.
    void detach() {
        {
            std::lock_guard lock(mutex);
            detached = true;
        }
        abort = true;
        cv.notify_all();
        component = nullptr;
    }

    std::mutex mutex;
    std::condition_variable cv;
    std::optional<Notification> pending;
    uint64_t posted = 0;              // sequence number of the last notification handed over
    std::atomic<uint64_t> doneSeq{0}; // ... and of the last one handled
    std::atomic<bool> hasPending{false};
    bool uiWaiting = false;
    bool detached = false;
    std::atomic<bool> abort{false};
    QObject *app = nullptr;

    // User-interface thread only.
    TmFileScan *component = nullptr;
    QObject *sender = nullptr;
    TmFileScan::TOnFileFoundEvent onFileFound;
    TmFileScan::TOnReadyEvent onReady;
    QStringList searchResult; // every name reported, in report order

private:
    // One hand-over at a time, each waited for, costs an event-loop round trip per hand-over. So after
    // handling one, the user-interface thread waits a moment for the next and handles it here, for a
    // few milliseconds (or a few dozen files) at most before the event loop gets its turn again.
    void dispatch() {
        QElapsedTimer budget;
        budget.start();
        for (qsizetype handledHere = 0;;) {
            std::optional<Notification> n;
            uint64_t seq = 0;
            {
                std::lock_guard lock(mutex);
                n.swap(pending);
                hasPending = false;
                seq = posted;
            }
            if (!n) return; // a stale call: its notification was handled in a loop like this one
            // A handler may destroy the component (and so the worker object): from here on only this
            // object, kept alive by the queued call, is touched.
            if (n->end) {
                if (component) ready();
            } else {
                found(n->fileNames);
            }
            handledHere += n->fileNames.size() + 1;
            std::unique_lock lock(mutex);
            doneSeq = seq;
            cv.notify_all();
            if (n->end || detached || handledHere >= kInlineBudgetCount ||
                budget.elapsed() >= kInlineBudgetMs)
                return;
            uiWaiting = true; // the worker need not post its next notification
            lock.unlock();
            for (int i = 0; i < kSpins && !hasPending.load() && !abort.load(); ++i)
                cpuRelax();
            lock.lock();
            cv.wait_for(lock, kInlineWait, [this] { return pending.has_value() || detached; });
            uiWaiting = false;
            if (!pending || detached) return;
        }
    }

    void found(const QStringList &fileNames) {
        for (const QString &fileName : fileNames) {
            // After Stop, a failed handler or the component's end, the rest goes unreported.
            if (!component || abort.load()) return;
            component->results_.append(fileName);
            searchResult.append(fileName);
            if (!onFileFound) continue;
            try {
                onFileFound(sender, fileName);
            } catch (...) {
                // The search ends as after Stop, and the end notification still comes.
                abort = true;
            }
        }
    }

    void ready() {
        component->running_ = false;
        if (!onReady) return;
        try {
            // The list lives here, kept by the queued call, so it stays valid even if the handler
            // destroys the component.
            onReady(sender, abort.load(), searchResult);
        } catch (...) {
            // Nothing is left to end: the component is idle already.
        }
    }
};

} // namespace calvoran

using calvoran::SearchHandOver;

namespace {

// An open listing, closed whatever way its scope is left.
struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};

struct Entry {
    std::string name;
    QString display;
    QString folded;
    unsigned char type;
};

} // namespace

// Folders already walked in this pass, by device and inode, so a link to a folder above it (or a
// second way into one) is followed once.
struct TSearchThread::Visited {
    std::set<std::pair<dev_t, ino_t>> folders;
};

TSearchThread::TSearchThread(std::shared_ptr<SearchHandOver> handOver, const QStringList &paths,
                             const QStringList &filters, bool subDirs)
    : handOver_(std::move(handOver)), paths_(paths), filters_(filters), subDirs_(subDirs) {}

TSearchThread::~TSearchThread() {
    wait();
}

void TSearchThread::start() {
    thread_ = std::thread([this] { run(); });
}

void TSearchThread::wait() {
    if (thread_.joinable()) thread_.join();
}

bool TSearchThread::aborted() const {
    return handOver_->abort.load(std::memory_order_relaxed);
}

void TSearchThread::run() {
    try {
        // The whole tree is walked once per pattern, so each pattern's files come together.
        for (const QString &path : paths_) {
            for (const QString &filter : filters_) {
                if (aborted()) break;
                std::string folder = QFile::encodeName(path).toStdString();
                if (folder.empty() || folder.back() != '/') folder += '/';
                Visited visited;
                struct stat st {};
                if (stat(folder.c_str(), &st) == 0) visited.folders.insert({st.st_dev, st.st_ino});
                searchFolder(folder, calvoran::Wildcard(filter), visited);
            }
        }
        reportIfDue(true);
    } catch (...) {
        // Out of memory on a huge tree: end as if stopped.
        handOver_->abort = true;
    }
    SearchHandOver::Notification end;
    end.end = true;
    handOver_->handOver(std::move(end));
}

bool TSearchThread::report(QStringList &batch) {
    if (batch.isEmpty()) return !aborted();
    SearchHandOver::Notification found;
    found.fileNames.swap(batch);
    return handOver_->handOver(std::move(found)) && !aborted();
}

bool TSearchThread::reportIfDue(bool force) {
    if (found_.isEmpty()) return !aborted();
    if (!force && found_.size() < calvoran::kBatch &&
        std::chrono::steady_clock::now() - foundSince_ < calvoran::kHoldFound)
        return !aborted();
    return report(found_);
}

void TSearchThread::searchFolder(const std::string &folder, const calvoran::Wildcard &pattern,
                                 Visited &visited) {
    std::vector<Entry> entries;
    {
        std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
        if (!dir) return; // unreadable: nothing to report
        while (const dirent *e = readdir(dir.get())) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            const QString display = QFile::decodeName(QByteArray::fromStdString(name));
            entries.push_back({name, display, display.toCaseFolded(), e->d_type});
        }
    } // closed before descending: a deep tree never holds a descriptor per level
    // Name order, as users see a folder listed, rather than the file system's hash order.
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        const int byFolded = a.folded.compare(b.folded);
        return byFolded != 0 ? byFolded < 0 : a.name < b.name;
    });

    for (const Entry &e : entries) {
        if (aborted()) return;
        if (!pattern.matches(e.display)) continue;
        if (found_.isEmpty()) foundSince_ = std::chrono::steady_clock::now();
        found_.append(QFile::decodeName(QByteArray::fromStdString(folder + e.name)));
        if (found_.size() >= calvoran::kBatch && !report(found_)) return;
    }
    if (!reportIfDue(false)) return;
    if (!subDirs_) return;
    for (const Entry &e : entries) {
        if (aborted()) return;
        if (e.type != DT_DIR && e.type != DT_LNK && e.type != DT_UNKNOWN) continue;
        const std::string path = folder + e.name;
        struct stat st {};
        if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
        if (!visited.folders.insert({st.st_dev, st.st_ino}).second) continue;
        searchFolder(path + '/', pattern, visited);
    }
}

// ---- the component --------------------------------------------------------------------------------

TmFileScan::TmFileScan(QObject *owner) : QObject(owner) {}

TmFileScan::~TmFileScan() {
    retireWorker();
}

QString TmFileScan::About() const {
    return QStringLiteral("TmFileScan 1.0, background file search of Calvoran Player");
}

void TmFileScan::retireWorker() {
    if (handOver_) handOver_->detach();
    thread_.reset(); // joins; the worker stops at its next entry
    handOver_.reset();
}

void TmFileScan::Start() {
    if (running_) return;
    retireWorker(); // the last search's worker, which has handed its end over already
    results_.clear();
    handOver_ = std::make_shared<SearchHandOver>();
    handOver_->app = QCoreApplication::instance();
    handOver_->component = this;
    handOver_->onFileFound = onFileFound_;
    handOver_->onReady = onReady_;
    thread_ = std::make_unique<TSearchThread>(handOver_, paths_, filters_, subDirs_);
    handOver_->sender = thread_.get();
    running_ = true;
    thread_->start();
}

void TmFileScan::Stop() {
    if (running_ && handOver_) handOver_->abort = true;
}
