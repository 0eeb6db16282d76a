// Saves that must move 100 MB of audio, killed at several points: the file is afterwards either the
// old one or the new one, and the audio is byte for byte what it was.
#include "TagBytes.h"
#include "tags/id3v2.h"

#include <QDir>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tagbytes;

namespace {

uint32_t tagLength(const Bytes &b) {
    return 10 + ((b[6] << 21) | (b[7] << 14) | (b[8] << 7) | b[9]);
}

} // namespace

TEST(SaveSoak, AKilledSaveLeavesTheOldOrTheNewFileWhole) {
    Scratch dir;
    const Bytes music = audio(100 * 1024 * 1024, 3);
    const Bytes original = cat({tag(3, frame(3, "TIT2", text("old")), 10), music});
    const std::string newText(200000, 'n'); // outgrows the padding: every byte of audio moves
    int sawOld = 0;
    int sawNew = 0;
    for (const int ms : {0, 5, 20, 35, 50, 80, 120, 200, 400, 800, 1500, 2500, 8000}) {
        SCOPED_TRACE(ms);
        const std::string p = dir.write("big.mp3", original);
        const pid_t pid = ::fork();
        if (pid == 0) {
            Tid3v2tag tag;
            if (tag.LoadTag(p, 0) != 0) ::_exit(2);
            tag.SetFrameText("TIT2", newText);
            ::_exit(tag.SaveTag("=", 255, 0, -1, 255) == 0 ? 0 : 3);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);

        const Bytes after = readFile(p);
        Tid3v2tag check;
        ASSERT_EQ(check.LoadTag(p, 0), 0);
        std::string title;
        check.GetFrameText("TIT2", title);
        if (title == "old") {
            EXPECT_EQ(after, original);
            ++sawOld;
        } else {
            EXPECT_EQ(title, newText);
            const uint32_t len = tagLength(after);
            EXPECT_TRUE(after.size() - len == music.size() &&
                        std::equal(music.begin(), music.end(), after.begin() + len));
            ++sawNew;
        }
        // What a killed save leaves beside the file is its unfinished copy, never the file itself.
        for (const QString &name :
             QDir(QString::fromStdString(dir.path(""))).entryList(QDir::Files | QDir::Hidden))
            if (name != "big.mp3") QFile::remove(QString::fromStdString(dir.path(name.toStdString())));
    }
    std::printf("old file %d times, new file %d times\n", sawOld, sawNew);
}
