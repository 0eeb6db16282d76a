// A skin's button glyph: any bitmap, cut into 1 to 4 frames, drawn in every state and hit-tested.
#include "widgets/TVrBitmapButton.h"

#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    QImageReader::setAllocationLimit(64);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 3) return 0;
    const QImage glyph = QImage::fromData(data + 2, static_cast<int>(size - 2), "BMP");
    if (glyph.isNull() || glyph.width() > 2048 || glyph.height() > 2048) return 0;
    calvoran::TVrBitmapButton button;
    button.setNumGlyphs(1 + data[0] % 4);
    button.setTransparentMode(data[0] & 4 ? calvoran::tmPixel : calvoran::tmColor);
    button.setAutoSize(data[0] & 8);
    button.setHIndent(data[1] % 8);
    button.setVIndent(data[1] / 32);
    button.setGlyph(glyph);
    button.resize(1 + data[1] % 64, 1 + data[0] % 64);
    QImage canvas(button.size(), QImage::Format_ARGB32);
    for (const bool enabled : {true, false}) {
        button.setEnabled(enabled);
        const QRect frame = button.frameRect();
        (void)frame;
        for (int y = -1; y <= button.height(); y += 3)
            for (int x = -1; x <= button.width(); x += 3)
                (void)button.hitTest(QPoint(x, y));
        button.render(&canvas);
    }
    return 0;
}
