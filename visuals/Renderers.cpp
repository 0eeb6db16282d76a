#include "Renderers.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace calvoran::visuals {

QRgb rgbOf(uint32_t colorRef) {
    return qRgb(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                static_cast<int>((colorRef >> 16) & 0xFF));
}

uint32_t colorRefOf(QRgb rgb) {
    return static_cast<uint32_t>(qRed(rgb)) | (static_cast<uint32_t>(qGreen(rgb)) << 8) |
           (static_cast<uint32_t>(qBlue(rgb)) << 16);
}

void RasterPen::plot(int x, int y, QRgb color) {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
    reinterpret_cast<QRgb *>(image_.scanLine(y))[x] = color;
}

void RasterPen::setPixel(int x, int y, uint32_t colorRef) {
    plot(x, y, rgbOf(colorRef));
}

void RasterPen::lineTo(int x, int y) {
    const int x0 = x_, y0 = y_;
    x_ = x;
    y_ = y;
    // Nothing of a line wholly beyond one edge can show.
    const int w = image_.width(), h = image_.height();
    if ((x0 < 0 && x < 0) || (y0 < 0 && y < 0) || (x0 >= w && x >= w) || (y0 >= h && y >= h)) return;
    // Bresenham, stopping one step short of the end point.
    const int dx = std::abs(x - x0), dy = -std::abs(y - y0);
    const int sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    int cx = x0, cy = y0;
    while (cx != x || cy != y) {
        plot(cx, cy, color_);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            cx += sx;
        }
        if (e2 <= dx) {
            err += dx;
            cy += sy;
        }
    }
}

void RasterPen::rectangle(int x1, int y1, int x2, int y2, uint32_t fill) {
    if (x2 <= x1 || y2 <= y1) return;
    const QRgb inside = rgbOf(fill);
    const int left = std::max(x1, 0), right = std::min(x2, image_.width());
    const int top = std::max(y1, 0), bottom = std::min(y2, image_.height());
    for (int yy = top; yy < bottom; ++yy) {
        auto *line = reinterpret_cast<QRgb *>(image_.scanLine(yy));
        const bool edgeRow = yy == y1 || yy == y2 - 1;
        for (int xx = left; xx < right; ++xx)
            line[xx] = edgeRow || xx == x1 || xx == x2 - 1 ? color_ : inside;
    }
}

} // namespace calvoran::visuals

