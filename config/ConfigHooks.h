#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

// What the configuration window reaches in the other windows. The program sets these before the
// window is created (its creation already switches the level-bar timer and the tray icon); tests set
// their own.
struct ConfigHooks {
    std::function<uint32_t()> currentChannel;               // the engine's CurrentChannel
    std::function<void(unsigned ms)> setLevelTimerInterval; // playlist window's level-bar timer
    std::function<void(bool)> setLevelTimerEnabled;
    std::function<void(bool)> setTitleLedsVisible; // the title matrix's back LEDs
    std::function<void(bool)> setPlaylistFlatScrollBars;
    std::function<void(bool)> setPlaylistGridLines;
    std::function<QStringList()> listSkins;         // section names of Skins.ini
    std::function<void(const QString &)> applySkin; // apply a skin the user picked (may raise)
    std::function<void(bool)> setTrayIcon;          // add (true) or remove (false) the tray icon
};

ConfigHooks &configHooks();
