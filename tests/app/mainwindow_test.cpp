// The main window's handlers over a real engine and playlist, with the silent output.
#include "Forms.h"
#include "MainMenu.h"
#include "MainWindow.h"
#include "PlayerLook.h"
#include "Program.h"
#include "SkinArt.h"
#include "bass.h"
#include "config/ConfigWindow.h"
#include "config/SkinLoader.h"
#include "engine/PlaylistWindow.h"
#include "fixtures/Fixtures.h"
#include "platform/Dialogs.h"
#include "platform/SettingsKey.h"
#include "platform/TrayIcon.h"
#include "support/PlayerCore.h"
#include "support/TempHome.h"
#include "widgets/TVrBitmapButton.h"
#include "widgets/TVrDisplay.h"
#include "widgets/TVrLevelBar.h"
#include "widgets/TVrMatrix.h"
#include "widgets/TVrSlider.h"
#include "widgets/TVrTimer.h"
#include "widgets/TVrTrackBar.h"
#include <QScreen>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <memory>

namespace fx = calvoran::fixtures;
using calvoran::SettingsKey;

namespace {

bool playing() {
    return BASS_ChannelIsActive(Form2->CurrentChannel()) == BASS_ACTIVE_PLAYING;
}

// Waits without running the event loop, so the window's own timers cannot step in.
bool waitUntil(const std::function<bool()> &done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QThread::msleep(10);
    }
    return true;
}

double heardSeconds() {
    const DWORD ch = Form2->CurrentChannel();
    return BASS_ChannelBytes2Seconds(ch, BASS_ChannelGetPosition(ch));
}

class MainWindowTest : public ::testing::Test {
protected:
    // Entries of the given lengths, WAV files at 8 kHz mono so long ones stay small.
    void start(const std::vector<double> &seconds) {
        calvoran::setMessageRecorder([this](const calvoran::RecordedMessage &m) { messages.push_back(m); });
        std::string m3u = "#EXTM3U\r\n";
        for (size_t i = 0; i < seconds.size(); ++i) {
            const QString file = home.path() + QStringLiteral("t%1.wav").arg(i);
            ASSERT_TRUE(fx::writeWav(file.toStdString(), fx::sine(440, seconds[i], 8000, 1), 8000, 1));
            m3u += "#EXTINF:1," + std::to_string(i + 1) + ". Artist - Song " + std::to_string(i + 1) + "\r\n";
            m3u += file.toStdString() + "\r\n";
        }
        QFile list(home.path() + "playlist.m3u");
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write(m3u.data(), static_cast<qint64>(m3u.size()));
        list.close();

        core = std::make_unique<PlayerCore>();
        form1 = std::make_unique<TForm1>(core->engine, core->playlist);
        Form1 = form1.get();
        calvoran::EngineSetup setup;
        setup.displays = form1.get();
        form2 = std::make_unique<TForm2>(core->engine, core->playlist, setup);
        Form2 = form2.get();
        form1->setPeers({form2.get()});
        ASSERT_EQ(Form2->EntryCount(), static_cast<int>(seconds.size()));
    }
    void TearDown() override {
        if (form1) {
            form1->Timer2()->setEnabled(false);
            form1->tt1()->setEnabled(false);
        }
        Form2 = nullptr;
        form2.reset();
        Form1 = nullptr;
        form1.reset();
        core.reset();
        calvoran::setMessageRecorder(nullptr);
    }
    void play(int position) {
        Form2->SelectPosition(position);
        form1->PlaybtnClick();
        ASSERT_TRUE(playing());
    }

    TempHome home;
    std::unique_ptr<PlayerCore> core;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::vector<calvoran::RecordedMessage> messages;
};

} // namespace

TEST(PlayTime, MinutesAndSecondsWithoutLeadingZeros) {
    using calvoran::PlayerLook::minutesSeconds;
    EXPECT_EQ(minutesSeconds(125.0f), "2:5");
    EXPECT_EQ(minutesSeconds(65.4f), "1:5");
    EXPECT_EQ(minutesSeconds(59.9f), "0:59");
    EXPECT_EQ(minutesSeconds(0.0f), "0:0");
    EXPECT_EQ(minutesSeconds(3600.0f), "60:0");
}

