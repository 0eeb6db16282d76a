#include "MprisWiring.h"

#include "MainWindow.h"
#include "Mpris.h"
#include "engine/PlaylistModel.h"
#include "engine/PlaylistWindow.h"
#include "platform/Text.h"
#include "widgets/TVrSlider.h"
#include "widgets/TVrTrackBar.h"

#include <QUrl>

namespace calvoran {

std::unique_ptr<MprisService> startMpris(PlaybackEngine &engine, PlaylistModel &playlist, TForm1 &main,
                                         TForm2 &list) {
    MprisLinks links;
    links.raise = [&main] {
        main.show();
        main.raise();
        main.activateWindow();
    };
    links.quit = [&main] { main.Exit1Click(); };
    links.play = [&main] { main.PlaybtnClick(); };
    links.stop = [&main] { main.StopBtnClick(); };
    links.next = [&main] { main.NextBtnClick(); };
    links.previous = [&main] { main.PrevBtnClick(); };
    links.volume = [&main] { return main.volume(); };
    links.setVolume = [&main](int position) { main.setVolume(position); };
    // As a release of the position bar at that second.
    links.seek = [&main](int seconds) {
        main.VrTrackBar1->setPosition(seconds);
        main.vrTrackBar1MouseUp();
    };
    // A file comes in as a dropped one (refused with the same message when it is no music file), a
    // stream address as the radio window adds it; either way the new entry is selected and played.
    links.open = [&main, &list, &playlist](const QString &location) {
        const int before = playlist.count();
        if (QUrl(location).scheme().startsWith(QLatin1String("http")))
            list.AppendEntry(toAnsi(location), location, false);
        else
            list.FilesDropped({location});
        if (playlist.count() <= before) return;
        list.SelectPosition(playlist.count() - 1);
        main.PlaybtnClick();
    };
    auto service = std::make_unique<MprisService>(engine, playlist, std::move(links));
    if (!service->registerOnSessionBus()) return nullptr;
    return service;
}

} // namespace calvoran
