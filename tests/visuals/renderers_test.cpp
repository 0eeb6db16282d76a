// The renderers, checked by the pixels of their Buffer.
#include "visuals/Renderers.h"

#include <cmath>
#include <gtest/gtest.h>
#include <type_traits>
#include <vector>

using calvoran::visuals::RasterPen;
using calvoran::visuals::rgbOf;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;

uint32_t frame(int16_t left, int16_t right) {
    return static_cast<uint16_t>(left) | (static_cast<uint32_t>(static_cast<uint16_t>(right)) << 16);
}

std::vector<uint32_t> silence() {
    return std::vector<uint32_t>(kWaveEntries, 0);
}

int countColour(const QImage &image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

// Rows of column x in `colour`.
std::vector<int> rowsIn(const QImage &image, int x, QRgb colour) {
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) == colour) rows.push_back(y);
    return rows;
}

} // namespace

TEST(RasterPen, LinesIncludeTheirStartAndExcludeTheirEnd) {
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(kBlack);
    RasterPen pen(image);
    pen.setColor(0xFFFFFF);
    pen.moveTo(2, 5);
    pen.lineTo(8, 5);
    EXPECT_EQ(image.pixel(2, 5), kWhite);
    EXPECT_EQ(image.pixel(7, 5), kWhite);
    EXPECT_EQ(image.pixel(8, 5), kBlack);
    EXPECT_EQ(pen.position(), QPoint(8, 5));
    // Joined lines: the shared corner is drawn once, by the second line.
    pen.lineTo(8, 10);
    EXPECT_EQ(image.pixel(8, 5), kWhite);
    EXPECT_EQ(image.pixel(8, 10), kBlack);
    EXPECT_EQ(countColour(image, kWhite), 6 + 5);
    // A zero-length line and a set pixel leave the pen in place.
    pen.lineTo(8, 10);
    pen.setPixel(0, 0, 0xFFFFFF);
    EXPECT_EQ(image.pixel(8, 10), kBlack);
    EXPECT_EQ(pen.position(), QPoint(8, 10));
    // Diagonals are 1-pixel wide, not smoothed.
    pen.moveTo(10, 10);
    pen.lineTo(15, 15);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(image.pixel(10 + i, 10 + i), kWhite);
    EXPECT_EQ(image.pixel(15, 15), kBlack);
    EXPECT_EQ(image.pixel(11, 10), kBlack);
}

TEST(RasterPen, RectangleCoversUpToButNotIncludingItsFarCorner) {
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(kBlack);
    RasterPen pen(image);
    pen.setColor(0x0000FF); // red outline
    pen.rectangle(3, 4, 8, 10, 0x00FF00);
    EXPECT_EQ(countColour(image, qRgb(255, 0, 0)) + countColour(image, qRgb(0, 255, 0)), 5 * 6);
    EXPECT_EQ(image.pixel(3, 4), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(7, 9), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(5, 6), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(8, 9), kBlack);
    EXPECT_EQ(image.pixel(7, 10), kBlack);
    // Clipped at the picture's edges without harm.
    pen.rectangle(-5, -5, 100, 2, 0x00FF00);
    EXPECT_EQ(image.pixel(19, 1), qRgb(255, 0, 0));
}

TEST(OcilloScope, DefaultsAndSilenceGiveTheFlatLineAtY) {
    TOcilloScope scope(513, 169);
    EXPECT_EQ(scope.Buffer.size(), QSize(513, 169));
    EXPECT_EQ(scope.Background.size(), QSize(513, 169));
    EXPECT_EQ(scope.Amplitude, 50);
    EXPECT_EQ(scope.Res, 1);
    EXPECT_EQ(scope.Pen, 0xFFFFFFu);
    EXPECT_FALSE(scope.UseBackground);
    const auto wave = silence();
    QImage screen(513, 169, QImage::Format_RGB32);
    scope.Draw(&screen, wave.data(), 100, 85);
    EXPECT_EQ(screen, scope.Buffer);
    // From x 100 to 355 (the end point 356 is not drawn) at y 85, nothing else.
    EXPECT_EQ(countColour(scope.Buffer, kWhite), 256);
    EXPECT_EQ(scope.Buffer.pixel(100, 85), kWhite);
    EXPECT_EQ(scope.Buffer.pixel(355, 85), kWhite);
    EXPECT_EQ(scope.Buffer.pixel(356, 85), kBlack);
}