TEST_F(MainWindowTest, PlayTakesTheSelectionAndStartsTheTimers) {
    start({2, 2});
    form1->PlaybtnClick(); // nothing selected yet
    EXPECT_FALSE(playing());
    play(1);
    EXPECT_EQ(form1->CurrentIndex, 1);
    EXPECT_TRUE(form1->Timer2()->Enabled());
    EXPECT_TRUE(form1->tt1()->Enabled());
    EXPECT_TRUE(Form2->Timer1()->Enabled());
    EXPECT_EQ(form1->ledText(), "2. Artist - Song 2");
}

TEST_F(MainWindowTest, NextOnTheLastAndPreviousOnTheFirstDoNothing) {
    start({2, 2, 2});
    play(2);
    const DWORD channel = Form2->CurrentChannel();
    form1->NextBtnClick();
    EXPECT_EQ(form1->CurrentIndex, 2);
    EXPECT_EQ(Form2->CurrentChannel(), channel);
    EXPECT_TRUE(playing());

    play(0);
    const DWORD first = Form2->CurrentChannel();
    form1->PrevBtnClick();
    EXPECT_EQ(form1->CurrentIndex, 0);
    EXPECT_EQ(Form2->CurrentChannel(), first);
    EXPECT_TRUE(playing());

    form1->NextBtnClick();
    EXPECT_EQ(form1->CurrentIndex, 1);
    EXPECT_EQ(Form2->SelectedPosition(), 1);
    EXPECT_TRUE(playing());
    form1->PrevBtnClick();
    EXPECT_EQ(form1->CurrentIndex, 0);
    EXPECT_EQ(Form2->SelectedPosition(), 0);
    EXPECT_TRUE(playing());
}

TEST_F(MainWindowTest, MovesNeverLeaveTheList) {
    start({2, 2, 2});
    // The last entry plays while the user has clicked the first one.
    play(2);
    Form2->SelectPosition(0);
    form1->NextBtnClick();
    EXPECT_FALSE(playing());
    EXPECT_EQ(form1->CurrentIndex, 2);
    EXPECT_EQ(messages.size(), 0u);

    // Entries removed under a playing index: Previous plays the last one left.
    play(1);
    form1->CurrentIndex = 7;
    form1->PrevBtnClick();
    EXPECT_EQ(form1->CurrentIndex, 2);
    EXPECT_EQ(Form2->SelectedPosition(), 2);
    EXPECT_TRUE(playing());

    // The slider's release shows a caption that still exists.
    form1->CurrentIndex = 9;
    form1->vrSlider1MouseUp();
    EXPECT_EQ(form1->ledText(), "3. Artist - Song 3");
}

TEST_F(MainWindowTest, EndOfTrackMovesOnAndStopsAfterTheLast) {
    start({0.3, 0.3});
    play(0);
    ASSERT_TRUE(waitUntil([] { return !playing(); }, 3000));
    form1->Timer2Timer();
    EXPECT_EQ(form1->CurrentIndex, 1);
    EXPECT_EQ(Form2->SelectedPosition(), 1);
    EXPECT_TRUE(playing());

    form1->tt1Timer();
    ASSERT_TRUE(waitUntil([] { return !playing(); }, 3000));
    form1->Timer2Timer();
    EXPECT_FALSE(playing());
    EXPECT_EQ(form1->Label1->text(), "0:0");
    EXPECT_EQ(Form2->StatusText(1), "Played: 0:0");
    EXPECT_FALSE(form1->Timer2()->Enabled());
    EXPECT_FALSE(form1->tt1()->Enabled());
    EXPECT_EQ(form1->CurrentIndex, 1);
}

TEST_F(MainWindowTest, EndOfTrackWithTheIndexOnTheLastAndTheSelectionElsewhereStops) {
    start({2, 0.3});
    play(1);
    Form2->SelectPosition(0);
    ASSERT_TRUE(waitUntil([] { return !playing(); }, 3000));
    form1->Timer2Timer();
    EXPECT_FALSE(playing());
    EXPECT_EQ(form1->CurrentIndex, 1);
    EXPECT_FALSE(form1->Timer2()->Enabled());
}

