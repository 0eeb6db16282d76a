#include "PlaybackEngine.h"

#include "PlaylistModel.h"
#include "TagInfo.h"
#include "bass_fx.h"
#include "model/M3uFormat.h"
#include "platform/Text.h"

#include <QFile>
#include <cmath>

namespace calvoran {

namespace {

constexpr size_t kModuleNameMax = 255;
constexpr float kBandwidthOctaves = 2.5F;
constexpr float kCentres[PlaybackEngine::kEqBands] = {125.0F, 1000.0F, 8000.0F};
constexpr int kEffectPriority = 1;
constexpr int kEqualizerPriority = 0;

QByteArray fileArg(const QString &path) {
    return QFile::encodeName(path);
}

QString minutesSeconds(float seconds) {
    const int minutes = static_cast<int>(seconds / 60);
    const int rest = static_cast<int>(seconds - static_cast<float>(minutes) * 60);
    return QString::number(minutes) + ':' + QString::number(rest);
}

} // namespace

PlaybackEngine::PlaybackEngine(PlaylistModel &playlist, Tid3v2tag &tagReader, QObject *parent)
    : QObject(parent), playlist_(playlist), tagReader_(tagReader) {}

PlaybackEngine::~PlaybackEngine() {
    if (started_) Shutdown();
}

bool PlaybackEngine::Initialise(int volume, bool use3D) {
    started_ = true;
    const DWORD version = version_ ? version_() : BASS_GetVersion();
    if (version != 2) {
        ShowEngineError(QStringLiteral("BASS version 2.0 was not loaded"));
        return false;
    }
    ready_ = true;
    if (!BASS_Init(1, 44100, use3D ? BASS_DEVICE_3D : 0, nullptr, nullptr))
        ShowEngineError(QStringLiteral("Can't initialize digital sound system"));
    BASS_Start();
    setVolume(volume);
    StopPlayback();
    return true;
}

void PlaybackEngine::Shutdown() {
    if (freed_) return;
    freed_ = true;
    BASS_Free();
    BASS_FX_Free();
}

void PlaybackEngine::ShowEngineError(const QString &message) {
    emit engineError(message + QStringLiteral("\r\n(error code: ") + QString::number(BASS_ErrorGetCode()) +
                     ')');
}

void PlaybackEngine::setCurrentChannel(DWORD channel) {
    const bool changed = channel != currentChannel_;
    currentChannel_ = channel;
    if (changed) emit channelChanged(channel);
}

void PlaybackEngine::PlayPath(const QString &path, int position) {
    // A radio entry is no file: it opens as a station.
    if (M3uFormat::isStreamAddress(path)) {
        PlayStream(path, position);
        return;
    }
    const HMUSIC probe = BASS_MusicLoad(FALSE, fileArg(path).constData(), 0, 0, 0, 0);
    if (probe) {
        // The probe only classifies; keeping it would hold a second copy of the module.
        BASS_MusicFree(probe);
        PlayModule(position, path);
    } else {
        PlayStream(path, position);
    }
}

void PlaybackEngine::PlayStream(const QString &path, int position) {
    const bool station = M3uFormat::isStreamAddress(path);
    if (!station) LoadTagInfo(path);
    TrackStart start;
    start.position = position;
    if (playlist_.contains(position)) start.title = fromAnsi(playlist_.caption(position));
    if (BASS_ChannelIsActive(currentChannel_) == BASS_ACTIVE_PLAYING) {
        BASS_StreamFree(currentChannel_);
        BASS_MusicFree(currentModule_);
    }
    setCurrentChannel(
        station
            ? BASS_StreamCreateURL(path.toUtf8().constData(), 0, extraFlags_, nullptr, nullptr)
            : BASS_StreamCreateFile(FALSE, fileArg(path).constData(), 0, 0, BASS_MP3_SETPOS | extraFlags_));

    // A file that does not open, and a station, have no length; they show 0:0 rather than the error value.
    const QWORD length = currentChannel_ ? BASS_StreamGetLength(currentChannel_) : ~QWORD{0};
    double seconds = length != ~QWORD{0} ? BASS_ChannelBytes2Seconds(currentChannel_, length) : 0;
    if (!(seconds >= 0)) seconds = 0;
    if (currentChannel_ && playlist_.location(position) == path) playlist_.setSeconds(position, seconds);
    start.positionMax = static_cast<int>(std::lround(seconds));
    start.totalText = QStringLiteral("Total: ") + minutesSeconds(static_cast<float>(seconds));

    // Settings first, so the first sound heard already has them.
    applySettings(currentChannel_);
    BASS_StreamPlay(currentChannel_, FALSE, 0);
    emit trackStarted(start);
}

void PlaybackEngine::PlayModule(int position, const QString &path) {
    BASS_StreamFree(currentChannel_);
    BASS_MusicFree(currentModule_);
    const QString location = playlist_.contains(position) ? playlist_.location(position) : path;
    currentModule_ =
        BASS_MusicLoad(FALSE, fileArg(location).constData(), 0, 0, BASS_MUSIC_RAMP | extraFlags_, 0);
    // The timers poll the current channel; with the module there they follow it to its end.
    setCurrentChannel(currentModule_);
    applySettings(currentModule_);
    if (position >= 0 && !BASS_MusicPlay(currentModule_)) ShowEngineError(QStringLiteral("Can't play music"));

    TrackStart start;
    start.position = position;
    const DWORD length = currentModule_ ? BASS_MusicGetLength(currentModule_, FALSE) : 0;
    start.totalText = QStringLiteral("Total: ") + QString::number(length);
    const char *name = currentModule_ ? BASS_MusicGetName(currentModule_) : nullptr;
    std::string title = name ? std::string(name) : std::string();
    if (title.size() > kModuleNameMax) title.resize(kModuleNameMax);
    start.title = fromAnsi(title);
    if (start.title.isNull()) start.title = QStringLiteral(""); // an unnamed module still shows (nothing)
    emit trackStarted(start);
}

void PlaybackEngine::StopPlayback() {
    BASS_StreamFree(currentChannel_);
    BASS_MusicFree(currentModule_);
    emit stopped();
}

void PlaybackEngine::PlayStationStream(DWORD stream) {
    if (stream != currentChannel_) {
        BASS_StreamFree(currentChannel_);
        BASS_MusicFree(currentModule_);
    }
    setCurrentChannel(stream);
    applySettings(stream);
}

double PlaybackEngine::MeasureSeconds(const QString &path) {
    // Decode-only: measuring must not start or disturb playback.
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, fileArg(path).constData(), 0, 0, BASS_STREAM_DECODE);
    if (!stream) return -1;
    const double seconds = BASS_ChannelBytes2Seconds(stream, BASS_StreamGetLength(stream));
    BASS_StreamFree(stream);
    return seconds;
}

