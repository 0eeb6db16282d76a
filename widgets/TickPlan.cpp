#include "TickPlan.h"

#include <algorithm>
#include <cmath>

namespace calvoran {

TickPlan::Ns TickPlan::shared(const Entry &entry) const {
    const Entry *pace = nullptr;
    for (const Entry &other : entries_)
        if (other.steady && other.key != entry.key && other.interval < entry.interval &&
            (!pace || other.interval < pace->interval))
            pace = &other;
    if (!pace) return entry.nominal;
    const double steps =
        std::round(static_cast<double>(entry.nominal - pace->due) / static_cast<double>(pace->interval));
    const Ns nearest = pace->due + static_cast<Ns>(steps) * pace->interval;
    return std::llabs(nearest - entry.nominal) * 4 <= entry.interval ? nearest : entry.nominal;
}

void TickPlan::arm(const void *key, Ns from, Ns interval, bool steady) {
    disarm(key);
    Entry entry{key, from + interval, from + interval, interval, steady};
    entry.due = shared(entry);
    entries_.push_back(entry);
}

void TickPlan::disarm(const void *key) {
    std::erase_if(entries_, [key](const Entry &e) { return e.key == key; });
}

TickPlan::Entry *TickPlan::find(const void *key) {
    const auto it =
        std::find_if(entries_.begin(), entries_.end(), [key](const Entry &e) { return e.key == key; });
    return it == entries_.end() ? nullptr : &*it;
}

void TickPlan::skip(const void *key, int ticks) {
    Entry *e = find(key);
    if (!e || ticks <= 0) return;
    if (!e->skipping) e->skippedFrom = e->nominal;
    e->skipping = true;
    e->nominal += static_cast<Ns>(ticks) * e->interval;
    e->due = shared(*e);
}

void TickPlan::wake(const void *key, Ns now) {
    Entry *e = find(key);
    if (!e || !e->skipping) return;
    e->skipping = false;
    Ns next = e->skippedFrom;
    if (next <= now) next += ((now - next) / e->interval + 1) * e->interval;
    if (next >= e->nominal) return;
    e->nominal = next;
    e->due = shared(*e);
    if (e->due <= now) e->due = e->nominal;
}

bool TickPlan::armed(const void *key) const {
    return std::any_of(entries_.begin(), entries_.end(), [key](const Entry &e) { return e.key == key; });
}

std::optional<TickPlan::Ns> TickPlan::nextDue() const {
    if (entries_.empty()) return std::nullopt;
    return std::min_element(entries_.begin(), entries_.end(),
                            [](const Entry &a, const Entry &b) { return a.due < b.due; })
        ->due;
}

std::vector<const void *> TickPlan::takeDue(Ns now) {
    std::vector<Entry> due;
    for (const Entry &e : entries_)
        if (e.due <= now) due.push_back(e);
    std::sort(due.begin(), due.end(), [](const Entry &a, const Entry &b) { return a.due < b.due; });
    std::erase_if(entries_, [now](const Entry &e) { return e.due <= now && !e.steady; });
    // The fastest steady timers first, so slower ones are moved onto their new ticks.
    std::vector<Entry *> steady;
    for (Entry &e : entries_)
        if (e.due <= now) steady.push_back(&e);
    std::sort(steady.begin(), steady.end(),
              [](const Entry *a, const Entry *b) { return a->interval < b->interval; });
    for (Entry *e : steady) {
        e->skipping = false;
        e->nominal += e->interval;
        if (e->nominal <= now) e->nominal = now + e->interval;
        e->due = e->nominal;
        e->due = shared(*e);
        if (e->due <= now) e->due = e->nominal;
    }
    std::vector<const void *> keys;
    keys.reserve(due.size());
    for (const Entry &e : due)
        keys.push_back(e.key);
    return keys;
}

} // namespace calvoran
