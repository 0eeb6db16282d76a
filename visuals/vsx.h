#pragma once
// The VSX Lab window: a lit mesh that turns with the music, with the frame rate over it.
#include "FrameTimer.h"
#include "Scene3D.h"
#include "Scene3DView.h"

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

class QAction;
class QFileDialog;
class QKeyEvent;
class QLabel;
class QMenuBar;
class QVBoxLayout;

class TVSXlab : public QWidget {
    Q_OBJECT
public:
    // `channel` answers the playing channel's handle (0 when none).
    explicit TVSXlab(std::function<uint32_t()> channel, QWidget *parent = nullptr);
    ~TVSXlab() override;

    calvoran::Scene3DView *DXDraw = nullptr; // null until the window first opens, or without OpenGL
    calvoran::FrameTimer *DXTimer;
    QFileDialog *OpenDialog;
    QMenuBar *MainMenu;
    QAction *orus1; // "Start"

    QString MeshPath; // empty: the program folder's cube.x

    void DXDrawInitialize();
    void DXDrawInitializeSurface();
    void DXDrawFinalize();
    void DXTimerTimer();
    void FormKeyDown(QKeyEvent *event);
    void DXDrawClick();
    void orus1Click();

    // Surface life: Initialize finalises first when needed, then sets up the scene and surface.
    void InitializeSurface();
    void FinalizeSurface();
    bool SurfaceInitialized() const { return initialized_; }
    bool FullScreenMode() const { return fullScreen_; }
    bool MeshLoaded() const { return meshLoaded_; }
    // Shown in the window when the mesh or 3D itself is missing; empty otherwise.
    QString Problem() const;
    // The 3D scene the surface draws (the window's own, also without OpenGL).
    const calvoran::Scene3D &Scene() const { return scene_; }
    bool Hardware() const { return hardware_; }

    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void createSurface();
    void switchFullScreen();
    void showProblem();

    std::function<uint32_t()> channel_;
    QVBoxLayout *layout_;
    QLabel *unavailable_ = nullptr;
    calvoran::Scene3D scene_;
    bool surfaceCreated_ = false;
    bool initialized_ = false;
    bool fullScreen_ = false;
    bool hardware_ = false;
    bool meshLoaded_ = false;
    QString meshError_;
    QString glError_;
    QByteArray windowPlacement_;
};
