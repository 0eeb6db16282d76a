#pragma once
#include <QString>
#include <QStringList>

namespace calvoran {

// The folder the player keeps its files in, ending in '/': the executable's folder, or
// CALVORAN_HOME when that is set (tests and portable installs).
QString programFolder();

// $XDG_CONFIG_HOME/calvoran/ (default ~/.config/calvoran/), ending in '/'.
QString userFolder();

// Whether the player may write beside its executable; an installed copy usually may not.
bool programFolderWritable();

// Where the files the player writes (settings, playlist, presets) go: the program folder when it
// can be written, else the user folder.
QString writableFolder();

// The path to write the kept file `name` to; creates the user folder when that is the place.
QString keptFileForWriting(const QString &name);

// The path to read the kept file `name` from: the written copy once there is one, else the one
// shipped in the program folder (a first start of an installed copy).
QString keptFileForReading(const QString &name);

// Folders to look for skins and plug-ins in, each ending in '/': the user folder first when the
// player keeps its files there, then the program folder.
QStringList searchFolders();

} // namespace calvoran
