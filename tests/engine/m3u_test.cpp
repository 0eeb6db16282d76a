#include "engine/model/M3uFormat.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <mutex>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

using calvoran::M3uContent;
using calvoran::M3uEntry;
using calvoran::M3uFormat;

namespace {

QString touch(const QTemporaryDir &dir, const QString &name, const QByteArray &content = "x") {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(content);
    return path;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

TEST(M3uFormat, LengthUsesAtLeastThreeDigits) {
    EXPECT_EQ(M3uFormat::lengthText(5), "005");
    EXPECT_EQ(M3uFormat::lengthText(0), "000");
    EXPECT_EQ(M3uFormat::lengthText(245), "245");
    EXPECT_EQ(M3uFormat::lengthText(3723), "3723");
    EXPECT_EQ(M3uFormat::lengthText(-1), "-001");
}

TEST(M3uFormat, TwoFilesMakeExactlyFiveLinesAndReadBackTheSame) {
    QTemporaryDir dir;
    const QString a = touch(dir, "a.mp3");
    const QString b = touch(dir, "b.mp3");
    const std::vector<M3uEntry> entries = {{"1. Artist - Song", a}, {"2. Other - Tune", b}};
    const auto lengthOf = [&](const QString &p) { return p == a ? 245.4 : 4.6; };

    const QByteArray text = M3uFormat::compose(entries, lengthOf);
    const QByteArray expected = "#EXTM3U\r\n#EXTINF:245,1. Artist - Song\r\n" + QFile::encodeName(a) +
                                "\r\n#EXTINF:005,2. Other - Tune\r\n" + QFile::encodeName(b) + "\r\n";
    EXPECT_EQ(text, expected);

    const M3uContent back = M3uFormat::parse(text);
    ASSERT_EQ(back.titles.size(), 2u);
    ASSERT_EQ(back.locations.size(), 2u);
    EXPECT_EQ(back.titles[0], "1. Artist - Song");
    EXPECT_EQ(back.titles[1], "2. Other - Tune");
    EXPECT_EQ(back.locations[0], a);
    EXPECT_EQ(back.locations[1], b);
}

TEST(M3uFormat, StreamsAndMissingFilesAreKeptUnmeasured) {
    QTemporaryDir dir;
    const QString gone = dir.filePath("missing.mp3");
    const QString alsoGone = dir.filePath("unmounted/never.ogg");
    const std::vector<M3uEntry> entries = {{"Loop FM", "http://127.0.0.1:8000/live"},
                                           {"2. Gone", gone, 244.6},
                                           {"3. Folder", dir.path()},
                                           {"4. Never played", alsoGone},
                                           {"Secure", "HTTPS://10.0.0.1/a b"}};
    int measured = 0;
    const QByteArray text = M3uFormat::compose(entries, [&](const QString &) { return ++measured; });
    // A missing file (a drive that is not mounted) keeps its place with the length last known, or 0.
    EXPECT_EQ(text, "#EXTM3U\r\n#EXTINF:-1,Loop FM\r\nhttp://127.0.0.1:8000/live\r\n"
                    "#EXTINF:245,2. Gone\r\n" +
                        gone.toUtf8() + "\r\n#EXTINF:000,4. Never played\r\n" + alsoGone.toUtf8() +
                        "\r\n#EXTINF:-1,Secure\r\nHTTPS://10.0.0.1/a b\r\n");
    EXPECT_EQ(measured, 0);
    const M3uContent back = M3uFormat::parse(text);
    ASSERT_EQ(back.locations.size(), 4u);
    EXPECT_EQ(back.titles[0], "Loop FM");
    EXPECT_EQ(back.seconds, std::vector<double>({-1, 245, 0, -1}));
    EXPECT_EQ(M3uFormat::normalizeLocation(back.locations[3]), "HTTPS://10.0.0.1/a b");
    EXPECT_TRUE(M3uFormat::isStreamAddress(back.locations[0]));
    EXPECT_TRUE(back.extended);
}

TEST(M3uFormat, PlainListsAndByteOrderMarksAreRecognised) {
    const M3uContent plain = M3uFormat::parse("/music/a.mp3\n\n/music/b.mp3\n");
    EXPECT_FALSE(plain.extended);
    EXPECT_EQ(plain.locations.size(), 3u); // the blank line is the reader's to skip
    // "#EXTM3U" behind a UTF-8 mark is still a directive, and the non-ASCII name survives.
    const M3uContent marked =
        M3uFormat::parse("\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:12,x\r\n/m/\xC3\xA9t\xC3\xA9.mp3\r\n");
    ASSERT_EQ(marked.locations.size(), 1u);
    EXPECT_EQ(marked.locations[0], QString::fromUtf8("/m/\u00e9t\u00e9.mp3"));
    EXPECT_EQ(marked.seconds, std::vector<double>({12}));
}

TEST(M3uFormat, ReadingSplitsDirectivesTitlesAndLocations) {
    // Plain M3U: locations only, so there is no title to pair them with.
    const M3uContent plain = M3uFormat::parse("/music/a.mp3\r\n/music/b.mp3\r\n");
    EXPECT_TRUE(plain.titles.empty());
    EXPECT_EQ(plain.locations.size(), 2u);

    // Commas after the first belong to the caption; a line without comma is a title as a whole.
    const M3uContent commas = M3uFormat::parse("#EXTINF:010,3. A, B - C\r\n#EXTINF:no comma\r\n");
    ASSERT_EQ(commas.titles.size(), 2u);
    EXPECT_EQ(commas.titles[0], "3. A, B - C");
    EXPECT_EQ(commas.titles[1], "#EXTINF:no comma");

    // Directives are found after leading blanks and in any letter case; other directives are skipped.
    const M3uContent mixed = M3uFormat::parse("  #extinf:1,lower\n#EXTM3U\n#PLAYLIST:x\n  /x.mp3  ");
    ASSERT_EQ(mixed.titles.size(), 1u);
    EXPECT_EQ(mixed.titles[0], "lower");
    ASSERT_EQ(mixed.locations.size(), 1u);
    EXPECT_EQ(mixed.locations[0], "  /x.mp3  ");
}

TEST(M3uFormat, AnEmptyLineIsALocationAndShiftsThePairing) {
    const M3uContent c =
        M3uFormat::parse("#EXTM3U\r\n#EXTINF:001,a\r\n\r\n/p/a.mp3\r\n#EXTINF:002,b\r\n/p/b.mp3\r\n");
    ASSERT_EQ(c.titles.size(), 2u);
    ASSERT_EQ(c.locations.size(), 3u);
    EXPECT_EQ(c.locations[0], "");
    EXPECT_EQ(c.locations[1], "/p/a.mp3"); // now paired with title "b"
}

TEST(M3uFormat, LineEndsOfEveryKindAndNoPhantomLastLine) {
    for (const QByteArray &text : {QByteArray("#EXTINF:1,t\r\n/a\r\n"), QByteArray("#EXTINF:1,t\n/a\n"),
                                   QByteArray("#EXTINF:1,t\r/a\r"), QByteArray("#EXTINF:1,t\r\n/a")}) {
        const M3uContent c = M3uFormat::parse(text);
        ASSERT_EQ(c.titles.size(), 1u) << text.toStdString();
        EXPECT_EQ(c.titles[0], "t");
        ASSERT_EQ(c.locations.size(), 1u) << text.toStdString();
        EXPECT_EQ(c.locations[0], "/a");
    }
}

TEST(M3uFormat, CaptionsWithCommasAndEightBitTextSurviveAWriteAndARead) {
    QTemporaryDir dir;
    const QString file = touch(dir, QString::fromUtf8("M\xC3\xBCller \xE6\x97\xA5\xE6\x9C\xAC.mp3"));
    const std::string caption = "3. A, B - C \xE9\x80"; // é and the euro sign in Windows-1252
    const QByteArray text = M3uFormat::compose({{caption, file}}, [](const QString &) { return 1.0; });
    EXPECT_TRUE(text.contains("\xE9\x80"));
    const M3uContent back = M3uFormat::parse(text);
    ASSERT_EQ(back.titles.size(), 1u);
    EXPECT_EQ(back.titles[0], caption);
    ASSERT_EQ(back.locations.size(), 1u);
    EXPECT_EQ(back.locations[0], file);
    EXPECT_TRUE(QFile::exists(back.locations[0]));
}

TEST(M3uFormat, LocationsFromWindowsListsReadAsWindows1252) {
    EXPECT_EQ(M3uFormat::decodeLocation("C:\\M\xFCsik\\\x80.mp3"),
              QString::fromUtf8("C:\\M\xC3\xBCsik\\\xE2\x82\xAC.mp3"));
}

TEST(M3uFormat, LineBreaksInsideAFieldCannotShiftThePairing) {
    QTemporaryDir dir;
    const QString ok = touch(dir, "ok.mp3");
    const QString odd = touch(dir, "odd\nname.mp3");
    const QByteArray text =
        M3uFormat::compose({{"1. two\r\nlines", ok}, {"2. odd", odd}}, [](const QString &) { return 1.0; });
    const M3uContent back = M3uFormat::parse(text);
    ASSERT_EQ(back.titles.size(), 1u);
    EXPECT_EQ(back.titles[0], "1. two  lines");
    ASSERT_EQ(back.locations.size(), 1u);
    EXPECT_EQ(back.locations[0], ok);
}

TEST(M3uFormat, WritingReplacesTheFileWholeOrNotAtAll) {
    QTemporaryDir dir;
    const QString music = touch(dir, "a.mp3");
    const QString target = touch(dir, "playlist.m3u", "#EXTM3U\r\n#EXTINF:001,old\r\n/old.mp3\r\n");
    const QByteArray before = readAll(target);

    // A failure in the middle of writing leaves the previous list as it was, and no stray file.
    const auto failing = [](const QString &) -> double { throw std::runtime_error("disk gone"); };
    EXPECT_THROW(M3uFormat::writeFile(target, {{"1. new", music}}, failing), std::runtime_error);
    EXPECT_EQ(readAll(target), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);

    EXPECT_EQ(M3uFormat::writeFile(target, {{"1. new", music}}, [](const QString &) { return 7.0; }),
              M3uFormat::WriteResult::Ok);
    EXPECT_EQ(readAll(target), "#EXTM3U\r\n#EXTINF:007,1. new\r\n" + QFile::encodeName(music) + "\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);

    EXPECT_EQ(M3uFormat::writeFile(dir.filePath("no/such/folder/x.m3u"), {}, nullptr),
              M3uFormat::WriteResult::CannotCreate);
}

TEST(M3uFormat, WithoutContentTheFileIsCreatedEmpty) {
    QTemporaryDir dir;
    const QString music = touch(dir, "a.mp3");
    const QString target = touch(dir, "list.txt", "old text");
    EXPECT_EQ(M3uFormat::writeFile(
                  target, {{"1. a", music}}, [](const QString &) { return 1.0; }, false),
              M3uFormat::WriteResult::Ok);
    EXPECT_EQ(readAll(target), QByteArray());
}

TEST(M3uFormat, NormalizeLocationKeepsAddressesAndFilesAndExpandsTheRest) {
    QTemporaryDir dir;
    const QString file = touch(dir, "here.mp3");
    const QString oldCwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_EQ(M3uFormat::normalizeLocation("  http://host:8000/live \t"), "http://host:8000/live");
    EXPECT_EQ(M3uFormat::normalizeLocation("FTP://host/a.mp3"), "FTP://host/a.mp3");
    EXPECT_EQ(M3uFormat::normalizeLocation("https://host/a"), "https://host/a");
    EXPECT_EQ(M3uFormat::normalizeLocation("here.mp3"), "here.mp3");
    EXPECT_EQ(M3uFormat::normalizeLocation(" " + file + " "), file);
    EXPECT_EQ(M3uFormat::normalizeLocation("gone.mp3"), QDir(dir.path()).filePath("gone.mp3"));
    EXPECT_EQ(M3uFormat::normalizeLocation("/a/b/../c.mp3"), "/a/c.mp3");
    EXPECT_EQ(M3uFormat::normalizeLocation(""), QDir::cleanPath(dir.path()));
    QDir::setCurrent(oldCwd);
}

TEST(M3uFormat, LongListsAreMeasuredInParallelButWrittenInOrder) {
    QTemporaryDir dir;
    std::vector<M3uEntry> entries;
    for (int i = 0; i < 300; ++i)
        entries.push_back({std::to_string(i + 1) + ". t", touch(dir, QString("%1.mp3").arg(i))});
    const auto lengthOf = [](const QString &p) { return QFileInfo(p).baseName().toDouble(); };
    const M3uContent back = M3uFormat::parse(M3uFormat::compose(entries, lengthOf));
    ASSERT_EQ(back.locations.size(), 300u);
    const QByteArray text = M3uFormat::compose(entries, lengthOf);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(back.locations[static_cast<size_t>(i)], entries[static_cast<size_t>(i)].location);
        EXPECT_TRUE(text.contains("#EXTINF:" + QByteArray::fromStdString(M3uFormat::lengthText(i)) + "," +
                                  QByteArray::number(i + 1) + ". t\r\n" +
                                  QFile::encodeName(entries[size_t(i)].location)))
            << i;
    }
    const auto failing = [](const QString &p) -> double {
        if (p.endsWith("/250.mp3")) throw std::runtime_error("unreadable");
        return 1;
    };
    EXPECT_THROW(M3uFormat::compose(entries, failing), std::runtime_error);
}

TEST(M3uFormat, AFullDiskKeepsTheOldListAndReportsIt) {
    SmallDisk disk;
    if (!disk.mounted()) GTEST_SKIP() << "no permission to mount a small file system";
    const QString target = disk.path() + "playlist.m3u";
    QTemporaryDir music;
    const QString song = touch(music, "a.mp3");
    ASSERT_EQ(M3uFormat::writeFile(target, {{"1. old", song}}, [](const QString &) { return 5.0; }),
              M3uFormat::WriteResult::Ok);
    const QByteArray before = readAll(target);

    disk.fill(1024); // a page or so left: the new list does not fit
    std::vector<M3uEntry> many(400, M3uEntry{"1. a caption long enough to need room", song});
    EXPECT_EQ(M3uFormat::writeFile(target, many, [](const QString &) { return 5.0; }),
              M3uFormat::WriteResult::Failed);
    EXPECT_EQ(readAll(target), before);
    EXPECT_EQ(disk.files(), QStringList{"playlist.m3u"});
}

// Measuring a FIFO would open it and wait for a writer for ever.
TEST(M3uFormat, OnlyRegularFilesAreMeasured) {
    QTemporaryDir dir;
    const QString song = touch(dir, "a.mp3");
    const QString fifo = dir.filePath("x.mp3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QStringList measured;
    const QByteArray text = M3uFormat::compose({{"1. a", song}, {"2. x", fifo}}, [&](const QString &path) {
        measured << path;
        return 3.0;
    });
    EXPECT_EQ(measured, QStringList{song});
    EXPECT_TRUE(text.contains("#EXTINF:003,1. a\r\n"));
}

TEST(M3uFormat, KnownLengthsAreWrittenAsTheyAreAndOnlyUnknownFilesMeasured) {
    QTemporaryDir dir;
    std::vector<M3uEntry> entries;
    // Enough entries for the parallel path; every third length is unknown.
    for (int i = 0; i < 150; ++i)
        entries.push_back(
            {std::to_string(i) + ". t", touch(dir, QString("%1.mp3").arg(i)), i % 3 ? 500.0 + i : -1});
    std::mutex lock;
    QStringList measured;
    const auto lengthOf = [&](const QString &p) {
        std::lock_guard guard(lock);
        measured << p;
        return QFileInfo(p).baseName().toDouble();
    };
    const QByteArray text = M3uFormat::compose(entries, lengthOf);
    ASSERT_EQ(measured.size(), 50);
    for (int i = 0; i < 150; ++i) {
        const auto &e = entries[static_cast<size_t>(i)];
        EXPECT_EQ(measured.contains(e.location), i % 3 == 0) << i;
        EXPECT_TRUE(
            text.contains("#EXTINF:" + QByteArray::fromStdString(M3uFormat::lengthText(i % 3 ? 500 + i : i)) +
                          "," + QByteArray::fromStdString(e.caption) + "\r\n"))
            << i;
    }
    // What was written reads back as known lengths.
    const M3uContent back = M3uFormat::parse(text);
    ASSERT_EQ(back.seconds.size(), 150u);
    EXPECT_EQ(back.seconds[0], 0.0);
    EXPECT_EQ(back.seconds[1], 501.0);
}

TEST(M3uFormat, ListedLengthsReadOnlyWhenTheyAreWholeNonNegativeNumbers) {
    const M3uContent c =
        M3uFormat::parse("#EXTM3U\r\n#EXTINF:245,A\r\na\r\n#EXTINF: 007 ,B\r\nb\r\n"
                         "#EXTINF:-1,radio\r\nr\r\n#EXTINF:abc,C\r\nc\r\n#EXTINF:12.5,D\r\nd\r\n"
                         "#EXTINF:no comma\r\ne\r\n#EXTINF:,F\r\nf\r\n");
    ASSERT_EQ(c.titles.size(), c.seconds.size());
    EXPECT_EQ(c.seconds, (std::vector<double>{245, 7, -1, -1, -1, -1, -1}));
}
