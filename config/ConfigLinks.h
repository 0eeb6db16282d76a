#pragma once
#include <QString>
#include <QStringList>
#include <functional>

// What the configuration window reaches in the rest of the player, handed to it at creation (its
// creation already switches the level timer and the tray icon). A link left empty does nothing.
struct ConfigLinks {
    std::function<void(int effect, bool on)> setEffect;     // a stream effect switch
    std::function<void(unsigned ms)> setLevelTimerInterval; // playlist window's level-bar timer
    std::function<void(bool)> setLevelTimerEnabled;
    std::function<void(bool)> setTitleLedsVisible; // the title matrix's back LEDs
    std::function<void(bool)> setPlaylistFlatScrollBars;
    std::function<void(bool)> setPlaylistGridLines;
    std::function<QStringList()> listSkins;         // section names of Skins.ini
    std::function<void(const QString &)> applySkin; // apply a skin the user picked (may raise)
    std::function<void(bool)> setTrayIcon;          // add (true) or remove (false) the tray icon
    // Opens the plug-ins window running the plug-in at this path; false when it could not (the window
    // has told the user why and is gone again).
    std::function<bool(const QString &pluginPath)> startPlugins;
    std::function<void()> stopPlugins; // ends the plug-in and closes the plug-ins window
};