TEST(OcilloScope, FullScaleIs24AtAmplitude50AndResPicksEntries) {
    TOcilloScope scope(513, 169);
    scope.DrawMode = 2;
    auto wave = silence();
    wave[0] = frame(32767, 32767);
    wave[10] = frame(32767, 32767);
    wave[20] = frame(-32768, -32768);
    wave[512] = frame(16000, 16000);
    scope.Draw(nullptr, wave.data(), 0, 80);
    EXPECT_EQ(scope.Buffer.pixel(10, 80 + 24), kWhite); // trunc(65534 / 131070 * 50) = 24, not 25
    EXPECT_EQ(scope.Buffer.pixel(20, 80 - 25), kWhite); // -65536 / 131070 * 50 = -25.0002
    EXPECT_EQ(scope.Buffer.pixel(0, 80 + 24), kBlack);  // pixel mode: the start is only moved to

    scope.Res = 2; // pixel i shows entry 2i: entry 10 at x 5, entry 20 at x 10, entry 512 at x 256
    scope.Draw(nullptr, wave.data(), 0, 80);
    EXPECT_EQ(scope.Buffer.pixel(5, 80 + 24), kWhite);
    EXPECT_EQ(scope.Buffer.pixel(10, 80 - 25), kWhite);
    EXPECT_EQ(scope.Buffer.pixel(256, 80 + 12), kWhite);

    // Solid: a one-pixel stroke from the base line towards the sample, end excluded.
    scope.Res = 1;
    scope.DrawMode = 1;
    scope.Draw(nullptr, wave.data(), 0, 80);
    EXPECT_EQ(rowsIn(scope.Buffer, 10, kWhite).size(), 24u);
    EXPECT_EQ(rowsIn(scope.Buffer, 10, kWhite).front(), 80);
}

TEST(OcilloScope, ResBeyondTheArrayReadsSilenceInsteadOfMemory) {
    TOcilloScope scope(64, 64);
    scope.DrawMode = 2;
    scope.Res = 1000; // entries up to 256000: everything past 2048 reads 0
    std::vector<uint32_t> wave(kWaveEntries, frame(32767, 32767));
    scope.Draw(nullptr, wave.data(), 0, 30);
    EXPECT_EQ(scope.Buffer.pixel(2, 30 + 24), kWhite); // entry 2000
    EXPECT_EQ(scope.Buffer.pixel(3, 30), kWhite);      // entry 3000: silence
}

TEST(CircleScope, SilenceGivesAClosedCircleOfRadius) {
    TCircleScope circle(513, 169);
    EXPECT_EQ(circle.Radius, 30);
    EXPECT_EQ(circle.Amplitude, 30);
    EXPECT_EQ(circle.Res, 2);
    const auto wave = silence();
    circle.Draw(nullptr, wave.data(), 250, 85);
    const QImage &b = circle.Buffer;
    // Starts straight below the centre and comes back to it.
    EXPECT_EQ(b.pixel(250, 115), kWhite);
    EXPECT_EQ(b.pixel(250, 85), kBlack);
    // Every lit pixel lies about Radius from the centre, all round.
    int lit = 0;
    bool left = false, right = false, top = false;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            if (b.pixel(x, y) != kWhite) continue;
            ++lit;
            const double d = std::hypot(x - 250.0, y - 85.0);
            EXPECT_NEAR(d, 30.0, 1.5) << x << "," << y;
            left |= x <= 221;
            right |= x >= 279;
            top |= y <= 56;
        }
    EXPECT_GT(lit, 150);
    EXPECT_TRUE(left && right && top);
}

TEST(CircleScope, SolidDrawsSpokesAndPixelModeDrawsOnlyDots) {
    TCircleScope circle(200, 200);
    const auto wave = silence();
    circle.DrawMode = 1;
    circle.Draw(nullptr, wave.data(), 100, 100);
    EXPECT_EQ(circle.Buffer.pixel(100, 100), kWhite); // every spoke starts at the centre
    circle.DrawMode = 2;
    circle.Draw(nullptr, wave.data(), 100, 100);
    EXPECT_EQ(circle.Buffer.pixel(100, 100), kBlack);
    EXPECT_EQ(circle.Buffer.pixel(100, 130), kBlack); // the closing line from the start draws nothing
    EXPECT_LE(countColour(circle.Buffer, kWhite), 254);
    EXPECT_GT(countColour(circle.Buffer, kWhite), 150);
}

