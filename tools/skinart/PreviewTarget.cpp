#include "PreviewTarget.h"

#include "GlyphPainter.h"
#include "SkinDesign.h"

#include <QPainter>
#include <array>
#include <utility>

namespace calvoran::skinart {

namespace {

// A glyph's frame with its transparent colour (the top-left pixel) left out.
QImage frameOf(const QImage &glyph, int frame) {
    const int width = glyph.width() / 2;
    QImage out = glyph.copy(frame * width, 0, width, glyph.height()).convertToFormat(QImage::Format_ARGB32);
    const QRgb key = glyph.pixel(0, 0) & 0xFFFFFF;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if ((out.pixel(x, y) & 0xFFFFFF) == key) out.setPixel(x, y, 0);
    return out;
}

// Roughly what the display panel's own widgets draw, so the skin can be judged around them.
void paintPanelStandIn(QPainter &p, QPoint at) {
    p.save();
    p.translate(at);
    p.fillRect(QRect(QPoint(), kPanelSize), Qt::black);
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.drawLine(0, 0, kPanelSize.width() - 1, 0);
    p.drawLine(0, 0, 0, kPanelSize.height() - 1);
    p.setPen(QColor(0x20, 0x20, 0x20));
    p.drawLine(1, kPanelSize.height() - 1, kPanelSize.width() - 1, kPanelSize.height() - 1);
    p.drawLine(kPanelSize.width() - 1, 1, kPanelSize.width() - 1, kPanelSize.height() - 1);
    const QColor lime(0, 255, 0), dark(0, 64, 0);
    for (int i = 0; i < 41; ++i) {
        p.fillRect(6 + i * 2, 7, 1, 7, i < 28 ? lime : dark);
        p.fillRect(170 - i * 2, 7, 1, 7, i < 24 ? lime : dark);
    }
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(lime);
    p.drawText(QRect(7, 14, 165, 15), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Calvoran Player"));
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(QColor(0, 200, 0));
    p.drawText(QRect(8, 28, 40, 12), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("2:5"));
    for (int i = 0; i < 16; ++i)
        p.fillRect(49 + i * 2, 32, 1, 5, i == 8 ? lime : dark);
    for (int i = 0; i < 44; ++i)
        p.fillRect(82 + i * 2, 32, 1, 5, i < 30 ? lime : dark);
    p.fillRect(8, 44, 162, 4, QColor(0x10, 0x30, 0x10));
    p.fillRect(8, 44, 60, 4, QColor(0, 160, 0));
    p.fillRect(66, 41, 5, 10, QColor(0xB0, 0xB0, 0xB0));
    p.restore();
}

void paintMenuStandIn(QPainter &p, QPoint at) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x70, 0x78, 0x84));
    p.drawEllipse(QRectF(at, kMenuSize));
    p.setBrush(Qt::white);
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(at.x() + 2.5 + i * 2.5, at.y() + 5), 0.9, 0.9);
    p.restore();
}

QImage checkerBoard(QSize size) {
    QImage board(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            board.setPixel(x, y, ((x / 8 + y / 8) % 2) ? qRgb(0xCC, 0xCC, 0xCC) : qRgb(0xF4, 0xF4, 0xF4));
    return board;
}

} // namespace

PreviewTarget::PreviewTarget() {
    window_.resize(2, 2);
    shape_.setTransparentColor(qRgb(0, 0, 0));
}

QImage PreviewTarget::render(bool hover) const {
    QImage canvas = checkerBoard(window_.size());
    QPainter p(&canvas);
    p.setClipRegion(window_.mask().isEmpty() ? QRegion(canvas.rect()) : window_.mask());
    p.drawImage(0, 0, background_);
    paintPanelStandIn(p, places_.at(SkinControl::VrDisplay1));
    paintMenuStandIn(p, places_.at(SkinControl::Image2));
    constexpr std::array<std::pair<SkinControl, SkinButton>, 5> mainButtons{{
        {SkinControl::PlButton, SkinButton::PlButton},
        {SkinControl::PrevBtn, SkinButton::PrevBtn},
        {SkinControl::PlayBtn, SkinButton::PlayBtn},
        {SkinControl::StopBtn, SkinButton::StopBtn},
        {SkinControl::NextBtn, SkinButton::NextBtn},
    }};
    for (const auto &[control, button] : mainButtons)
        p.drawImage(places_.at(control) + QPoint(1, 1), frameOf(glyphs_.at(button), hover ? 1 : 0));
    return canvas;
}

QImage PreviewTarget::renderPlaylistButtons(bool hover) const {
    // The playlist window's own places for them.
    QImage strip(90, 24, QImage::Format_ARGB32);
    strip.fill(QColor(0xF0, 0xF0, 0xF0));
    QPainter p(&strip);
    const std::array<std::pair<SkinButton, QPoint>, 3> buttons{{
        {SkinButton::AddBtn, {0, 1}},
        {SkinButton::Delbtn, {25, 1}},
        {SkinButton::SaveBtn, {50, 0}},
    }};
    for (const auto &[button, at] : buttons)
        p.drawImage(at + QPoint(1, 1), frameOf(glyphs_.at(button), hover ? 1 : 0));
    return strip;
}

} // namespace calvoran::skinart
