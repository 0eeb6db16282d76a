#pragma once
#include "bass_fx.h"

#include <QWidget>
#include <cstdint>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;

namespace calvoran {
class TVrSlider;
}

// The three-band equaliser window. Switching it on attaches the peaking equaliser to the stream
// that plays at that moment; a later stream plays without it until it is switched off and on again.
class Teq2 : public QWidget {
    Q_OBJECT
public:
    explicit Teq2(QWidget *parent = nullptr);

    QCheckBox *chkEqualizer;
    QGroupBox *GroupBox1, *GroupBox2, *GroupBox3;
    calvoran::TVrSlider *vsEQBASS, *vsEQMID, *vsEQTREBLE;
    QLabel *lbl125Hz, *lbl1KHz, *lbl8KHz;

    void chkEqualizerClick();
    void vsEQBASSChange();
    void vsEQMIDChange();
    void vsEQTREBLEChange();

    // The channel the equaliser acts on (the engine's CurrentChannel); tests set their own.
    static void setChannelSource(std::function<uint32_t()> source);

private:
    EqBandParams params_{}; // the window's record, used when switching on
};

// Sets one band's gain from a slider position on the current channel: top (0) is +10 dB.
void SetEqBandGain(int band, int position);
