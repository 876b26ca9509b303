#pragma once

#include "app/MainWindowLink.h"

#include <QPointer>
#include <QWidget>

// Windows opened over the main window (the command editor, options, about): while one
// is up the main window ignores the user and recognition pauses if the program
// listens; when it goes, both come back as they were.

inline void holdMainWindow(MainWindowLink& link)
{
    link.setMainWindowEnabled(false);
    // The Stop Listening button stays shown: it tells the release to resume.
    if (link.isListening())
        link.pauseRecognition();
}

inline void releaseMainWindow(MainWindowLink& link)
{
    link.setMainWindowEnabled(true);
    if (link.isListening())
        link.resumeRecognition();
}

// Shows a new `Window(link, mainWindow)` over the main window, or brings the one that is
// already open to the front.
template <typename Window>
Window* showOverMainWindow(QPointer<Window>& open, MainWindowLink& link, QWidget* mainWindow)
{
    if (open && open->isVisible()) {
        open->raise();
        open->activateWindow();
        return open;
    }
    holdMainWindow(link);
    open = new Window(link, mainWindow);
    open->show();
    return open;
}
