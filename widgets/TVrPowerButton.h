#pragma once
#include "TVrCheckLed.h"
#include "TVrPalette.h"
#include "VrImageWidget.h"

#include <functional>

namespace calvoran {

// A latching push button with a light beside its caption: each click toggles Active.
class TVrPowerButton : public VrImageWidget {
    Q_OBJECT
public:
    explicit TVrPowerButton(QWidget *parent = nullptr);
    ~TVrPowerButton() override;

    bool Active() const { return active_; }
    void setActive(bool value);
    // "&" marks the accelerator letter, "&&" is a literal "&".
    QString Caption() const { return caption_; }
    void setCaption(const QString &value);
    int LedWidth() const { return ledWidth_; }
    void setLedWidth(int value);
    int LedHeight() const { return ledHeight_; }
    void setLedHeight(int value);
    TVrImageLayout Layout() const { return layout_; }
    void setLayout(TVrImageLayout value);
    int Margin() const { return margin_; }
    void setMargin(int value);
    int Spacing() const { return spacing_; }
    void setSpacing(int value);
    TVrPalette &Palette() { return palette_; }
    const TVrPalette &Palette() const { return palette_; }
    using QWidget::setPalette;
    void setPalette(const TVrPalette &value) { palette_ = value; }
    QColor FocusColor() const { return focusColor_; }
    void setFocusColor(QColor value);
    QColor OutlineColor() const { return outlineColor_; }
    void setOutlineColor(QColor value);
    int OutlineWidth() const { return outlineWidth_; }
    void setOutlineWidth(int value);
    QColor HighlightColor() const { return highlightColor_; }
    void setHighlightColor(QColor value);
    QColor ShadowColor() const { return shadowColor_; }
    void setShadowColor(QColor value);
    int BevelWidth() const { return bevelWidth_; }
    void setBevelWidth(int value);
    QColor FontColor() const { return fontColor_; }
    void setFontColor(QColor value);

    // Fired after a click has toggled Active.
    void setOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }
    // Toggles Active as a mouse click would.
    void click();

    bool pressed() const { return pressed_; }
    QRect ledRect() const;
    QRect captionRect() const;

protected:
    void paintImage(QPainter &painter) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void layoutParts(QRect *led, QRect *caption) const;
    QRect contentRect() const;
    void setPressed(bool value);
    void changed() { update(); }

    bool active_ = false;
    bool pressed_ = false;
    bool mouseDown_ = false;
    bool spaceDown_ = false;
    int shortcutId_ = 0;
    QString caption_;
    int ledWidth_ = 12;
    int ledHeight_ = 12;
    TVrImageLayout layout_ = ImageLeft;
    int margin_ = -1;
    int spacing_ = 5;
    TVrPalette palette_;
    QColor focusColor_{0x00, 0x00, 0xFF};
    QColor outlineColor_{Qt::black};
    int outlineWidth_ = 1;
    QColor highlightColor_;
    QColor shadowColor_;
    int bevelWidth_ = 2;
    QColor fontColor_{Qt::black};
    std::function<void()> onClick_;
};

} // namespace calvoran
