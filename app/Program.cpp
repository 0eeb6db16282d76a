#include "Program.h"

#include "BrowserWindow.h"
#include "Forms.h"
#include "MainWindow.h"
#include "config/ConfigWindow.h"
#include "engine/EngineSetup.h"
#include "engine/EqualizerWindow.h"
#include "engine/PlaylistTagReader.h"
#include "engine/PlaylistWindow.h"
#include "platform/SettingsKey.h"
#include "radio/RadioWindow.h"
#include "tags/id3.h"
#include "tags/id3v2.h"
#include "visuals/LevelMetersWindow.h"
#include "visuals/vsx.h"
#include "widgets/TVrRunOnce.h"

#include <QApplication>
#include <QStringList>

namespace calvoran {

namespace {
constexpr int kDefaultVolume = 50;
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
    form1->ApplySkin(skinName);
    form1->setWindowState(Qt::WindowNoState);
    form1->setLedText(QStringLiteral("Calvoran Player"));

    // A second copy ends as its loop would start; start-up may already have let queued events run,
    // so the guard's request is checked here rather than trusted to arrive inside the loop.
    const int rc = form1->VrRunOnce1()->terminationRequested() ? 0 : app.exec();

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
