#pragma once
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

// Small skins written on the fly: every glyph, the mask and the background of a skin.
namespace fixtures {

// A mask of `size`, black but for `shape` in white.
QImage maskImage(QSize size, QRect shape);
void writeFile(const QString &path, const QByteArray &bytes);
void writeImage(const QString &path, const QImage &image, const char *format);
// Writes Skins/<name>/ under `folder`: eight 2-frame glyphs of `glyphColor`, the mask and, unless
// `withPicture` is false, a background picture of `pictureSize`.
void writeSkinFiles(const QString &folder, const QString &name, QColor glyphColor, QSize maskSize,
                    QRect maskShape, QSize pictureSize = {120, 50}, bool withPicture = true);
QStringList glyphFiles();

} // namespace fixtures
