#include "TVrTimer.h"

#include "TickPlan.h"

#include "platform/Dialogs.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QPointer>
#include <QTimerEvent>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace calvoran {

// State the worker thread and queued ticks share with the timer. The timer pointer is cleared
// (under the mutex) before the timer goes away, so a tick still queued to the UI thread does nothing.
struct TVrTimer::Shared {
    std::mutex mutex;
    std::condition_variable cv;
    TVrTimer *timer = nullptr;
    unsigned interval = 1000; // the thread's own copy
    bool suspended = true;
    bool stop = false;
    bool wake = false;
    bool tickDone = false;
    bool sync = true;
    int nice = 0;
    std::thread thread;
};

namespace {

int niceFor(TThreadPriority p) {
    switch (p) {
    case TThreadPriority::tpIdle:
        return 19;
    case TThreadPriority::tpLowest:
        return 10;
    case TThreadPriority::tpLower:
        return 5;
    case TThreadPriority::tpNormal:
        return 0;
    case TThreadPriority::tpHigher:
        return -5;
    case TThreadPriority::tpHighest:
        return -10;
    case TThreadPriority::tpTimeCritical:
        return -20;
    }
    return 0;
}

} // namespace

// Times the UI-thread timers of one thread with one window timer, set for whichever tick is due first.
class TickHub : public QObject, public std::enable_shared_from_this<TickHub> {
public:
    static std::shared_ptr<TickHub> forThisThread() {
        thread_local std::weak_ptr<TickHub> current;
        auto hub = current.lock();
        if (!hub) {
            hub = std::make_shared<TickHub>();
            current = hub;
        }
        return hub;
    }

    void arm(TVrTimer *timer, bool steady) {
        timers_[timer] = timer;
        plan_.arm(timer, nowNs(), static_cast<TickPlan::Ns>(timer->interval_) * 1000000, steady);
        if (!rearm()) {
            disarm(timer);
            throw std::runtime_error("No timer resources left.");
        }
    }
    void disarm(TVrTimer *timer) {
        plan_.disarm(timer);
        timers_.erase(timer);
        skipping_.erase(timer);
        rearm();
    }
    void skip(TVrTimer *timer, int ticks) {
        if (!plan_.armed(timer)) return;
        if (!watching_) {
            // Whatever woke the thread may have made the skipped ticks count again.
            auto *dispatcher = QAbstractEventDispatcher::instance();
            if (dispatcher == nullptr) return; // no loop to ask in: every tick comes
            connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { checkSkips(); });
            watching_ = true;
        }
        plan_.skip(timer, ticks);
        skipping_.insert(timer);
        rearm();
    }

protected:
    void timerEvent(QTimerEvent *event) override {
        if (event->timerId() != timerId_) return QObject::timerEvent(event);
        // A tick may destroy the last timer, and with it the hub: it goes once the loop is done.
        const auto keep = shared_from_this();
        killTimer(timerId_);
        timerId_ = 0;
        // Qt wakes us within the millisecond; a tick due within it goes now rather than after another wake.
        const auto due = plan_.takeDue(nowNs() + 999999);
        rearm(); // before the ticks, so a tick that runs a nested loop does not hold the others up
        for (const void *key : due) {
            skipping_.erase(key);
            const auto it = timers_.find(key);
            if (it == timers_.end()) continue; // gone or disarmed by an earlier tick
            TVrTimer *timer = it->second;
            if (!plan_.armed(key)) timers_.erase(it);
            timer->hubTick();
        }
    }

private:
    static TickPlan::Ns nowNs() {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void checkSkips() {
        if (skipping_.empty()) return;
        bool woke = false;
        for (auto it = skipping_.begin(); it != skipping_.end();) {
            const auto found = timers_.find(*it);
            if (found != timers_.end() && found->second->skipHolds_ && found->second->skipHolds_()) {
                ++it;
                continue;
            }
            plan_.wake(*it, nowNs());
            it = skipping_.erase(it);
            woke = true;
        }
        if (woke) rearm();
    }
    // False when the platform refused a timer.
    bool rearm() {
        const auto next = plan_.nextDue();
        if (timerId_ != 0 && next && *next == armedFor_) return true;
        if (timerId_ != 0) killTimer(timerId_);
        timerId_ = 0;
        if (!next) return true;
        armedFor_ = *next;
        const auto ms = std::max<TickPlan::Ns>(0, (*next - nowNs() + 999999) / 1000000);
        timerId_ = startTimer(static_cast<int>(std::min<TickPlan::Ns>(ms, std::numeric_limits<int>::max())),
                              Qt::PreciseTimer);
        return timerId_ != 0;
    }

    TickPlan plan_;
    std::unordered_map<const void *, TVrTimer *> timers_;
    std::unordered_set<const void *> skipping_;
    bool watching_ = false;
    int timerId_ = 0;
    TickPlan::Ns armedFor_ = 0;
};

TVrTimer::TVrTimer(QObject *parent) : QObject(parent) {}

TVrTimer::~TVrTimer() {
    enabled_ = false;
    onTimer_ = nullptr;
    StopTimer();
}

void TVrTimer::setEnabled(bool value) {
    if (enabled_ == value) return;
    enabled_ = value;
    if (enabled_)
        UpdateTimer();
    else
        disarm(); // a muted window timer need not wake the thread
}

void TVrTimer::setInterval(unsigned ms) {
    if (interval_ == ms) return;
    interval_ = ms;
    if (enabled_) UpdateTimer();
}

