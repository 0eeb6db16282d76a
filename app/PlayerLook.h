#pragma once
#include "config/SkinTarget.h"
#include "widgets/PlayerPanel.h"

#include <QImage>
#include <QString>

namespace calvoran {

// How the main window's widgets are set up, and the look it has without a skin.
namespace PlayerLook {

// Design size of the main window before a skin gives it its own.
constexpr int kDesignWidth = 278;
constexpr int kDesignHeight = 94;

// Minutes ":" seconds, both truncated and without leading zeros: 125 s is "2:5".
QString minutesSeconds(float seconds);

// Our own built-in artwork: two frames (normal, mouse over) on a magenta key colour.
QImage builtInGlyph(SkinButton button);
QImage builtInBackground();
QImage menuButtonPicture();
// A glyph's first frame with its key colour (top-left pixel) made see-through.
QImage firstFrame(const QImage &glyph, int numGlyphs);

} // namespace PlayerLook
} // namespace calvoran
