#include "Mpris.h"

#include "MprisAdaptors.h"
#include "bass.h"
#include "engine/PlaybackEngine.h"
#include "engine/PlaylistModel.h"
#include "platform/Text.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <cmath>

namespace calvoran {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.calvoran");
constexpr int kRefreshMs = 250;
constexpr double kMicro = 1e6;

QString locationUrl(const QString &location) {
    const QUrl url(location);
    if (url.isValid() && !url.isRelative() && url.scheme().size() > 1) return location; // a stream address
    return QString::fromLatin1(QUrl::fromLocalFile(location).toEncoded());
}

} // namespace

QString mprisTrackId(int position) {
    if (position < 0) return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
    return QStringLiteral("/org/mpris/MediaPlayer2/calvoran/track/%1").arg(position);
}

QVariantMap mprisMetadata(const MprisTrack &track) {
    QVariantMap map;
    if (track.position < 0) return map;
    map.insert(QStringLiteral("mpris:trackid"),
               QVariant::fromValue(QDBusObjectPath(mprisTrackId(track.position))));
    // Without a tag title the entry's caption is what the player shows, so it is the title here too; the
    // artist is then only the file name the tag routine puts there, which names no artist.
    const QString title = fromAnsi(track.tags.Title);
    map.insert(QStringLiteral("xesam:title"), title.isEmpty() ? track.caption : title);
    if (!title.isEmpty() && !track.tags.Artist.empty())
        map.insert(QStringLiteral("xesam:artist"), QStringList{fromAnsi(track.tags.Artist)});
    if (!title.isEmpty() && !track.tags.Album.empty())
        map.insert(QStringLiteral("xesam:album"), fromAnsi(track.tags.Album));
    if (track.seconds > 0)
        map.insert(QStringLiteral("mpris:length"),
                   static_cast<qlonglong>(std::llround(track.seconds * kMicro)));
    if (!track.location.isEmpty()) map.insert(QStringLiteral("xesam:url"), locationUrl(track.location));
    return map;
}

MprisService::MprisService(PlaybackEngine &engine, PlaylistModel &playlist, MprisLinks links, QObject *parent)
    : QObject(parent), engine_(engine), playlist_(playlist), links_(std::move(links)) {
    // The engine reads the tag of a stream just before it starts it.
    connect(&engine_, &PlaybackEngine::tagsRead, this, [this](const QString &path, const TagFields &fields) {
        tagsPath_ = path;
        tags_ = fields;
    });
    connect(&engine_, &PlaybackEngine::trackStarted, this, &MprisService::onTrackStarted);
    connect(&engine_, &PlaybackEngine::stopped, this, &MprisService::refresh);
    connect(&engine_, &PlaybackEngine::channelChanged, this, &MprisService::refresh);
    // The volume slider and the end of a track announce nothing; a light poll catches them.
    auto *timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &MprisService::refresh);
    timer->start(kRefreshMs);
}

MprisService::~MprisService() {
    if (busName_.isEmpty()) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(kObjectPath);
    bus.unregisterService(busName_);
}

bool MprisService::registerOnSessionBus() {
    // Only a bus the session already has: without one the bus library would launch a daemon of its own
    // for the display, which would outlive the player.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        (runtime.isEmpty() || !QFileInfo::exists(runtime + QStringLiteral("/bus"))))
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    // Adaptors are children of the object they serve.
    new MprisRootAdaptor(this);
    auto *player = new MprisPlayerAdaptor(this);
    connect(this, &MprisService::Seeked, player, &MprisPlayerAdaptor::Seeked);
    if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors)) return false;
    QString name = kServiceName;
    if (!bus.registerService(name)) {
        name += QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
        if (!bus.registerService(name)) {
            bus.unregisterObject(kObjectPath);
            return false;
        }
    }
    busName_ = name;
    shown_ = snapshot();
    return true;
}

void MprisService::onTrackStarted(const TrackStart &start) {
    MprisTrack track;
    track.position = start.position;
    track.location = playlist_.contains(start.position) ? playlist_.location(start.position) : QString();
    track.caption = start.title;
    if (!track.location.isEmpty() && tagsPath_ == track.location) track.tags = tags_;
    const DWORD channel = engine_.CurrentChannel();
    const QWORD bytes = channel ? BASS_StreamGetLength(channel) : ~QWORD{0};
    track.seconds = bytes != ~QWORD{0} ? BASS_ChannelBytes2Seconds(channel, bytes) : start.positionMax;
    track_ = track;
    refresh();
}

QString MprisService::playbackStatus() const {
    for (const DWORD handle : {engine_.CurrentChannel(), engine_.CurrentModule()}) {
        const DWORD state = handle ? BASS_ChannelIsActive(handle) : BASS_ACTIVE_STOPPED;
        if (state == BASS_ACTIVE_PLAYING || state == BASS_ACTIVE_STALLED) return QStringLiteral("Playing");
    }
    return QStringLiteral("Stopped");
}

qlonglong MprisService::positionMicroseconds() const {
    if (playbackStatus() != QLatin1String("Playing")) return 0;
    return static_cast<qlonglong>(std::llround(engine_.positionSeconds() * kMicro));
}

double MprisService::volume() const {
    return links_.volume ? links_.volume() / 100.0 : 0.0;
}

