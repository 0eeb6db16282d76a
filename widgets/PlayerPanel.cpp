#include "PlayerPanel.h"

#include "TVrDisplay.h"
#include "TVrLevelBar.h"
#include "TVrMatrix.h"
#include "TVrSlider.h"
#include "TVrTrackBar.h"

namespace calvoran::PlayerLook {

namespace {

const QColor kLime(0x00FF00);

TVrBevel onePixelFrame() {
    TVrBevel bevel;
    bevel.setOuterOutline(osOuter);
    return bevel;
}

} // namespace

void setUpDisplay(TVrDisplay *panel) {
    panel->resize(177, 57);
    panel->setColor(Qt::black);
    panel->Bevel().setOuterStyle(bsRaised);
    panel->Bevel().setOuterWidth(2);
    panel->Bevel().setInnerWidth(1);
    panel->Bevel().setInnerSpace(0);
    panel->setShadowWidth(1);
    panel->setShadowLayout(soTopLeft);
}

void setUpMatrix(TVrMatrix *matrix) {
    matrix->setLedStyle(ls9x13);
    matrix->setTextStyle(tsAsIs);
    matrix->setLedsVisible(false);
    matrix->setBevel(onePixelFrame());
    matrix->setPalette(TVrPalette(QColor(0x008000), kLime));
    matrix->setAutoScroll(true);
}

void setUpLevelBar(TVrLevelBar *bar, bool fromRight) {
    bar->setOrientation(voHorizontal);
    bar->setMaxValue(128);
    bar->setStep(1);
    bar->setPalette1(TVrPalette(Qt::black, kLime));
    bar->setPalette2(TVrPalette(Qt::black, QColor(0xFFFF00)));
    bar->setPalette3(TVrPalette(Qt::black, QColor(0xFF0000)));
    bar->setBevel(onePixelFrame());
    bar->setStyle(fromRight ? psTopRight : psBottomLeft);
    bar->resize(83, 9);
    bar->setPosition(0);
}

void setUpBalance(TVrSlider *slider) {
    slider->setOrientation(voHorizontal);
    slider->setMinValue(-100);
    slider->setMaxValue(100);
    slider->setPosition(0);
    slider->setPalette(TVrPalette(QColor(0x008000), QColor(0x008000)));
    slider->setThumbIndent(1);
    slider->setBorderWidth(0);
    slider->setColor(Qt::black);
    slider->setBevel(TVrBevel());
    slider->setGeometry(49, 30, 33, 9);
}

void setUpVolume(TVrSlider *slider) {
    slider->setOrientation(voHorizontal);
    slider->setMinValue(0);
    slider->setMaxValue(100);
    slider->setOptions(soActiveClick | soHandPoint | soThumbOpaque);
    slider->setKeyIncrement(1);
    slider->setSolidFill(false);
    slider->setThumbIndent(0);
    slider->setBorderWidth(0);
    slider->setFocusColor(QColor(0x008080));
    slider->setColor(Qt::black);
    slider->setBevel(TVrBevel());
    slider->setGeometry(82, 30, 89, 9);
    slider->setPosition(0);
}

void setUpPosition(TVrTrackBar *bar) {
    bar->setOrientation(voHorizontal);
    bar->setTickMarks(tmNone);
    bar->setGutterWidth(4);
    bar->setBorderWidth(0);
    bar->setFrequency(1);
    // On the black panel, not the desktop's button colour.
    bar->setColor(Qt::black);
    bar->setGutterColor(QColor(0x00, 0x30, 0x00));
    // A dim green edge: the stock grey and white would stand out as a bright line on the panel.
    bar->GutterBevel().setOuterShadow(QColor(0x00, 0x50, 0x00));
    bar->GutterBevel().setOuterHighlight(QColor(0x00, 0x90, 0x00));
    bar->setGeometry(8, 40, 162, 12);
    bar->setMinValue(0);
    bar->setMaxValue(100);
    bar->setPosition(0);
}

} // namespace calvoran::PlayerLook
