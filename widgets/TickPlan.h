#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace calvoran {

// When the timers of one thread fall due. A timer's tick is moved to the nearest tick of the fastest
// steady timer when that is at most a quarter of its interval away, so timers that run together share
// one wake-up of the thread instead of each waking it on its own. Times are nanoseconds of one clock.
class TickPlan {
public:
    using Ns = std::int64_t;

    // Plans the next tick of `key`, `interval` after `from`. A steady timer keeps its own rhythm from then
    // on (each tick planned from the one before); any other is planned again by its owner after each tick.
    void arm(const void *key, Ns from, Ns interval, bool steady);
    void disarm(const void *key);
    // Leaves out the next `ticks` ticks of a timer; wake() brings back the first of them after `now`.
    void skip(const void *key, int ticks);
    void wake(const void *key, Ns now);
    bool armed(const void *key) const;
    std::optional<Ns> nextDue() const;
    // The keys due by `now`, earliest first. Steady ones are planned again (ticks already missed are
    // skipped), the others are disarmed.
    std::vector<const void *> takeDue(Ns now);

private:
    struct Entry {
        const void *key;
        Ns nominal; // where the timer's own rhythm puts the tick
        Ns due;     // where it is moved to share a wake-up
        Ns interval;
        bool steady;
        bool skipping = false;
        Ns skippedFrom = 0; // the first tick left out
    };
    Entry *find(const void *key);
    Ns shared(const Entry &entry) const;

    std::vector<Entry> entries_;
};

} // namespace calvoran
