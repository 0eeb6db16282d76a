#pragma once
#include <QObject>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace calvoran {
struct SearchHandOver;
class Wildcard;
} // namespace calvoran

class TmFileScan;

// The worker of one search. It walks the folders on its own thread and hands every match and the end
// of the search to the user-interface thread, waiting until each has been handled there.
class TSearchThread : public QObject {
    Q_OBJECT
public:
    TSearchThread(std::shared_ptr<calvoran::SearchHandOver> handOver, const QStringList &paths,
                  const QStringList &filters, bool subDirs);
    // Waits for the thread: retire the hand-over first, or this waits for the walk to end.
    ~TSearchThread() override;

    void start();
    void wait();

private:
    void run();
    struct Visited;
    void searchFolder(const std::string &folder, const calvoran::Wildcard &pattern, Visited &visited);
    // Hands the batch of names over (emptying it); false when the search is to end.
    bool report(QStringList &batch);
    // Hands over what was found when enough has gathered, or has waited long enough to be shown.
    bool reportIfDue(bool force);
    bool aborted() const;

    std::shared_ptr<calvoran::SearchHandOver> handOver_;
    const QStringList paths_;
    const QStringList filters_;
    const bool subDirs_;
    std::thread thread_;
    // Found but not yet handed over: small folders share one hand-over, as each costs two wake-ups.
    QStringList found_;
    std::chrono::steady_clock::time_point foundSince_;
};

// Searches folders for files matching wildcard patterns on a worker thread. OnFileFound and OnReady
// run on the user-interface thread; their Sender is the worker. The component may be destroyed at
// any time, also from inside its own handlers: a running worker is then stopped and no handler runs
// again.
class TmFileScan : public QObject {
    Q_OBJECT
public:
    using TOnFileFoundEvent = std::function<void(QObject *sender, const QString &fileName)>;
    using TOnReadyEvent = std::function<void(QObject *sender, bool aborted, const QStringList &searchResult)>;

    explicit TmFileScan(QObject *owner = nullptr);
    ~TmFileScan() override;

    QStringList Paths() const { return paths_; }
    void setPaths(const QStringList &paths) { paths_ = paths; }
    QStringList Filters() const { return filters_; }
    void setFilters(const QStringList &filters) { filters_ = filters; }
    bool SubDirs() const { return subDirs_; }
    void setSubDirs(bool subDirs) { subDirs_ = subDirs; }
    void setOnFileFound(TOnFileFoundEvent handler) { onFileFound_ = std::move(handler); }
    void setOnReady(TOnReadyEvent handler) { onReady_ = std::move(handler); }
    QString About() const;
    void setAbout(const QString &) {}

    void Start();
    void Stop();

    // True from Start until the end notification has been handled.
    bool Running() const { return running_; }
    // Every name reported by the current or last search, in report order.
    const QStringList &Results() const { return results_; }

private:
    friend struct calvoran::SearchHandOver;
    void retireWorker();

    QStringList paths_;
    QStringList filters_;
    bool subDirs_ = true;
    TOnFileFoundEvent onFileFound_;
    TOnReadyEvent onReady_;
    bool running_ = false;
    QStringList results_;
    std::shared_ptr<calvoran::SearchHandOver> handOver_;
    std::unique_ptr<TSearchThread> thread_;
};
