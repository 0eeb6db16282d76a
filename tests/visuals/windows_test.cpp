// The VS Lab and level meters windows, driven through their handlers with made-up channel data.
#include "platform/Dialogs.h"
#include "visuals/LevelMetersWindow.h"
#include "visuals/VsLabWindow.h"
#include "widgets/TVrMeter.h"
#include "widgets/TVrPowerButton.h"

#include <QAction>
#include <QComboBox>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

using namespace calvoran;

namespace {

// A channel whose state and data the test sets.
struct FakeChannel {
    bool playing = true;
    int16_t sample = 0;
    float bin = 0;
    uint32_t level = 0;
    int waveReads = 0, spectrumReads = 0;

    ChannelTap tap() {
        ChannelTap t;
        t.playing = [this] { return playing; };
        t.wave = [this](uint32_t *frames) {
            ++waveReads;
            const uint32_t v =
                static_cast<uint16_t>(sample) | (static_cast<uint32_t>(static_cast<uint16_t>(sample)) << 16);
            for (int i = 0; i < 512; ++i)
                frames[i] = v;
        };
        t.spectrum = [this](float *bins) {
            ++spectrumReads;
            for (int i = 0; i < 512; ++i)
                bins[i] = bin;
        };
        t.level = [this] { return level; };
        return t;
    }
};

constexpr QRgb kWhite = 0xFFFFFFFF;

std::vector<int> columnsWith(const QImage &image, int y, QRgb colour) {
    std::vector<int> xs;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) == colour) xs.push_back(x);
    return xs;
}

class Recorder {
public:
    Recorder() {
        setMessageRecorder([this](const RecordedMessage &m) { messages.push_back(m); });
    }
    ~Recorder() { setMessageRecorder({}); }
    std::vector<RecordedMessage> messages;
};

} // namespace

TEST(VsLab, StartsWithTheDescribedControls) {
    FakeChannel channel;
    TFormPlayer w(channel.tap());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("VS Lab"));
    EXPECT_EQ(w.centralWidget()->size(), QSize(506, 252));
    EXPECT_EQ(w.PaintFrame->geometry(), QRect(-8, 0, 513, 169));
    EXPECT_EQ(w.TrackX->value(), 250);
    EXPECT_EQ(w.TrackY->maximum(), 170);
    EXPECT_EQ(w.TrackOff->value(), 20);
    EXPECT_EQ(w.TimerRender->interval(), 33);
    EXPECT_EQ(w.RadioDraw->currentIndex(), 0);
    EXPECT_TRUE(w.ShowPeaks1->isChecked());
    // The renderers keep their own defaults until Offset moves.
    EXPECT_EQ(w.CircleScope->Amplitude, 30);
    EXPECT_EQ(w.LolVis->Amplitude, 150);
    // The built-in background: dark in the top-left and bottom-right corners, light in the others.
    const QImage &bg = w.BackImageRes;
    EXPECT_EQ(bg.size(), QSize(513, 169));
    EXPECT_LT(qBlue(bg.pixel(0, 0)), 100);
    EXPECT_LT(qBlue(bg.pixel(512, 168)), 100);
    EXPECT_GT(qBlue(bg.pixel(512, 0)), 200);
    EXPECT_GT(qBlue(bg.pixel(0, 168)), 200);
}

TEST(VsLab, NothingIsDrawnWhileNothingPlays) {
    FakeChannel channel;
    channel.playing = false;
    TFormPlayer w(channel.tap());
    const QImage before = w.PaintFrame->surface().copy();
    w.TimerRenderTimer();
    EXPECT_EQ(w.PaintFrame->surface(), before);
    EXPECT_EQ(channel.waveReads, 0);

    channel.playing = true;
    w.TimerRenderTimer();
    EXPECT_EQ(channel.waveReads, 1);
    const QImage drawn = w.PaintFrame->surface().copy();
    EXPECT_NE(drawn, before);
    channel.playing = false; // paused: the last frame stays
    channel.sample = 20000;
    w.TimerRenderTimer();
    EXPECT_EQ(w.PaintFrame->surface(), drawn);
}

