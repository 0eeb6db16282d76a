#pragma once
#include "config/SkinTarget.h"

#include <QImage>
#include <QString>

namespace calvoran {

class TVrDisplay;
class TVrLevelBar;
class TVrMatrix;
class TVrSlider;
class TVrTrackBar;

// How the main window's widgets are set up, and the look it has without a skin.
namespace PlayerLook {

// Design size of the main window before a skin gives it its own.
constexpr int kDesignWidth = 278;
constexpr int kDesignHeight = 94;

void setUpDisplay(TVrDisplay *panel);
void setUpMatrix(TVrMatrix *matrix);
// Left bar grows from the left, right bar from the right.
void setUpLevelBar(TVrLevelBar *bar, bool fromRight);
void setUpBalance(TVrSlider *slider);
void setUpVolume(TVrSlider *slider);
void setUpPosition(TVrTrackBar *bar);

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
