#pragma once
#include <QSize>

class QImage;

namespace calvoran {

class TBitmapRgn;

// The controls a skin places, in the order the loader places them.
enum class SkinControl { PlButton, PrevBtn, PlayBtn, StopBtn, NextBtn, VrDisplay1, Image2 };

// The buttons a skin gives glyphs to, in the order the loader loads them: five on the main window,
// then AddBtn, Delbtn and SaveBtn on the playlist window.
enum class SkinButton { PlButton, PrevBtn, PlayBtn, StopBtn, NextBtn, AddBtn, Delbtn, SaveBtn };

// What the skin loader changes. The main window implements it (passing the playlist window's
// buttons on); tests implement it with a recorder. The loader never keeps a reference.
class SkinTarget {
public:
    virtual ~SkinTarget() = default;

    virtual void setControlLeft(SkinControl control, int left) = 0;
    virtual void setControlTop(SkinControl control, int top) = 0;
    // Replaces the pixels of the button's glyph (normal and mouse-over frames side by side, top-left
    // pixel transparent); the button re-measures its frames and sizes itself to them.
    virtual void loadGlyph(SkinButton button, const QImage &glyph) = 0;
    // The main window's window-shape component; the loader loads the mask into it and applies it.
    virtual TBitmapRgn &BitmapRgn1() = 0;
    // Image1 takes the picture and sizes itself to it.
    virtual void loadBackground(const QImage &picture) = 0;
    // Image1's picture size; empty while Image1 has no picture.
    virtual QSize backgroundSize() const = 0;
    virtual void repaintBackground() = 0;
    virtual void resizeWindow(const QSize &size) = 0;
    // The look the window has without any skin: design positions, built-in glyphs, no outline.
    virtual void useBuiltInLook() = 0;
};

} // namespace calvoran
