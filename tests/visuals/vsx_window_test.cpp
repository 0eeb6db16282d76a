// The VSX Lab window's controls, as a user works them. No GL here: the window must still work
// and say that 3D is unavailable.
#include "CubeX.h"
#include "support/TempHome.h"
#include "visuals/vsx.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Before the application starts: no display to reach GL through.
const bool kNoGl = [] {
    qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");
    qunsetenv("DISPLAY");
    return true;
}();

void writeCube(const QString &folder) {
    QFile file(folder + "cube.x");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(calvoran::CubeXText()));
}

void press(QWidget &window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&window, &event);
}

TEST(VsxWindow, StartsHiddenAndOpensOnTheProgramFoldersCube) {
    ASSERT_TRUE(kNoGl);
    TempHome home;
    writeCube(home.path());
    TVSXlab window([] { return 0u; });
    EXPECT_EQ(window.windowTitle(), "VSX Lab");
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.DXTimer->Enabled());
    EXPECT_EQ(window.DXTimer->Interval(), 0);
    EXPECT_TRUE(window.DXTimer->ActiveOnly());
    EXPECT_TRUE(window.MeshPath.isEmpty());
    EXPECT_EQ(window.orus1->text(), "Start");

    window.show();
    EXPECT_TRUE(window.SurfaceInitialized());
    EXPECT_EQ(window.MeshPath, home.path() + "cube.x");
    EXPECT_TRUE(window.MeshLoaded());
    EXPECT_FALSE(window.DXTimer->Enabled()) << "nothing renders before Start";
    // Without GL the window says so instead of a surface.
    EXPECT_EQ(window.DXDraw, nullptr);
    auto *label = window.findChild<QLabel *>();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().startsWith("3D is unavailable"));
    EXPECT_EQ(window.Problem(), label->text());
}

TEST(VsxWindow, StartRunsTheTimerAndAltEnterStopsItAndSwitchesFullScreen) {
    TempHome home;
    writeCube(home.path());
    TVSXlab window([] { return 0u; });
    window.show();
    window.orus1->trigger();
    EXPECT_TRUE(window.DXTimer->Enabled());

    press(window, Qt::Key_Return, Qt::AltModifier);
    EXPECT_FALSE(window.DXTimer->Enabled());
    EXPECT_TRUE(window.FullScreenMode());
    EXPECT_TRUE(window.isFullScreen());
    EXPECT_EQ(window.cursor().shape(), Qt::BlankCursor);
    EXPECT_TRUE(window.SurfaceInitialized()) << "the surface comes back at once";

    window.orus1->trigger();
    press(window, Qt::Key_Enter, Qt::AltModifier | Qt::KeypadModifier);
    EXPECT_FALSE(window.DXTimer->Enabled());
    EXPECT_FALSE(window.FullScreenMode());
    EXPECT_FALSE(window.isFullScreen());
    EXPECT_NE(window.cursor().shape(), Qt::BlankCursor);

    press(window, Qt::Key_Return); // Enter alone does nothing
    EXPECT_FALSE(window.FullScreenMode());
    press(window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

TEST(VsxWindow, OpenDialogChoosesTheMeshAndCancellingKeepsIt) {
    TempHome home;
    writeCube(home.path());
    QDir(home.path()).mkdir("other");
    writeCube(home.path() + "other/");
    TVSXlab window([] { return 0u; });
    window.show();
    EXPECT_TRUE(window.OpenDialog->nameFilters().contains("Direct3D file(*.x)"));
    EXPECT_EQ(window.OpenDialog->defaultSuffix(), "x");
    EXPECT_EQ(window.OpenDialog->fileMode(), QFileDialog::ExistingFile);

    window.orus1->trigger();
    QTimer::singleShot(0, window.OpenDialog, &QDialog::reject);
    window.DXDrawClick();
    EXPECT_EQ(window.MeshPath, home.path() + "cube.x");
    EXPECT_TRUE(window.DXTimer->Enabled()) << "cancelling re-initialises nothing";

    const QString chosen = home.path() + "other/cube.x";
    QTimer::singleShot(0, window.OpenDialog, [&] {
        // As a user types the name: the dialog's own selectFile leaves a focused name box alone.
        auto *name = window.OpenDialog->findChild<QLineEdit *>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(chosen);
        static_cast<QDialog *>(window.OpenDialog)->done(QDialog::Accepted);
    });
    window.DXDrawClick();
    EXPECT_EQ(QFileInfo(window.MeshPath).canonicalFilePath().toStdString(),
              QFileInfo(chosen).canonicalFilePath().toStdString());
    EXPECT_TRUE(window.MeshLoaded());
    EXPECT_FALSE(window.DXTimer->Enabled()) << "a new mesh waits for Start again";
}

TEST(VsxWindow, AMissingMeshIsNamed) {
    TempHome home; // no cube.x there
    TVSXlab window([] { return 0u; });
    window.InitializeSurface();
    EXPECT_FALSE(window.MeshLoaded());
    ASSERT_EQ(window.Scene().Frames().size(), 2u); // lights and camera still set up
    EXPECT_TRUE(window.Scene().Frames()[1]->Visuals().empty());
    // The window names the file (the GL surface draws this text over the picture).
    EXPECT_TRUE(window.Problem().contains(QDir::toNativeSeparators(home.path() + "cube.x")))
        << window.Problem().toStdString();
}

} // namespace
