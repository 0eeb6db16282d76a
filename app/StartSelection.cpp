#include "StartSelection.h"

#include "engine/PlaybackEngine.h"
#include "engine/PlaylistWindow.h"
#include "platform/SettingsKey.h"

namespace calvoran {

namespace {
const QString kLastIndex = QStringLiteral("LastIndex");
}

void rememberPlayedEntry(PlaybackEngine &engine) {
    QObject::connect(&engine, &PlaybackEngine::trackStarted, &engine, [](const TrackStart &start) {
        // Stations opened from the radio window are no playlist entry.
        if (start.position >= 0) SettingsKey::writeInteger(kLastIndex, start.position);
    });
}

int startEntry(int saved, int count) {
    if (count < 1) return -1;
    return saved >= 0 && saved < count ? saved : 0;
}

int selectStartEntry(TForm2 &playlist) {
    const int entry = startEntry(SettingsKey::readInteger(kLastIndex, 0), playlist.EntryCount());
    if (entry >= 0) playlist.SelectPosition(entry);
    return entry;
}

} // namespace calvoran
