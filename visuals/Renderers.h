#pragma once
// The four visualisation renderers. Each draws one frame off-screen into Buffer and copies it to a
// target in one step. Pure drawing: no window code.
#include <QImage>
#include <array>
#include <cstdint>

class QPaintDevice;

namespace calvoran::visuals {
// Which picture was last drawn onto which state of Background, so drawing the same picture onto
// the unchanged result again can be skipped (the owner repeats it after every frame).
struct BackgroundMemo {
    qint64 picture = 0, background = 0;
};

// What a frame was drawn over, where it drew and where it went, so the next frame restores and copies
// only what can differ, and the owner learns which part of the target changed.
struct FrameMemo {
    // Starts a frame: Buffer becomes the background picture or the back colour.
    void begin(QImage &buffer, const QImage &background, bool use, uint32_t color);
    // Ends it with the area the pen touched, and copies it to the target.
    void finish(QImage &buffer, const QRect &touched, QPaintDevice *target);

    bool drawn = false, sameBase = false;
    bool useBackground = false;
    qint64 background = 0, bufferKey = 0, targetKey = 0;
    const QPaintDevice *target = nullptr;
    uint32_t backColor = 0;
    QSize size;
    QRect lastDrawn, changed;
};
} // namespace calvoran::visuals

// Colours are 0x00BBGGRR. Wave: 2049 entries; spectrum: 513 floats.
inline constexpr int kWaveEntries = 2049;
inline constexpr int kSpectrumEntries = 513;

class TOcilloScope {
public:
    TOcilloScope(int width, int height);
    QImage Buffer, Background;
    uint32_t BackColor = 0;
    int Amplitude = 50;
    uint32_t Pen = 0xFFFFFF;
    int DrawMode = 0; // 0 Line, 1 Solid, 2 Pixel
    int Res = 1;
    bool UseBackground = false;
    void SetBackground(bool use, const QImage &picture);
    void Draw(QPaintDevice *target, const uint32_t *wave, int x, int y);

    // The part of the last frame that can differ from the frame before it (all of it after a change of
    // background, back colour or size).
    QRect ChangedRect() const { return frame_.changed; }

private:
    calvoran::visuals::BackgroundMemo memo_;
    calvoran::visuals::FrameMemo frame_;
};

class TCircleScope {
public:
    TCircleScope(int width, int height);
    QImage Buffer, Background;
    uint32_t BackColor = 0;
    int Radius = 30;
    int Amplitude = 30;
    uint32_t Pen = 0xFFFFFF;
    int DrawMode = 0;
    int Res = 2;
    bool UseBackground = false;
    void SetBackground(bool use, const QImage &picture);
    void Draw(QPaintDevice *target, const uint32_t *wave, int x, int y);

    // The part of the last frame that can differ from the frame before it (all of it after a change of
    // background, back colour or size).
    QRect ChangedRect() const { return frame_.changed; }

private:
    calvoran::visuals::BackgroundMemo memo_;
    calvoran::visuals::FrameMemo frame_;
};

// The wave bent along an open arc of about 227 degrees (shown to the user as "Explosion").
class TLolVis {
public:
    TLolVis(int width, int height);
    QImage Buffer, Background;
    uint32_t BackColor = 0;
    int Radius = 30;
    int Amplitude = 150;
    uint32_t Pen = 0xFFFFFF;
    int DrawMode = 0;
    int Res = 2;
    bool UseBackground = false;
    void SetBackground(bool use, const QImage &picture);
    void Draw(QPaintDevice *target, const uint32_t *wave, int x, int y);

    // The part of the last frame that can differ from the frame before it (all of it after a change of
    // background, back colour or size).
    QRect ChangedRect() const { return frame_.changed; }

private:
    calvoran::visuals::BackgroundMemo memo_;
    calvoran::visuals::FrameMemo frame_;
};

class TSpectrum {
public:
    TSpectrum(int width, int height);
    QImage Buffer, Background;
    uint32_t BackColor = 0;
    int MaxHeight = 100;
    uint32_t Pen = 0xFFFFFF;
    uint32_t PeakColor = 0x00FFFF;
    int DrawMode = 0;
    int Res = 1;
    bool UseBackground = false;
    int PeakFalloff = 1;
    int LineFalloff = 3;
    int BarWidth = 5;
    bool ShowPeaks = true;
    std::array<int32_t, 129> Peaks{}, Bars{};
    void SetBackground(bool use, const QImage &picture);
    void Draw(QPaintDevice *target, const float *spectrum, int x, int y);

    // The part of the last frame that can differ from the frame before it (all of it after a change of
    // background, back colour or size).
    QRect ChangedRect() const { return frame_.changed; }

private:
    calvoran::visuals::BackgroundMemo memo_;
    calvoran::visuals::FrameMemo frame_;
};

namespace calvoran::visuals {

// 0x00BBGGRR to Qt's ARGB and back.
QRgb rgbOf(uint32_t colorRef);
uint32_t colorRefOf(QRgb rgb);

// The pixel rules the renderers draw with: a line includes its start and excludes its end point,
// a filled rectangle covers x1..x2-1 and y1..y2-1, setting a pixel leaves the pen where it was.
// No anti-aliasing; everything outside the picture is clipped.
class RasterPen {
public:
    // `image` must be 32 bits per pixel and stay alive and unresized while the pen is used.
    explicit RasterPen(QImage &image);
    void setColor(uint32_t colorRef) { color_ = rgbOf(colorRef); }
    void moveTo(int x, int y) {
        x_ = x;
        y_ = y;
    }
    void lineTo(int x, int y);
    void setPixel(int x, int y, uint32_t colorRef);
    // Outline in the pen colour, inside in `fill`.
    void rectangle(int x1, int y1, int x2, int y2, uint32_t fill);
    QPoint position() const { return {x_, y_}; }
    // The pixels set so far lie in this rectangle.
    QRect touched() const {
        return maxX_ < minX_ ? QRect() : QRect(QPoint(minX_, minY_), QPoint(maxX_, maxY_));
    }

private:
    void plot(int x, int y, QRgb color) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        reinterpret_cast<QRgb *>(bits_ + static_cast<ptrdiff_t>(y) * stride_)[x] = color;
        minX_ = x < minX_ ? x : minX_;
        maxX_ = x > maxX_ ? x : maxX_;
        minY_ = y < minY_ ? y : minY_;
        maxY_ = y > maxY_ ? y : maxY_;
    }

    uchar *bits_;
    qsizetype stride_;
    int width_, height_;
    int minX_ = 1 << 30, minY_ = 1 << 30, maxX_ = -1, maxY_ = -1;
    QRgb color_ = 0xFF000000;
    int x_ = 0, y_ = 0;
};

} // namespace calvoran::visuals
