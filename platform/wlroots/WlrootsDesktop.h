#pragma once

#include "platform/desktop/Desktop.h"
#include "platform/wayland/WaylandOutputs.h"

#include <QRect>
#include <QString>
#include <memory>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;
struct zwp_virtual_keyboard_manager_v1;
struct zwlr_virtual_pointer_manager_v1;

namespace platform {

class VirtualKeyboard;
class VirtualPointer;

// The desktop of a wlroots compositor (sway, Hyprland, labwc, river, Wayfire): the
// window commands act on the compositor's own list of windows, native Wayland programs
// and XWayland ones alike, through its foreign-toplevel interface. Keys and the pointer
// go to a keyboard and a pointer the program makes up there (virtual-keyboard,
// wlr-virtual-pointer) where the compositor offers them, else to `keysAndPointer` (the
// X11 desktop of XWayland).
class WlrootsDesktop : public Desktop
{
public:
    // Connects to the compositor named by WAYLAND_DISPLAY (or `display` when given).
    explicit WlrootsDesktop(Desktop& keysAndPointer, const QString& display = QString());
    ~WlrootsDesktop() override;
    WlrootsDesktop(const WlrootsDesktop&) = delete;
    WlrootsDesktop& operator=(const WlrootsDesktop&) = delete;

    // Empty when the window commands work; else why not, in words.
    QString problem() const { return problem_; }
    // Whether keys reach every window (through the made-up keyboard).
    bool typesEverywhere() const { return keyboard_ != nullptr; }
    // Whether the mouse commands reach every window (through the made-up pointer).
    bool pointsEverywhere() const { return pointer_ != nullptr; }

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
    void syncInput() override;
    void mouseButton(MouseButton button, bool down) override;
    void moveMouse(int dx, int dy) override;
    void setMousePosition(int x, int y) override;
    QPoint mousePosition() override;

    struct Toplevel
    {
        WlrootsDesktop* owner = nullptr;
        WindowId id = 0;
        zwlr_foreign_toplevel_handle_v1* handle = nullptr;
        QString title;
        QString appId;
        // As of the last "done": the states the compositor reported.
        bool activated = false;
        bool minimized = false;
        bool maximized = false;
        // When it was last activated, counting the activations seen; 0 for never.
        std::uint64_t lastActivated = 0;
        // Being reported, until "done".
        bool pendingActivated = false;
        bool pendingMinimized = false;
        bool pendingMaximized = false;
    };
    // The windows as the compositor last reported them, oldest first.
    const std::vector<std::unique_ptr<Toplevel>>& toplevels();

    // Callbacks of the compositor's events; public for the C listeners only.
    void addGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                   std::uint32_t version);
    void addToplevel(zwlr_foreign_toplevel_handle_v1* handle);
    void removeToplevel(Toplevel* toplevel);
    std::uint64_t nextActivation() { return ++activations_; }

private:
    // Sends what is queued and takes in every event the compositor has sent since.
    bool update();
    Toplevel* find(WindowId window);

    Desktop& keysAndPointer_;
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    zwlr_foreign_toplevel_manager_v1* manager_ = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboardManager_ = nullptr;
    std::unique_ptr<VirtualKeyboard> keyboard_;
    zwlr_virtual_pointer_manager_v1* pointerManager_ = nullptr;
    std::unique_ptr<VirtualPointer> pointer_;
    WaylandOutputs outputs_;
    std::vector<WindowId> hidden_; // the windows the last Show Desktop minimised
    std::vector<std::unique_ptr<Toplevel>> toplevels_;
    WindowId nextId_ = 1;
    std::uint64_t activations_ = 0;
    QString problem_;
};

} // namespace platform
