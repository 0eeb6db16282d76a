#pragma once
#include "bass_vis.h"

#include <QImage>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QMenu;

namespace calvoran {

class TVrTimer;

// The plug-in's drawing area: keeps a pixel surface of its own size and shows it.
class VisPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit VisPaintBox(QWidget *parent = nullptr);
    QImage &surface() { return surface_; }
    std::function<void(int x, int y)> onMouseDown;
    std::function<void()> onResize;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QImage surface_;
};

// What the plug-ins window is given by the program.
struct SvisSetup {
    std::function<QString()> chosenPlugin; // the configuration window's choice; empty when none
    QString settingsFile;                  // the plug-ins' settings file (vis.ini)
    int recordDevice = 0;
    // A message box without an owner, captioned "Error"; tests replace it.
    std::function<void(const QString &text)> showError;
};

} // namespace calvoran

// The plug-ins window: one visual plug-in drawn from the recording input.
class Tsvis : public QMainWindow {
    Q_OBJECT
public:
    explicit Tsvis(calvoran::SvisSetup setup, QWidget *parent = nullptr);
    ~Tsvis() override; // FormDestroy

    // False when recording could not start; the user has been told and the window must go.
    bool recording() const { return record_ != 0; }
    // Starts the plug-in at `path` at the drawing area's size, ending the one that ran; a plug-in that
    // cannot be started is named in a message.
    bool startVis(const QString &path);
    // Ends the running plug-in.
    void freeVis();
    HVIS vis() const { return vis_; }
    DWORD recordHandle() const { return record_; }

    calvoran::VisPaintBox *PaintBox1;
    QComboBox *ComboBox1;
    calvoran::TVrTimer *VrTimer1;
    QMenu *Options1;
    std::array<QAction *, 4> SensitivityItems{};
    std::array<QAction *, 3> FftZoomItems{};
    std::array<QAction *, 4> WaveZoomItems{};
    QAction *Realtime1, *N101, *N201, *N301;

    void Formresize();
    void VrTimer1Timer();
    void PaintBox1MouseDown(int x, int y);
    void ComboBox1Change();

signals:
    // The user closed the window; its owner destroys it.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    HVIS createVis(const QString &path);

    calvoran::SvisSetup setup_;
    std::unique_ptr<calvoran::TVrTimer> timer_;
    bool recordInitialised_ = false;
    DWORD record_ = 0;
    HVIS vis_ = 0;
    bool started_ = false;
    QString failedPath_;
};
