#pragma once
// How the main window sets up the widgets of its display panel; the widget gallery shows the same.

namespace calvoran {

class TVrDisplay;
class TVrLevelBar;
class TVrMatrix;
class TVrSlider;
class TVrTrackBar;

namespace PlayerLook {

void setUpDisplay(TVrDisplay *panel);
void setUpMatrix(TVrMatrix *matrix);
// Left bar grows from the left, right bar from the right.
void setUpLevelBar(TVrLevelBar *bar, bool fromRight);
void setUpBalance(TVrSlider *slider);
void setUpVolume(TVrSlider *slider);
void setUpPosition(TVrTrackBar *bar);

} // namespace PlayerLook
} // namespace calvoran
