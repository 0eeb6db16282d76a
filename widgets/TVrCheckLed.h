#pragma once
#include "TVrPalette.h"
#include "VrImageWidget.h"
#include <functional>

namespace calvoran {

enum TVrImageLayout { ImageLeft, ImageRight, ImageTop, ImageBottom };
enum TVrCheckStyle { csCheckbox, csRadioButton };

// A switch shown as a small lamp beside its caption; radio-style lamps of one parent form a group.
class TVrCheckLed : public VrImageWidget {
    Q_OBJECT
public:
    explicit TVrCheckLed(QWidget *parent = nullptr);
    ~TVrCheckLed() override;

    bool Checked() const { return checked_; }
    void setChecked(bool value);
    // "&" marks the accelerator letter, "&&" is a literal "&".
    QString Caption() const { return caption_; }
    void setCaption(const QString &value);
    int CheckWidth() const { return checkWidth_; }
    void setCheckWidth(int value);
    int CheckHeight() const { return checkHeight_; }
    void setCheckHeight(int value);
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
    TVrCheckStyle CheckStyle() const { return checkStyle_; }
    void setCheckStyle(TVrCheckStyle value);
    QColor FontColor() const { return fontColor_; }
    void setFontColor(QColor value);

    void setOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }

    // Lamp and caption rectangles for the present size, font and caption.
    QRect lampRect() const;
    QRect captionRect() const;
    // The state the lamp shows, which a pressed mouse or the space bar can make differ from Checked.
    bool shownChecked() const { return shown_; }

protected:
    void paintImage(QPainter &painter) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void layoutParts(QRect *lamp, QRect *caption) const;
    QSize captionSize() const;
    void paintLamp(QPainter &painter, const QRect &lamp) const;
    void paintCaption(QPainter &painter, const QRect &caption) const;
    void updateShortcut();
    void setHot(bool value);

    bool checked_ = false;
    bool shown_ = false;
    bool pressing_ = false;
    bool hot_ = false;
    int shortcutId_ = 0;
    QString caption_;
    int checkWidth_ = 20;
    int checkHeight_ = 13;
    TVrImageLayout layout_ = ImageLeft;
    int margin_ = -1;
    int spacing_ = 5;
    TVrPalette palette_;
    TVrCheckStyle checkStyle_ = csCheckbox;
    QColor fontColor_{Qt::black};
    std::function<void()> onChange_;
};

} // namespace calvoran
