// The VSX Lab window on a real X display with GL (an Xvfb of its own with Mesa's software
// renderer): "Start" draws frames of the turning cube with the texts over them.
#include "CubeX.h"
#include "GLTestScreen.h"
#include "support/TempHome.h"
#include "visuals/vsx.h"

#include <QFile>
#include <QImage>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Before the application starts: the X platform on our display, or the offscreen one (and a
// skip) where no display can be had.
const bool kOnScreen = [] {
    const bool screen = GLTestScreen::instance().available();
    qputenv("QT_QPA_PLATFORM", screen ? "xcb" : "offscreen");
    return screen;
}();

int lit(const QImage &image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) != 0;
    return count;
}

bool waitUntil(const std::function<bool()> &done, int milliseconds) {
    for (int waited = 0; !done(); waited += 10) {
        if (waited >= milliseconds) return false;
        QTest::qWait(10);
    }
    return true;
}

TEST(VsxWindowOnScreen, StartShowsTheTurningCube) {
    if (!kOnScreen || !calvoran::ProbeOpenGL().available) GTEST_SKIP() << "no X display with OpenGL here";
    TempHome home;
    {
        QFile file(home.path() + "cube.x");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(calvoran::CubeXText()));
    }
    TVSXlab window([] { return 0u; });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_NE(window.DXDraw, nullptr);
    EXPECT_TRUE(window.MeshLoaded()) << window.Problem().toStdString();
    EXPECT_FALSE(window.Hardware()) << "Mesa's software renderer";
    ASSERT_TRUE(waitUntil([&] { return window.DXDraw->CanDraw(); }, 5000));
    EXPECT_EQ(lit(window.DXDraw->grabFramebuffer()), 0) << "nothing is drawn before Start";

    int frames = 0;
    QObject::connect(window.DXTimer, &calvoran::FrameTimer::Timer, [&] { ++frames; });
    window.orus1->trigger();
    ASSERT_TRUE(waitUntil([&] { return frames >= 5; }, 10000)) << "frames: " << frames;
    EXPECT_GT(lit(window.DXDraw->grabFramebuffer()), 2000);

    // Hidden, the window draws nothing; shown again, it goes on.
    window.hide();
    QTest::qWait(50);
    const int hiddenAt = frames;
    QTest::qWait(200);
    EXPECT_EQ(frames, hiddenAt);
}

} // namespace
