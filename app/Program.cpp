#include "Program.h"

#include "BrowserWindow.h"
#include "Forms.h"
#include "MainWindow.h"
#include "config/ConfigHooks.h"
#include "config/ConfigWindow.h"
#include "config/SkinLoader.h"
#include "engine/EngineSetup.h"
#include "engine/EqualizerWindow.h"
#include "engine/PlaylistTagReader.h"
#include "engine/PlaylistWindow.h"
#include "platform/SettingsKey.h"
#include "platform/TrayIcon.h"
#include "radio/RadioWindow.h"
#include "scan/dadd.h"
#include "tags/id3.h"
#include "tags/id3v2.h"
#include "visuals/LevelMetersWindow.h"
#include "visuals/vsx.h"
#include "widgets/TVrMatrix.h"
#include "widgets/TVrRunOnce.h"
#include "widgets/TVrTimer.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QTreeWidget>

namespace calvoran {

namespace {
bool g_running = false;
constexpr int kDefaultVolume = 50;

// The playlist's look switches of the configuration window, kept together in one style sheet.
struct PlaylistLook {
    bool flatScrollBars = false;
    bool gridLines = false;
    void apply() const {
        if (!Form2) return;
        QString sheet;
        if (flatScrollBars)
            sheet +=
                QStringLiteral("QScrollBar { background: #f0f0f0; border: none; width: 10px; height: 10px; }"
                               "QScrollBar::handle { background: #b8c0cc; border: none; }"
                               "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }");
        if (gridLines) sheet += QStringLiteral("QTreeView::item { border-bottom: 1px solid #d8dce4; }");
        Form2->ListView1()->setStyleSheet(sheet);
    }
};

// What the configuration window reaches in the other windows; set before it is created, since its
// creation already switches the level timer and the tray icon.
void wireConfigHooks() {
    static PlaylistLook look;
    ConfigHooks &hooks = configHooks();
    hooks.currentChannel = [] { return Form2 ? static_cast<uint32_t>(Form2->CurrentChannel) : 0U; };
    hooks.setLevelTimerInterval = [](unsigned ms) {
        if (Form2) Form2->Timer1()->setInterval(ms);
    };
    hooks.setLevelTimerEnabled = [](bool on) {
        if (Form2) Form2->Timer1()->setEnabled(on);
    };
    hooks.setTitleLedsVisible = [](bool on) {
        if (Form1) Form1->VrMatrix1->setLedsVisible(on);
    };
    hooks.setPlaylistFlatScrollBars = [](bool on) {
        look.flatScrollBars = on;
        look.apply();
    };
    hooks.setPlaylistGridLines = [](bool on) {
        look.gridLines = on;
        look.apply();
    };
    hooks.listSkins = [] {
        QStringList list;
        ListSkins(list);
        return list;
    };
    hooks.applySkin = [](const QString &name) {
        if (!Form1) return;
        ApplySkin(*Form1, name, false);
        Form1->repaintBackground();
    };
    hooks.setTrayIcon = [](bool on) {
        if (on)
            TrayIcon::instance().add([](int mouseMessage) {
                if (Form1) Form1->WM_CALLBACKPRO(mouseMessage);
            });
        else
            TrayIcon::instance().remove();
    };
}

// The Add Directory dialog appends to the playlist and titles entries from the ID3 window's boxes,
// where the playlist's tag routine leaves a file's fields.
void wireAddDirectory(TForm2 &playlist, Tid32 &tagsWindow) {
    playlist.setOnAddDirectory([&playlist, &tagsWindow] {
        static QString lastAddFolder; // kept while the program runs
        DirAddPlaylist links;
        links.readTags = [&playlist, &tagsWindow](const QString &path) {
            playlist.LoadTagInfo(path);
            const Tid32::Fields f = tagsWindow.fields();
            return TagFields{f.Title, f.Artist, f.Album, f.Year, f.Genre, f.Comment, f.Track};
        };
        links.entryCount = [&playlist] { return playlist.EntryCount(); };
        links.appendEntry = [&playlist](const std::string &caption, const QString &location, int) {
            playlist.AppendEntry(caption, location);
        };
        links.lastAddFolder = &lastAddFolder;
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

int RunProgram(QApplication &app, const QString &commandLine) {
    QApplication::setApplicationName(QStringLiteral("Calvoran Player"));
    auto tagReader = std::make_unique<Tid3v2tag>();
    PlaylistTagReader = tagReader.get();

    auto form1 = std::make_unique<TForm1>();
    Form1 = form1.get();
    form1->show();
    form1->FormCreate();
    form1->resize(2, 2);

    auto id = std::make_unique<Tid32>();
    id32 = id.get();
    EngineSetup engine;
    engine.displays = form1.get();
    engine.commandLine = commandLine;
    engine.id3Window = id.get();
    auto form2 = std::make_unique<TForm2>(engine);
    Form2 = form2.get();
    wireAddDirectory(*form2, *id);
    wireConfigHooks();
    auto form5 = std::make_unique<TForm5>();
    Form5 = form5.get();
    auto form4 = std::make_unique<TForm4>();
    Form4 = form4.get();
    auto browser = std::make_unique<Tbrowser1>();
    browser1 = browser.get();
    auto radio = std::make_unique<TfrmMain>();
    frmMain = radio.get();
    auto eq = std::make_unique<Teq2>();
    eq2 = eq.get();
    auto vsx = std::make_unique<TVSXlab>();
    VSXlab = vsx.get();

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
            form1->setVolume(volume);
        }
    }
    // A fresh install or a removed skin falls back to another skin instead of ending the program.
    applyStartupSkin(*form1, skinName);
    form1->setWindowState(Qt::WindowNoState);
    form1->setLedText(QStringLiteral("Calvoran Player"));

    // A second copy ends as its loop would start; start-up may already have let queued events run,
    // so the guard's request is checked here rather than trusted to arrive inside the loop.
    // Posted last, so it runs only inside the loop, never in an event pass during start-up.
    QTimer::singleShot(0, &app, [] { g_running = true; });
    const int rc = form1->VrRunOnce1()->terminationRequested() ? 0 : app.exec();
    g_running = false;

    // Windows go in creation order, as the framework releases them.
    Form1 = nullptr;
    form1.reset();
    id32 = nullptr;
    id.reset();
    Form2 = nullptr;
    form2.reset();
    Form5 = nullptr;
    form5.reset();
    Form4 = nullptr;
    form4.reset();
    browser1 = nullptr;
    browser.reset();
    frmMain = nullptr;
    radio.reset();
    eq2 = nullptr;
    eq.reset();
    VSXlab = nullptr;
    vsx.reset();
    PlaylistTagReader = nullptr;
    tagReader.reset();
    return rc;
}

} // namespace calvoran
