#pragma once
#include "GlyphPainter.h"
#include "config/SkinTarget.h"

#include <QPainterPath>
#include <QPoint>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

class QPainter;

namespace calvoran::skinart {

// Fixed by the player's window: the display panel and the menu button are not drawn by the skin.
constexpr QSize kPanelSize{177, 57};
constexpr QSize kMenuSize{10, 10};
// The playlist window places its buttons 25 pixels apart, so their frames are at most this big.
constexpr QSize kPlaylistFrame{25, 17};

struct ButtonArt {
    SkinButton button;
    Icon icon;
    QPoint glyphAt; // where the glyph's frame shows; the button sits one pixel up and left of it
    QSize frame;
    ButtonStyle style;
};

// Everything one of our skins is made of.
struct SkinDesign {
    QString name;
    QSize size;           // of the mask and of the background picture
    QPainterPath outline; // the window's shape, kept clear of the bottom row
    QPoint panel;         // VrDisplay1
    QPoint menu;          // Image2
    std::vector<ButtonArt> buttons;
    ButtonStyle playlistStyle;
    std::function<void(QPainter &)> paintBackground;
};

SkinDesign midnightDesign();
SkinDesign daylightDesign();

} // namespace calvoran::skinart
