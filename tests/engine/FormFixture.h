#pragma once
#include "RecordingDisplays.h"
#include "engine/EngineSetup.h"
#include "engine/FileDialogs.h"
#include "engine/PlaylistWindow.h"
#include "platform/Dialogs.h"
#include "support/TempHome.h"

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
        calvoran::setMessageRecorder(nullptr);
        calvoran::setFileDialogHook(nullptr);
    }

    TForm2 &make(std::function<DWORD()> version = {}, const QString &commandFile = {}) {
        form.reset();
        calvoran::EngineSetup setup;
        setup.displays = &displays;
        setup.version = std::move(version);
        setup.commandLine = commandFile;
        form = std::make_unique<TForm2>(setup);
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
    std::unique_ptr<TForm2> form;
};
