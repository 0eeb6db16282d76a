#pragma once
#include <QString>

class QObject;
class QPoint;
class Tid32;

namespace calvoran {

class PlaybackEngine;
class TVrTimer;

// What the engine's start and stop show in the main window: its title matrix, level bars, time
// label and position bar, its two playback timers, and what the playlist window asks of it. The main
// window implements it; tests implement it with a recorder.
class EngineDisplays {
public:
    virtual ~EngineDisplays() = default;

    virtual void setTitleText(const QString &text) = 0; // VrMatrix1
    virtual void setTitleAutoScroll(bool on) = 0;
    virtual void setLevels(int left, int right) = 0; // VrLevelBar1, VrLevelBar2 (0..128)
    // Whether the bars would look the same at both pairs of levels.
    virtual bool levelsLookSame(int, int, int, int) const { return false; }
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

// Shows the engine's starts and stops on the displays for as long as context lives: a start shows
// its title, sets the position bar's range and runs Timer2 and tt1; a stop halts them and resets
// the bars, the time and the position.
void showEngineOn(PlaybackEngine &engine, EngineDisplays &displays, QObject *context);

} // namespace calvoran

namespace calvoran {
// The ID3 information window's boxes show the fields of the file whose tag the engine read last.
void showTagsIn(PlaybackEngine &engine, Tid32 &window);
} // namespace calvoran
