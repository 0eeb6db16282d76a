#pragma once
#include "TVrBevel.h"
#include "VrTrackWidget.h"
#include <QFlags>

namespace calvoran {

enum TVrTrackBarOption {
    toActiveClick = 0x1,
    toMouseClip = 0x2,
    toHandPoint = 0x4,
    toFixedPoints = 0x8,
    toThumbOpaque = 0x10
};
Q_DECLARE_FLAGS(TVrTrackBarOptions, TVrTrackBarOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TVrTrackBarOptions)

enum TVrTickMarks { tmBoth, tmNone, tmBottomRight, tmTopLeft };

// A thumb over a groove with a tick scale on either side; the player's position bar.
class TVrTrackBar : public VrTrackWidget {
    Q_OBJECT
public:
    explicit TVrTrackBar(QWidget *parent = nullptr);
    ~TVrTrackBar() override;

    TVrProgressStyle Style() const { return minAtTopRight() ? psTopRight : psBottomLeft; }
    void setStyle(TVrProgressStyle value) { setMinAtTopRight(value == psTopRight); }
    TVrTrackBarOptions Options() const { return options_; }
    void setOptions(TVrTrackBarOptions value);

    int BackImageIndex() const { return backIndex_; }
    void setBackImageIndex(int value);
    int GutterWidth() const { return gutterWidth_; }
    void setGutterWidth(int value);
    QColor GutterColor() const { return gutterColor_; }
    void setGutterColor(QColor value);
    TVrBevel &GutterBevel() { return gutterBevel_; }
    const TVrBevel &GutterBevel() const { return gutterBevel_; }
    void setGutterBevel(const TVrBevel &value) { gutterBevel_ = value; }
    TVrTickMarks TickMarks() const { return tickMarks_; }
    void setTickMarks(TVrTickMarks value);
    int Frequency() const { return frequency_; }
    void setFrequency(int value);
    QColor TickColor() const { return tickColor_; }
    void setTickColor(QColor value);
    int ScaleOffset() const { return scaleOffset_; }
    void setScaleOffset(int value);
    int BorderWidth() const { return borderWidth_; }
    void setBorderWidth(int value);
    QColor FocusColor() const { return focusColor_; }
    void setFocusColor(QColor value);
    int FocusOffset() const { return focusOffset_; }
    void setFocusOffset(int value);

    // The groove's rectangle in widget pixels.
    QRect grooveRect() const;

protected:
    void paintImage(QPainter &painter) override;
    QRect trackRect() const override;
    QImage builtinThumb() const override;
    bool activeClick() const override { return options_.testFlag(toActiveClick); }
    bool mouseClip() const override { return options_.testFlag(toMouseClip); }
    bool thumbOpaque() const override { return options_.testFlag(toThumbOpaque); }
    bool fixedPoints() const override { return options_.testFlag(toFixedPoints); }

private:
    void paintTicks(QPainter &painter, const QRect &groove) const;

    TVrTrackBarOptions options_ = toActiveClick | toMouseClip | toHandPoint | toThumbOpaque;
    int backIndex_ = -1;
    int gutterWidth_ = 9;
    QColor gutterColor_{Qt::black};
    TVrBevel gutterBevel_;
    TVrTickMarks tickMarks_ = tmBoth;
    int frequency_ = 10;
    QColor tickColor_{Qt::black};
    int scaleOffset_ = 5;
    int borderWidth_ = 10;
    QColor focusColor_{Qt::blue};
    int focusOffset_ = 0;
};

} // namespace calvoran
