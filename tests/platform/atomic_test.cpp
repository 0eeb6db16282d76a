#include "platform/AtomicFile.h"
#include "platform/SettingsKey.h"
#include "support/SmallDisk.h"
#include "support/TempHome.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using calvoran::AtomicFile;
using calvoran::SettingsKey;

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeRaw(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

} // namespace

TEST(AtomicFile, ReplacesWholeAndKeepsPermissionsAndLinks) {
    QTemporaryDir dir;
    const QString target = dir.filePath("list.m3u");
    writeRaw(target, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    const QString link = dir.filePath("link.m3u");
    ASSERT_TRUE(QFile::link(target, link));

    ASSERT_TRUE(AtomicFile::writeWhole(link, "new content"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(target), "new content");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Cancelled or abandoned writes leave the old file and no temporary file.
    {
        AtomicFile file(target);
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.write("half"));
    }
    EXPECT_EQ(readAll(target), "new content");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);

    QString error;
    EXPECT_FALSE(AtomicFile::writeWhole(dir.filePath("no/such/folder"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(AtomicFile, AFullDiskKeepsTheOldSettingsAndSaysSo) {
    SmallDisk disk;
    if (!disk.mounted()) GTEST_SKIP() << "no permission to mount a small file system";
    TempHome home; // replaced below by the small disk
    qputenv("CALVORAN_HOME", QFile::encodeName(disk.path()));
    ASSERT_TRUE(SettingsKey::writeString("SkinName", "Blue"));
    ASSERT_TRUE(SettingsKey::writeInteger("Volume", 40));
    const QByteArray before = readAll(SettingsKey::storePath());
    ASSERT_FALSE(before.isEmpty());

    disk.fill();
    SettingsKey key;
    ASSERT_TRUE(key.OpenKey());
    key.WriteString("SkinName", QString(8192, 'n')); // more than the disk has left
    EXPECT_FALSE(key.CloseKey());
    EXPECT_TRUE(SettingsKey::lastWriteError().contains("Calvoran.ini"));
    EXPECT_EQ(readAll(SettingsKey::storePath()), before);
    EXPECT_EQ(disk.files(), QStringList{"Calvoran.ini"});
    EXPECT_EQ(SettingsKey::readString("SkinName"), "Blue");
}

TEST(SettingsKey, TextThatMeansSomethingInTheFileComesBackUnchanged) {
    TempHome home;
    const QStringList texts{" padded ",
                            "a, b; c = d",
                            "back\\slash \"quoted\"",
                            "@Variant(x)",
                            "line\nbreak",
                            QString::fromUtf8("Überall"),
                            ""};
    for (const QString &text : texts) {
        ASSERT_TRUE(SettingsKey::writeString("SkinName", text));
        EXPECT_EQ(SettingsKey::readString("SkinName"), text);
    }
    // Values of other sections stay where they were.
    writeRaw(SettingsKey::storePath(), "[Other]\nkept=1\n[Calvoran]\nVolume=5\n");
    ASSERT_TRUE(SettingsKey::writeInteger("Volume", 6));
    QSettings raw(SettingsKey::storePath(), QSettings::IniFormat);
    EXPECT_EQ(raw.value("Other/kept").toInt(), 1);
    EXPECT_EQ(raw.value("Calvoran/Volume").toInt(), 6);
}
