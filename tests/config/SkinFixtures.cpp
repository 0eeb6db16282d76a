#include "SkinFixtures.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <gtest/gtest.h>

namespace fixtures {

QImage maskImage(QSize size, QRect shape) {
    QImage mask(size, QImage::Format_RGB32);
    mask.fill(Qt::black);
    QPainter(&mask).fillRect(shape, Qt::white);
    return mask;
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(path.section('/', 0, -2));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

void writeImage(const QString &path, const QImage &image, const char *format) {
    QDir().mkpath(path.section('/', 0, -2));
    ASSERT_TRUE(image.save(path, format)) << path.toStdString();
}

QStringList glyphFiles() {
    return {"plbtn.bmp",   "prevbtn.bmp", "playbtn.bmp", "stopbtn.bmp",
            "nextbtn.bmp", "addbtn.bmp",  "delbtn.bmp",  "savebtn.bmp"};
}

void writeSkinFiles(const QString &folder, const QString &name, QColor glyphColor, QSize maskSize,
                    QRect maskShape, QSize pictureSize, bool withPicture) {
    const QString dir = folder + "Skins/" + name + '/';
    int width = 8;
    for (const QString &file : glyphFiles()) {
        QImage glyph(width * 2, 6, QImage::Format_RGB32);
        glyph.fill(Qt::magenta);
        QPainter painter(&glyph);
        painter.fillRect(1, 1, width - 2, 4, glyphColor);
        painter.fillRect(width + 1, 1, width - 2, 4, glyphColor.lighter());
        painter.end();
        writeImage(dir + file, glyph, "BMP");
        ++width; // each glyph its own size, so a test can tell them apart
    }
    writeImage(dir + name + ".bmp", maskImage(maskSize, maskShape), "BMP");
    if (withPicture) {
        QImage picture(pictureSize, QImage::Format_RGB32);
        picture.fill(glyphColor);
        writeImage(dir + name + ".jpg", picture, "JPEG");
    }
}

} // namespace fixtures