TEST_F(MainWindowTest, RepeatPlaysAOneEntryListAgainAndAgain) {
    start({0.3});
    form1->PopupMenu1->Repeat1->trigger();
    ASSERT_TRUE(form1->Repeat());
    play(0);
    for (int round = 0; round < 2; ++round) {
        const DWORD before = Form2->CurrentChannel();
        ASSERT_TRUE(waitUntil([] { return !playing(); }, 3000));
        form1->Timer2Timer();
        EXPECT_TRUE(playing()) << "round " << round;
        EXPECT_NE(Form2->CurrentChannel(), before);
        EXPECT_EQ(form1->CurrentIndex, 0);
    }
}

TEST_F(MainWindowTest, TheTimersThemselvesAdvanceTheList) {
    start({0.3, 2});
    play(0);
    QElapsedTimer clock;
    clock.start();
    while (form1->CurrentIndex != 1 && clock.elapsed() < 4000)
        QTest::qWait(20);
    EXPECT_EQ(form1->CurrentIndex, 1);
    EXPECT_TRUE(playing());
}

TEST_F(MainWindowTest, StopEndsPlaybackSoNothingMovesOn) {
    start({2, 2});
    play(0);
    form1->StopBtnClick();
    EXPECT_FALSE(playing());
    EXPECT_FALSE(form1->Timer2()->Enabled());
    EXPECT_FALSE(form1->tt1()->Enabled());
    EXPECT_FALSE(Form2->Timer1()->Enabled());
    QTest::qWait(1200);
    EXPECT_EQ(form1->CurrentIndex, 0);
    EXPECT_FALSE(playing());
}

TEST_F(MainWindowTest, TimeShowsMinutesAndSecondsAndSeekingWaitsForTheRelease) {
    start({130});
    play(0);
    EXPECT_EQ(form1->VrTrackBar1->MaxValue(), 130);

    // Held: the timer leaves the bar alone.
    form1->vrTrackBar1MouseDown();
    EXPECT_EQ(form1->SeekDragging, -1);
    form1->VrTrackBar1->setPosition(125);
    form1->tt1Timer();
    EXPECT_EQ(form1->VrTrackBar1->Position(), 125);
    EXPECT_LT(heardSeconds(), 5.0);

    // Released: the channel seeks to the second shown.
    form1->vrTrackBar1MouseUp();
    EXPECT_EQ(form1->SeekDragging, 0);
    ASSERT_TRUE(waitUntil([] { return heardSeconds() >= 125.2; }, 3000));
    form1->tt1Timer();
    EXPECT_EQ(form1->Label1->text(), "2:5");
    EXPECT_EQ(Form2->StatusText(1), "Played: 2:5");
    EXPECT_EQ(form1->VrTrackBar1->Position(), 125);
}

TEST_F(MainWindowTest, VolumeAndBalanceShowTheirValue) {
    start({2});
    form1->VrSlider1->setPosition(33);
    EXPECT_EQ(SettingsKey::readInteger("Volume", -1), 33);
    EXPECT_EQ(form1->VrSlider1->toolTip(), "Volume: 33");
    EXPECT_EQ(form1->ledText(), "Volume: 33");
    EXPECT_FALSE(form1->VrMatrix1->AutoScroll());
    form1->VrSlider1->setPosition(34);
    EXPECT_EQ(SettingsKey::readInteger("Volume", -1), 34);
    form1->vrSlider1MouseUp();
    EXPECT_TRUE(form1->VrMatrix1->AutoScroll());
    EXPECT_EQ(form1->ledText(), "1. Artist - Song 1");

    // Before any stream, balance changes only the texts.
    form1->VrSlider2->setPosition(-40);
    EXPECT_EQ(form1->VrSlider2->toolTip(), "Balance: -40");
    EXPECT_EQ(form1->ledText(), "Balance: -40");
    EXPECT_TRUE(messages.empty());
}

