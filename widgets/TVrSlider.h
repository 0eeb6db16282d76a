#pragma once
#include "TVrBevel.h"
#include "TVrPalette.h"
#include "VrTrackWidget.h"
#include <QFlags>

namespace calvoran {

enum TVrSliderStyle { ssBottomLeft, ssTopRight };
enum TVrSliderOption { soActiveClick = 0x1, soMouseClip = 0x2, soHandPoint = 0x4, soThumbOpaque = 0x8 };
Q_DECLARE_FLAGS(TVrSliderOptions, TVrSliderOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TVrSliderOptions)

// A slider over a bar of LED-like ticks that light from the minimum's end up to the thumb.
class TVrSlider : public VrTrackWidget {
    Q_OBJECT
public:
    explicit TVrSlider(QWidget *parent = nullptr);
    ~TVrSlider() override;

    TVrSliderStyle Style() const { return minAtTopRight() ? ssTopRight : ssBottomLeft; }
    void setStyle(TVrSliderStyle value) { setMinAtTopRight(value == ssTopRight); }
    TVrSliderOptions Options() const { return options_; }
    void setOptions(TVrSliderOptions value);
    int KeyIncrement() const { return keyIncrement_; }
    void setKeyIncrement(int value) { keyIncrement_ = value; }

    TVrPalette &Palette() { return palette_; }
    const TVrPalette &Palette() const { return palette_; }
    using QWidget::setPalette;
    void setPalette(const TVrPalette &value) { palette_ = value; }
    bool SolidFill() const { return solidFill_; }
    void setSolidFill(bool value);
    int TickWidth() const { return tickWidth_; }
    void setTickWidth(int value);
    int Spacing() const { return spacing_; }
    void setSpacing(int value);
    int ThumbIndent() const { return thumbIndent_; }
    void setThumbIndent(int value);
    TVrBevel &Bevel() { return bevel_; }
    const TVrBevel &Bevel() const { return bevel_; }
    void setBevel(const TVrBevel &value) { bevel_ = value; }

    int BorderWidth() const { return borderWidth_; }
    void setBorderWidth(int value);
    QColor BorderColor() const { return borderColor_; }
    void setBorderColor(QColor value);
    QColor FocusColor() const { return focusColor_; }
    void setFocusColor(QColor value);

protected:
    void paintImage(QPainter &painter) override;
    void keyPressEvent(QKeyEvent *event) override;
    QRect trackRect() const override;
    QImage builtinThumb() const override;
    bool activeClick() const override { return options_.testFlag(soActiveClick); }
    bool mouseClip() const override { return options_.testFlag(soMouseClip); }
    bool thumbOpaque() const override { return options_.testFlag(soThumbOpaque); }

private:
    QImage trackImage(QSize size, QPoint origin, QColor bar) const;
    QRect litRect(const QRect &bar, const QRect &thumb) const;

    TVrSliderOptions options_ = soHandPoint | soThumbOpaque;
    int keyIncrement_ = 5;
    TVrPalette palette_;
    bool solidFill_ = true;
    int tickWidth_ = 1;
    int spacing_ = 1;
    int thumbIndent_ = 2;
    TVrBevel bevel_ = TVrBevel::widgetDefault();
    int borderWidth_ = 1;
    QColor borderColor_;
    QColor focusColor_{Qt::blue};
};

} // namespace calvoran