void TVrTimer::setTimerType(TTimerType type) {
    if (type_ == type) return;
    StopTimer();
    type_ = type;
    if (enabled_) UpdateTimer();
}

void TVrTimer::setSyncEvent(bool value) {
    if (syncEvent_ == value) return;
    syncEvent_ = value;
    if (shared_) {
        std::lock_guard lock(shared_->mutex);
        shared_->sync = value;
    }
    if (type_ == TTimerType::ttThread) UpdateTimer();
}

void TVrTimer::setPriority(TThreadPriority priority) {
    if (priority_ == priority) return;
    priority_ = priority;
    if (enabled_ && type_ == TTimerType::ttThread) UpdateTimer();
}

void TVrTimer::setOnTimer(std::function<void()> handler) {
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TVrTimer::UpdateTimer() {
    disarm();
    if (type_ == TTimerType::ttSystem || syncEvent_) {
        // A worker of an earlier setting only mutes its ticks.
        if (shared_) {
            std::lock_guard lock(shared_->mutex);
            shared_->suspended = true;
            shared_->wake = true;
            shared_->cv.notify_all();
        }
        if (wantsTicks()) arm();
        return;
    }
    if (!shared_) {
        shared_ = std::make_shared<Shared>();
        shared_->timer = this;
        shared_->sync = syncEvent_;
        ++threadsStarted_;
        shared_->thread = std::thread([this, s = shared_] { workerLoop(s); });
    }
    std::lock_guard lock(shared_->mutex);
    shared_->suspended = true;
    shared_->interval = interval_;
    shared_->wake = true; // restart any wait in progress with the new settings
    if (wantsTicks()) {
        shared_->nice = niceFor(priority_);
        shared_->suspended = false;
    }
    shared_->cv.notify_all();
}

void TVrTimer::arm() {
    if (!hub_) hub_ = TickHub::forThisThread();
    hub_->arm(this, type_ == TTimerType::ttSystem);
}

void TVrTimer::disarm() {
    if (hub_) hub_->disarm(this);
}

void TVrTimer::skipTicks(int ticks, std::function<bool()> unchanged) {
    if (!hub_ || ticks <= 0 || !unchanged) return;
    skipHolds_ = std::move(unchanged);
    // The thread kind is planned again once its tick is over.
    if (ticking_)
        skipAfterTick_ = ticks;
    else
        hub_->skip(this, ticks);
}

void TVrTimer::skipQuietTicks(const std::function<bool(unsigned)> &quietAt, std::function<bool()> unchanged,
                              int most) {
    int quiet = 0;
    while (quiet < most && quietAt(interval_ * static_cast<unsigned>(quiet + 1)))
        ++quiet;
    skipTicks(quiet, std::move(unchanged));
}

void TVrTimer::hubTick() {
    // A window timer does not tick again inside its own tick (a message box it shows, say).
    if (ticking_) return;
    ticking_ = true;
    const QPointer<TVrTimer> alive(this);
    Tick();
    if (!alive) return;
    ticking_ = false;
    // The thread kind's next interval starts after the tick.
    if (type_ == TTimerType::ttThread && syncEvent_ && wantsTicks()) arm();
    if (skipAfterTick_ > 0 && hub_) hub_->skip(this, skipAfterTick_);
    skipAfterTick_ = 0;
}

void TVrTimer::StopTimer() {
    disarm();
    hub_.reset();
    if (!shared_) return;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->timer = nullptr;
        shared_->stop = true;
        shared_->suspended = false;
        shared_->wake = true;
    }
    shared_->cv.notify_all();
    if (shared_->thread.joinable()) shared_->thread.join();
    shared_.reset();
}

void TVrTimer::Tick() {
    if (!enabled_ || !onTimer_) return;
    try {
        onTimer_();
    } catch (const std::exception &e) {
        showError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showError(QStringLiteral("Unknown error in timer handler."));
    }
}

void TVrTimer::workerLoop(std::shared_ptr<Shared> s) {
    int appliedNice = 0;
    std::unique_lock lock(s->mutex);
    while (!s->stop) {
        s->cv.wait(lock, [&] { return s->stop || !s->suspended; });
        if (s->stop) break;
        if (s->nice != appliedNice) {
            // Best effort: raising priority needs privileges we usually do not have.
            setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), s->nice);
            appliedNice = s->nice;
        }
        s->wake = false;
        const auto interval = std::chrono::milliseconds(s->interval);
        if (s->cv.wait_for(lock, interval, [&] { return s->stop || s->wake || s->suspended; }))
            continue; // woken, not timed out: no tick
        if (QCoreApplication::closingDown() || s->timer == nullptr) continue;
        if (!s->sync) {
            TVrTimer *t = s->timer;
            lock.unlock();
            t->Tick();
            lock.lock();
            continue;
        }
        s->tickDone = false;
        QCoreApplication *app = QCoreApplication::instance();
        if (!app) continue;
        QMetaObject::invokeMethod(
            app,
            [s] {
                TVrTimer *t = nullptr;
                {
                    std::lock_guard inner(s->mutex);
                    t = s->timer;
                }
                // The timer lives on this (UI) thread, so it cannot be destroyed while Tick runs.
                if (t) t->Tick();
                std::lock_guard inner(s->mutex);
                s->tickDone = true;
                s->cv.notify_all();
            },
            Qt::QueuedConnection);
        s->cv.wait(lock, [&] { return s->tickDone || s->stop; });
    }
}

} // namespace calvoran