void PlaybackEngine::whileMeasuring(const std::function<void()> &work) {
    BASS_ChannelIsActive(0);
    const bool borrow = BASS_ErrorGetCode() == BASS_ERROR_INIT;
    if (borrow) BASS_Init(0, 44100, 0, nullptr, nullptr);
    work();
    if (borrow) BASS_Free();
}

TagFields PlaybackEngine::LoadTagInfo(const QString &path) {
    const TagFields fields = TagInfo::read(tagReader_, path);
    emit tagsRead(path, fields);
    return fields;
}

double PlaybackEngine::positionSeconds() const {
    const double seconds =
        BASS_ChannelBytes2Seconds(currentChannel_, BASS_ChannelGetPosition(currentChannel_));
    return seconds > 0 ? seconds : 0.0;
}

double PlaybackEngine::positionSecondsAhead(unsigned ms) const {
    const QWORD bytes = BASS_ChannelGetPositionAhead(currentChannel_, ms);
    if (bytes == static_cast<QWORD>(-1)) return -1.0;
    const double seconds = BASS_ChannelBytes2Seconds(currentChannel_, bytes);
    return seconds > 0 ? seconds : 0.0;
}

quint64 PlaybackEngine::soundChanges() {
    return BASS_GetSoundChanges();
}

void PlaybackEngine::seekSeconds(int seconds) {
    BASS_ChannelSetPosition(currentChannel_,
                            BASS_ChannelSeconds2Bytes(currentChannel_, static_cast<float>(seconds)));
}

