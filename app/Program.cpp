#include "Program.h"

#include "BrowserWindow.h"
#include "Forms.h"
#include "MainWindow.h"
#include "Mpris.h"
#include "MprisWiring.h"
#include "PluginWindowHost.h"
#include "StartSelection.h"
#include "config/ConfigWindow.h"
#include "config/SkinLoader.h"
#include "engine/EngineDisplays.h"
#include "engine/EngineSetup.h"
#include "engine/EqualizerWindow.h"
#include "engine/PlaybackEngine.h"
#include "engine/PlaylistModel.h"
#include "engine/PlaylistWindow.h"
#include "platform/SettingsKey.h"
#include "platform/Text.h"
#include "platform/TrayIcon.h"
#include "platform/WriteFailures.h"
#include "radio/RadioWindow.h"
#include "scan/dadd.h"
#include "tags/id3.h"
#include "tags/id3v2.h"
#include "visuals/LevelMetersWindow.h"
#include "visuals/VsLabWindow.h"
#include "visuals/vsx.h"
#include "widgets/TVrMatrix.h"
#include "widgets/TVrRunOnce.h"
#include "widgets/TVrTimer.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <functional>
#include <utility>

namespace calvoran {

namespace {
bool g_running = false;
constexpr int kDefaultVolume = 50;
constexpr int kFirstPaintWaitMs = 250;

// Calls `painted` once the watched window has been painted (its picture has then reached the screen).
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget &window, std::function<void()> painted) : painted_(std::move(painted)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint && painted_) {
            watched->removeEventFilter(this);
            // After this event the frame is flushed; quitting takes effect once it has been.
            std::exchange(painted_, nullptr)();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> painted_;
};

// The playlist's look switches of the configuration window, kept together in one style sheet.
struct PlaylistLook {
    bool flatScrollBars = false;
    bool gridLines = false;
    void apply(TForm2 &playlist) const {
        QString sheet;
        if (flatScrollBars)
            sheet +=
                QStringLiteral("QScrollBar { background: #f0f0f0; border: none; width: 10px; height: 10px; }"
                               "QScrollBar::handle { background: #b8c0cc; border: none; }"
                               "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }");
        if (gridLines) sheet += QStringLiteral("QTreeView::item { border-bottom: 1px solid #d8dce4; }");
        playlist.ListView1()->setStyleSheet(sheet);
    }
};

// What the configuration window reaches in the other windows; its creation already switches the
// level timer and the tray icon, so the links come with it.
ConfigLinks configLinks(PlaybackEngine &engine, TForm1 &main, TForm2 &playlist,
                        const std::shared_ptr<PlaylistLook> &look) {
    ConfigLinks links;
    links.setEffect = [&engine](int effect, bool on) { engine.setEffect(effect, on); };
    links.setLevelTimerInterval = [&playlist](unsigned ms) { playlist.Timer1()->setInterval(ms); };
    links.setLevelTimerEnabled = [&playlist](bool on) { playlist.Timer1()->setEnabled(on); };
    links.setTitleLedsVisible = [&main](bool on) { main.VrMatrix1->setLedsVisible(on); };
    links.setPlaylistFlatScrollBars = [look, &playlist](bool on) {
        look->flatScrollBars = on;
        look->apply(playlist);
    };
    links.setPlaylistGridLines = [look, &playlist](bool on) {
        look->gridLines = on;
        look->apply(playlist);
    };
    links.listSkins = [] {
        QStringList list;
        ListSkins(list);
        return list;
    };
    links.applySkin = [&main](const QString &name) {
        ApplySkin(main, name, false);
        main.repaintBackground();
    };
    links.setTrayIcon = [&main](bool on) {
        if (on)
            TrayIcon::instance().add([&main](int mouseMessage) { main.WM_CALLBACKPRO(mouseMessage); });
        else
            TrayIcon::instance().remove();
    };
    return links;
}

// The Add Directory dialog appends to the playlist and titles entries from the ID3 window's boxes,
// where the playlist's tag routine leaves a file's fields.
void wireAddDirectory(TForm2 &playlist) {
    auto lastAddFolder = std::make_shared<QString>(); // kept while the program runs
    playlist.setOnAddDirectory([&playlist, lastAddFolder] {
        DirAddPlaylist links;
        links.readTags = [&playlist](const QString &path) { return playlist.LoadTagInfo(path); };
        links.entryCount = [&playlist] { return playlist.EntryCount(); };
        links.appendEntry = [&playlist](const std::string &caption, const QString &location, int) {
            playlist.AppendEntry(caption, location);
        };
        links.lastAddFolder = lastAddFolder.get();
        // A child of the playlist window, so it and its search end before the playlist does.
        auto *dialog = new Tdiradd(std::move(links), &playlist);
        dialog->show();
        dialog->raise();
    });
}

} // namespace

