#pragma once
#include <QColor>
#include <QRect>
#include <functional>

class QPainter;

namespace calvoran {

enum TVrBevelStyle { bsNone, bsLowered, bsRaised };
enum TVrBevelOutline { osNone, osOuter, osInner };

// A frame drawn inside a widget's rectangle, from the outside in: border ring, outer outline (osOuter),
// outer 3D ring, outer outline (osInner), outer space; then the same for the inner ring.
// Copying takes the settings only; the change handler stays with the object it was set on.
class TVrBevel {
public:
    TVrBevel() = default;
    TVrBevel(const TVrBevel &other);
    TVrBevel &operator=(const TVrBevel &other);
    ~TVrBevel() = default;

    // The widgets' usual frame: inner ring lowered, width 2, inner colour black.
    static TVrBevel widgetDefault();

    int BorderWidth() const { return s_.borderWidth; }
    void setBorderWidth(int value);
    QColor BorderColor() const { return s_.borderColor; }
    void setBorderColor(QColor value);

    TVrBevelOutline OuterOutline() const { return s_.outer.outline; }
    void setOuterOutline(TVrBevelOutline value);
    TVrBevelStyle OuterStyle() const { return s_.outer.style; }
    void setOuterStyle(TVrBevelStyle value);
    int OuterWidth() const { return s_.outer.width; }
    void setOuterWidth(int value);
    QColor OuterShadow() const { return s_.outer.shadow; }
    void setOuterShadow(QColor value);
    QColor OuterHighlight() const { return s_.outer.highlight; }
    void setOuterHighlight(QColor value);
    int OuterSpace() const { return s_.outer.space; }
    void setOuterSpace(int value);
    QColor OuterColor() const { return s_.outer.color; }
    void setOuterColor(QColor value);

    TVrBevelOutline InnerOutline() const { return s_.inner.outline; }
    void setInnerOutline(TVrBevelOutline value);
    TVrBevelStyle InnerStyle() const { return s_.inner.style; }
    void setInnerStyle(TVrBevelStyle value);
    int InnerWidth() const { return s_.inner.width; }
    void setInnerWidth(int value);
    QColor InnerShadow() const { return s_.inner.shadow; }
    void setInnerShadow(QColor value);
    QColor InnerHighlight() const { return s_.inner.highlight; }
    void setInnerHighlight(QColor value);
    int InnerSpace() const { return s_.inner.space; }
    void setInnerSpace(int value);
    QColor InnerColor() const { return s_.inner.color; }
    void setInnerColor(QColor value);

    bool Visible() const { return s_.visible; }
    void setVisible(bool value);

    // How far the frame reaches in from every side; 0 when not Visible.
    int totalWidth() const;
    // Draws the frame inside rect and returns the rectangle left inside it.
    QRect paint(QPainter &painter, QRect rect) const;

    void setOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }
    bool sameLook(const TVrBevel &other) const;

private:
    struct Ring {
        TVrBevelOutline outline = osNone;
        TVrBevelStyle style = bsNone;
        int width = 1;
        QColor shadow{0x80, 0x80, 0x80};
        QColor highlight{0xFF, 0xFF, 0xFF};
        int space = 0;
        QColor color{0xC0, 0xC0, 0xC0};
    };
    struct Settings {
        int borderWidth = 0;
        QColor borderColor{0xC0, 0xC0, 0xC0};
        Ring outer;
        Ring inner;
        bool visible = true;
    };

    template <typename T> void assign(T &member, T value);
    static int ringWidth(const Ring &ring);
    static QRect paintRing(QPainter &painter, QRect rect, const Ring &ring);

    Settings s_;
    std::function<void()> onChange_;
};

// Draws a frame `width` pixels wide: `topLeft` on the top and left edges, `bottomRight` on the others.
QRect vrFrame3D(QPainter &painter, QRect rect, int width, QColor topLeft, QColor bottomRight);

} // namespace calvoran
