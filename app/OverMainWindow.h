#pragma once

#include "app/MainWindowLink.h"

#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>

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

// The window flags of a window opened over the main window: a dialog that belongs to it,
// so that the window manager keeps it above the main window.
constexpr Qt::WindowFlags overMainWindowFlags = Qt::Dialog | Qt::CustomizeWindowHint |
                                                Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                Qt::WindowCloseButtonHint;

// Centres `window` on the main window (on the screen when the main window is not shown),
// kept whole on that screen's free area.
inline void placeOverMainWindow(QWidget* window, QWidget* mainWindow)
{
    const bool overMain =
        mainWindow && mainWindow->isVisible() && !(mainWindow->windowState() & Qt::WindowMinimized);
    QScreen* screen = overMain ? mainWindow->screen() : window->screen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QPoint centre = overMain ? mainWindow->frameGeometry().center() : free.center();
    QRect placed(QPoint(0, 0), window->frameGeometry().size().expandedTo(window->size()));
    placed.moveCenter(centre);
    placed.moveLeft(std::clamp(placed.left(), free.left(),
                               std::max(free.left(), free.right() - placed.width() + 1)));
    placed.moveTop(std::clamp(placed.top(), free.top(),
                              std::max(free.top(), free.bottom() - placed.height() + 1)));
    window->move(placed.topLeft());
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
    // Placed once shown: only then has its layout given it its final size.
    open->show();
    placeOverMainWindow(open, mainWindow);
    return open;
}
