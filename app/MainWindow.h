#pragma once
#include <QString>
#include <QWidget>
#include <memory>

class QLabel;

namespace calvoran {
class TVrRunOnce;
class TVrTimer;
} // namespace calvoran

// The main window: a small borderless skinned window with the transport, the LED title and the
// level bars. Its controls arrive with the widgets and skin work; until then it draws a plain panel.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // Runs the single-instance guard (what the window does once it has loaded).
    void FormCreate();
    calvoran::TVrRunOnce *VrRunOnce1() const { return runOnce_.get(); }

    // The file named on a raw command line of the form "exe" "file"; empty when there is none.
    QString GetCMDLineFile(const QString &commandLine);
    static QString commandLineFile(const QString &commandLine, const QString &exePath);

    void setLedText(const QString &text);
    QString ledText() const { return ledText_; }

    int volume() const { return volume_; }
    // Moves the volume slider, which runs its change handler.
    void setVolume(int position);
    void VrSlider1Change();

    void ApplySkin(const QString &skinName);
    QString currentSkinName() const { return skinName_; }

    int CurrentIndex = 0;
    int SeekDragging = 0;
    int Use3D = 0;

    calvoran::TVrTimer *Timer2() const { return timer2_.get(); }
    calvoran::TVrTimer *tt1() const { return tt1_.get(); }

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
    QString ledText_;
    QString skinName_;
    int volume_ = 0;
    bool closed_ = false;
};