// Nothing on the display panel draws over the title matrix, and each slider's thumb lies whole
// inside its own widget at both ends and in the middle.
TEST_F(MainWindowTest, PanelControlsKeepToTheirOwnPixels) {
    start({2});
    form1->show();
    calvoran::TVrMatrix *matrix = form1->VrMatrix1;
    matrix->setAutoScroll(false);
    matrix->setText("Wg|jy_ Volume: 100 gjpqy");
    form1->Label1->setText(QStringLiteral("59:59"));
    const std::vector<calvoran::VrTrackWidget *> tracks = {form1->VrSlider1, form1->VrSlider2,
                                                           form1->VrTrackBar1};
    for (const double at : {0.0, 0.5, 1.0}) {
        SCOPED_TRACE(at);
        for (calvoran::VrTrackWidget *track : tracks) {
            track->setPosition(track->MinValue() +
                               static_cast<int>(at * (track->MaxValue() - track->MinValue())));
            EXPECT_TRUE(track->rect().contains(track->thumbRect())) << track->toolTip().toStdString();
            EXPECT_GE(track->thumbRect().height(), 5) << track->toolTip().toStdString();
            EXPECT_FALSE(track->geometry().intersects(matrix->geometry()));
        }
        // setPosition on the volume slider writes the matrix; put the title back.
        matrix->setText("Wg|jy_ Volume: 100 gjpqy");
        const QImage panel = form1->VrDisplay1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage alone = matrix->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(panel.copy(matrix->geometry()), alone);
    }
}

TEST_F(MainWindowTest, ReleasingASliderOverAnEmptyListShowsTheBanner) {
    start({});
    form1->vrSlider2MouseUp();
    EXPECT_TRUE(form1->ledText().startsWith("Calvoran Player by "));
}

TEST_F(MainWindowTest, MenuChecksTrayAndShortcuts) {
    start({2, 2});
    form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1.get()));

    form1->PopupMenu1->Minimize1->trigger();
    EXPECT_FALSE(form1->isVisible());
    form1->PopupMenu1->Minimize1->trigger();
    EXPECT_TRUE(form1->isVisible());

    form1->WM_CALLBACKPRO(calvoran::TrayIcon::kLeftButtonDown);
    EXPECT_FALSE(form1->PopupMenu1->isVisible());
    form1->WM_CALLBACKPRO(calvoran::TrayIcon::kRightButtonDown);
    EXPECT_TRUE(form1->PopupMenu1->isVisible());
    form1->PopupMenu1->hide();

    // Ctrl+P plays the selection while the window has the focus; Ctrl+S stops.
    Form2->SelectPosition(1);
    form1->activateWindow();
    QTest::keyClick(form1.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(playing());
    EXPECT_EQ(form1->CurrentIndex, 1);
    QTest::keyClick(form1.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(playing());
}

TEST_F(MainWindowTest, StartUpSkinFallsBackAndShapesTheWindow) {
    ASSERT_TRUE(calvoran::skinart::writeSkins(home.path()));
    start({});
    // A skin that no longer exists gives way to the first one listed.
    const QString applied = calvoran::applyStartupSkin(*form1, QStringLiteral("Gone"));
    ASSERT_EQ(applied, calvoran::skinart::skinNames().front());
    const QSize picture = form1->backgroundSize();
    EXPECT_FALSE(picture.isEmpty());
    EXPECT_EQ(form1->size(), picture);
    EXPECT_FALSE(form1->mask().isEmpty());
    EXPECT_FALSE(form1->mask().contains(QPoint(0, form1->height() - 1)));
    EXPECT_FALSE(form1->PlayBtn->Glyph().isNull());

    // Without any skin the built-in look stands: design size, no outline.
    QFile::remove(home.path() + "Skins.ini");
    EXPECT_TRUE(calvoran::applyStartupSkin(*form1, QString()).isEmpty());
    EXPECT_EQ(form1->size(), QSize(278, 94));
    EXPECT_TRUE(form1->mask().isEmpty());
    EXPECT_EQ(form1->PlayBtn->pos(), QPoint(144, 72));
    EXPECT_EQ(form1->VrDisplay1->pos(), QPoint(40, 0));
}

TEST(MainWindowStartUp, VolumeMovedOnTheSliderSurvivesARestart) {
    TempHome home;
    qputenv("CALVORAN_INSTANCE_NAME",
            "calvoran-mainwindow-test-" + QByteArray::number(QCoreApplication::applicationPid()));
    auto run = [](const std::function<void()> &whileRunning) {
        QTimer closer;
        closer.setInterval(50);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (Form1 && calvoran::programRunning()) {
                whileRunning();
                Form1->close();
            }
        });
        closer.start();
        return calvoran::RunProgram(*qApp,
                                    calvoran::rawCommandLine(QCoreApplication::applicationFilePath(), {}));
    };
    int seen = -1;
    QString led;
    EXPECT_EQ(run([] { Form1->VrSlider1->setPosition(64); }), 0);
    EXPECT_EQ(run([&] {
                  seen = Form1->VrSlider1->Position();
                  led = Form1->ledText();
              }),
              0);
    EXPECT_EQ(seen, 64);
    EXPECT_EQ(led, "Calvoran Player");
    EXPECT_EQ(SettingsKey::readInteger("Volume", -1), 64);
}

