#include "vsx.h"

#include "VsxScene.h"
#include "bass.h"
#include "platform/CreationLog.h"
#include "platform/Paths.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

using namespace calvoran;

namespace {
constexpr QSize kSurfaceSize(320, 213);
constexpr int kRenderModeSortedTransparency = 3;
} // namespace

TVSXlab::TVSXlab(std::function<uint32_t()> channel, QWidget *parent)
    : QWidget(parent), DXTimer(new FrameTimer(this)), OpenDialog(new QFileDialog(this)),
      MainMenu(new QMenuBar(this)), channel_(std::move(channel)), layout_(new QVBoxLayout(this)) {
    noteCreated("TVSXlab");
    setWindowTitle(QStringLiteral("VSX Lab"));
    resize(328, 267);
    setAttribute(Qt::WA_QuitOnClose, false);

    QMenu *control = MainMenu->addMenu(QStringLiteral("Control"));
    orus1 = control->addAction(QStringLiteral("Start"));
    connect(orus1, &QAction::triggered, this, &TVSXlab::orus1Click);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setMenuBar(MainMenu);

    DXTimer->SetInterval(0);
    DXTimer->SetActiveOnly(true);
    DXTimer->SetEnabled(false);
    DXTimer->SetPaused(true); // nothing to draw on until the window opens
    connect(DXTimer, &FrameTimer::Timer, this, &TVSXlab::DXTimerTimer);

    OpenDialog->setNameFilter(QStringLiteral("Direct3D file(*.x)"));
    OpenDialog->setDefaultSuffix(QStringLiteral("x"));
    OpenDialog->setFileMode(QFileDialog::ExistingFile);
    OpenDialog->setAcceptMode(QFileDialog::AcceptOpen);
}

TVSXlab::~TVSXlab() = default;

void TVSXlab::setVisible(bool visible) {
    // The surface is made before the window first appears, so a GL window never has to be
    // re-created under a visible one.
    if (visible && !surfaceCreated_) createSurface();
    QWidget::setVisible(visible);
}

void TVSXlab::createSurface() {
    surfaceCreated_ = true;
    // These platforms draw windows without GL even where a GL context can be had.
    static const QStringList noGlWindows{"offscreen", "minimal", "vnc", "linuxfb"};
    OpenGLProbe probe;
    if (noGlWindows.contains(QGuiApplication::platformName()))
        probe.error = QStringLiteral("this display has no OpenGL windows");
    else
        probe = ProbeOpenGL();
    if (probe.available) {
        hardware_ = !IsSoftwareRenderer(probe.renderer);
        DXDraw = new Scene3DView(&scene_, kSurfaceSize, this);
        DXDraw->installEventFilter(this);
        connect(DXDraw, &Scene3DView::Click, this, &TVSXlab::DXDrawClick);
        layout_->addWidget(DXDraw);
    } else {
        glError_ = QStringLiteral("3D is unavailable: %1.").arg(probe.error);
        unavailable_ = new QLabel(glError_, this);
        unavailable_->setAlignment(Qt::AlignCenter);
        unavailable_->setWordWrap(true);
        unavailable_->setStyleSheet(QStringLiteral("background: black; color: white;"));
        layout_->addWidget(unavailable_);
    }
}

QString TVSXlab::Problem() const {
    return glError_.isEmpty() ? meshError_ : glError_;
}

void TVSXlab::showProblem() {
    if (DXDraw) DXDraw->SetMessage(meshError_);
}

void TVSXlab::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!initialized_) InitializeSurface();
    DXTimer->SetPaused(DXDraw == nullptr);
}

void TVSXlab::hideEvent(QHideEvent *event) {
    // Frames nobody can see only cost CPU; "Start" still holds when the window comes back.
    DXTimer->SetPaused(true);
    QWidget::hideEvent(event);
}

void TVSXlab::InitializeSurface() {
    if (initialized_) FinalizeSurface();
    DXDrawInitialize();
    DXDrawInitializeSurface();
    initialized_ = true;
    if (DXDraw) {
        DXDraw->SetSceneVisible(false); // a fresh surface stays black until "Start"
        DXDraw->update();
    }
}

void TVSXlab::FinalizeSurface() {
    DXDrawFinalize();
    initialized_ = false;
}

void TVSXlab::DXDrawInitialize() {
    if (MeshPath.isEmpty()) MeshPath = DefaultMeshPath(programFolder());
    // Files the mesh names are looked up beside it by the loader; the working directory stays.
    MeshLoadResult loaded = LoadVsxMesh(MeshPath);
    meshLoaded_ = loaded.mesh != nullptr;
    meshError_ = meshLoaded_ ? QString()
                             : QStringLiteral("Cannot load the mesh %1: %2")
                                   .arg(QDir::toNativeSeparators(MeshPath), loaded.error);
    SetUpVsxScene(scene_, std::move(loaded.mesh));
    showProblem();
}

void TVSXlab::DXDrawInitializeSurface() {
    if (!DXDraw) return;
    DXDraw->SetLinearFiltering(hardware_);
    DXDraw->SetRenderMode(kRenderModeSortedTransparency);
}

void TVSXlab::DXDrawFinalize() {
    DXTimer->SetEnabled(false);
}

void TVSXlab::DXTimerTimer() {
    if (!DXDraw || !DXDraw->CanDraw() || !initialized_) return;
    char buffer[512];
    const DWORD count = BASS_ChannelGetData(channel_ ? channel_() : 0, buffer, sizeof buffer);
    scene_.Move(MotionStep(count));
    DXDraw->SetSceneVisible(true);
    DXDraw->SetTexts({QStringLiteral("FPS: ") + QString::number(DXTimer->FrameRate()),
                      hardware_ ? QStringLiteral("Device: Hardware") : QStringLiteral("Device: Software")});
    DXDraw->repaint(); // render, texts and flip now, so the next tick waits for this frame
}

void TVSXlab::FormKeyDown(QKeyEvent *event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        close();
    } else if (enter && (event->modifiers() & Qt::AltModifier)) {
        event->accept();
        switchFullScreen();
    } else {
        event->ignore();
    }
}

void TVSXlab::switchFullScreen() {
    FinalizeSurface();
    if (fullScreen_) {
        fullScreen_ = false;
        showNormal();
        if (!windowPlacement_.isEmpty()) restoreGeometry(windowPlacement_);
        unsetCursor();
    } else {
        windowPlacement_ = saveGeometry();
        fullScreen_ = true;
        setCursor(Qt::BlankCursor);
        showFullScreen();
    }
    if (DXDraw) DXDraw->SetFitToWidget(fullScreen_);
    InitializeSurface();
}

void TVSXlab::DXDrawClick() {
    if (fullScreen_) switchFullScreen();
    if (!MeshPath.isEmpty()) OpenDialog->setDirectory(QFileInfo(MeshPath).absolutePath());
    if (OpenDialog->exec() != QDialog::Accepted) return;
    const QStringList files = OpenDialog->selectedFiles();
    if (files.isEmpty()) return;
    MeshPath = files.first();
    InitializeSurface();
}

void TVSXlab::orus1Click() {
    DXTimer->SetEnabled(true);
}

void TVSXlab::keyPressEvent(QKeyEvent *event) {
    FormKeyDown(event);
    if (!event->isAccepted()) QWidget::keyPressEvent(event);
}

bool TVSXlab::eventFilter(QObject *watched, QEvent *event) {
    // The window sees key presses before its surface does.
    if (watched == DXDraw && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        FormKeyDown(key);
        if (key->isAccepted()) return true;
        key->accept(); // let the surface have it as usual
    }
    return QWidget::eventFilter(watched, event);
}
