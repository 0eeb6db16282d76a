#pragma once
#include "ChannelTap.h"
#include "Renderers.h"

#include <QColor>
#include <QImage>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QGroupBox;
class QMenu;
class QSlider;
class QTimer;

namespace calvoran {

// A small clickable colour square.
class ColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit ColorSwatch(QColor color, QWidget *parent = nullptr);
    QColor color() const { return color_; }
    void setColor(QColor value);
    void setOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor color_;
    std::function<void()> onClick_;
};

// The renderers' drawing area: shows the last frame copied into its surface.
class RenderFrame : public QWidget {
    Q_OBJECT
public:
    RenderFrame(int width, int height, QWidget *parent = nullptr);
    QImage &surface() { return surface_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage surface_;
};

} // namespace calvoran

// The VS Lab window: one of the four renderers animated from the playing channel.
class TFormPlayer : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormPlayer(calvoran::ChannelTap tap, QWidget *parent = nullptr);
    ~TFormPlayer() override;

    // The dialogs, replaceable for tests: a colour from a starting colour (nothing when cancelled), and a
    // picture file name (empty when cancelled).
    std::function<std::optional<QColor>(QColor initial)> chooseColor;
    std::function<QString()> choosePictureFile;

    calvoran::RenderFrame *PaintFrame;
    QImage BackImageRes;
    QComboBox *RadioDraw;
    QGroupBox *GroupBox1;
    QSlider *TrackX, *TrackY, *TrackOff;
    calvoran::ColorSwatch *PanelBkg, *PanelPen, *PanelPeakColor;
    QTimer *TimerRender;

    QMenu *Circle1, *Spectrum1, *Common1;
    QAction *ShowPeaks1, *PeakColor1, *NoBackground1, *ChooseBackground1;
    std::array<QAction *, 7> RadiusItems{};
    std::array<QAction *, 15> WidthItems{};
    std::array<QAction *, 10> LineFalloffItems{}, PeakFalloffItems{};
    std::array<QAction *, 3> DrawModeItems{};
    std::array<QAction *, 2> ResItems{};
    std::array<QAction *, 4> TypeItems{};

    std::unique_ptr<TCircleScope> CircleScope;
    std::unique_ptr<TOcilloScope> OcilloScope;
    std::unique_ptr<TSpectrum> Spectrum;
    std::unique_ptr<TLolVis> LolVis;

    void TimerRenderTimer();
    void TrackOffChange();
    void PanelBkgClick();
    void PanelPenClick();
    void PeakColorClick();
    void NoBackgroundClick();
    void ChooseBackgroundClick();
    void TypeClick(int type);

    // The built-in background: a diagonal blue gradient.
    static QImage builtInBackground(int width, int height);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildMenus();
    void buildControls(QWidget *client);
    template <typename F> void forEachRenderer(F f);

    calvoran::ChannelTap tap_;
    std::array<uint32_t, kWaveEntries> wave_{};
    std::array<float, kSpectrumEntries> spectrum_{};
    // "No Background" holds until a background or a type is chosen.
    bool noBackground_ = false;
    int shownType_ = -1; // the renderer whose frame the drawing area shows
};