TEST(MainWindowStartUp, FirstStartTakesTheFirstSkinAndTheChooserReshapesTheWindow) {
    TempHome home;
    ASSERT_TRUE(calvoran::skinart::writeSkins(home.path()));
    qputenv("CALVORAN_INSTANCE_NAME",
            "calvoran-mainwindow-skin-" + QByteArray::number(QCoreApplication::applicationPid()));
    std::vector<calvoran::RecordedMessage> messages;
    calvoran::setMessageRecorder([&](const calvoran::RecordedMessage &m) { messages.push_back(m); });
    QSize startSize, startPicture, chosenSize, chosenMask, sizeAfterTyping;
    QPoint playAt, displayAt, playAfterTyping, displayAfterTyping;
    int countAfterTyping = -1;
    QStringList listed;
    QTimer closer;
    closer.setInterval(50);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!Form1 || !calvoran::programRunning()) return;
        startSize = Form1->size();
        startPicture = Form1->backgroundSize();
        // The user lists the skins on the configuration page and picks one.
        Form5->Button1Click();
        for (int i = 0; i < Form5->ComboBox1->count(); ++i)
            listed << Form5->ComboBox1->itemText(i);
        Form5->ComboBox1->setCurrentText(QStringLiteral("Daylight"));
        chosenSize = Form1->size();
        chosenMask = Form1->mask().boundingRect().size();
        // A name that is no whole skin, typed and confirmed: an error, and the skin stays as it was.
        playAt = Form1->PlayBtn->pos();
        displayAt = Form1->VrDisplay1->pos();
        Form5->ComboBox1->setEditText(QStringLiteral("Dayl"));
        QTest::keyClick(Form5->ComboBox1, Qt::Key_Return);
        playAfterTyping = Form1->PlayBtn->pos();
        displayAfterTyping = Form1->VrDisplay1->pos();
        sizeAfterTyping = Form1->size();
        countAfterTyping = Form5->ComboBox1->count();
        Form1->close();
    });
    closer.start();
    EXPECT_EQ(
        calvoran::RunProgram(*qApp, calvoran::rawCommandLine(QCoreApplication::applicationFilePath(), {})),
        0);
    calvoran::setMessageRecorder(nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains("Skins/Dayl/plbtn.bmp"));
    EXPECT_EQ(playAfterTyping, playAt);
    EXPECT_EQ(displayAfterTyping, displayAt);
    EXPECT_NE(displayAt, QPoint(0, 0));
    EXPECT_EQ(sizeAfterTyping, chosenSize);
    EXPECT_EQ(countAfterTyping, static_cast<int>(listed.size())) << "the typed name is not listed";
    EXPECT_EQ(calvoran::SettingsKey::readString("SkinName"), "Daylight");
    EXPECT_EQ(listed, calvoran::skinart::skinNames());
    // No SkinName yet: the first skin, sized to its background picture.
    EXPECT_FALSE(startPicture.isEmpty());
    EXPECT_EQ(startSize, startPicture);
    // The chooser's skin gives the window its mask's size.
    const QImage mask = calvoran::loadSkinBitmap(home.path() + "Skins/Daylight/Daylight.bmp");
    EXPECT_EQ(chosenSize, mask.size());
    EXPECT_FALSE(chosenMask.isEmpty());
}