TEST(LolVis, OpenArcOfAbout227Degrees) {
    TLolVis arc(200, 200);
    EXPECT_EQ(arc.Amplitude, 150);
    const auto wave = silence();
    arc.DrawMode = 2;
    arc.Draw(nullptr, wave.data(), 100, 100);
    // Angle 4.0 rad at the end: the dots stop short of the right-hand side below the centre...
    int maxAngle = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            if (arc.Buffer.pixel(x, y) == kWhite) {
                double a = std::atan2(x - 100.0, y - 100.0); // 0 straight down, counter-clockwise
                if (a < 0) a += 2 * M_PI;
                maxAngle = std::max(maxAngle, static_cast<int>(a * 180 / M_PI));
            }
    EXPECT_GE(maxAngle, 224);
    EXPECT_LE(maxAngle, 229);
    // ...and in Line mode the closing line back to the start crosses the open side (row 105 meets
    // the arc itself only near x 70 and 130).
    auto chordAt105 = [&arc] {
        for (int x = 84; x <= 94; ++x)
            if (arc.Buffer.pixel(x, 105) == kWhite) return true;
        return false;
    };
    EXPECT_FALSE(chordAt105());
    arc.DrawMode = 0;
    arc.Draw(nullptr, wave.data(), 100, 100);
    EXPECT_TRUE(chordAt105());
}

TEST(Spectrum, HeightIsLimitedAndSinksByTheFalloffsToZero) {
    TSpectrum spectrum(513, 169);
    EXPECT_EQ(spectrum.MaxHeight, 100);
    EXPECT_EQ(spectrum.PeakColor, 0x00FFFFu);
    EXPECT_EQ(spectrum.BarWidth, 5);
    EXPECT_TRUE(spectrum.ShowPeaks);
    std::vector<float> loud(kSpectrumEntries, 0.0f), quiet(kSpectrumEntries, 0.0f);
    loud[5] = 0.3f;  // bar 0: 150, limited to 100
    loud[6] = -0.1f; // bar 1: magnitude 50
    loud[4] = 1.0f;  // below the shown range
    spectrum.Draw(nullptr, loud.data(), 0, 0);
    EXPECT_EQ(spectrum.Bars[0], 100);
    EXPECT_EQ(spectrum.Peaks[0], 100);
    EXPECT_EQ(spectrum.Bars[1], 50);
    EXPECT_EQ(spectrum.Bars[2], 0);
    // Line mode: column i from the line below the picture up, so Bars[i] - 1 pixels show, with the
    // peak dot on top.
    EXPECT_EQ(rowsIn(spectrum.Buffer, 0, kWhite).size(), 100u);
    EXPECT_EQ(rowsIn(spectrum.Buffer, 1, kWhite).size(), 50u);
    EXPECT_EQ(rowsIn(spectrum.Buffer, 1, kWhite).front(), 169 - 50);
    EXPECT_EQ(rowsIn(spectrum.Buffer, 1, kWhite).back(), 168);

    for (int frameNo = 1; frameNo <= 40; ++frameNo) {
        spectrum.Draw(nullptr, quiet.data(), 0, 0);
        EXPECT_EQ(spectrum.Bars[0], std::max(0, 100 - 3 * frameNo));
        EXPECT_EQ(spectrum.Peaks[0], std::max(0, 100 - frameNo));
        EXPECT_GE(spectrum.Bars[1], 0);
    }
    for (int frameNo = 0; frameNo < 80; ++frameNo)
        spectrum.Draw(nullptr, quiet.data(), 0, 0);
    EXPECT_EQ(spectrum.Peaks[0], 0);
    EXPECT_EQ(spectrum.Bars[0], 0);
}

TEST(Spectrum, SolidBarsAndPeakMarks) {
    TSpectrum spectrum(513, 169);
    spectrum.DrawMode = 1;
    std::vector<float> data(kSpectrumEntries, 0.0f);
    data[5 + 2] = 0.05f; // bar 2: 25 pixels high
    spectrum.Draw(nullptr, data.data(), 0, 0);
    const QRgb yellow = rgbOf(0x00FFFF);
    EXPECT_EQ(yellow, qRgb(255, 255, 0));
    // Bar 2 spans x 12..16 (12 + 5 excluded), rows 144..168; its peak mark on the top row is
    // painted over by the bar.
    for (int x = 12; x <= 16; ++x)
        EXPECT_EQ(rowsIn(spectrum.Buffer, x, kWhite).size(), 25u) << x;
    EXPECT_EQ(rowsIn(spectrum.Buffer, 17, kWhite).size(), 0u);
    // After the bar sinks, the peak mark shows in its own colour above it.
    std::vector<float> quiet(kSpectrumEntries, 0.0f);
    spectrum.Draw(nullptr, quiet.data(), 0, 0);
    EXPECT_EQ(spectrum.Bars[2], 22);
    EXPECT_EQ(spectrum.Peaks[2], 24);
    EXPECT_EQ(spectrum.Buffer.pixel(12, 169 - 24), yellow);
    EXPECT_EQ(spectrum.Buffer.pixel(16, 169 - 24), yellow);
    EXPECT_EQ(spectrum.Buffer.pixel(17, 169 - 24), kBlack);
    EXPECT_EQ(spectrum.Buffer.pixel(12, 169 - 22), kWhite);
    // Peaks off: no yellow at all.
    spectrum.ShowPeaks = false;
    spectrum.Draw(nullptr, quiet.data(), 0, 0);
    EXPECT_EQ(countColour(spectrum.Buffer, yellow), 0);
}