bool programRunning() {
    return g_running;
}

QString rawCommandLine(const QString &exePath, const QStringList &arguments) {
    QString line = '"' + exePath + '"';
    if (!arguments.isEmpty()) line += QStringLiteral(" \"") + arguments.front() + '"';
    return line;
}

namespace {

// What the radio window reaches: the engine's current channel, the playlist, and the main window's
// displays while it exists.
RadioHost radioHost(PlaybackEngine &engine, PlaylistModel &playlist) {
    RadioHost host;
    host.currentChannel = [&engine] { return engine.CurrentChannel(); };
    host.setCurrentChannel = [&engine](DWORD channel) { engine.PlayStationStream(channel); };
    host.appendPlaylistEntry = [&playlist](const std::string &caption, const QString &location) {
        playlist.append(PlaylistEntry{caption, location, -1});
    };
    host.setTitle = [](const std::string &title) {
        if (Form1) Form1->setTitleText(fromAnsi(title));
    };
    host.setLevels = [](int left, int right) {
        if (Form1) Form1->setLevels(left, right);
    };
    host.setPosition = [](int seconds) {
        if (Form1) Form1->setPosition(seconds);
    };
    host.volume = [] { return Form1 ? Form1->volumePosition() : 0; };
    return host;
}

// Skin, volume and title of the main window, and the entry Play starts with, then the window's first
// paint: at most a short wait, so a display that never exposes it does not hold up the start.
void showMainWindowFirst(TForm1 &form1, TForm2 &form2) {
    QString skinName;
    {
        SettingsKey key;
        if (key.OpenKey()) {
            skinName = key.ReadString(QStringLiteral("SkinName"));
            int volume = kDefaultVolume;
            try {
                volume = key.ReadInteger(QStringLiteral("Volume"));
            } catch (const SettingsError &) {
                // first run: a fresh install starts at the default volume
            }
            key.CloseKey();
            form1.setVolume(volume);
        }
    }
    // A fresh install or a removed skin falls back to another skin instead of ending the program.
    applyStartupSkin(form1, skinName);
    form1.setWindowState(Qt::WindowNoState);
    form1.setLedText(QStringLiteral("Calvoran Player"));
    // The playlist is loaded: Play, the menu's Play and the bus's Play play the entry that played last.
    form1.CurrentIndex = std::max(0, selectStartEntry(form2));

    if (form1.VrRunOnce1()->terminationRequested()) return;
    bool painted = false;
    bool waitedEnough = false;
    FirstPaintWatch watch(form1, [&painted] { painted = true; });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&waitedEnough] { waitedEnough = true; });
    limit.start(kFirstPaintWaitMs);
    // Clicks wait for the loop proper, when every window they may open exists. No nested loop: a close
    // in the meantime asks the loop to end, and a nested one would take that request for itself.
    while (!painted && !waitedEnough && !form1.closedAlready())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents);
}

} // namespace

