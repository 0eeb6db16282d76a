#include "ArtHelpers.h"
#include "SkinDesign.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace calvoran::skinart {

namespace {

constexpr int kWidth = 292;
constexpr int kHeight = 112;
const QColor kAccent(57, 198, 240);

ButtonStyle keyStyle() {
    ButtonStyle style;
    style.shape = Shape::RoundedRect;
    style.radius = 4;
    style.faceTop = QColor(0x42, 0x4A, 0x56);
    style.faceBottom = QColor(0x25, 0x2A, 0x31);
    style.border = QColor(0x07, 0x08, 0x0A);
    style.icon = QColor(0xC6, 0xD2, 0xDE);
    style.hoverFaceTop = QColor(0x4C, 0x56, 0x64);
    style.hoverFaceBottom = QColor(0x2C, 0x33, 0x3C);
    style.hoverIcon = QColor(0x6A, 0xE2, 0xFF);
    return style;
}

} // namespace

SkinDesign midnightDesign() {
    SkinDesign d;
    d.name = QStringLiteral("Midnight");
    d.size = {kWidth, kHeight};
    d.outline.addRoundedRect(QRectF(0, 0, kWidth, kHeight - 1), 18, 18);
    d.panel = {14, 14};
    d.menu = {264, 30};

    const QSize key{41, 20};
    const int row = 81;
    d.buttons = {
        {SkinButton::PrevBtn, Icon::Previous, {14, row}, key, keyStyle()},
        {SkinButton::PlayBtn, Icon::Play, {59, row}, key, keyStyle()},
        {SkinButton::StopBtn, Icon::Stop, {104, row}, key, keyStyle()},
        {SkinButton::NextBtn, Icon::Next, {149, row}, key, keyStyle()},
        {SkinButton::PlButton, Icon::Playlist, {212, row}, {58, 20}, keyStyle()},
    };
    d.buttons[1].style.icon = kAccent; // the key a newcomer looks for first

    d.playlistStyle = keyStyle();
    d.playlistStyle.hardEdge = true;
    d.playlistStyle.radius = 3;

    const SkinDesign layout = d;
    d.paintBackground = [layout](QPainter &p) {
        p.fillRect(QRect(QPoint(), layout.size), QColor(0x0B, 0x0D, 0x10));
        p.setRenderHint(QPainter::Antialiasing);
        p.setClipPath(layout.outline);

        QLinearGradient body(0, 0, 0, kHeight);
        body.setColorAt(0, QColor(0x3A, 0x41, 0x4C));
        body.setColorAt(0.45, QColor(0x22, 0x27, 0x2E));
        body.setColorAt(1, QColor(0x14, 0x17, 0x1C));
        p.fillRect(QRect(QPoint(), layout.size), body);
        // Fine brushed lines.
        for (int y = 0; y < kHeight; y += 2)
            p.fillRect(QRect(0, y, kWidth, 1), QColor(255, 255, 255, 5));
        // A soft light from the top left.
        QRadialGradient light(QPointF(60, -30), 220);
        light.setColorAt(0, QColor(255, 255, 255, 28));
        light.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(QRect(QPoint(), layout.size), light);

        // Rim: dark edge, light bevel just inside it.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x05, 0x06, 0x08), 2));
        p.drawPath(layout.outline);
        QLinearGradient bevel(0, 0, 0, kHeight);
        bevel.setColorAt(0, QColor(255, 255, 255, 90));
        bevel.setColorAt(0.5, QColor(255, 255, 255, 10));
        bevel.setColorAt(1, QColor(0, 0, 0, 0));
        p.setPen(QPen(QBrush(bevel), 1));
        p.drawRoundedRect(QRectF(1.5, 1.5, kWidth - 3, kHeight - 4), 16.5, 16.5);

        const QRectF panel(layout.panel, kPanelSize);
        paintRecess(p, panel.adjusted(-4, -4, 4, 4), 5, QColor(0x06, 0x07, 0x09));
        paintRecess(p, QRectF(10, 77, 185, 28), 7, QColor(0x0F, 0x12, 0x16));
        paintRecess(p, QRectF(208, 77, 66, 28), 7, QColor(0x0F, 0x12, 0x16));

        // Maker's plate at the right.
        paintLabel(p, QStringLiteral("CALVORAN"), 208, 27, 10, 1.2, QColor(0xB8, 0xC8, 0xD8));
        paintLabel(p, QStringLiteral("PLAYER"), 208, 39, 7, 3.2, kAccent);
        p.fillRect(QRectF(208, 43, 66, 1), QColor(255, 255, 255, 22));
        paintGrille(p, QRectF(208, 48, 66, 22), 6.5, 1.5, QColor(0x05, 0x06, 0x08),
                    QColor(255, 255, 255, 30));

        // Socket for the menu button.
        const QRectF menu(layout.menu, kMenuSize);
        paintRecess(p, menu.adjusted(-3, -3, 3, 3), 8, QColor(0x0A, 0x0C, 0x0F));
    };
    return d;
}

} // namespace calvoran::skinart
