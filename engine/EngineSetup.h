#pragma once
#include "bass.h"

#include <QString>
#include <functional>

class Tid32;

namespace calvoran {

class EngineDisplays;

// What the playlist window is created with. The defaults make a window without a main window, without
// a command-line file and with the real library version.
struct EngineSetup {
    EngineDisplays *displays = nullptr;
    // The raw process command line, "exe" "file"; the main window picks the file out of it.
    QString commandLine;
    // Where the edit boxes of the last read tag live.
    Tid32 *id3Window = nullptr;
    // The library version check's source; tests replace it.
    std::function<DWORD()> version;
    // The list read at creation; empty means the program folder's playlist.m3u.
    QString playlistFile;
};

} // namespace calvoran
