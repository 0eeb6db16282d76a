#include "ScanTree.h"
#include "scan/Wildcard.h"
#include "scan/mFileScan.h"

#include <QPointer>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

using calvoran::Wildcard;
using calvoran::scantest::ScanTree;
using calvoran::scantest::spinUntil;

namespace {

// Records what a search hands over, and checks every hand-over runs on the user-interface thread.
struct Recorder {
    QStringList found;
    QStringList searchResult;
    bool ready = false;
    bool aborted = false;
    int offThread = 0;
    QObject *sender = nullptr;

    void attach(TmFileScan &scan) {
        scan.setOnFileFound([this](QObject *from, const QString &name) {
            if (QThread::currentThread() != qApp->thread()) ++offThread;
            sender = from;
            found << name;
        });
        scan.setOnReady([this](QObject *from, bool wasAborted, const QStringList &result) {
            if (QThread::currentThread() != qApp->thread()) ++offThread;
            if (sender) {
                EXPECT_EQ(from, sender);
            }
            ready = true;
            aborted = wasAborted;
            searchResult = result; // the list is the worker's: keep a copy
        });
    }
    bool waitReady() {
        return spinUntil([this] { return ready; });
    }
};

QStringList run(TmFileScan &scan, Recorder &rec) {
    rec.attach(scan);
    scan.Start();
    EXPECT_TRUE(scan.Running());
    EXPECT_TRUE(rec.waitReady());
    EXPECT_FALSE(scan.Running());
    EXPECT_EQ(rec.offThread, 0);
    EXPECT_EQ(rec.searchResult, rec.found);
    EXPECT_EQ(scan.Results(), rec.found);
    return rec.found;
}

} // namespace

TEST(Wildcard, MatchesWithoutLetterCase) {
    EXPECT_TRUE(Wildcard("*.mp3").matches("song.mp3"));
    EXPECT_TRUE(Wildcard("*.mp3").matches("SONG.MP3"));
    EXPECT_TRUE(Wildcard("*.mp3").matches("Song.Mp3"));
    EXPECT_TRUE(Wildcard("*.mp3").matches(".mp3"));
    EXPECT_FALSE(Wildcard("*.mp3").matches("song.mp3.txt"));
    EXPECT_FALSE(Wildcard("*.mp3").matches("song.mp"));
    EXPECT_TRUE(Wildcard("*.*").matches("README"));
    EXPECT_TRUE(Wildcard("tr??k*.it").matches("Track 01.IT"));
    EXPECT_FALSE(Wildcard("tr??k*.it").matches("trak.it"));
    EXPECT_TRUE(Wildcard("*a*a*a*a*b").matches("aaaaaaaaaaaaaaaaaaaaaaaab"));
    EXPECT_FALSE(Wildcard("*a*a*a*a*b").matches("aaaaaaaaaaaaaaaaaaaaaaaaa"));
}

TEST(FileScan, DefaultsAndCopies) {
    TmFileScan scan;
    EXPECT_TRUE(scan.Paths().isEmpty());
    EXPECT_TRUE(scan.Filters().isEmpty());
    EXPECT_TRUE(scan.SubDirs());
    EXPECT_FALSE(scan.Running());
    const QString about = scan.About();
    scan.setAbout("changed");
    EXPECT_EQ(scan.About(), about);
}

TEST(FileScan, EmptyListsEndAtOnce) {
    ScanTree tree;
    tree.file("a.mp3");
    for (int which = 0; which < 2; ++which) {
        TmFileScan scan;
        if (which == 0)
            scan.setFilters({"*.mp3"});
        else
            scan.setPaths({tree.root()});
        Recorder rec;
        EXPECT_TRUE(run(scan, rec).isEmpty());
        EXPECT_FALSE(rec.aborted);
    }
}