TEST(Spectrum, PixelModeShowsOnlyTheBackgroundButStillMoves) {
    TSpectrum spectrum(64, 64);
    spectrum.DrawMode = 2;
    spectrum.BackColor = 0xFF0000; // blue
    std::vector<float> data(kSpectrumEntries, 1.0f);
    spectrum.Draw(nullptr, data.data(), 0, 0);
    EXPECT_EQ(countColour(spectrum.Buffer, qRgb(0, 0, 255)), 64 * 64);
    EXPECT_EQ(spectrum.Bars[5], 100);
    // A large Res would read past the data; those bars read silence.
    spectrum.Res = 100;
    spectrum.Draw(nullptr, data.data(), 0, 0);
    EXPECT_EQ(spectrum.Bars[5], 100);     // entry 505
    EXPECT_EQ(spectrum.Bars[6], 100 - 3); // entry 605 does not exist
}

TEST(Renderers, SetBackgroundDrawsThePictureEvenWithTheFlagOff) {
    TOcilloScope scope(40, 30);
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(qRgb(0, 128, 0));
    scope.SetBackground(false, picture);
    EXPECT_FALSE(scope.UseBackground);
    EXPECT_EQ(scope.Background.pixel(9, 9), qRgb(0, 128, 0));
    EXPECT_EQ(scope.Background.pixel(10, 10), kBlack);
    const auto wave = silence();
    scope.Draw(nullptr, wave.data(), 0, 20);
    EXPECT_EQ(scope.Buffer.pixel(5, 5), kBlack); // back colour while the flag is off
    scope.SetBackground(true, QImage());         // an empty picture changes nothing but the flag
    scope.Draw(nullptr, wave.data(), 0, 20);
    EXPECT_EQ(scope.Buffer.pixel(5, 5), qRgb(0, 128, 0));
    EXPECT_EQ(scope.Buffer.pixel(5, 20), kWhite);
    // A larger picture is clipped; a smaller later one leaves the rest as it was.
    QImage big(100, 100, QImage::Format_RGB32);
    big.fill(qRgb(200, 0, 0));
    scope.SetBackground(true, big);
    EXPECT_EQ(scope.Background.size(), QSize(40, 30));
    QImage small(5, 5, QImage::Format_RGB32);
    small.fill(qRgb(0, 0, 200));
    scope.SetBackground(true, small);
    EXPECT_EQ(scope.Background.pixel(4, 4), qRgb(0, 0, 200));
    EXPECT_EQ(scope.Background.pixel(39, 29), qRgb(200, 0, 0));
}

TEST(Renderers, RepeatedBackgroundFollowsChangesOfEitherPicture) {
    TSpectrum spectrum(20, 20);
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(qRgb(10, 20, 30));
    spectrum.SetBackground(true, picture);
    spectrum.Background.setPixel(3, 3, qRgb(255, 0, 0)); // the owner may draw on it
    spectrum.SetBackground(true, picture);
    EXPECT_EQ(spectrum.Background.pixel(3, 3), qRgb(10, 20, 30));
    picture.setPixel(4, 4, qRgb(0, 255, 0)); // the same picture object, changed
    spectrum.SetBackground(true, picture);
    EXPECT_EQ(spectrum.Background.pixel(4, 4), qRgb(0, 255, 0));
}