namespace {

using calvoran::visuals::RasterPen;
using calvoran::visuals::rgbOf;

// Coordinates far outside the picture are held here so the integer arithmetic never overflows.
constexpr double kFar = 1 << 20;

int clampToInt(double v) {
    if (!(v == v)) return 0; // NaN
    return static_cast<int>(std::clamp(v, -kFar, kFar));
}

QImage blankPicture(int width, int height) {
    QImage image(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    return image;
}

void setBackground(QImage &background, bool &useBackground, bool use, const QImage &picture) {
    useBackground = use;
    if (picture.isNull() || background.isNull()) return;
    QPainter p(&background);
    p.drawImage(0, 0, picture);
}

// The common start of a frame: the background picture, or the back colour.
void beginFrame(QImage &buffer, const QImage &background, bool useBackground, uint32_t backColor) {
    if (useBackground) {
        if (buffer.size() == background.size() && buffer.format() == background.format() &&
            buffer.bytesPerLine() == background.bytesPerLine() && !buffer.isNull())
            std::memcpy(buffer.bits(), background.constBits(), static_cast<size_t>(background.sizeInBytes()));
        else
            buffer = background.convertToFormat(QImage::Format_RGB32);
    } else {
        if (buffer.format() != QImage::Format_RGB32) buffer = buffer.convertToFormat(QImage::Format_RGB32);
        buffer.fill(rgbOf(backColor));
    }
}

void present(QPaintDevice *target, const QImage &buffer) {
    if (target == nullptr) return;
    if (target->devType() == QInternal::Image) {
        auto *image = static_cast<QImage *>(target);
        if (image->size() == buffer.size() && image->format() == buffer.format() &&
            image->bytesPerLine() == buffer.bytesPerLine()) {
            std::memcpy(image->bits(), buffer.constBits(), static_cast<size_t>(buffer.sizeInBytes()));
            return;
        }
    }
    QPainter p(target);
    p.drawImage(0, 0, buffer);
}

// Sum of the two signed 16-bit halves of wave entry k; entries outside the array read as silence.
int sampleSum(const uint32_t *wave, long long k) {
    if (wave == nullptr || k < 0 || k >= kWaveEntries) return 0;
    const uint32_t v = wave[k];
    return static_cast<int16_t>(v & 0xFFFF) + static_cast<int16_t>(v >> 16);
}

int displacement(const uint32_t *wave, long long k, int amplitude) {
    return clampToInt(std::trunc(sampleSum(wave, k) / 131070.0 * amplitude));
}

// The circle and the arc: the wave bent round (x, y); `factor` is the angle reached at entry 256.
void drawRound(QImage &buffer, const uint32_t *wave, int x, int y, int radius, int amplitude, uint32_t pen,
               int drawMode, int res, float factor) {
    RasterPen p(buffer);
    p.setColor(pen);
    const int r0 = clampToInt(static_cast<double>(displacement(wave, 0, amplitude)) + radius);
    const int startY = clampToInt(static_cast<double>(y) + r0);
    p.moveTo(x, startY);
    for (int i = 1; i <= 254; ++i) {
        const long long k = static_cast<long long>(i) * res;
        const float a = static_cast<float>(i / 256.0 * factor);
        const double r = static_cast<double>(displacement(wave, k, amplitude)) + radius;
        const int px = clampToInt(x + std::trunc(std::sin(static_cast<double>(a)) * r));
        const int py = clampToInt(y + std::trunc(std::cos(static_cast<double>(a)) * r));
        switch (drawMode) {
        case 0:
            p.lineTo(px, py);
            break;
        case 1:
            p.moveTo(x, y);
            p.lineTo(px, py);
            break;
        case 2:
            p.setPixel(px, py, pen);
            break;
        default:
            break;
        }
    }
    p.lineTo(x, startY);
}

} // namespace

// ---- TOcilloScope -------------------------------------------------------------------------------

TOcilloScope::TOcilloScope(int width, int height)
    : Buffer(blankPicture(width, height)), Background(blankPicture(width, height)) {}

void TOcilloScope::SetBackground(bool use, const QImage &picture) {
    setBackground(Background, UseBackground, use, picture);
}

void TOcilloScope::Draw(QPaintDevice *target, const uint32_t *wave, int x, int y) {
    beginFrame(Buffer, Background, UseBackground, BackColor);
    RasterPen p(Buffer);
    p.setColor(Pen);
    p.moveTo(x, clampToInt(static_cast<double>(y) + displacement(wave, 0, Amplitude)));
    for (int i = 1; i <= 256; ++i) {
        const int py = clampToInt(static_cast<double>(y) +
                                  displacement(wave, static_cast<long long>(i) * Res, Amplitude));
        switch (DrawMode) {
        case 0:
            p.lineTo(x + i, py);
            break;
        case 1:
            p.moveTo(x + i, y);
            p.lineTo(x + i, py);
            break;
        case 2:
            p.setPixel(x + i, py, Pen);
            break;
        default:
            break;
        }
    }
    present(target, Buffer);
}

// ---- TCircleScope and TLolVis -------------------------------------------------------------------

TCircleScope::TCircleScope(int width, int height)
    : Buffer(blankPicture(width, height)), Background(blankPicture(width, height)) {}

void TCircleScope::SetBackground(bool use, const QImage &picture) {
    setBackground(Background, UseBackground, use, picture);
}

void TCircleScope::Draw(QPaintDevice *target, const uint32_t *wave, int x, int y) {
    beginFrame(Buffer, Background, UseBackground, BackColor);
    drawRound(Buffer, wave, x, y, Radius, Amplitude, Pen, DrawMode, Res, 6.28f);
    present(target, Buffer);
}

TLolVis::TLolVis(int width, int height)
    : Buffer(blankPicture(width, height)), Background(blankPicture(width, height)) {}

void TLolVis::SetBackground(bool use, const QImage &picture) {
    setBackground(Background, UseBackground, use, picture);
}

void TLolVis::Draw(QPaintDevice *target, const uint32_t *wave, int x, int y) {
    beginFrame(Buffer, Background, UseBackground, BackColor);
    drawRound(Buffer, wave, x, y, Radius, Amplitude, Pen, DrawMode, Res, 4.0f);
    present(target, Buffer);
}

// ---- TSpectrum ----------------------------------------------------------------------------------

TSpectrum::TSpectrum(int width, int height)
    : Buffer(blankPicture(width, height)), Background(blankPicture(width, height)) {}

void TSpectrum::SetBackground(bool use, const QImage &picture) {
    setBackground(Background, UseBackground, use, picture);
}

void TSpectrum::Draw(QPaintDevice *target, const float *spectrum, int x, int y) {
    beginFrame(Buffer, Background, UseBackground, BackColor);
    RasterPen p(Buffer);
    p.setColor(Pen);
    const int base = clampToInt(static_cast<double>(y) + Buffer.height());
    for (int i = 0; i < 129; ++i) {
        // The five lowest entries are never shown; entries beyond the array read as silence.
        const long long index = 5 + static_cast<long long>(i) * Res;
        const float v =
            spectrum != nullptr && index >= 0 && index < kSpectrumEntries ? std::fabs(spectrum[index]) : 0.0f;
        int h = clampToInt(std::trunc(static_cast<double>(v) * 500));
        h = std::min(h, MaxHeight);

        auto sink = [h](int32_t &level, int falloff) {
            if (h >= level)
                level = h;
            else
                level = static_cast<int32_t>(
                    std::clamp<long long>(static_cast<long long>(level) - falloff, INT32_MIN, INT32_MAX));
        };
        sink(Peaks[static_cast<size_t>(i)], PeakFalloff);
        sink(Bars[static_cast<size_t>(i)], LineFalloff);
        if (Peaks[static_cast<size_t>(i)] < 0) Peaks[static_cast<size_t>(i)] = 0;
        if (Bars[static_cast<size_t>(i)] < 0) Bars[static_cast<size_t>(i)] = 0;
        const int peakY = clampToInt(static_cast<double>(base) - Peaks[static_cast<size_t>(i)]);
        const int barY = clampToInt(static_cast<double>(base) - Bars[static_cast<size_t>(i)]);

        switch (DrawMode) {
        case 0:
            p.moveTo(x + i, base);
            p.lineTo(x + i, barY);
            if (ShowPeaks) p.setPixel(x + i, peakY, Pen);
            break;
        case 1: {
            const int left = clampToInt(x + static_cast<double>(i) * (static_cast<double>(BarWidth) + 1));
            const int right = clampToInt(static_cast<double>(left) + BarWidth);
            if (ShowPeaks) {
                p.setColor(PeakColor);
                p.moveTo(left, peakY);
                p.lineTo(right, peakY);
            }
            p.setColor(Pen);
            p.rectangle(left, barY, right, base, Pen);
            break;
        }
        default:
            break; // Pixel mode shows no bars; the levels above still move.
        }
    }
    present(target, Buffer);
}