TEST(VsLab, EachTypeDrawsAtItsOrigin) {
    FakeChannel channel;
    TFormPlayer w(channel.tap());
    w.NoBackgroundClick(); // plain black frames are easier to read

    w.TypeClick(1); // oscilloscope: X - 150
    EXPECT_EQ(w.TrackX->value(), 250);
    w.NoBackgroundClick();
    w.TimerRenderTimer();
    const auto trace = columnsWith(w.PaintFrame->surface(), 85, kWhite);
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front(), 100);
    EXPECT_EQ(trace.back(), 355); // 356 is the excluded end point
    EXPECT_EQ(trace.size(), 256u);

    w.TypeClick(2); // spectrum: X moves to 50, drawn at (10, Y - 60)
    EXPECT_EQ(w.TrackX->value(), 50);
    EXPECT_EQ(w.RadioDraw->currentIndex(), 2);
    w.NoBackgroundClick();
    channel.bin = 0.02f; // 10 pixels
    w.TrackY->setValue(60);
    w.TimerRenderTimer();
    EXPECT_EQ(channel.spectrumReads, 1);
    const QImage &frame = w.PaintFrame->surface();
    EXPECT_EQ(columnsWith(frame, 168, kWhite).front(), 10);
    EXPECT_EQ(columnsWith(frame, 168, kWhite).back(), 10 + 128);
    // At the default Y the bars stand 25 pixels below the bottom edge: 10-pixel bars are cut off.
    w.TrackY->setValue(85);
    w.TimerRenderTimer();
    EXPECT_TRUE(columnsWith(w.PaintFrame->surface(), 168, kWhite).empty());

    w.TypeClick(0); // circle round (X, Y)
    EXPECT_EQ(w.TrackX->value(), 250);
    w.NoBackgroundClick();
    w.TimerRenderTimer();
    EXPECT_EQ(w.PaintFrame->surface().pixel(250, 85 + 30), kWhite);
    EXPECT_NE(w.PaintFrame->surface().pixel(250, 85), kWhite);
}

TEST(VsLab, MenusChangeTheRightRenderers) {
    FakeChannel channel;
    TFormPlayer w(channel.tap());
    w.RadiusItems[4]->trigger();
    EXPECT_EQ(w.CircleScope->Radius, 50);
    EXPECT_EQ(w.LolVis->Radius, 30);
    w.WidthItems[14]->trigger();
    EXPECT_EQ(w.Spectrum->BarWidth, 15);
    w.LineFalloffItems[6]->trigger();
    w.PeakFalloffItems[9]->trigger();
    EXPECT_EQ(w.Spectrum->LineFalloff, 7);
    EXPECT_EQ(w.Spectrum->PeakFalloff, 10);
    w.ShowPeaks1->trigger();
    EXPECT_FALSE(w.ShowPeaks1->isChecked());
    EXPECT_FALSE(w.Spectrum->ShowPeaks);

    w.DrawModeItems[2]->trigger();
    w.ResItems[1]->trigger();
    for (int mode :
         {w.CircleScope->DrawMode, w.OcilloScope->DrawMode, w.Spectrum->DrawMode, w.LolVis->DrawMode})
        EXPECT_EQ(mode, 2);
    for (int res : {w.CircleScope->Res, w.OcilloScope->Res, w.Spectrum->Res, w.LolVis->Res})
        EXPECT_EQ(res, 2);

    w.TrackOff->setValue(0);
    EXPECT_EQ(w.CircleScope->Amplitude, 0);
    EXPECT_EQ(w.OcilloScope->Amplitude, 0);
    EXPECT_EQ(w.LolVis->Amplitude, 0);
    EXPECT_EQ(w.Spectrum->MaxHeight, 0);

    // Colour dialogs: confirmation applies to every renderer in 0x00BBGGRR, cancel changes nothing.
    std::optional<QColor> answer = QColor(0x12, 0x34, 0x56);
    QColor asked;
    w.chooseColor = [&](QColor initial) {
        asked = initial;
        return answer;
    };
    w.PanelBkgClick();
    EXPECT_EQ(asked, QColor(Qt::black));
    EXPECT_EQ(w.PanelBkg->color(), QColor(0x12, 0x34, 0x56));
    for (uint32_t c :
         {w.CircleScope->BackColor, w.OcilloScope->BackColor, w.Spectrum->BackColor, w.LolVis->BackColor})
        EXPECT_EQ(c, 0x563412u);
    w.PanelPenClick();
    EXPECT_EQ(asked, QColor(Qt::white));
    EXPECT_EQ(w.LolVis->Pen, 0x563412u);
    answer = QColor(0xFF, 0x00, 0x00);
    w.PeakColor1->trigger();
    EXPECT_EQ(asked, QColor(0xFF, 0xFF, 0x00));
    EXPECT_EQ(w.Spectrum->PeakColor, 0x0000FFu);
    answer.reset();
    w.PanelPenClick();
    EXPECT_EQ(w.OcilloScope->Pen, 0x563412u);
}

TEST(VsLab, OffsetZeroFlattensTheScopes) {
    FakeChannel channel;
    channel.sample = 30000;
    TFormPlayer w(channel.tap());
    w.TrackOff->setValue(0);
    w.TypeClick(1);
    w.NoBackgroundClick();
    w.TimerRenderTimer();
    EXPECT_EQ(columnsWith(w.PaintFrame->surface(), 85, kWhite).size(), 256u);
}

