#pragma once

#include "app/frmLaunch.h"
#include "platform/Platform.h"
#include "platform/net/QtHttp.h"
#include "store/RegistryPaths.h"
#include "tests/support/Child.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeSpeech.h"
#include "tests/support/FixedClock.h"
#include "tests/support/TestStore.h"
#include "tray/frmLaunch2.h"

#include <QAction>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

// A main window over a real temporary store with the first values of a new
// installation, fake speech engines that share one journal, and recording dialogs.
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

    // Creates the main window, which owns the engines from here on.
    frmLaunch& created()
    {
        main =
            std::make_unique<frmLaunch>(services, ownRecognizer.release(), ownSynthesizer.release(),
                                        QStringLiteral("/opt/sarquen/zorv"));
        ended = std::make_unique<QSignalSpy>(main.get(), &frmLaunch::programEnded);
        return *main;
    }
    // Creates the main window and runs its load step.
    frmLaunch& loaded()
    {
        created().load();
        return *main;
    }
    // New engines for the next main window.
    void newEngines()
    {
        ownRecognizer = std::make_unique<FakeRecognizer>();
        ownSynthesizer = std::make_unique<FakeSynthesizer>();
        recognizer = ownRecognizer.get();
        synthesizer = ownSynthesizer.get();
        recognizer->journal = &journal;
        synthesizer->journal = &journal;
    }

    template <typename T> T* control(const char* name) const { return child<T>(main.get(), name); }
    QAction* menuItem(const char* name) const
    {
        return main->trayMenu()->item(QString::fromLatin1(name));
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
    // Until loaded() hands them to the main window.
    std::unique_ptr<FakeRecognizer> ownRecognizer;
    std::unique_ptr<FakeSynthesizer> ownSynthesizer;
    FakeRecognizer* recognizer = nullptr;
    FakeSynthesizer* synthesizer = nullptr;
    std::unique_ptr<frmLaunch> main;
    std::unique_ptr<QSignalSpy> ended;
};
