#pragma once

#include "platform/desktop/Desktop.h"

#include <QDBusConnection>
#include <QString>
#include <QVariantList>

class QDBusMessage;

namespace platform {

// The desktop of GNOME Shell on Wayland, through the program's own Shell extension
// (installed with the program): the window commands act on the Shell's windows, native
// Wayland programs and XWayland ones alike, and keys and the pointer go through a
// keyboard and a pointer the extension makes, with the keys of the user's layout. The
// extension answers only the program: the owner of the bus name org.ombrel.Sarquen, which
// this desktop takes, running the program's executable. It is on while this desktop holds
// the name, and turned off when it ends.
class GnomeDesktop : public Desktop
{
public:
    explicit GnomeDesktop(QDBusConnection connection = QDBusConnection::sessionBus());
    ~GnomeDesktop() override;
    GnomeDesktop(const GnomeDesktop&) = delete;
    GnomeDesktop& operator=(const GnomeDesktop&) = delete;

    // Empty when the commands work; else why not and what to do, in words.
    QString problem() const { return problem_; }

    WindowId activeWindow() override;
    void minimizeWindow(WindowId window) override;
    void maximizeWindow(WindowId window) override;
    void closeWindow(WindowId window) override;
    void restoreWindow(WindowId window) override;
    std::vector<WindowId> windowsByRecentUse() override;
    void activateWindow(WindowId window) override;
    bool showDesktop() override;

    void keyEvent(int virtualKey, bool down) override;
    bool typeCharacter(char32_t character) override;
    void syncInput() override {}
    void mouseButton(MouseButton button, bool down) override;
    void moveMouse(int dx, int dy) override;
    void setMousePosition(int x, int y) override;
    QPoint mousePosition() override;

private:
    QDBusMessage call(const QString& method, const QVariantList& arguments = {}) const;
    void windowAction(WindowId window, const QString& action);
    void key(std::uint32_t keysym, bool down);
    // Empty when the extension answers, turning it on first where the Shell has it.
    QString reachExtension();
    // Asks the Shell to turn on each form of the extension it has; false when it has none.
    bool turnExtensionOn();

    QDBusConnection connection_;
    bool ownsName_ = false;
    QString problem_;
};

} // namespace platform
