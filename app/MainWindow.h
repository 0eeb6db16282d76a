#pragma once
#include "config/SkinTarget.h"
#include "engine/EngineDisplays.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class MainMenu;
class TForm2;
class TForm5;
class Teq2;
class Tid32;
class TVSXlab;
class TfrmMain;
class WindowDrag;

namespace calvoran {
class PlaybackEngine;
class PlaylistModel;
class TBitmapRgn;
class TVrBitmapButton;
class TVrDisplay;
class TVrLevelBar;
class TVrMatrix;
class TVrRunOnce;
class TVrSlider;
class TVrTimer;
class TVrTrackBar;
} // namespace calvoran

// The main window: a small borderless skinned window with the transport, the LED title, the level
// bars, the time, the position bar and the volume and balance sliders. It drives the engine over the
// playlist and is the skin loader's target.
class TForm1 : public QWidget, public calvoran::EngineDisplays, public calvoran::SkinTarget {
    Q_OBJECT
public:
    TForm1(calvoran::PlaybackEngine &engine, calvoran::PlaylistModel &playlist, QWidget *parent = nullptr);
    ~TForm1() override;

    // The windows the main window's buttons and menu reach; made after it, so handed over later.
    struct Peers {
        TForm2 *playlist = nullptr;
        Tid32 *id3 = nullptr;
        TForm5 *config = nullptr;
        Teq2 *equalizer = nullptr;
        TVSXlab *vsx = nullptr;
        TfrmMain *radio = nullptr;
    };
    void setPeers(const Peers &peers) { peers_ = peers; }

    // Runs the single-instance guard (what the window does once it has loaded).
    void FormCreate();
    // True once the window has run its close (the playlist is written then).
    bool closedAlready() const { return closed_; }
    calvoran::TVrRunOnce *VrRunOnce1() const { return runOnce_.get(); }

    // The file named on a raw command line of the form "exe" "file"; empty when there is none.
    QString GetCMDLineFile(const QString &commandLine) override;
    static QString commandLineFile(const QString &commandLine, const QString &exePath);

    // Controls; each is owned by its Qt parent.
    QLabel *Image1;
    QLabel *Image2;
    calvoran::TVrBitmapButton *PlButton, *PrevBtn, *NextBtn, *PlayBtn, *StopBtn;
    calvoran::TVrDisplay *VrDisplay1;
    calvoran::TVrMatrix *VrMatrix1;
    calvoran::TVrLevelBar *VrLevelBar1, *VrLevelBar2;
    QLabel *Label1;
    calvoran::TVrTrackBar *VrTrackBar1;
    calvoran::TVrSlider *VrSlider2, *VrSlider1;
    MainMenu *PopupMenu1;
    calvoran::TVrTimer *Timer2() const { return timer2_.get(); }
    calvoran::TVrTimer *tt1() const { return tt1_.get(); }

    // The visual windows' menu commands; set by the program, which owns those windows.
    std::function<void()> openLevelMeters, openVsLab;
    // Releases the plug-ins window when one exists (the main window's close does it first).
    std::function<void()> releasePluginWindow;

    int CurrentIndex = 0;
    int SeekDragging = 0;
    int Use3D = 0;
    bool Repeat() const;

    void setLedText(const QString &text);
    QString ledText() const { return ledText_; }
    int volume() const;
    // Moves the volume slider, which runs its change handler.
    void setVolume(int position);

    // Transport and displays.
    void PlaybtnClick();
    void PrevBtnClick();
    void NextBtnClick();
    void StopBtnClick();
    void PlButtonClick();
    void VrSlider1Change();
    void vrSlider1MouseDown();
    void vrSlider1MouseUp();
    void VrSlider2Change();
    void vrSlider2MouseDown();
    void vrSlider2MouseUp();
    void vrTrackBar1MouseDown();
    void vrTrackBar1MouseUp();
    void tt1Timer();
    void skipQuietTicks(double seconds);
    void Timer2Timer();

    // Menu, tray and dragging.
    void Image2Click();
    void WM_CALLBACKPRO(int mouseMessage);
    void MoveForm(const QMouseEvent *press);
    void Minimize1Click();
    // Shutdown steps of the Exit command; then the window closes through FormClose.
    void Exit1Click();
    // Whatever closes the window: save the playlist and stop audio.
    void FormClose();

    // The engine's displays.
    void setTitleText(const QString &text) override { setLedText(text); }
    void setTitleAutoScroll(bool on) override;
    bool ledAutoScroll() const;
    void setLevels(int left, int right) override;
    bool levelsLookSame(int left1, int right1, int left2, int right2) const override;
    void setTimeText(const QString &text) override;
    void setPositionMax(int seconds) override;
    void setPosition(int seconds) override;
    calvoran::TVrTimer *endOfTrackTimer() override { return timer2_.get(); }
    calvoran::TVrTimer *positionTimer() override { return tt1_.get(); }
    int volumePosition() const override { return volume(); }
    bool use3D() const override { return Use3D != 0; }
    void setCurrentIndex(int index) override { CurrentIndex = index; }
    void popupMainMenu(const QPoint &globalPos) override;

    // The skin loader's target.
    void setControlLeft(calvoran::SkinControl control, int left) override;
    void setControlTop(calvoran::SkinControl control, int top) override;
    void loadGlyph(calvoran::SkinButton button, const QImage &glyph) override;
    calvoran::TBitmapRgn &BitmapRgn1() override { return *bitmapRgn_; }
    void loadBackground(const QImage &picture) override;
    QSize backgroundSize() const override;
    void repaintBackground() override;
    void resizeWindow(const QSize &size) override { resize(size); }
    void useBuiltInLook() override;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void wireMenu();
    QWidget *controlWidget(calvoran::SkinControl control) const;
    calvoran::TVrBitmapButton *mainButton(calvoran::SkinButton button) const;
    // Selects and plays the entry at CurrentIndex, first pulled back inside a non-empty list.
    void playCurrentIndex(bool scroll);
    void showPlayedTime(float seconds);
    void restoreTitle();
    void refreshButtonBackgrounds();

    calvoran::PlaybackEngine &engine_;
    calvoran::PlaylistModel &playlist_;
    Peers peers_;
    std::unique_ptr<calvoran::TVrRunOnce> runOnce_;
    std::unique_ptr<calvoran::TVrTimer> timer2_;
    std::unique_ptr<calvoran::TVrTimer> tt1_;
    calvoran::TBitmapRgn *bitmapRgn_ = nullptr;
    WindowDrag *drag_ = nullptr;
    QString ledText_;
    bool closed_ = false;
};
