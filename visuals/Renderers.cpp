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

RasterPen::RasterPen(QImage &image)
    // One detach here instead of one per pixel.
    : bits_(image.bits()), stride_(image.bytesPerLine()), width_(image.width()), height_(image.height()) {}

void RasterPen::setPixel(int x, int y, uint32_t colorRef) {
    plot(x, y, rgbOf(colorRef));
}

void RasterPen::lineTo(int x, int y) {
    const int x0 = x_, y0 = y_;
    x_ = x;
    y_ = y;
    // Nothing of a line wholly beyond one edge can show.
    const int w = width_, h = height_;
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
    const int left = std::max(x1, 0), right = std::min(x2, width_);
    const int top = std::max(y1, 0), bottom = std::min(y2, height_);
    if (left >= right || top >= bottom) return;
    plot(left, top, color_); // keeps touched() right; the loop below paints both corners again
    plot(right - 1, bottom - 1, color_);
    for (int yy = top; yy < bottom; ++yy) {
        auto *line = reinterpret_cast<QRgb *>(bits_ + static_cast<ptrdiff_t>(yy) * stride_);
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

// Row by row: one large block copy runs several times slower here than copies that stay in the cache.
void copyPixels(QImage &to, const QImage &from, const QRect &area) {
    const QRect r = area.intersected(from.rect()).intersected(to.rect());
    if (r.isEmpty()) return;
    const auto rowBytes = static_cast<size_t>(r.width()) * 4;
    uchar *dst = to.bits();
    const uchar *src = from.constBits();
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::memcpy(dst + static_cast<ptrdiff_t>(y) * to.bytesPerLine() + r.left() * 4,
                    src + static_cast<ptrdiff_t>(y) * from.bytesPerLine() + r.left() * 4, rowBytes);
}

void fillPixels(QImage &image, QRgb color, const QRect &area) {
    const QRect r = area.intersected(image.rect());
    if (r.isEmpty()) return;
    uchar *bits = image.bits();
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::fill_n(reinterpret_cast<QRgb *>(bits + static_cast<ptrdiff_t>(y) * image.bytesPerLine()) +
                        r.left(),
                    r.width(), color);
}

QImage blankPicture(int width, int height) {
    QImage image(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    return image;
}

void setBackground(QImage &background, bool &useBackground, bool use, const QImage &picture,
                   calvoran::visuals::BackgroundMemo &memo) {
    useBackground = use;
    if (picture.isNull() || background.isNull()) return;
    // Drawing a picture onto the result of drawing that same picture changes nothing.
    if (memo.picture == picture.cacheKey() && memo.background == background.cacheKey()) return;
    {
        QPainter p(&background);
        p.drawImage(0, 0, picture);
    }
    memo.picture = picture.cacheKey();
    memo.background = background.cacheKey();
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
QRect drawRound(QImage &buffer, const uint32_t *wave, int x, int y, int radius, int amplitude, uint32_t pen,
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
    return p.touched();
}

} // namespace

namespace calvoran::visuals {

// The common start of a frame: the background picture, or the back colour. When Buffer still holds the
// previous frame over the same base, only what that frame drew is restored.
void FrameMemo::begin(QImage &buffer, const QImage &picture, bool use, uint32_t color) {
    sameBase = drawn && size == buffer.size() && useBackground == use &&
               (use ? background == picture.cacheKey() : backColor == color) &&
               bufferKey == buffer.cacheKey();
    const QRect area = sameBase ? lastDrawn : buffer.rect();
    if (use) {
        if (buffer.size() == picture.size() && buffer.format() == picture.format() && !buffer.isNull())
            copyPixels(buffer, picture, area);
        else
            buffer = picture.convertToFormat(QImage::Format_RGB32);
    } else {
        if (buffer.format() != QImage::Format_RGB32) buffer = buffer.convertToFormat(QImage::Format_RGB32);
        fillPixels(buffer, rgbOf(color), area);
    }
    useBackground = use;
    background = use ? picture.cacheKey() : 0;
    backColor = color;
}

void FrameMemo::finish(QImage &buffer, const QRect &touched, QPaintDevice *to) {
    changed = sameBase ? lastDrawn.united(touched) : buffer.rect();
    drawn = true;
    size = buffer.size();
    lastDrawn = touched;
    bufferKey = buffer.cacheKey();
    if (to == nullptr) return;
    if (to->devType() == QInternal::Image) {
        auto *image = static_cast<QImage *>(to);
        if (image->size() == buffer.size() && image->format() == buffer.format()) {
            // A picture that still holds our previous frame needs only what changed.
            const bool holdsLast = target == to && targetKey == image->cacheKey() && sameBase;
            copyPixels(*image, buffer, holdsLast ? changed : buffer.rect());
            target = to;
            targetKey = image->cacheKey();
            return;
        }
    }
    target = nullptr;
    QPainter p(to);
    p.drawImage(0, 0, buffer);
}

} // namespace calvoran::visuals

// ---- TOcilloScope -------------------------------------------------------------------------------

TOcilloScope::TOcilloScope(int width, int height)
    : Buffer(blankPicture(width, height)), Background(blankPicture(width, height)) {}

void TOcilloScope::SetBackground(bool use, const QImage &picture) {
    setBackground(Background, UseBackground, use, picture, memo_);
}

void TOcilloScope::Draw(QPaintDevice *target, const uint32_t *wave, int x, int y) {
    frame_.begin(Buffer, Background, UseBackground, BackColor);
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
    frame_.finish(Buffer, p.touched(), target);
}

// ---- TCircleScope and TLolVis -------------------------------------------------------------------

TCircleScope::TCircleScope(int width, int height)
    : Buffer(blankPicture(width, height)), Background(blankPicture(width, height)) {}

void TCircleScope::SetBackground(bool use, const QImage &picture) {
    setBackground(Background, UseBackground, use, picture, memo_);
}

void TCircleScope::Draw(QPaintDevice *target, const uint32_t *wave, int x, int y) {
    frame_.begin(Buffer, Background, UseBackground, BackColor);
    const QRect touched = drawRound(Buffer, wave, x, y, Radius, Amplitude, Pen, DrawMode, Res, 6.28f);
    frame_.finish(Buffer, touched, target);
}

TLolVis::TLolVis(int width, int height)
    : Buffer(blankPicture(width, height)), Background(blankPicture(width, height)) {}

void TLolVis::SetBackground(bool use, const QImage &picture) {
    setBackground(Background, UseBackground, use, picture, memo_);
}

void TLolVis::Draw(QPaintDevice *target, const uint32_t *wave, int x, int y) {
    frame_.begin(Buffer, Background, UseBackground, BackColor);
    const QRect touched = drawRound(Buffer, wave, x, y, Radius, Amplitude, Pen, DrawMode, Res, 4.0f);
    frame_.finish(Buffer, touched, target);
}

// ---- TSpectrum ----------------------------------------------------------------------------------

TSpectrum::TSpectrum(int width, int height)
    : Buffer(blankPicture(width, height)), Background(blankPicture(width, height)) {}

void TSpectrum::SetBackground(bool use, const QImage &picture) {
    setBackground(Background, UseBackground, use, picture, memo_);
}

void TSpectrum::Draw(QPaintDevice *target, const float *spectrum, int x, int y) {
    frame_.begin(Buffer, Background, UseBackground, BackColor);
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
    frame_.finish(Buffer, p.touched(), target);
}