void PlaybackEngine::setVolume(int volume) {
    BASS_SetVolume(static_cast<DWORD>(volume));
}

// ---- settings that follow the music ---------------------------------------------------------------

void PlaybackEngine::applySettings(DWORD channel) {
    if (!channel) return;
    if (equalizerOn_) attachEqualizer(channel);
    for (int effect = 0; effect < kEffectSlots; ++effect)
        if (effects_[static_cast<size_t>(effect)]) BASS_FX_DSP_Set(channel, effect, kEffectPriority);
    if (pan_ != 0) BASS_ChannelSetAttributes(channel, -1, -1, pan_);
}

void PlaybackEngine::setEffect(int effect, bool on) {
    if (effect < 0 || effect >= kEffectSlots || effect == kEqualizerDsp) return;
    effects_[static_cast<size_t>(effect)] = on;
    // The result is ignored: with no stream the switch still shows what was asked for.
    if (on)
        BASS_FX_DSP_Set(currentChannel_, effect, kEffectPriority);
    else
        BASS_FX_DSP_Remove(currentChannel_, effect);
}

bool PlaybackEngine::effectOn(int effect) const {
    return effect >= 0 && effect < kEffectSlots && effects_[static_cast<size_t>(effect)];
}

void PlaybackEngine::setEqualizer(bool on) {
    equalizerOn_ = on;
    if (on)
        attachEqualizer(currentChannel_);
    else
        BASS_FX_DSP_Remove(currentChannel_, kEqualizerDsp);
}

void PlaybackEngine::attachEqualizer(DWORD channel) {
    DWORD freq = 0;
    DWORD volume = 0;
    int pan = 0;
    BASS_ChannelGetAttributes(channel, &freq, &volume, &pan);
    for (int i = 0; i < kEqBands; ++i)
        BASS_FX_DSP_Set(channel, kEqualizerDsp, kEqualizerPriority);
    EqBandParams params{};
    params.sampleRate = freq;
    params.bandwidth = kBandwidthOctaves;
    params.q = 0.0F;
    params.gain = 0.0F;
    for (int band = 0; band < kEqBands; ++band) {
        params.band = band;
        params.centre = kCentres[band];
        BASS_FX_DSP_SetParameters(channel, kEqualizerDsp, &params);
    }
    for (int band = 0; band < kEqBands; ++band)
        applyBandGain(channel, band);
}

void PlaybackEngine::SetEqBandGain(int band, int position) {
    if (band < 0 || band >= kEqBands) return;
    eqPositions_[static_cast<size_t>(band)] = position;
    // Moved while the equaliser is off, this fails on a channel without it; the result is ignored.
    applyBandGain(currentChannel_, band);
}

void PlaybackEngine::applyBandGain(DWORD channel, int band) {
    EqBandParams params{};
    params.band = band;
    BASS_FX_DSP_GetParameters(channel, kEqualizerDsp, &params);
    params.gain = static_cast<float>(kEqFlatPosition - eqPositions_[static_cast<size_t>(band)]);
    BASS_FX_DSP_SetParameters(channel, kEqualizerDsp, &params);
}

void PlaybackEngine::setPan(int pan) {
    pan_ = pan;
    BASS_ChannelSetAttributes(currentChannel_, -1, -1, pan);
}

} // namespace calvoran
