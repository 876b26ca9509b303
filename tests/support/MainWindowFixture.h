#pragma once

#include "app/frmLaunch.h"
#include "tests/support/Child.h"
#include "tests/support/LauncherFixture.h"
#include "tests/support/ScopedEnv.h"
#include "tray/frmLaunch2.h"

#include <QAction>

// The launcher with its main window.
class MainWindowFixture : public LauncherFixture
{
protected:
    // Makes the launcher and its main window.
    frmLaunch& created()
    {
        main.reset();
        main = std::make_unique<frmLaunch>(made());
        return *main;
    }
    // Creates the main window and runs its load step.
    frmLaunch& loaded()
    {
        created().load();
        return *main;
    }
    // The same with `folder` as the program folder.
    frmLaunch& loadedIn(const QString& folder)
    {
        const ScopedEnv home("SARQUEN_HOME", folder.toUtf8());
        return loaded();
    }

    template <typename T> T* control(const char* name) const { return child<T>(main.get(), name); }
    QAction* menuItem(const char* name) const
    {
        return main->trayMenu()->item(QString::fromLatin1(name));
    }

    std::unique_ptr<frmLaunch> main; // goes before the launcher
};
