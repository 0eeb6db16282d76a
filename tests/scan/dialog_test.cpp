#include "ScanTree.h"
#include "engine/TagInfo.h"
#include "scan/dadd.h"
#include "scan/mFileScan.h"
#include "tags/id3v2.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTreeView>
#include <gtest/gtest.h>

using calvoran::scantest::ScanTree;
using calvoran::scantest::spinUntil;

namespace {

struct Row {
    std::string caption;
    QString location;
    int image;
};

// A playlist of rows, titled by the real tag rule, that notes the status line at every tag read.
struct FakePlaylist {
    std::vector<Row> rows;
    QStringList statusAtRead;
    QString lastFolder;
    Tid3v2tag reader;
    QPointer<Tdiradd> dialog;

    calvoran::DirAddPlaylist links() {
        calvoran::DirAddPlaylist p;
        p.readTags = [this](const QString &path) {
            if (dialog) statusAtRead << dialog->Label1->text();
            return calvoran::TagInfo::read(reader, path);
        };
        p.entryCount = [this] { return static_cast<int>(rows.size()); };
        p.appendEntry = [this](const std::string &caption, const QString &location, int image) {
            rows.push_back({caption, location, image});
        };
        p.lastAddFolder = &lastFolder;
        return p;
    }
    Tdiradd *open() {
        dialog = new Tdiradd(links());
        dialog->show();
        return dialog;
    }
};

void tagged(ScanTree &tree, const std::string &relative, const std::string &artist,
            const std::string &title) {
    tree.file(relative, std::string(4096, '\0'));
    Tid3v2tag tag;
    tag.SetFrameText("TPE1", artist);
    tag.SetFrameText("TIT2", title);
    ASSERT_LT(tag.SaveTag(tree.path(relative).string(), 3, 0, 0, 0), 256);
}

std::vector<QCheckBox *> typeBoxes(Tdiradd &d) {
    return {d.mp1chk, d.mp2chk,  d.mp3chk, d.oggchk, d.modchk,
            d.mtmchk, d.wavchk1, d.s3mchk, d.itchk,  d.xmchk};
}

} // namespace

TEST(AddDirectory, ControlsAndFirstUse) {
    FakePlaylist list;
    Tdiradd *d = list.open();
    EXPECT_EQ(d->windowTitle(), "Add Directory");
    EXPECT_EQ(d->size(), QSize(353, 248));
    EXPECT_EQ(d->stv1->geometry(), QRect(0, 0, 353, 137));
    EXPECT_EQ(d->GroupBox1->geometry(), QRect(2, 135, 351, 99));
    EXPECT_EQ(d->GroupBox1->title(), "Add files of type:");
    EXPECT_EQ(d->oggchk->geometry(), QRect(153, 24, 41, 17));
    EXPECT_EQ(d->oggchk->toolTip(), "Add files of OGG Vorbis type");
    EXPECT_EQ(d->Button1->geometry(), QRect(194, 74, 71, 17));
    EXPECT_EQ(d->Button2->text(), "Cancel");
    EXPECT_EQ(d->Label1->geometry(), QRect(0, 235, 353, 13));
    for (QCheckBox *box : typeBoxes(*d))
        EXPECT_EQ(box->isChecked(), box == d->mp3chk) << box->objectName().toStdString();
    EXPECT_TRUE(d->subs1->isChecked());
    EXPECT_EQ(d->SelectedFolder(), QDir::homePath());
    // Home stays in view while the folders above it arrive and are sorted.
    d->show();
    const auto loaded = [d](const QString &path) {
        return d->stv1Model->rowCount(d->stv1Model->index(path)) > 0;
    };
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000 && !(loaded("/") && loaded(QDir::homePath())))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(d->stv1->viewport()->rect().intersects(d->stv1->visualRect(d->stv1->currentIndex())));

    // Tab order: the tree, then the group in its own order.
    QStringList order;
    QWidget *w = d->stv1;
    for (int i = 0; i < 14; ++i) {
        order << w->objectName();
        do
            w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty());
    }
    EXPECT_EQ(order, QStringList({"stv1", "mp2chk", "mtmchk", "modchk", "mp3chk", "itchk", "oggchk", "s3mchk",
                                  "xmchk", "mp1chk", "wavchk1", "Button1", "Button2", "subs1"}));

    for (QCheckBox *box : typeBoxes(*d))
        box->setChecked(true);
    EXPECT_EQ(d->Patterns(), QStringList({"*.wav", "*.mp1", "*.mp2", "*.mp3", "*.mod", "*.it", "*.xm",
                                          "*.mtm", "*.s3m", "*.ogg"}));
    delete d;
}

