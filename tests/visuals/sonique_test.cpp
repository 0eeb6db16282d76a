// The plug-ins window: recording failures, resizing, clicks, the menu and a broken plug-in.
#include "visuals/visx.h"
#include "widgets/TVrTimer.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kProbe = QStringLiteral(VIS_PLUGIN_DIR "/vis_probe.so");

// The probe plug-in writes what it knows into its first pixels.
std::uint32_t probeValue(Tsvis &window, int i) {
    return window.PaintBox1->surface().pixel(i, 0) & 0xFFFFFFu;
}

class SoniqueWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)); }
    void TearDown() override { BASS_Free(); }

    std::unique_ptr<Tsvis> make(int device = 0) {
        calvoran::SvisSetup setup;
        setup.chosenPlugin = [this] { return chosen; };
        setup.recordDevice = device;
        setup.showError = [this](const QString &text) { errors << text; };
        auto window = std::make_unique<Tsvis>(setup);
        window->VrTimer1->setEnabled(false); // ticks are driven by the test
        return window;
    }

    QString chosen = kProbe;
    QStringList errors;
};

TEST_F(SoniqueWindow, NoRecordingDeviceIsReportedAndLeavesNothingRunning) {
    auto window = make(7);
    EXPECT_FALSE(window->recording());
    EXPECT_EQ(errors, QStringList{QStringLiteral("Cant initialize device")});
    window.reset();
    // The recording was never taken: another window records fine afterwards.
    errors.clear();
    auto next = make();
    EXPECT_TRUE(next->recording());
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(next->ComboBox1->itemText(0), QStringLiteral("Player output"));
    // A second window while one records cannot start recording.
    auto second = make();
    EXPECT_FALSE(second->recording());
    EXPECT_EQ(errors.size(), 1);
}

TEST_F(SoniqueWindow, ResizeByOnePixelStartsANewInstanceAtTheNewSize) {
    auto window = make();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Sonique Plugins"));
    EXPECT_EQ(window->PaintBox1->size(), QSize(231, 229));
    ASSERT_TRUE(window->startVis(kProbe)) << errors.join(";").toStdString();
    window->VrTimer1Timer();
    window->VrTimer1Timer();
    EXPECT_EQ(probeValue(*window, 5), 231u | 229u << 12);
    EXPECT_EQ(probeValue(*window, 4), 2u);
    const HVIS first = window->vis();

    window->resize(window->width() + 1, window->height());
    QApplication::processEvents();
    EXPECT_EQ(window->PaintBox1->width(), 232);
    EXPECT_NE(window->vis(), first);
    window->VrTimer1Timer();
    EXPECT_EQ(probeValue(*window, 5), 232u | 229u << 12);
    EXPECT_EQ(probeValue(*window, 4), 1u) << "a fresh instance";
    EXPECT_EQ(BASS_SONIQUEVIS_GetName(first), nullptr) << "the old one is gone";

    // Nothing chosen: the running instance goes on, drawing what fits.
    chosen.clear();
    window->resize(window->width() - 10, window->height() - 10);
    QApplication::processEvents();
    window->VrTimer1Timer();
    EXPECT_EQ(probeValue(*window, 4), 2u);
    EXPECT_EQ(probeValue(*window, 5), 232u | 229u << 12);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(SoniqueWindow, ClickAtTheTopLeftReachesThePluginAsZeroZero) {
    auto window = make();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(window->startVis(kProbe)) << errors.join(";").toStdString();
    // QTest reads a null point as the widget's centre, so the press at (0, 0) is sent as it comes.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(0, 0), window->PaintBox1->mapToGlobal(QPointF(0, 0)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->PaintBox1, &press);
    window->VrTimer1Timer();
    EXPECT_EQ(probeValue(*window, 3), 0u);
    QTest::mouseClick(window->PaintBox1, Qt::RightButton, {}, QPoint(30, 20));
    window->VrTimer1Timer();
    EXPECT_EQ(probeValue(*window, 3), 30u | 20u << 12);
}

TEST_F(SoniqueWindow, MenuSetsTheRenderRateAndTheLibraryOptions) {
    auto window = make();
    QStringList titles;
    for (QAction *a : window->Options1->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{"FFT Spectrum Sensitivity", "FFT Zoom", "Wave Zoom", "Update"}));
    EXPECT_EQ(window->VrTimer1->Interval(), 30u);
    window->Realtime1->trigger();
    EXPECT_EQ(window->VrTimer1->Interval(), 1u);
    window->N201->trigger();
    EXPECT_EQ(window->VrTimer1->Interval(), 20u);
    // Options reach the library: an out-of-range zoom is refused, the menu's values are not.
    window->WaveZoomItems[3]->trigger();
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
    window->WaveZoomItems[0]->trigger();
}

TEST_F(SoniqueWindow, BrokenPluginIsNamedInAMessage) {
    auto window = make();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_FALSE(window->startVis(QStringLiteral("/nowhere/broken-vis.so")));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("broken-vis.so")));
    EXPECT_EQ(window->vis(), 0u);
    window->VrTimer1Timer(); // nothing to draw, nothing fails
}

} // namespace
