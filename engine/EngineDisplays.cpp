#include "EngineDisplays.h"

#include "PlaybackEngine.h"
#include "tags/id3.h"
#include "widgets/TVrTimer.h"

namespace calvoran {

namespace {
void enable(TVrTimer *timer, bool on) {
    if (timer) timer->setEnabled(on);
}
} // namespace

void showEngineOn(PlaybackEngine &engine, EngineDisplays &displays, QObject *context) {
    QObject::connect(&engine, &PlaybackEngine::trackStarted, context, [&displays](const TrackStart &start) {
        if (start.positionMax >= 0) displays.setPositionMax(start.positionMax);
        enable(displays.endOfTrackTimer(), true);
        enable(displays.positionTimer(), true);
        // Without a title (no entry selected) the matrix keeps what it shows.
        if (start.title.isNull()) return;
        displays.setTitleText(start.title);
        displays.setTitleAutoScroll(true);
    });
    QObject::connect(&engine, &PlaybackEngine::stopped, context, [&displays] {
        enable(displays.endOfTrackTimer(), false);
        enable(displays.positionTimer(), false);
        displays.setLevels(0, 0);
        displays.setPosition(0);
        displays.setTimeText(QStringLiteral("0:0"));
    });
}

void showTagsIn(PlaybackEngine &engine, Tid32 &window) {
    QObject::connect(
        &engine, &PlaybackEngine::tagsRead, &window, [&window](const QString &path, const TagFields &f) {
            window.setFields(path, {f.Title, f.Artist, f.Album, f.Year, f.Genre, f.Track, f.Comment});
        });
}

} // namespace calvoran
