#pragma once
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;

namespace calvoran {
class PlaybackEngine;
class TVrSlider;
} // namespace calvoran

// The three-band equaliser window. Switched on, the equaliser with the sliders' gains applies to the
// playing channel and to every one that plays after, until it is switched off.
class Teq2 : public QWidget {
    Q_OBJECT
public:
    explicit Teq2(calvoran::PlaybackEngine &engine, QWidget *parent = nullptr);

    QCheckBox *chkEqualizer;
    QGroupBox *GroupBox1, *GroupBox2, *GroupBox3;
    calvoran::TVrSlider *vsEQBASS, *vsEQMID, *vsEQTREBLE;
    QLabel *lbl125Hz, *lbl1KHz, *lbl8KHz;

    void chkEqualizerClick();
    void vsEQBASSChange();
    void vsEQMIDChange();
    void vsEQTREBLEChange();

private:
    calvoran::PlaybackEngine &engine_;
};
