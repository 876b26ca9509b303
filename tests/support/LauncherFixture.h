#pragma once

#include "launcher/Launcher.h"
#include "platform/Platform.h"
#include "platform/net/QtHttp.h"
#include "store/RegistryPaths.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeSpeech.h"
#include "tests/support/FixedClock.h"
#include "tests/support/TestStore.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

// The launcher over a real temporary store with the first values of a new installation,
// fake speech engines that share one journal, fake outside services and recording
// dialogs; no window.
class LauncherFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store.createProductKeys();
        setOption("startCommand", QStringLiteral("Computer"));
        setOption("tcomt", QStringLiteral("5000"));
        setOption("chktext", QStringLiteral("Launch "));
        newEngines();
    }

    void setOption(const char* name, const QString& text)
    {
        store.setText(regpath::kOptions, QString::fromLatin1(name), text);
    }

    // Makes the launcher, which owns the engines from here on.
    Launcher& made()
    {
        launcher =
            std::make_unique<Launcher>(services, ownRecognizer.release(), ownSynthesizer.release(),
                                       QStringLiteral("/opt/sarquen/zorv"));
        ended = std::make_unique<QSignalSpy>(launcher.get(), &Launcher::programEnded);
        return *launcher;
    }
    // New engines for the next launcher.
    void newEngines()
    {
        ownRecognizer = std::make_unique<FakeRecognizer>();
        ownSynthesizer = std::make_unique<FakeSynthesizer>();
        recognizer = ownRecognizer.get();
        synthesizer = ownSynthesizer.get();
        recognizer->journal = &journal;
        synthesizer->journal = &journal;
    }

    TestStore store;
    FixedClock clock;
    FakeDesktop desktop;
    FakeShell shell;
    FakeAudio audio;
    FakeSession session;
    platform::QtHttp http;
    platform::Platform services{&store.registry, &store.dialogs, &clock,   &desktop,
                                &shell,          &audio,         &session, &http};
    QStringList journal;
    // Until made() hands them to the launcher.
    std::unique_ptr<FakeRecognizer> ownRecognizer;
    std::unique_ptr<FakeSynthesizer> ownSynthesizer;
    FakeRecognizer* recognizer = nullptr;
    FakeSynthesizer* synthesizer = nullptr;
    std::unique_ptr<Launcher> launcher;
    std::unique_ptr<QSignalSpy> ended;
};
