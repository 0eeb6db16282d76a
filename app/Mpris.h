#pragma once
// The player on the session bus under the media-player interface desktops use for media keys, sound
// menus and command-line remotes. Every command goes through the main window's own handlers.
#include "engine/TagFields.h"

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>

namespace calvoran {
class PlaybackEngine;
class PlaylistModel;
struct TrackStart;

// What the bus commands reach in the windows; the program fills these in from the main window.
struct MprisLinks {
    std::function<void()> raise, quit, play, stop, next, previous;
    std::function<int()> volume;               // the volume slider, 0..100
    std::function<void(int)> setVolume;        // moves the slider, which runs its change handler
    std::function<void(int)> seek;             // whole seconds, as the position bar seeks
    std::function<void(const QString &)> open; // adds a file or stream address and plays it
};

// The track the bus reports: what played last, with its tag when one was read.
struct MprisTrack {
    int position = -1; // playlist position; -1 for none
    QString location;
    QString caption;
    TagFields tags;
    double seconds = -1;
};
QVariantMap mprisMetadata(const MprisTrack &track);
QString mprisTrackId(int position);

class MprisService : public QObject {
    Q_OBJECT
public:
    MprisService(PlaybackEngine &engine, PlaylistModel &playlist, MprisLinks links,
                 QObject *parent = nullptr);
    ~MprisService() override;

    // Registers the object and takes the bus name; false without a session bus. A name already taken
    // gets this process's instance suffix, as the interface allows.
    bool registerOnSessionBus();
    QString busName() const { return busName_; }

    const MprisLinks &links() const { return links_; }
    QString playbackStatus() const;
    QVariantMap metadata() const { return mprisMetadata(track_); }
    qlonglong positionMicroseconds() const;
    double volume() const;
    void setVolume(double volume);
    bool canPlay() const;
    bool canSeek() const;
    bool canGoNext() const;
    bool canGoPrevious() const;
    void seekBy(qlonglong offset);
    void setPosition(const QString &trackId, qlonglong position);
    void openUri(const QString &uri);

    // Compares what the bus shows with the player and announces what changed.
    void refresh();

signals:
    void Seeked(qlonglong position);

private:
    void onTrackStarted(const TrackStart &start);
    QVariantMap snapshot() const;

    PlaybackEngine &engine_;
    PlaylistModel &playlist_;
    MprisLinks links_;
    MprisTrack track_;
    QString tagsPath_;
    TagFields tags_;
    QVariantMap shown_;
    QString busName_;
};

} // namespace calvoran
