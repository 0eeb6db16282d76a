#pragma once
#include "platform/Paths.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace calvoran {

class SkinDescription;
class SkinTarget;

// A skin is a plain folder name that Skins.ini lists; anything else (a path included) is unknown.
bool isListedSkin(const SkinDescription &description, const QString &name);

// Every function takes the program folder (ending in '/'); it defaults to the player's own.

// <folder>Skins/<name>/
QString skinFolder(const QString &name, const QString &folder = programFolder());

// Applies the skin `name` step by step: positions, glyphs, outline, background, and, when
// fitToBackground, the window's size from the background. A name that is not a listed skin is
// unknown: the controls go to the origin and the first glyph fails, as for a skin without files. A file that
// cannot be opened or decoded throws SkinFileError at its step; the steps before it stay in effect.
void ApplySkin(SkinTarget &target, const QString &name, bool fitToBackground,
               const QString &folder = programFolder());

// Replaces `list` with the section names of Skins.ini in file order; empty without the file.
void ListSkins(QStringList &list, const QString &folder = programFolder());

// The skin start-up should apply for the saved SkinName: that skin when Skins.ini lists it and its
// folder exists, else the first such skin of Skins.ini, else empty (the built-in look).
QString resolveStartupSkin(const QString &savedName, const QString &folder = programFolder());

// Start-up: applies the resolved skin fitted to its background. A skin whose files fail gives way,
// silently, to the next listed one, and the built-in look is the last resort. Returns the skin
// applied, empty for the built-in look. SkinName is not written.
QString applyStartupSkin(SkinTarget &target, const QString &savedName,
                         const QString &folder = programFolder());

// Decoders of the skin files: Windows bitmaps and the JPEG background. Both throw SkinFileError.
QImage loadSkinBitmap(const QString &path);
QImage loadSkinPicture(const QString &path);
// The decoding step alone ("bmp" or "jpeg"); a null image when the data is no such picture.
QImage decodeSkinImage(const QByteArray &data, const char *format);

} // namespace calvoran