TEST(FileScan, WalksOncePerPatternDepthFirstInNameOrderReportingFolders) {
    ScanTree tree;
    tree.file("b.mp3");
    tree.file("A.MP3");
    tree.file("notes.txt");
    tree.file("x.ogg");
    tree.file("sub/c.mp3");
    tree.file("sub/y.OGG");
    tree.file("sub/deep/d.Mp3");
    tree.file("album.mp3/e.mp3"); // a folder whose name matches is reported like a file
    tree.file("zz/f.mp3");
    TmFileScan scan;
    scan.setPaths({tree.root()}); // no trailing separator
    scan.setFilters({"*.mp3", "*.ogg"});
    Recorder rec;
    EXPECT_EQ(run(scan, rec), QStringList({
                                  tree.reported("A.MP3"),
                                  tree.reported("album.mp3"),
                                  tree.reported("b.mp3"),
                                  tree.reported("album.mp3/e.mp3"),
                                  tree.reported("sub/c.mp3"),
                                  tree.reported("sub/deep/d.Mp3"),
                                  tree.reported("zz/f.mp3"),
                                  tree.reported("x.ogg"),
                                  tree.reported("sub/y.OGG"),
                              }));
    EXPECT_FALSE(rec.aborted);
    EXPECT_NE(rec.sender, &scan); // the worker is the sender

    // Without subfolders only the given folder is listed; a trailing separator is not doubled.
    TmFileScan flat;
    flat.setPaths({tree.root() + "/"});
    flat.setFilters({"*.mp3"});
    flat.setSubDirs(false);
    Recorder flatRec;
    EXPECT_EQ(run(flat, flatRec),
              QStringList({tree.reported("A.MP3"), tree.reported("album.mp3"), tree.reported("b.mp3")}));
}

TEST(FileScan, OverlappingPatternsReportTwiceAndListsAreCopiedAtStart) {
    ScanTree tree;
    tree.file("one.mp3");
    tree.file("two.wav");
    TmFileScan scan;
    scan.setPaths({tree.root()});
    scan.setFilters({"*.mp3", "*.*"});
    Recorder rec;
    rec.attach(scan);
    scan.Start();
    // Changing the lists of a running search changes nothing in it.
    scan.setFilters({"*.none"});
    scan.setPaths({"/nonexistent"});
    scan.Start(); // already running: nothing else happens
    ASSERT_TRUE(rec.waitReady());
    EXPECT_EQ(rec.found,
              QStringList({tree.reported("one.mp3"), tree.reported("one.mp3"), tree.reported("two.wav")}));

    // A new search clears the component's list and takes the new lists.
    Recorder again;
    EXPECT_TRUE(run(scan, again).isEmpty());
}

TEST(FileScan, StopEndsTheWholeWalkAtOnce) {
    ScanTree tree;
    for (int i = 0; i < 5; ++i)
        tree.file("d" + std::to_string(i) + "/f.mp3");
    tree.file("other/g.ogg");
    TmFileScan scan;
    scan.setPaths({tree.root(), tree.root()});
    scan.setFilters({"*.mp3", "*.ogg"});
    Recorder rec;
    rec.attach(scan);
    scan.setOnFileFound([&](QObject *, const QString &name) {
        rec.found << name;
        scan.Stop();
    });
    scan.Start();
    ASSERT_TRUE(rec.waitReady());
    EXPECT_TRUE(rec.aborted);
    EXPECT_EQ(rec.found, QStringList({tree.reported("d0/f.mp3")}));
    EXPECT_EQ(rec.searchResult, rec.found);
    EXPECT_FALSE(scan.Running());
    scan.Stop(); // idle: nothing to do
}

TEST(FileScan, LinkedFoldersAreFollowedOnce) {
    ScanTree tree;
    tree.file("music/a.mp3");
    tree.file("music/inner/b.mp3");
    tree.link("music/inner/up", "music");   // a loop back to an ancestor
    tree.link("music/same", "music/inner"); // a second way into a folder
    TmFileScan scan;
    scan.setPaths({QString::fromStdString(tree.path("music").string())});
    scan.setFilters({"*.mp3"});
    Recorder rec;
    const QStringList found = run(scan, rec);
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0], tree.reported("music/a.mp3"));
    EXPECT_TRUE(found[1] == tree.reported("music/inner/b.mp3") ||
                found[1] == tree.reported("music/same/b.mp3"));
}

