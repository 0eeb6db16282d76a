#include "ArtHelpers.h"
#include "SkinDesign.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace calvoran::skinart {

namespace {

constexpr int kWidth = 304;
constexpr int kHeight = 101;
const QPointF kDiscCentre(49.5, 49.5);
constexpr qreal kDiscRadius = 49;
const QColor kOrange(0xF5, 0x82, 0x1F);

ButtonStyle roundStyle() {
    ButtonStyle style;
    style.shape = Shape::Circle;
    style.faceTop = QColor(0xFF, 0xFF, 0xFF);
    style.faceBottom = QColor(0xDD, 0xE1, 0xE6);
    style.border = QColor(0x8E, 0x96, 0xA1);
    style.icon = QColor(0x46, 0x4E, 0x5A);
    style.hoverFaceTop = QColor(0xFF, 0xFF, 0xFF);
    style.hoverFaceBottom = QColor(0xEE, 0xF0, 0xF3);
    style.hoverIcon = kOrange;
    return style;
}

ButtonStyle playStyle() {
    ButtonStyle style = roundStyle();
    style.faceTop = QColor(0xFF, 0xA7, 0x52);
    style.faceBottom = QColor(0xEC, 0x71, 0x0C);
    style.border = QColor(0xA8, 0x4E, 0x05);
    style.icon = Qt::white;
    style.hoverFaceTop = QColor(0xFF, 0xBE, 0x7A);
    style.hoverFaceBottom = QColor(0xF4, 0x86, 0x28);
    style.hoverIcon = Qt::white;
    return style;
}

} // namespace

SkinDesign daylightDesign() {
    SkinDesign d;
    d.name = QStringLiteral("Daylight");
    d.size = {kWidth, kHeight};
    d.outline.addEllipse(kDiscCentre, kDiscRadius, kDiscRadius);
    QPainterPath body;
    body.addRoundedRect(QRectF(40, 7, kWidth - 40, 86), 16, 16);
    d.outline = d.outline.united(body);
    d.panel = {110, 15};
    d.menu = {281, 80};

    const QSize outer{24, 24};
    d.buttons = {
        {SkinButton::PrevBtn, Icon::Previous, {10, 37}, outer, roundStyle()},
        {SkinButton::PlayBtn, Icon::Play, {37, 10}, outer, playStyle()},
        {SkinButton::StopBtn, Icon::Stop, {37, 64}, outer, roundStyle()},
        {SkinButton::NextBtn, Icon::Next, {64, 37}, outer, roundStyle()},
        {SkinButton::PlButton, Icon::Playlist, {39, 39}, {20, 20}, roundStyle()},
    };

    d.playlistStyle = roundStyle();
    d.playlistStyle.shape = Shape::RoundedRect;
    d.playlistStyle.radius = 3;
    d.playlistStyle.hardEdge = true;

    const SkinDesign layout = d;
    d.paintBackground = [layout](QPainter &p) {
        p.fillRect(QRect(QPoint(), layout.size), QColor(0x8E, 0x96, 0xA1));
        p.setRenderHint(QPainter::Antialiasing);
        p.setClipPath(layout.outline);

        // Body: pale aluminium.
        QLinearGradient metal(0, 0, 0, kHeight);
        metal.setColorAt(0, QColor(0xFB, 0xFC, 0xFD));
        metal.setColorAt(0.55, QColor(0xE6, 0xE9, 0xED));
        metal.setColorAt(1, QColor(0xCF, 0xD4, 0xDA));
        p.fillRect(QRect(QPoint(), layout.size), metal);
        for (int y = 0; y < kHeight; y += 2)
            p.fillRect(QRect(0, y, kWidth, 1), QColor(0, 0, 0, 5));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x86, 0x8E, 0x99), 2));
        p.drawPath(layout.outline);
        p.setPen(QPen(QColor(255, 255, 255, 200), 1));
        p.drawRoundedRect(QRectF(41.5, 8.5, kWidth - 43, 83), 15, 15);

        // The disc carrying the transport: spun metal with an orange ring.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 40));
        p.drawEllipse(kDiscCentre + QPointF(1.5, 1.5), kDiscRadius - 1, kDiscRadius - 1);
        QConicalGradient spun(kDiscCentre, 30);
        for (int i = 0; i <= 8; ++i)
            spun.setColorAt(i / 8.0, i % 2 ? QColor(0xE4, 0xE7, 0xEB) : QColor(0xFA, 0xFB, 0xFC));
        p.setBrush(spun);
        p.drawEllipse(kDiscCentre, kDiscRadius - 1, kDiscRadius - 1);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x86, 0x8E, 0x99), 2));
        p.drawEllipse(kDiscCentre, kDiscRadius, kDiscRadius);
        p.setPen(QPen(kOrange, 2));
        p.drawEllipse(kDiscCentre, kDiscRadius - 5, kDiscRadius - 5);
        // Hub the playlist button sits in.
        QRadialGradient hub(kDiscCentre, 15);
        hub.setColorAt(0, QColor(0xC9, 0xCF, 0xD6));
        hub.setColorAt(1, QColor(0xE9, 0xEC, 0xF0));
        p.setPen(Qt::NoPen);
        p.setBrush(hub);
        p.drawEllipse(kDiscCentre, 15, 15);

        const QRectF panel(layout.panel, kPanelSize);
        paintRecess(p, panel.adjusted(-4, -4, 4, 4), 6, QColor(0x2B, 0x30, 0x37));
        paintLabel(p, QStringLiteral("CALVORAN"), panel.left() + 2, 89, 9, 2.2, QColor(0x56, 0x5E, 0x6A));
        paintLabel(p, QStringLiteral("player"), panel.left() + 2 + labelWidth("CALVORAN", 9, 2.2) + 7, 89, 9,
                   0.6, kOrange, false);
        const QRectF menu(layout.menu, kMenuSize);
        paintRecess(p, menu.adjusted(-2, -2, 2, 2), 7, QColor(0xC4, 0xCA, 0xD2));
    };
    return d;
}

} // namespace calvoran::skinart