TEST(VsLab, NoBackgroundLastsUntilABackgroundOrTypeIsChosen) {
    FakeChannel channel;
    TFormPlayer w(channel.tap());
    const QRgb corner = w.BackImageRes.pixel(300, 0);
    w.TimerRenderTimer(); // the renderer's own black first, then the picture is switched on
    w.TimerRenderTimer();
    EXPECT_EQ(w.PaintFrame->surface().pixel(300, 0), corner);

    w.NoBackgroundClick();
    for (int i = 0; i < 3; ++i) {
        w.TimerRenderTimer();
        EXPECT_EQ(w.PaintFrame->surface().pixel(300, 0), 0xFF000000u) << "frame " << i;
    }
    w.TypeClick(0);
    w.TimerRenderTimer();
    EXPECT_EQ(w.PaintFrame->surface().pixel(300, 0), corner);
}

TEST(VsLab, ChooseBackgroundLoadsOrKeepsThePreviousOne) {
    FakeChannel channel;
    TFormPlayer w(channel.tap());
    Recorder recorder;
    QTemporaryDir dir;
    QImage picture(100, 50, QImage::Format_RGB32);
    picture.fill(qRgb(0, 200, 0));
    ASSERT_TRUE(picture.save(dir.filePath("green.bmp")));
    QFile broken(dir.filePath("broken.bmp"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("BM not really");
    broken.close();

    QString file = dir.filePath("broken.bmp");
    w.choosePictureFile = [&file] { return file; };
    const QImage before = w.BackImageRes;
    w.ChooseBackgroundClick();
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, QStringLiteral("Bitmap image is not valid"));
    EXPECT_EQ(w.BackImageRes, before);
    file = dir.filePath("notes.xyz");
    w.ChooseBackgroundClick();
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.messages[1].text, QStringLiteral("Unknown picture file extension (.xyz)"));

    file = dir.filePath("green.bmp");
    w.NoBackgroundClick();
    w.ChooseBackgroundClick();
    EXPECT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(w.BackImageRes.size(), QSize(100, 50));
    EXPECT_EQ(w.CircleScope->Pen, 0u);
    EXPECT_EQ(w.PanelPen->color(), QColor(Qt::white));
    EXPECT_TRUE(w.OcilloScope->UseBackground);
    // The smaller picture covers its corner; the rest keeps the built-in gradient.
    w.TimerRenderTimer();
    const QImage &frame = w.PaintFrame->surface();
    EXPECT_EQ(frame.pixel(50, 10), qRgb(0, 200, 0));
    EXPECT_EQ(frame.pixel(400, 10), TFormPlayer::builtInBackground(513, 169).pixel(400, 10));

    file.clear(); // cancelled
    w.ChooseBackgroundClick();
    EXPECT_EQ(w.BackImageRes.size(), QSize(100, 50));
}

TEST(VsLab, HiddenWindowDoesNotRender) {
    FakeChannel channel;
    TFormPlayer w(channel.tap());
    EXPECT_FALSE(w.TimerRender->isActive());
    w.show();
    EXPECT_TRUE(w.TimerRender->isActive());
    w.close(); // closing only hides
    EXPECT_FALSE(w.TimerRender->isActive());
    w.show();
    EXPECT_TRUE(w.TimerRender->isActive());
}

TEST(LevelMeters, PowerButtonStartsAndStopsThePoll) {
    FakeChannel channel;
    TForm4 w(channel.tap());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Visuals"));
    EXPECT_EQ(w.size(), QSize(417, 97));
    EXPECT_EQ(w.VrMeter2->geometry(), QRect(208, 0, 209, 97));
    EXPECT_EQ(w.VrMeter1->Caption(), QStringLiteral("Left"));
    EXPECT_EQ(w.VrMeter1->MaxValue(), 128);
    EXPECT_EQ(w.VrPowerButton1->Caption(), QStringLiteral("On"));
    EXPECT_EQ(w.Timer1->interval(), 10);
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_FALSE(w.VrPowerButton1->Active());

    w.VrPowerButton1->click();
    EXPECT_TRUE(w.Timer1->isActive());
    channel.level = 40u | (300u << 16); // the right side beyond the scale shows as 128
    w.Timer1Timer();
    EXPECT_EQ(w.VrMeter1->Position(), 40);
    EXPECT_EQ(w.VrMeter2->Position(), 128);
    EXPECT_EQ(w.VrMeter2->needleTick(), 61);

    w.VrPowerButton1->click(); // off: needles on the first tick
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.VrMeter1->Position(), 0);
    EXPECT_EQ(w.VrMeter2->Position(), 0);
    EXPECT_EQ(w.VrMeter1->needleTick(), 0);

    w.VrPowerButton1->click();
    w.Timer1Timer();
    w.VrPowerButton1->click(); // a quick double press ends off
    EXPECT_FALSE(w.VrPowerButton1->Active());
    EXPECT_EQ(w.VrMeter1->Position(), 0);

    w.VrPowerButton1->click();
    w.close();
    EXPECT_FALSE(w.Timer1->isActive());
}
