#pragma once
#include "engine/EngineDisplays.h"

#include <QString>
#include <QWidget>
#include <memory>

class QLabel;
class QProgressBar;
class QToolButton;

namespace calvoran {
class TVrRunOnce;
class TVrTimer;
} // namespace calvoran

// The main window: a small borderless skinned window with the transport, the LED title and the
// level bars. Its controls arrive with the widgets and skin work; until then it draws a plain panel, and
// plain labels and bars stand in for the displays the engine drives.
class TForm1 : public QWidget, public calvoran::EngineDisplays {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // Runs the single-instance guard (what the window does once it has loaded).
    void FormCreate();
    calvoran::TVrRunOnce *VrRunOnce1() const { return runOnce_.get(); }

    // The file named on a raw command line of the form "exe" "file"; empty when there is none.
    QString GetCMDLineFile(const QString &commandLine) override;
    static QString commandLineFile(const QString &commandLine, const QString &exePath);

    void setLedText(const QString &text);
    QString ledText() const { return ledText_; }

    int volume() const { return volume_; }
    // Moves the volume slider, which runs its change handler.
    void setVolume(int position);
    void VrSlider1Change();

    // Shows the playlist window when hidden, hides it when shown.
    void PlButtonClick();

    void ApplySkin(const QString &skinName);
    QString currentSkinName() const { return skinName_; }

    int CurrentIndex = 0;
    int SeekDragging = 0;
    int Use3D = 0;

    calvoran::TVrTimer *Timer2() const { return timer2_.get(); }
    calvoran::TVrTimer *tt1() const { return tt1_.get(); }

    // The engine's displays.
    void setTitleText(const QString &text) override { setLedText(text); }
    void setTitleAutoScroll(bool on) override { ledAutoScroll_ = on; }
    bool ledAutoScroll() const { return ledAutoScroll_; }
    void setLevels(int left, int right) override;
    void setTimeText(const QString &text) override;
    void setPositionMax(int seconds) override;
    void setPosition(int seconds) override;
    calvoran::TVrTimer *endOfTrackTimer() override { return timer2_.get(); }
    calvoran::TVrTimer *positionTimer() override { return tt1_.get(); }
    int volumePosition() const override { return volume_; }
    bool use3D() const override { return Use3D != 0; }
    void setCurrentIndex(int index) override { CurrentIndex = index; }
    void popupMainMenu(const QPoint &globalPos) override;
    QProgressBar *VrLevelBar1() const { return level1_; }
    QProgressBar *VrLevelBar2() const { return level2_; }
    QLabel *Label1() const { return label1_; }
    QProgressBar *VrTrackBar1() const { return trackBar_; }

    // Shutdown steps of the Exit command; then the window closes through FormClose.
    void Exit1Click();
    // Whatever closes the window: save the playlist and stop audio.
    void FormClose();

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::unique_ptr<calvoran::TVrRunOnce> runOnce_;
    std::unique_ptr<calvoran::TVrTimer> timer2_;
    std::unique_ptr<calvoran::TVrTimer> tt1_;
    QLabel *led_ = nullptr;
    QProgressBar *level1_ = nullptr;
    QProgressBar *level2_ = nullptr;
    QLabel *label1_ = nullptr;
    QProgressBar *trackBar_ = nullptr;
    QToolButton *plButton_ = nullptr;
    bool ledAutoScroll_ = true;
    QString ledText_;
    QString skinName_;
    int volume_ = 0;
    bool closed_ = false;
};
