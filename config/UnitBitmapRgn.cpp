#include "UnitBitmapRgn.h"

#include <QWidget>
#include <array>
#include <vector>

namespace calvoran {

namespace {

constexpr QRgb kRgbBits = 0x00FFFFFF;

// One row's runs of window pixels as half-open [left, right) pairs.
using Runs = std::vector<int>;

template <typename Belongs> void scanRow(int width, Belongs belongs, Runs &runs) {
    runs.clear();
    int x = 0;
    while (x < width) {
        while (x < width && !belongs(x))
            ++x;
        if (x == width) break;
        const int left = x;
        while (x < width && belongs(x))
            ++x;
        runs.push_back(left);
        runs.push_back(x);
    }
}

// Rows with the same runs are merged into one band, which is the form QRegion keeps itself, so the
// result compares equal to a region built by uniting the column strips one by one.
class BandBuilder {
public:
    void row(int y, const Runs &runs) {
        if (runs == bandRuns_ && !runs.empty()) return;
        flush(y);
        bandRuns_ = runs;
        bandTop_ = y;
    }
    std::optional<QRegion> finish(int endRow) {
        flush(endRow);
        if (rects_.empty()) return std::nullopt;
        QRegion region;
        region.setRects(rects_.data(), static_cast<int>(rects_.size()));
        return region;
    }

private:
    void flush(int y) {
        for (size_t i = 0; i + 1 < bandRuns_.size(); i += 2)
            rects_.emplace_back(bandRuns_[i], bandTop_, bandRuns_[i + 1] - bandRuns_[i], y - bandTop_);
        bandRuns_.clear();
    }

    Runs bandRuns_;
    int bandTop_ = 0;
    std::vector<QRect> rects_;
};

} // namespace

TBitmapRgn::TBitmapRgn(QObject *owner) : QObject(owner), target_(qobject_cast<QWidget *>(owner)) {}

TBitmapRgn::~TBitmapRgn() = default;

QWidget *TBitmapRgn::targetWindow() const {
    return target_.data();
}

std::optional<QRegion> TBitmapRgn::BuildRegion() const {
    return regionFromMask(mask_, transparentColor_);
}

std::optional<QRegion> TBitmapRgn::regionFromMask(const QImage &mask, QRgb transparentColor) {
    const int width = mask.width();
    // The bottom row never belongs, so the scan stops one row short of it.
    const int rows = mask.height() - 1;
    if (width <= 0 || rows <= 0) return std::nullopt;
    const QRgb transparent = transparentColor & kRgbBits;
    BandBuilder bands;
    Runs runs;
    if (mask.format() == QImage::Format_Indexed8) {
        // Skin masks are often 8-bit; a lookup per palette entry spares a full-size conversion.
        std::array<bool, 256> opaque{};
        const QList<QRgb> table = mask.colorTable();
        for (int i = 0; i < 256; ++i) {
            // Entries the table lacks read as Qt's own conversion reads them.
            const QRgb color = table.isEmpty() ? qRgb(i, i, i) : i < table.size() ? table[i] : 0;
            opaque[static_cast<size_t>(i)] = (color & kRgbBits) != transparent;
        }
        for (int y = 0; y < rows; ++y) {
            const uchar *line = mask.constScanLine(y);
            scanRow(
                width, [&](int x) { return opaque[line[x]]; }, runs);
            bands.row(y, runs);
        }
        return bands.finish(rows);
    }
    const bool direct = mask.format() == QImage::Format_RGB32 || mask.format() == QImage::Format_ARGB32;
    const QImage pixels = direct ? mask : mask.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rows; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
        scanRow(
            width, [&](int x) { return (line[x] & kRgbBits) != transparent; }, runs);
        bands.row(y, runs);
    }
    return bands.finish(rows);
}

void TBitmapRgn::ApplyRegion() {
    if (!target_) return;
    if (const std::optional<QRegion> region = BuildRegion()) {
        target_->setMask(*region);
        target_->resize(mask_.size());
    }
    mask_ = QImage();
}

} // namespace calvoran