void MprisService::setVolume(double volume) {
    if (!links_.setVolume || std::isnan(volume)) return;
    links_.setVolume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
    refresh();
}

bool MprisService::canPlay() const {
    return playlist_.count() > 0;
}

bool MprisService::canSeek() const {
    return track_.seconds > 0 && playbackStatus() == QLatin1String("Playing");
}

bool MprisService::canGoNext() const {
    return playlist_.count() > 1;
}

bool MprisService::canGoPrevious() const {
    return playlist_.count() > 1;
}

void MprisService::seekBy(qlonglong offset) {
    if (!canSeek() || !links_.seek) return;
    const double target = engine_.positionSeconds() + static_cast<double>(offset) / kMicro;
    // Past the end is the next track; before the start is the start.
    if (target > track_.seconds) {
        if (links_.next) links_.next();
        return;
    }
    links_.seek(static_cast<int>(std::lround(std::max(0.0, target))));
    emit Seeked(positionMicroseconds());
}

void MprisService::setPosition(const QString &trackId, qlonglong position) {
    if (!canSeek() || !links_.seek || trackId != mprisTrackId(track_.position) || position < 0 ||
        static_cast<double>(position) > track_.seconds * kMicro)
        return;
    links_.seek(static_cast<int>(std::lround(static_cast<double>(position) / kMicro)));
    emit Seeked(positionMicroseconds());
}

void MprisService::openUri(const QString &uri) {
    if (!links_.open) return;
    const QUrl url(uri);
    if (url.isLocalFile())
        links_.open(url.toLocalFile());
    else if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
        links_.open(uri);
}

QVariantMap MprisService::snapshot() const {
    QVariantMap now;
    now.insert(QStringLiteral("PlaybackStatus"), playbackStatus());
    now.insert(QStringLiteral("Metadata"), metadata());
    now.insert(QStringLiteral("Volume"), volume());
    now.insert(QStringLiteral("CanPlay"), canPlay());
    now.insert(QStringLiteral("CanSeek"), canSeek());
    now.insert(QStringLiteral("CanGoNext"), canGoNext());
    now.insert(QStringLiteral("CanGoPrevious"), canGoPrevious());
    return now;
}

void MprisService::refresh() {
    if (busName_.isEmpty()) return;
    const QVariantMap now = snapshot();
    QVariantMap changed;
    for (auto it = now.begin(); it != now.end(); ++it)
        if (shown_.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    shown_ = now;
    if (changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(
        kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

// ---- Adaptors ------------------------------------------------------------------------------------

MprisRootAdaptor::MprisRootAdaptor(MprisService *service)
    : QDBusAbstractAdaptor(service), service_(service) {}

QString MprisRootAdaptor::identity() const {
    return QStringLiteral("Calvoran Player");
}

QString MprisRootAdaptor::desktopEntry() const {
    return QStringLiteral("calvoran");
}

QStringList MprisRootAdaptor::supportedUriSchemes() const {
    return {QStringLiteral("file"), QStringLiteral("http"), QStringLiteral("https")};
}

QStringList MprisRootAdaptor::supportedMimeTypes() const {
    return {QStringLiteral("audio/mpeg"),       QStringLiteral("audio/x-mpeg"),
            QStringLiteral("audio/ogg"),        QStringLiteral("audio/x-vorbis+ogg"),
            QStringLiteral("audio/x-wav"),      QStringLiteral("audio/wav"),
            QStringLiteral("audio/x-mod"),      QStringLiteral("audio/x-s3m"),
            QStringLiteral("audio/x-xm"),       QStringLiteral("audio/x-it"),
            QStringLiteral("audio/x-mtm"),      QStringLiteral("audio/flac"),
            QStringLiteral("audio/x-flac"),     QStringLiteral("audio/x-flac+ogg"),
            QStringLiteral("audio/x-opus+ogg"), QStringLiteral("audio/x-mpegurl")};
}

void MprisRootAdaptor::Raise() {
    if (service_->links().raise) service_->links().raise();
}

void MprisRootAdaptor::Quit() {
    // After the reply has gone out: the exit closes windows and frees the library.
    QTimer::singleShot(0, service_, [service = service_] {
        if (service->links().quit) service->links().quit();
    });
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService *service)
    : QDBusAbstractAdaptor(service), service_(service) {}

void MprisPlayerAdaptor::Next() {
    if (service_->links().next) service_->links().next();
    service_->refresh();
}

void MprisPlayerAdaptor::Previous() {
    if (service_->links().previous) service_->links().previous();
    service_->refresh();
}

void MprisPlayerAdaptor::Pause() {
    Stop();
}

void MprisPlayerAdaptor::PlayPause() {
    if (service_->playbackStatus() == QLatin1String("Playing"))
        Stop();
    else
        Play();
}

void MprisPlayerAdaptor::Stop() {
    if (service_->links().stop) service_->links().stop();
    service_->refresh();
}

void MprisPlayerAdaptor::Play() {
    if (service_->links().play) service_->links().play();
    service_->refresh();
}

void MprisPlayerAdaptor::Seek(qlonglong offset) {
    service_->seekBy(offset);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &trackId, qlonglong position) {
    service_->setPosition(trackId.path(), position);
}

void MprisPlayerAdaptor::OpenUri(const QString &uri) {
    service_->openUri(uri);
}

} // namespace calvoran
