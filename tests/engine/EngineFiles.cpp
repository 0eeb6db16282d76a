#include "EngineFiles.h"

#include "Fixtures.h"
#include "TestDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace fx = calvoran::fixtures;

namespace {

QString q(const fx::fs::path &p) {
    return QString::fromStdString(p.string());
}

EngineFiles generate(const fx::TestDir &dir) {
    EngineFiles files;
    files.folder = q(dir.path());
    const auto tone = dir.file("tone599.wav");
    if (!fx::writeWav(tone, fx::sine(440, 59.9, 8000, 1), 8000, 1)) ADD_FAILURE() << "tone WAV not written";
    files.tone599 = q(tone);

    const auto shortWav = dir.file("short.wav");
    fx::writeWav(shortWav, fx::sine(660, 3.0, 44100, 2), 44100, 2);
    const auto tagged = dir.file("track.mp3");
    const auto plain = dir.file("plain.mp3");
    if (!fx::encodeMp3Cbr(shortWav, tagged, 128) || !fx::encodeMp3Cbr(shortWav, plain, 128))
        ADD_FAILURE() << "lame could not make the MP3 fixtures";
    fx::TagText tags;
    tags.artist = "Artist";
    tags.title = "Song";
    fx::prependId3v23(tagged, tags);
    files.mp3Tagged = q(tagged);
    files.mp3Plain = q(plain);

    const fx::ModSong song =
        fx::demoSong(EngineFiles::kModuleOrders * fx::kDemoPatternSeconds, EngineFiles::kModuleTitle);
    const auto mod = dir.file("tune.mod");
    if (!fx::writeModuleFile(mod, fx::ModFormat::Mod, song)) ADD_FAILURE() << "module not written";
    files.module = q(mod);
    const auto disguised = dir.file("tune.mp3");
    fx::writeFile(disguised, fx::readFile(mod));
    files.moduleAsMp3 = q(disguised);

    const auto broken = dir.file("broken.mp3");
    fx::writeFile(broken, {'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'});
    files.broken = q(broken);

    const auto sevenWav = dir.file("seven.wav");
    fx::writeWav(sevenWav, fx::sine(330, 7.0, 44100, 2), 44100, 2);
    const auto fourWav = dir.file("four.wav");
    fx::writeWav(fourWav, fx::sine(550, 4.5, 48000, 2), 48000, 2);
    if (!fx::encodeFlac(sevenWav, dir.file("seven.flac")) ||
        !fx::encodeOpus(fourWav, dir.file("four.opus"), 64))
        ADD_FAILURE() << "flac or opusenc could not make the fixtures";
    files.flac = q(dir.file("seven.flac"));
    files.opus = q(dir.file("four.opus"));
    return files;
}

} // namespace

const EngineFiles &engineFiles() {
    static fx::TestDir dir;
    static const EngineFiles files = generate(dir);
    return files;
}
