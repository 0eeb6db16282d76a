#include "TVrDisplayBevel.h"

namespace calvoran {

TVrDisplayBevel::TVrDisplayBevel() {
    setOuterStyle(bsLowered);
    setOuterWidth(4);
    setOuterShadow(QColor(0xC0C0C0));
    setOuterHighlight(QColor(0x808080));
    setOuterOutline(osOuter);
    setOuterSpace(1);
    setOuterColor(QColor(0xC0C0C0));
    setInnerStyle(bsLowered);
    setInnerWidth(4);
    setInnerShadow(Qt::black);
    setInnerHighlight(Qt::black);
    setInnerSpace(1);
    setInnerColor(Qt::black);
}

} // namespace calvoran
