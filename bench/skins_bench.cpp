#include "SkinArt.h"
#include "config/SkinLoader.h"
#include "config/UnitBitmapRgn.h"

#include <QApplication>
#include <QBitmap>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A rounded window with a few holes, as a skin's mask is drawn, `side` pixels square.
QImage roundedMask(int side, QImage::Format format) {
    QImage mask(side, side, QImage::Format_RGB32);
    mask.fill(Qt::black);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRect(0, 0, side, side - 1), side / 8, side / 8);
    painter.setBrush(Qt::black);
    for (int i = 1; i < 5; ++i)
        painter.drawEllipse(QPoint(side * i / 5, side / 2), side / 14, side / 5);
    painter.end();
    return format == QImage::Format_RGB32
               ? mask
               : mask.convertToFormat(format, {qRgb(0, 0, 0), qRgb(255, 255, 255)});
}

// Worst case for any run-based method: noise, runs a few pixels long.
QImage noiseMask(int side) {
    QImage mask(side, side, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < side; ++y) {
        auto *line = reinterpret_cast<QRgb *>(mask.scanLine(y));
        for (int x = 0; x < side; ++x)
            line[x] = random.bounded(4) ? 0xFFFFFFFF : 0xFF000000;
    }
    return mask;
}

void BM_RegionRounded(benchmark::State &state) {
    const QImage mask = roundedMask(static_cast<int>(state.range(0)), QImage::Format_RGB32);
    for (auto _ : state)
        benchmark::DoNotOptimize(calvoran::TBitmapRgn::regionFromMask(mask, 0));
    state.SetItemsProcessed(state.iterations() * mask.width() * mask.height());
}
BENCHMARK(BM_RegionRounded)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

void BM_RegionRoundedIndexed(benchmark::State &state) {
    const QImage mask = roundedMask(static_cast<int>(state.range(0)), QImage::Format_Indexed8);
    for (auto _ : state)
        benchmark::DoNotOptimize(calvoran::TBitmapRgn::regionFromMask(mask, 0));
    state.SetItemsProcessed(state.iterations() * mask.width() * mask.height());
}
BENCHMARK(BM_RegionRoundedIndexed)->Arg(4000)->Unit(benchmark::kMillisecond);

void BM_RegionNoise(benchmark::State &state) {
    const QImage mask = noiseMask(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(calvoran::TBitmapRgn::regionFromMask(mask, 0));
    state.SetItemsProcessed(state.iterations() * mask.width() * mask.height());
}
BENCHMARK(BM_RegionNoise)->Arg(2000)->Unit(benchmark::kMillisecond);

// The peer: Qt's conversion of a one-bit mask into a region (same picture, without the bottom-row
// rule), timed including the conversion of the picture to a bitmap.
void BM_PeerQtBitmapRegion(benchmark::State &state) {
    const QImage mask = roundedMask(static_cast<int>(state.range(0)), QImage::Format_RGB32);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            QRegion(QBitmap::fromImage(mask.createMaskFromColor(0xFF000000, Qt::MaskOutColor))));
    state.SetItemsProcessed(state.iterations() * mask.width() * mask.height());
}
BENCHMARK(BM_PeerQtBitmapRegion)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

// A whole shipped skin through the loader, as at start-up.
void BM_ApplyShippedSkin(benchmark::State &state) {
    QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    calvoran::skinart::writeSkins(folder);
    for (auto _ : state)
        benchmark::DoNotOptimize(calvoran::skinart::renderPreview(folder, QStringLiteral("Midnight")));
}
BENCHMARK(BM_ApplyShippedSkin)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
