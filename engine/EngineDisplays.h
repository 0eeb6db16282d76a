#pragma once
#include <QString>

class QPoint;

namespace calvoran {

class TVrTimer;

// What the engine and the playlist window need of the main window: its title matrix, level bars,
// time label and position bar, its two playback timers, its CurrentIndex and its pop-up menu. The
// main window implements it; tests implement it with a recorder.
class EngineDisplays {
public:
    virtual ~EngineDisplays() = default;

    virtual void setTitleText(const QString &text) = 0; // VrMatrix1
    virtual void setTitleAutoScroll(bool on) = 0;
    virtual void setLevels(int left, int right) = 0;   // VrLevelBar1, VrLevelBar2 (0..128)
    virtual void setTimeText(const QString &text) = 0; // Label1
    virtual void setPositionMax(int seconds) = 0;      // VrTrackBar1
    virtual void setPosition(int seconds) = 0;

    virtual TVrTimer *endOfTrackTimer() = 0; // Timer2
    virtual TVrTimer *positionTimer() = 0;   // tt1
    virtual int volumePosition() const = 0;  // VrSlider1
    virtual bool use3D() const = 0;
    virtual void setCurrentIndex(int index) = 0;
    // The file named on a raw command line "exe" "file"; also zeroes the level bars.
    virtual QString GetCMDLineFile(const QString &commandLine) = 0;
    // The main window's pop-up menu, which the playlist window shows on a right click.
    virtual void popupMainMenu(const QPoint &globalPos) = 0;
};

} // namespace calvoran
