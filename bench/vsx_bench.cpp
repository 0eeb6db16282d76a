// Runs on an X display (the run script gives it an Xvfb with Mesa's software renderer).
#include "CubeX.h"
#include "visuals/Scene3DRenderer.h"
#include "visuals/VsxScene.h"
#include "visuals/vsx.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

QTemporaryDir &home() {
    static QTemporaryDir dir;
    static const bool written = [] {
        QFile file(dir.filePath("cube.x"));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray::fromStdString(calvoran::CubeXText()));
        qputenv("CALVORAN_HOME", dir.path().toLocal8Bit());
        return true;
    }();
    (void)written;
    return dir;
}

// The scene alone into a framebuffer, waiting for each frame to finish.
void BM_CubeFrameScene(benchmark::State &state) {
    QOpenGLContext context;
    QOffscreenSurface surface;
    if (!context.create()) {
        state.SkipWithError("no OpenGL");
        return;
    }
    surface.setFormat(context.format());
    surface.create();
    context.makeCurrent(&surface);
    calvoran::Scene3DRenderer renderer;
    renderer.Initialize();
    renderer.SetRenderMode(3);
    calvoran::Scene3D scene;
    calvoran::SetUpVsxScene(scene, calvoran::LoadVsxMesh(home().filePath("cube.x")).mesh);
    QOpenGLFramebufferObject fbo(320, 213, QOpenGLFramebufferObject::CombinedDepthStencil);
    fbo.bind();
    for (auto _ : state) {
        scene.Move(513);
        renderer.Render(scene, QRect(0, 0, 320, 213));
        context.functions()->glFinish();
    }
    state.SetLabel(renderer.RendererName().toStdString());
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    renderer.Release();
}
BENCHMARK(BM_CubeFrameScene)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The window started, as the user runs it: one second of its own frame timer per iteration.
void BM_WindowRunning(benchmark::State &state) {
    home();
    TVSXlab window([] { return 0u; });
    window.show();
    window.activateWindow();
    for (int i = 0; i < 200 && !(window.DXDraw && window.DXDraw->CanDraw()); ++i) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!window.DXDraw || !window.DXDraw->CanDraw()) {
        state.SkipWithError("the window has no GL surface");
        return;
    }
    int64_t frames = 0;
    QObject::connect(window.DXTimer, &calvoran::FrameTimer::Timer, [&] { ++frames; });
    window.orus1->trigger();
    for (auto _ : state) {
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    window.DXTimer->SetEnabled(false);
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WindowRunning)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// Half a second of the event loop with the window closed (0) or open but not started (1).
void BM_IdleLoop(benchmark::State &state) {
    home();
    std::unique_ptr<TVSXlab> window;
    if (state.range(0)) {
        window = std::make_unique<TVSXlab>([] { return 0u; });
        window->show();
    }
    QApplication::processEvents();
    for (auto _ : state) {
        QEventLoop loop;
        QTimer::singleShot(500, &loop, &QEventLoop::quit);
        loop.exec();
    }
}
BENCHMARK(BM_IdleLoop)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
