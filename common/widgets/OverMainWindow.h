#pragma once

#include "common/MainWindowLink.h"

#include <QCloseEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>

// Windows opened over the main window (the command editor, options, about): while one
// is up the main window ignores the user and recognition pauses if the program
// listens; when it goes, both come back as they were.

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

// A window opened over the main window. It belongs to the main window, takes it over
// while it is up and hands it back once, however it is closed; it deletes itself when
// closed.
class OverMainWindow : public QWidget
{
public:
    // A window opened over another window that already holds the main window (`owner`)
    // leaves the main window to that one: `handsBack` false.
    OverMainWindow(MainWindowLink& link, QWidget* mainWindow, bool handsBack = true)
        : QWidget(mainWindow, overMainWindowFlags), link_(link), mainWindow_(mainWindow),
          handsBack_(handsBack)
    {
        setAttribute(Qt::WA_DeleteOnClose);
    }

protected:
    // Whether the window may close now; one that has to end something first says no and
    // closes itself afterwards.
    virtual bool readyToClose() { return true; }
    // Called once as the window closes, before the main window is handed back.
    virtual void finishing() {}

    void closeEvent(QCloseEvent* event) override
    {
        if (!readyToClose()) {
            event->ignore();
            return;
        }
        // Once the main window is gone there is nothing to hand back.
        if (!finished_ && mainWindow_) {
            finished_ = true;
            finishing();
            if (handsBack_)
                link_.releaseMainWindow();
        }
        event->accept();
    }

private:
    MainWindowLink& link_;
    QPointer<QWidget> mainWindow_;
    bool handsBack_ = true;
    bool finished_ = false;
};

// Shows a new `Window(link, mainWindow)` over the main window, or brings the one of that
// kind which is already open (a child of the main window) to the front. `Link` is what
// the window works with, a MainWindowLink.
template <typename Window, typename Link>
Window* showOverMainWindow(Link& link, QWidget* mainWindow)
{
    if (mainWindow) {
        for (Window* open :
             mainWindow->findChildren<Window*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (open->isVisible()) {
                open->raise();
                open->activateWindow();
                return open;
            }
        }
    }
    static_cast<MainWindowLink&>(link).holdMainWindow();
    auto* window = new Window(link, mainWindow);
    // Placed once shown: only then has its layout given it its final size.
    window->show();
    placeOverMainWindow(window, mainWindow);
    return window;
}
