#include "Wildcard.h"

namespace calvoran {

Wildcard::Wildcard(const QString &pattern)
    : folded_(pattern.toCaseFolded()), everything_(pattern == QLatin1String("*.*")) {}

bool Wildcard::matches(const QString &name) const {
    if (everything_) return true;
    const QString text = name.toCaseFolded();
    // Greedy match with one remembered star: linear in practice, never exponential.
    qsizetype p = 0, t = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < folded_.size() && (folded_[p] == QLatin1Char('?') || folded_[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < folded_.size() && folded_[p] == QLatin1Char('*')) {
            starP = p++;
            starT = t;
        } else if (starP >= 0) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < folded_.size() && folded_[p] == QLatin1Char('*'))
        ++p;
    return p == folded_.size();
}

} // namespace calvoran