TEST(Renderers, ChangedRectCoversWhatMovedAndAllAfterABaseChange) {
    TOcilloScope scope(513, 169);
    auto wave = silence();
    scope.Draw(nullptr, wave.data(), 100, 85);
    EXPECT_EQ(scope.ChangedRect(), QRect(0, 0, 513, 169)); // the first frame
    wave[10] = frame(32767, 32767);
    scope.Draw(nullptr, wave.data(), 100, 85);
    // Last frame's line and this one's, whose peak at x 110 reaches y 85 + 24.
    EXPECT_EQ(scope.ChangedRect(), QRect(QPoint(100, 85), QPoint(355, 85 + 24)));
    scope.Draw(nullptr, wave.data(), 100, 20);
    EXPECT_EQ(scope.ChangedRect(), QRect(QPoint(100, 20), QPoint(355, 85 + 24)));
    scope.BackColor = 0x00FF00;
    scope.Draw(nullptr, wave.data(), 100, 20);
    EXPECT_EQ(scope.ChangedRect(), QRect(0, 0, 513, 169));
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(qRgb(1, 1, 1));
    scope.SetBackground(true, picture);
    scope.Draw(nullptr, wave.data(), 100, 20);
    EXPECT_EQ(scope.ChangedRect(), QRect(0, 0, 513, 169));
    scope.SetBackground(true, picture); // the same picture again changes nothing
    scope.Draw(nullptr, wave.data(), 100, 20);
    EXPECT_EQ(scope.ChangedRect(), QRect(QPoint(100, 20), QPoint(355, 20 + 24)));

    TSpectrum spectrum(513, 169);
    std::vector<float> bins(kSpectrumEntries, 0.0f);
    bins[5] = 0.05f;
    spectrum.DrawMode = 1;
    spectrum.Draw(nullptr, bins.data(), 0, 0);
    spectrum.Draw(nullptr, bins.data(), 0, 0);
    EXPECT_EQ(spectrum.ChangedRect(), QRect(QPoint(0, 169 - 25), QPoint(4, 168)));
}

// Frames drawn one after another (restoring and copying only what changed) must equal the same frame
// drawn from scratch, whatever moved, switched or changed colour in between.
template <typename R> void checkIncremental(int modes) {
    R renderer(120, 90);
    QImage target(120, 90, QImage::Format_RGB32);
    QImage picture(120, 90, QImage::Format_RGB32);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x)
            picture.setPixel(x, y, qRgb(x * 2, y * 2, 99));
    uint32_t seed = 7;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    std::vector<uint32_t> wave(kWaveEntries);
    std::vector<float> bins(kSpectrumEntries);
    for (int frameNo = 0; frameNo < 60; ++frameNo) {
        for (auto &v : wave)
            v = next();
        for (auto &b : bins)
            b = static_cast<float>(next() % 1000) / 4000.0f;
        if (frameNo % 7 == 3) renderer.DrawMode = static_cast<int>(next() % static_cast<uint32_t>(modes));
        if (frameNo == 20) renderer.SetBackground(true, picture);
        if (frameNo == 35) renderer.UseBackground = false;
        if (frameNo == 45) renderer.BackColor = 0x123456;
        if (frameNo == 50) target.fill(Qt::red); // someone else drew on the target
        const int x = static_cast<int>(next() % 140) - 10, y = static_cast<int>(next() % 110) - 10;
        R reference(120, 90);
        reference.SetBackground(renderer.UseBackground, renderer.Background);
        reference.BackColor = renderer.BackColor;
        reference.DrawMode = renderer.DrawMode;
        if constexpr (std::is_same_v<R, TSpectrum>) {
            reference.Peaks = renderer.Peaks;
            reference.Bars = renderer.Bars;
            renderer.Draw(&target, bins.data(), x, y);
            reference.Draw(nullptr, bins.data(), x, y);
        } else {
            renderer.Draw(&target, wave.data(), x, y);
            reference.Draw(nullptr, wave.data(), x, y);
        }
        ASSERT_EQ(renderer.Buffer, reference.Buffer) << "frame " << frameNo;
        ASSERT_EQ(target, reference.Buffer) << "frame " << frameNo;
    }
}

TEST(Renderers, FramesAfterFramesEqualFramesFromScratch) {
    checkIncremental<TOcilloScope>(3);
    checkIncremental<TCircleScope>(3);
    checkIncremental<TLolVis>(3);
    checkIncremental<TSpectrum>(3);
}

TEST(Renderers, DrawCopiesTheFrameToAPainterTarget) {
    TCircleScope circle(60, 60);
    const auto wave = silence();
    QImage target(80, 80, QImage::Format_ARGB32);
    target.fill(qRgb(1, 2, 3));
    circle.Radius = 10;
    circle.Draw(&target, wave.data(), 30, 30);
    EXPECT_EQ(target.pixel(30, 40), kWhite);
    EXPECT_EQ(target.pixel(0, 0), kBlack);
    EXPECT_EQ(target.pixel(70, 70), qRgb(1, 2, 3));
}
