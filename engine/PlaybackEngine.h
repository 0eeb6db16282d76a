#pragma once
#include "TagFields.h"
#include "bass.h"

#include <QObject>
#include <QString>
#include <array>
#include <functional>

class Tid3v2tag;

namespace calvoran {

class PlaylistModel;

// What a start of playback shows: the title for the LED matrix (null: leave it as it is), the
// position bar's range (-1: leave it) and the playlist's "Total: " text.
struct TrackStart {
    int position = -1;
    QString title;
    int positionMax = -1;
    QString totalText;
};

// The audio engine: starts and frees the audio library, owns the current channel and module, plays
// and stops, and keeps the effect switches, equaliser gains and balance, which every channel that
// plays gets. It has no window; windows listen to its signals.
class PlaybackEngine : public QObject {
    Q_OBJECT
public:
    static constexpr int kEqualizerDsp = 5;
    static constexpr int kEqBands = 3;
    static constexpr int kEqFlatPosition = 10;
    static constexpr int kEqInitialPosition = 8;

    PlaybackEngine(PlaylistModel &playlist, Tid3v2tag &tagReader, QObject *parent = nullptr);
    ~PlaybackEngine() override;

    // The library version check's source; tests replace it.
    void setVersionSource(std::function<DWORD()> version) { version_ = std::move(version); }
    // Version check, library start on the default output, volume, stopped state. False when the
    // version check failed (nothing was started).
    bool Initialise(int volume, bool use3D);
    bool ready() const { return ready_; }
    // Flags added to every stream and module it opens. BASS_STREAM_DECODE makes them decode-only, so
    // measurements can pull what a listener would hear.
    void setExtraFlags(DWORD flags) { extraFlags_ = flags; }
    // Frees the library and the effects, once. An engine that was never initialised leaves the
    // library alone when it goes.
    void Shutdown();

    DWORD CurrentChannel() const { return currentChannel_; }
    DWORD CurrentModule() const { return currentModule_; }

    // Plays the file at path as a module or a stream; position is the list's selected entry.
    void PlayPath(const QString &path, int position);
    void PlayStream(const QString &path, int position);
    // path is used when position names no entry.
    void PlayModule(int position, const QString &path);
    void StopPlayback();
    // A station's stream, already opened and playing, becomes the current channel.
    void PlayStationStream(DWORD stream);

    // Length in seconds of a file opened as a decode-only stream; -1 when it does not open. Safe to
    // call from several threads.
    static double MeasureSeconds(const QString &path);
    // Runs work, which measures lengths. Before the library started or after it was freed, the silent
    // device stands in for the time of work, so lengths never come out as the failure value.
    void whileMeasuring(const std::function<void()> &work);

    // The fields an entry is captioned from; also announced by tagsRead.
    TagFields LoadTagInfo(const QString &path);

    // Position in seconds heard on the current channel (0 when it gives none), and seeking.
    double positionSeconds() const;
    // The position that will be heard `ms` from now, from sound already mixed; -1 when it is not known yet.
    // It holds while soundChanges() stays the same.
    double positionSecondsAhead(unsigned ms) const;
    static quint64 soundChanges();
    void seekSeconds(int seconds);
    void setVolume(int volume);

    // Settings that follow the music: applied to the current channel at once and to every channel
    // that plays after.
    void setEffect(int effect, bool on);
    bool effectOn(int effect) const;
    void setEqualizer(bool on);
    bool equalizerOn() const { return equalizerOn_; }
    // Slider position 0..19: 10 - position dB.
    void SetEqBandGain(int band, int position);
    int eqPosition(int band) const { return eqPositions_.at(static_cast<size_t>(band)); }
    void setPan(int pan);
    int pan() const { return pan_; }

signals:
    void channelChanged(DWORD channel);
    void trackStarted(const calvoran::TrackStart &start);
    void stopped();
    // The error box's whole text: message, line break and the library's error code.
    void engineError(const QString &text);
    void tagsRead(const QString &path, const calvoran::TagFields &fields);

private:
    void ShowEngineError(const QString &message);
    void setCurrentChannel(DWORD channel);
    // Effects, equaliser and balance on a channel that starts to play.
    void applySettings(DWORD channel);
    void attachEqualizer(DWORD channel);
    void applyBandGain(DWORD channel, int band);

    PlaylistModel &playlist_;
    Tid3v2tag &tagReader_;
    std::function<DWORD()> version_;
    bool ready_ = false;
    bool started_ = false;
    bool freed_ = false;
    DWORD extraFlags_ = 0;
    DWORD currentChannel_ = 0;
    DWORD currentModule_ = 0;

    static constexpr int kEffectSlots = 16;
    std::array<bool, kEffectSlots> effects_{};
    bool equalizerOn_ = false;
    std::array<int, kEqBands> eqPositions_{kEqInitialPosition, kEqInitialPosition, kEqInitialPosition};
    int pan_ = 0;
};

} // namespace calvoran

Q_DECLARE_METATYPE(calvoran::TrackStart)
