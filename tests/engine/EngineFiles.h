#pragma once
#include <QString>

// Audio files made once per test program in a temporary folder.
struct EngineFiles {
    QString folder;
    QString tone599;     // WAV, 59.9 s, 8 kHz mono sine
    QString mp3Tagged;   // MP3 with TPE1 "Artist", TIT2 "Song"
    QString mp3Plain;    // MP3 without a tag, named plain.mp3
    QString module;      // MOD, kModuleOrders orders
    QString moduleAsMp3; // the same module named tune.mp3
    QString broken;      // text named broken.mp3
    QString flac;        // FLAC, 7 s, 44.1 kHz stereo, named seven.flac
    QString opus;        // Ogg Opus, 4.5 s, named four.opus
    static constexpr int kModuleOrders = 3;
    static constexpr const char *kModuleTitle = "engine test";
};

// Generates the files on first use; a failed generation fails the calling test.
const EngineFiles &engineFiles();
