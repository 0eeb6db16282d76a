// What the radio window uses of the rest of the player, handed in by whoever creates it. Every member
// may be left empty; the window then does without it.
#pragma once
#include "bass.h"

#include <QString>
#include <functional>
#include <string>

namespace calvoran {

struct RadioHost {
    // The engine's current channel, and a way to make a station stream the current channel.
    std::function<DWORD()> currentChannel;
    std::function<void(DWORD)> setCurrentChannel;
    // Appends a playlist entry (caption in 8-bit text, location) without an image or tag.
    std::function<void(const std::string &caption, const QString &location)> appendPlaylistEntry;
    // The main window's title display (8-bit text), level bars (0..128) and position bar (seconds).
    std::function<void(const std::string &title)> setTitle;
    std::function<void(int left, int right)> setLevels;
    std::function<void(int seconds)> setPosition;
    // The main window's volume slider, 0..100.
    std::function<int()> volume;
    // Where the presets are kept; empty means NetRadio.ini in the program folder.
    QString presetFile;
};

} // namespace calvoran
