#include "MainWindow.h"
#include "Program.h"

#include <gtest/gtest.h>

namespace {
const QString kExe = QStringLiteral("/opt/Calvoran Player/calvoran");
}

TEST(CommandLine, TheFileBetweenTheSecondPairOfQuotes) {
    const QString mp3 = QString::fromUtf8("/home/ann/Música/My Song.mp3");
    EXPECT_EQ(TForm1::commandLineFile(calvoran::rawCommandLine(kExe, {mp3}), kExe), mp3);
    EXPECT_EQ(TForm1::commandLineFile(calvoran::rawCommandLine(kExe, {"/tmp/a.wav"}), kExe), "/tmp/a.wav");
}

TEST(CommandLine, NoArgumentGivesEmptyText) {
    const QString line = calvoran::rawCommandLine(kExe, {});
    EXPECT_EQ(line, '"' + kExe + '"');
    EXPECT_TRUE(TForm1::commandLineFile(line, kExe).isEmpty());
    // Up to three characters past the path still count as no argument.
    EXPECT_TRUE(TForm1::commandLineFile('"' + kExe + "\" x", kExe).isEmpty());
    EXPECT_TRUE(TForm1::commandLineFile('"' + kExe + "\" \"\"", kExe).isEmpty());
}

TEST(CommandLine, OnlyTheFirstArgumentIsPassedOn) {
    const QString line = calvoran::rawCommandLine(kExe, {"/m/one.mp3", "/m/two.mp3"});
    EXPECT_EQ(TForm1::commandLineFile(line, kExe), "/m/one.mp3");
}
