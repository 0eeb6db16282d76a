#pragma once
#include <QString>

namespace calvoran {

class EngineDisplays;

// What the playlist window is created with besides the engine and the playlist. The defaults make
// a window without a main window and without a command-line file.
struct EngineSetup {
    EngineDisplays *displays = nullptr;
    // The raw process command line, "exe" "file"; the main window picks the file out of it.
    QString commandLine;
    // The list read at creation; empty means the program folder's playlist.m3u.
    QString playlistFile;
};

} // namespace calvoran
