#pragma once
#include <QObject>
#include <functional>
#include <memory>

namespace calvoran {

class TickHub;
enum class TTimerType { ttThread, ttSystem };
enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The player's timer: calls OnTimer every Interval ms, from a worker thread of its own (ttThread) or
// from a window timer (ttSystem). With SyncEvent (the default) every tick runs on the UI thread and the
// next interval starts once it has run, so the period is the interval plus the tick's duration; the UI
// thread then times the interval itself, since a worker that only waits and hands over would cost three
// thread wake-ups a tick. Without SyncEvent the worker thread runs the ticks; disabling only mutes them,
// and the worker keeps running until the timer is destroyed.
// Timers timed on the UI thread share its wake-ups: a tick may come up to a quarter interval early or late
// to fall together with a faster window timer's tick.
class TVrTimer : public QObject {
    Q_OBJECT
public:
    explicit TVrTimer(QObject *parent = nullptr);
    ~TVrTimer() override;

    bool Enabled() const { return enabled_; }
    void setEnabled(bool value);
    unsigned Interval() const { return interval_; }
    void setInterval(unsigned ms);
    TTimerType TimerType() const { return type_; }
    void setTimerType(TTimerType type);
    bool SyncEvent() const { return syncEvent_; }
    void setSyncEvent(bool value);
    TThreadPriority Priority() const { return priority_; }
    void setPriority(TThreadPriority priority);
    void setOnTimer(std::function<void()> handler);
    bool hasOnTimer() const { return static_cast<bool>(onTimer_); }
    // An owner that knows the next `ticks` ticks would change nothing while `unchanged` holds lets them go
    // by without waking the thread (timers whose ticks run on the UI thread). The thread asks whenever
    // something else woke it, and the ticks come back once it no longer holds. Disabling or a new interval
    // ends this too.
    void skipTicks(int ticks, std::function<bool()> unchanged);
    // Skips the ticks that follow for as long as `quietAt(ms)` says a tick `ms` from now would change
    // nothing (at most `most` of them).
    void skipQuietTicks(const std::function<bool(unsigned ms)> &quietAt, std::function<bool()> unchanged,
                        int most = 16);

    // For tests: how many worker threads this timer has started in its life.
    int threadsStarted() const { return threadsStarted_; }

private:
    struct Shared;
    friend class TickHub;
    void UpdateTimer();
    void StopTimer();
    void Tick();
    bool wantsTicks() const { return interval_ != 0 && enabled_ && onTimer_; }
    void arm();
    void disarm();
    void hubTick();
    void workerLoop(std::shared_ptr<Shared> shared);

    bool enabled_ = true;
    unsigned interval_ = 1000;
    TTimerType type_ = TTimerType::ttThread;
    bool syncEvent_ = true;
    TThreadPriority priority_ = TThreadPriority::tpNormal;
    std::function<void()> onTimer_;
    std::function<bool()> skipHolds_;
    int skipAfterTick_ = 0;
    // Times this timer on its thread; the thread kind with SyncEvent re-arms it after each tick.
    std::shared_ptr<TickHub> hub_;
    bool ticking_ = false;
    int threadsStarted_ = 0;
    std::shared_ptr<Shared> shared_;
};

} // namespace calvoran
