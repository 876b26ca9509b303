#pragma once

#include "platform/desktop/Desktop.h"
#include "platform/input/LayoutTyping.h"
#include "platform/wayland/WaylandLayout.h"

#include <QPoint>
#include <QString>
#include <cstdint>

struct org_kde_kwin_fake_input;

namespace platform {

// Keys and the pointer through KWin's fake-input interface: they reach whichever
// window KWin gives them to, native Wayland programs and XWayland ones alike. The keys
// are those of the user's own layout (KWin hands its keymap to every program), so
// characters type as themselves; a character the layout has no key for cannot be
// typed. KWin offers the interface only to programs its menu entries name
// (X-KDE-Wayland-Interfaces), as the installed program's entry does.
class KwinFakeInput
{
public:
    // Connects to the compositor named by WAYLAND_DISPLAY (or `display` when given).
    explicit KwinFakeInput(const QString& display = QString());
    ~KwinFakeInput();
    KwinFakeInput(const KwinFakeInput&) = delete;
    KwinFakeInput& operator=(const KwinFakeInput&) = delete;

    // Empty when keys and the pointer work; else why not, in words.
    QString problem() const { return problem_; }
    // The keyboard layout the user has switched to (KWin's layout index).
    void setLayout(std::uint32_t layout) { layout_.keys().setLayout(layout); }

    // As the desktop's keyEvent: a modifier goes down or up as asked, any other key is
    // tapped when it goes down.
    void keyEvent(int virtualKey, bool down);
    // False for a character the layout has no key for.
    bool typeCharacter(char32_t character);
    // The user's layouts, as KWin has them now.
    LayoutKeys& keys();
    // Waits until KWin has taken every event sent so far.
    void sync();

    void button(MouseButton button, bool down);
    void move(int dx, int dy);
    void moveTo(int x, int y);
    // Where the pointer was last sent: Wayland tells no program where it is.
    QPoint position() const { return position_; }

private:
    // Bound while the layout reads the compositor's globals: before it.
    org_kde_kwin_fake_input* input_ = nullptr;
    std::uint32_t inputVersion_ = 0;
    WaylandLayout layout_;
    LayoutTyping typing_;
    QPoint position_;
    QString problem_;
};

} // namespace platform
