#include "TVrPalette.h"

namespace calvoran {

TVrPalette::TVrPalette(QColor low, QColor high) : low_(low), high_(high) {}

TVrPalette::TVrPalette(const TVrPalette &other) : low_(other.low_), high_(other.high_) {}

TVrPalette &TVrPalette::operator=(const TVrPalette &other) {
    if (this != &other && !(*this == other)) {
        low_ = other.low_;
        high_ = other.high_;
        changed();
    }
    return *this;
}

void TVrPalette::setLow(QColor value) {
    if (low_ == value) return;
    low_ = value;
    changed();
}

void TVrPalette::setHigh(QColor value) {
    if (high_ == value) return;
    high_ = value;
    changed();
}

void TVrPalette::changed() {
    if (onChange_) onChange_();
}

} // namespace calvoran