TEST(AddDirectory, AddsEveryFileCaptionedFromTagsInPatternOrder) {
    ScanTree tree;
    tagged(tree, "b.mp3", "Artist", "Song");
    tagged(tree, "sub/A.MP3", "Other", "Tune");
    tree.file("sub/plain.wav", "RIFF");
    tree.file("notes.txt");
    tree.folder("x.mp3"); // a matching folder is added too
    FakePlaylist list;
    list.rows.push_back({"1. Already - There", "/somewhere.mp3", 9});
    Tdiradd *d = list.open();
    d->SelectFolder(tree.root());
    d->wavchk1->setChecked(true);
    d->Button1Click();
    EXPECT_FALSE(d->Button1->isEnabled());
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    ASSERT_TRUE(spinUntil([&] { return !list.dialog || list.dialog->Label1->text() == "Done!!"; }));
    ASSERT_TRUE(spinUntil([&] { return !list.dialog; })); // the dialog goes away by itself
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    ASSERT_EQ(list.rows.size(), 5u);
    // Every WAV before the first MP3: the tree is walked once per pattern.
    EXPECT_EQ(list.rows[1].caption, "2. plain - ");
    EXPECT_EQ(list.rows[1].location, tree.reported("sub/plain.wav"));
    EXPECT_EQ(list.rows[2].caption, "3. Artist - Song");
    EXPECT_EQ(list.rows[3].caption, "4. x - ");
    EXPECT_EQ(list.rows[3].location, tree.reported("x.mp3"));
    EXPECT_EQ(list.rows[4].caption, "5. Other - Tune");
    for (size_t i = 1; i < list.rows.size(); ++i)
        EXPECT_EQ(list.rows[i].image, 9);
    EXPECT_EQ(list.statusAtRead, QStringList({"Busy, Searching...", "1 files found, wait...",
                                              "2 files found, wait...", "3 files found, wait..."}));
    EXPECT_EQ(list.lastFolder, tree.root());

    // The next dialog starts on the folder searched last; one that has gone since starts at home.
    Tdiradd *again = list.open();
    EXPECT_EQ(again->SelectedFolder(), tree.root());
    delete again;
    list.lastFolder = tree.root() + "/gone";
    Tdiradd *third = list.open();
    EXPECT_EQ(third->SelectedFolder(), QDir::homePath());
    delete third;
}

TEST(AddDirectory, NoTypeTickedEndsAtOnce) {
    ScanTree tree;
    tree.file("a.mp3");
    FakePlaylist list;
    Tdiradd *d = list.open();
    d->SelectFolder(tree.root());
    d->mp3chk->setChecked(false);
    d->Button1Click();
    ASSERT_TRUE(spinUntil([&] { return !list.dialog; }));
    EXPECT_TRUE(list.rows.empty());
}

TEST(AddDirectory, CancelAndCloseMidSearchKeepTheRowsAdded) {
    ScanTree tree;
    for (int i = 0; i < 300; ++i)
        tree.file("d" + std::to_string(i % 7) + "/t" + std::to_string(i) + ".mp3");
    for (int how = 0; how < 2; ++how) {
        FakePlaylist list;
        Tdiradd *d = list.open();
        d->SelectFolder(tree.root());
        d->Button1Click();
        ASSERT_TRUE(spinUntil([&] { return list.rows.size() >= 3; }));
        if (how == 0)
            d->Button2Click();
        else
            d->close();
        const size_t kept = list.rows.size();
        EXPECT_LT(kept, 300u);
        ASSERT_TRUE(spinUntil([&] { return !list.dialog; }));
        QApplication::processEvents();
        EXPECT_EQ(list.rows.size(), kept);
        EXPECT_EQ(list.rows[0].caption, "1. t0 - ");
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}