int RunProgram(QApplication &app, const QString &commandLine) {
    QApplication::setApplicationName(QStringLiteral("Calvoran Player"));
    // The playlist's tag reader comes before the first window and goes after the loop.
    auto tagReader = std::make_unique<Tid3v2tag>();
    auto playlist = std::make_unique<PlaylistModel>();
    auto engine = std::make_unique<PlaybackEngine>(*playlist, *tagReader);

    auto form1 = std::make_unique<TForm1>(*engine, *playlist);
    Form1 = form1.get();
    form1->show();
    form1->FormCreate();
    form1->resize(2, 2);

    auto id = std::make_unique<Tid32>();
    id32 = id.get();
    showTagsIn(*engine, *id);
    EngineSetup setup;
    setup.displays = form1.get();
    setup.commandLine = commandLine;
    auto form2 = std::make_unique<TForm2>(*engine, *playlist, setup);
    Form2 = form2.get();
    rememberPlayedEntry(*engine);
    wireAddDirectory(*form2);
    form1->setPeers({form2.get(), id.get(), nullptr, nullptr, nullptr, nullptr});

    // The main window is whole once its skin, volume and title are set; the windows made after it wait
    // until it has been painted, since none of them is seen at start.
    showMainWindowFirst(*form1, *form2);

    auto look = std::make_shared<PlaylistLook>();
    // The plug-ins window follows the configuration window's choice when it is resized.
    std::unique_ptr<TForm5> form5;
    auto plugins =
        std::make_unique<PluginWindowHost>([&form5] { return form5 ? form5->chosenPluginPath() : QString(); },
                                           keptFileForWriting(QStringLiteral("vis.ini")));
    ConfigLinks links = configLinks(*engine, *form1, *form2, look);
    links.startPlugins = [host = plugins.get()](const QString &path) { return host->start(path); };
    links.stopPlugins = [host = plugins.get()] { host->stop(); };
    form5 = std::make_unique<TForm5>(std::move(links));
    Form5 = form5.get();
    plugins->onClosed = [config = form5.get()] { config->pluginWindowClosed(); };
    form1->releasePluginWindow = [host = plugins.get()] { host->stop(); };
    // The visual windows read whatever channel the engine plays at each tick.
    const auto currentChannel = [engine = engine.get()] { return engine->CurrentChannel(); };
    auto form4 = std::make_unique<TForm4>(audioChannelTap(currentChannel));
    Form4 = form4.get();
    form1->openLevelMeters = [currentChannel] {
        auto *meters = new TForm4(audioChannelTap(currentChannel)); // deleted when closed
        meters->setAttribute(Qt::WA_DeleteOnClose);
        meters->show();
        meters->raise();
    };
    // One VS Lab window, made at the first use and shown and raised again after that.
    std::unique_ptr<TFormPlayer> vsLab;
    form1->openVsLab = [&vsLab, currentChannel] {
        if (!vsLab) vsLab = std::make_unique<TFormPlayer>(audioChannelTap(currentChannel));
        vsLab->show();
        vsLab->raise();
        vsLab->activateWindow();
    };
    auto browser = std::make_unique<Tbrowser1>();
    browser1 = browser.get();
    auto radio = std::make_unique<TfrmMain>(radioHost(*engine, *playlist));
    frmMain = radio.get();
    form2->setOnAddStream([] {
        if (frmMain) frmMain->OpenRadio();
    });
    auto eq = std::make_unique<Teq2>(*engine);
    eq2 = eq.get();
    auto vsx = std::make_unique<TVSXlab>(currentChannel);
    VSXlab = vsx.get();
    form1->setPeers({form2.get(), id.get(), form5.get(), eq.get(), vsx.get(), radio.get()});

    // A second copy that is about to end never takes the bus name.
    const bool ending = form1->VrRunOnce1()->terminationRequested();
    auto mpris = ending ? nullptr : startMpris(*engine, *playlist, *form1, *form2);

    // A second copy ends as its loop would start; start-up may already have let queued events run,
    // so the guard's request is checked here rather than trusted to arrive inside the loop.
    // Posted last, so it runs only inside the loop, never in an event pass during start-up.
    QTimer::singleShot(0, &app, [] { g_running = true; });
    QTimer::singleShot(0, form1.get(), [main = form1.get()] { WriteFailures::showNotes(main); });
    // A main window closed while start-up let events run has already asked for an end that no loop saw.
    const int rc = form1->VrRunOnce1()->terminationRequested() || form1->closedAlready() ? 0 : app.exec();
    g_running = false;
    mpris.reset();

    // Windows go in creation order, as the framework releases them; the engine frees the library
    // once, after the last window that plays through it.
    plugins->stop();
    Form1 = nullptr;
    form1.reset();
    id32 = nullptr;
    id.reset();
    Form2 = nullptr;
    form2.reset();
    plugins.reset();
    Form5 = nullptr;
    form5.reset();
    Form4 = nullptr;
    form4.reset();
    vsLab.reset();
    browser1 = nullptr;
    browser.reset();
    frmMain = nullptr;
    radio.reset();
    eq2 = nullptr;
    eq.reset();
    VSXlab = nullptr;
    vsx.reset();
    engine.reset();
    playlist.reset();
    tagReader.reset();
    return rc;
}

} // namespace calvoran