TEST_F(MainWindowTest, ExitStopsEverythingAndSavesTheList) {
    start({2, 2});
    play(1);
    form1->show();
    ASSERT_TRUE(QFile::remove(home.path() + "playlist.m3u")); // the list read at start
    form1->Exit1Click();
    EXPECT_FALSE(form1->isVisible());
    EXPECT_FALSE(form1->Timer2()->Enabled());
    EXPECT_FALSE(form1->tt1()->Enabled());
    EXPECT_FALSE(Form2->Timer1()->Enabled());
    EXPECT_FALSE(calvoran::TrayIcon::instance().isAdded());
    QFile list(home.path() + "playlist.m3u");
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    const QByteArray saved = list.readAll();
    EXPECT_TRUE(saved.contains("t0.wav"));
    EXPECT_TRUE(saved.contains("t1.wav"));
}

namespace {
// Lit pixels of a level bar in what reached the window, not in a fresh render of the widgets.
int litIn(const QImage &image) {
    int lit = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            lit += qGreen(image.pixel(x, y)) > 160 ? 1 : 0;
    return lit;
}

int litOnWindow(TForm1 &main, calvoran::TVrLevelBar *bar) {
    const QRect onWindow = bar->geometry().translated(bar->parentWidget()->mapTo(&main, QPoint()));
    return litIn(
        main.screen()
            ->grabWindow(main.winId(), onWindow.x(), onWindow.y(), onWindow.width(), onWindow.height())
            .toImage());
}
} // namespace

TEST_F(MainWindowTest, LevelBarsShowEachNewLevel) {
    start({1.0});
    TForm1 &main = *Form1;
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    const auto litPixels = [&main](calvoran::TVrLevelBar *bar) { return litOnWindow(main, bar); };
    main.setLevels(0, 0);
    const int quiet = litPixels(main.VrLevelBar1);
    main.setLevels(128, 64);
    const int loud = litPixels(main.VrLevelBar1);
    const int half = litPixels(main.VrLevelBar2);
    EXPECT_GT(loud, quiet);
    EXPECT_GT(half, quiet);
    EXPECT_LT(half, loud);
    main.setLevels(0, 0);
    EXPECT_EQ(litPixels(main.VrLevelBar1), quiet);
    // Only the ticks that changed go out: after small and large steps either way, after a paint of the whole
    // window and after the window was away, the window still shows each whole bar as it is now.
    const auto expectWhole = [&](const char *when) {
        for (calvoran::TVrLevelBar *bar : {main.VrLevelBar1, main.VrLevelBar2})
            EXPECT_EQ(litPixels(bar), litIn(bar->renderImage())) << when << " at " << bar->Position();
    };
    for (int level : {8, 16, 12, 128, 120, 4, 64}) {
        main.setLevels(level, 128 - level);
        expectWhole("a step");
    }
    main.repaint();
    main.setLevels(72, 60);
    expectWhole("after a paint");
    // A paint of a corner puts only that corner of the new picture on screen.
    main.VrLevelBar1->setPosition(0);
    main.VrLevelBar1->repaint(QRect(0, 0, 3, 3));
    main.setLevels(8, 60);
    expectWhole("after a partial paint");
    main.hide();
    main.setLevels(128, 0);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    QCoreApplication::processEvents();
    main.setLevels(120, 8);
    expectWhole("after the window was away");
}

TEST_F(MainWindowTest, NothingIsPaintedWhileMinimised) {
    start({1.0});
    TForm1 &main = *Form1;
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    struct Paints : QObject {
        int count = 0;
        bool eventFilter(QObject *, QEvent *event) override {
            if (event->type() == QEvent::Paint) ++count;
            return false;
        }
    } paints;
    main.VrLevelBar1->installEventFilter(&paints);
    main.setLevels(0, 0);
    const int quiet = litOnWindow(main, main.VrLevelBar1);
    main.showMinimized();
    QCoreApplication::processEvents();
    if (!main.isMinimized()) GTEST_SKIP() << "this platform does not minimise windows";
    for (int level = 0; level <= 128; level += 8) {
        main.setLevels(level, level);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(paints.count, 0);
    EXPECT_EQ(litOnWindow(main, main.VrLevelBar1), quiet);
    main.showNormal();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_FALSE(main.isMinimized());
    EXPECT_TRUE(main.updatesEnabled());
    // Back on screen, the bars show the last level.
    EXPECT_GT(litOnWindow(main, main.VrLevelBar1), quiet);
}