TEST(FileScan, UnreadableFolderIsSkippedSilently) {
    ScanTree tree;
    tree.file("open/a.mp3");
    tree.file("shut/b.mp3");
    tree.file("z.mp3");
    chmod(tree.path().c_str(), 0755);
    chmod(tree.path("shut").c_str(), 0);
    // Root reads every folder: look through an ordinary user's eyes for the length of the search.
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(seteuid(65534), 0);
    }
    TmFileScan scan;
    scan.setPaths({tree.root()});
    scan.setFilters({"*.mp3"});
    Recorder rec;
    const QStringList found = run(scan, rec);
    if (asRoot) {
        ASSERT_EQ(seteuid(0), 0);
    }
    chmod(tree.path("shut").c_str(), 0755);
    EXPECT_EQ(found, QStringList({tree.reported("z.mp3"), tree.reported("open/a.mp3")}));
    EXPECT_FALSE(rec.aborted);
}

TEST(FileScan, AThrowingHandlerEndsTheSearchAsAborted) {
    ScanTree tree;
    tree.file("a.mp3");
    tree.file("b.mp3");
    TmFileScan scan;
    scan.setPaths({tree.root()});
    scan.setFilters({"*.mp3"});
    Recorder rec;
    rec.attach(scan);
    scan.setOnFileFound([&](QObject *, const QString &name) {
        rec.found << name;
        throw std::runtime_error("handler failed");
    });
    scan.Start();
    ASSERT_TRUE(rec.waitReady());
    EXPECT_TRUE(rec.aborted);
    EXPECT_FALSE(scan.Running());
    EXPECT_EQ(rec.found.size(), 1);
}

TEST(FileScan, DestroyedMidSearchNoHandlerRunsAgain) {
    ScanTree tree;
    for (int i = 0; i < 200; ++i)
        tree.file("d" + std::to_string(i % 10) + "/f" + std::to_string(i) + ".mp3");

    // From outside, while the worker is between hand-overs.
    int calls = 0;
    {
        auto scan = std::make_unique<TmFileScan>();
        scan->setPaths({tree.root()});
        scan->setFilters({"*.mp3"});
        scan->setOnFileFound([&](QObject *, const QString &) { ++calls; });
        scan->setOnReady([&](QObject *, bool, const QStringList &) { ++calls; });
        scan->Start();
        ASSERT_TRUE(spinUntil([&] { return calls >= 3; }));
        scan.reset();
    }
    const int before = calls;
    // Notifications still queued find no component.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(calls, before);

    // Before any hand-over ran.
    {
        auto scan = std::make_unique<TmFileScan>();
        scan->setPaths({tree.root()});
        scan->setFilters({"*.mp3"});
        scan->setOnFileFound([&](QObject *, const QString &) { ++calls; });
        scan->Start();
        scan.reset();
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(calls, before);
    }

    // From inside its own found handler: the handler's owner lets go of it there.
    {
        auto scan = std::make_unique<TmFileScan>();
        QPointer<TmFileScan> watch(scan.get());
        bool readyRan = false;
        scan->setPaths({tree.root()});
        scan->setFilters({"*.mp3"});
        scan->setOnFileFound([&](QObject *, const QString &) { scan.reset(); });
        scan->setOnReady([&](QObject *, bool, const QStringList &) { readyRan = true; });
        scan->Start();
        ASSERT_TRUE(spinUntil([&] { return watch.isNull(); }));
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        EXPECT_FALSE(readyRan);
    }
}

TEST(FileScan, ReadyHandlerMayDestroyOrRestartTheComponent) {
    ScanTree tree;
    tree.file("a.mp3");
    auto scan = std::make_unique<TmFileScan>();
    scan->setPaths({tree.root()});
    scan->setFilters({"*.mp3"});
    int readies = 0;
    QStringList kept;
    scan->setOnReady([&](QObject *, bool, const QStringList &result) {
        ++readies;
        if (readies == 1) {
            scan->Start(); // a new search from the end of the last one
        } else {
            scan.reset();
            kept = result; // the list stays valid for the whole handler
        }
    });
    scan->Start();
    ASSERT_TRUE(spinUntil([&] { return readies == 2; }));
    EXPECT_FALSE(scan);
    EXPECT_EQ(kept, QStringList({tree.reported("a.mp3")}));
}
