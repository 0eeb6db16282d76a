#pragma once
// The four visualisation renderers. Each draws one frame off-screen into Buffer and copies it to a
// target in one step. Pure drawing: no window code.
#include <QImage>
#include <array>
#include <cstdint>

class QPaintDevice;

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
    explicit RasterPen(QImage &image) : image_(image) {}
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

private:
    void plot(int x, int y, QRgb color);

    QImage &image_;
    QRgb color_ = 0xFF000000;
    int x_ = 0, y_ = 0;
};

} // namespace calvoran::visuals
