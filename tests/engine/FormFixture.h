#pragma once
#include "RecordingDisplays.h"
#include "engine/EngineDisplays.h"
#include "engine/EngineSetup.h"
#include "engine/FileDialogs.h"
#include "engine/PlaylistWindow.h"
#include "platform/Dialogs.h"
#include "support/PlayerCore.h"
#include "support/TempHome.h"
#include "tags/id3.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// One playlist window per test, over recorded displays and message boxes, in a fresh program folder.
class FormFixture : public ::testing::Test {
protected:
    void SetUp() override {
        calvoran::setMessageRecorder([this](const calvoran::RecordedMessage &m) { messages.push_back(m); });
    }
    void TearDown() override {
        form.reset();
        core.reset();
        calvoran::setMessageRecorder(nullptr);
        calvoran::setFileDialogHook(nullptr);
    }

    // A new program run: the previous one's library is freed first.
    TForm2 &make(std::function<DWORD()> version = {}, const QString &commandFile = {}, Tid32 *id3 = nullptr) {
        form.reset();
        core.reset();
        core = std::make_unique<PlayerCore>();
        core->engine.setVersionSource(std::move(version));
        calvoran::showEngineOn(core->engine, displays, &core->engine);
        if (id3) calvoran::showTagsIn(core->engine, *id3);
        calvoran::EngineSetup setup;
        setup.displays = &displays;
        setup.commandLine = commandFile;
        form = std::make_unique<TForm2>(core->engine, core->playlist, setup);
        return *form;
    }

    // Lets the output run for a while, events included.
    static void run(int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    TempHome home;
    RecordingDisplays displays;
    std::vector<calvoran::RecordedMessage> messages;
    std::unique_ptr<PlayerCore> core;
    std::unique_ptr<TForm2> form;
};
