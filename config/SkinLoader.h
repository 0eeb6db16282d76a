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

// The other functions take the folder holding Skins.ini and Skins/ (ending in '/'). Left empty, they
// look in the user folder first and then in the program folder (see searchFolders()).

// <folder>Skins/<name>/
QString skinFolder(const QString &name, const QString &folder);

// Applies the skin `name`: positions, glyphs, outline, background, and, when fitToBackground, the
// window's size from the background. Every file is read and decoded first: a name that is not a
// listed skin, a missing file or one that does not decode throws SkinFileError and changes nothing.
void ApplySkin(SkinTarget &target, const QString &name, bool fitToBackground, const QString &folder = {});

// Replaces `list` with the section names of Skins.ini in file order (user folder's first, no name
// twice); empty without the file.
void ListSkins(QStringList &list, const QString &folder = {});

// The same over a list of folders, earlier ones first.
QStringList listSkinsIn(const QStringList &folders);
// The first of `folders` whose Skins.ini lists `name` and that has its skin folder; the last folder
// when none has it (where the error then names the missing file).
QString skinHome(const QString &name, const QStringList &folders);

// The skin start-up should apply for the saved SkinName: that skin when Skins.ini lists it and its
// folder exists, else the first such skin of Skins.ini, else empty (the built-in look).
QString resolveStartupSkin(const QString &savedName, const QString &folder = {});

// Start-up: applies the resolved skin fitted to its background. A skin whose files fail gives way,
// silently, to the next listed one, and the built-in look is the last resort. Returns the skin
// applied, empty for the built-in look. SkinName is not written.
QString applyStartupSkin(SkinTarget &target, const QString &savedName, const QString &folder = {});

// Decoders of the skin files: Windows bitmaps and the JPEG background. Both throw SkinFileError.
QImage loadSkinBitmap(const QString &path);
QImage loadSkinPicture(const QString &path);
// The decoding step alone ("bmp" or "jpeg"); a null image when the data is no such picture.
QImage decodeSkinImage(const QByteArray &data, const char *format);

} // namespace calvoran
