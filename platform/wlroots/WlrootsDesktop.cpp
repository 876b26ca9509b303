#include "platform/wlroots/WlrootsDesktop.h"

#include "platform/wlroots/VirtualKeyboard.h"
#include "platform/wlroots/VirtualPointer.h"
#include "platform/wlroots/virtual-keyboard-unstable-v1-client-protocol.h"
#include "platform/wlroots/wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"
#include "platform/wlroots/wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <wayland-client.h>

namespace platform {
namespace {

// The interface versions this program knows; a compositor offering more is used at these.
constexpr std::uint32_t kManagerVersion = 3;
constexpr std::uint32_t kSeatVersion = 1;
constexpr std::uint32_t kKeyboardManagerVersion = 1;
constexpr std::uint32_t kPointerManagerVersion = 1;

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version)
{
    static_cast<WlrootsDesktop*>(data)->addGlobal(registry, name, interface, version);
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

void onToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                zwlr_foreign_toplevel_handle_v1* handle)
{
    static_cast<WlrootsDesktop*>(data)->addToplevel(handle);
}

void onFinished(void*, zwlr_foreign_toplevel_manager_v1*) {}

const zwlr_foreign_toplevel_manager_v1_listener kManagerListener{onToplevel, onFinished};

using Toplevel = WlrootsDesktop::Toplevel;

Toplevel& toplevelOf(void* data)
{
    return *static_cast<Toplevel*>(data);
}

void onTitle(void* data, zwlr_foreign_toplevel_handle_v1*, const char* title)
{
    toplevelOf(data).title = QString::fromUtf8(title);
}

void onAppId(void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId)
{
    toplevelOf(data).appId = QString::fromUtf8(appId);
}

void onOutput(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}

void onState(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states)
{
    Toplevel& t = toplevelOf(data);
    t.pendingActivated = t.pendingMinimized = t.pendingMaximized = false;
    const std::size_t count = states->size / sizeof(std::uint32_t);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t state = 0;
        std::memcpy(&state, static_cast<const char*>(states->data) + i * sizeof state,
                    sizeof state);
        if (state == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)
            t.pendingActivated = true;
        else if (state == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED)
            t.pendingMinimized = true;
        else if (state == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MAXIMIZED)
            t.pendingMaximized = true;
    }
}

void onDone(void* data, zwlr_foreign_toplevel_handle_v1*)
{
    Toplevel& t = toplevelOf(data);
    if (t.pendingActivated && !t.activated)
        t.lastActivated = t.owner->nextActivation();
    t.activated = t.pendingActivated;
    t.minimized = t.pendingMinimized;
    t.maximized = t.pendingMaximized;
}

void onParent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}

// The window is gone: its handle goes with it.
void onClosed(void* data, zwlr_foreign_toplevel_handle_v1*)
{
    Toplevel& t = toplevelOf(data);
    t.owner->removeToplevel(&t);
}

const zwlr_foreign_toplevel_handle_v1_listener kHandleListener{
    onTitle, onAppId, onOutput, onOutput, onState, onDone, onClosed, onParent};

} // namespace

WlrootsDesktop::WlrootsDesktop(Desktop& keysAndPointer, const QString& display)
    : keysAndPointer_(keysAndPointer)
{
    const QByteArray name = display.toLocal8Bit();
    display_ = wl_display_connect(display.isEmpty() ? nullptr : name.constData());
    if (!display_) {
        problem_ = QStringLiteral("cannot connect to the Wayland compositor (WAYLAND_DISPLAY=%1)")
                       .arg(display.isEmpty() ? qEnvironmentVariable("WAYLAND_DISPLAY") : display);
        return;
    }
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    wl_display_roundtrip(display_);
    // The outputs' geometry and modes.
    wl_display_roundtrip(display_);
    if (!manager_) {
        problem_ = QStringLiteral("the compositor does not offer its window list "
                                  "(wlr-foreign-toplevel-management)");
        return;
    }
    if (keyboardManager_ && seat_)
        keyboard_ = std::make_unique<VirtualKeyboard>(display_, keyboardManager_, seat_);
    if (pointerManager_)
        pointer_ = std::make_unique<VirtualPointer>(display_, pointerManager_, seat_);
    // The toplevel events, then the state of each.
    update();
}

WlrootsDesktop::~WlrootsDesktop()
{
    keyboard_.reset();
    pointer_.reset();
    if (pointerManager_)
        zwlr_virtual_pointer_manager_v1_destroy(pointerManager_);
    outputs_.clear();
    if (keyboardManager_)
        zwp_virtual_keyboard_manager_v1_destroy(keyboardManager_);
    for (const auto& t : toplevels_)
        zwlr_foreign_toplevel_handle_v1_destroy(t->handle);
    if (manager_)
        zwlr_foreign_toplevel_manager_v1_stop(manager_);
    if (seat_)
        wl_seat_destroy(seat_);
    if (registry_)
        wl_registry_destroy(registry_);
    if (display_) {
        wl_display_flush(display_);
        wl_display_disconnect(display_);
    }
}

void WlrootsDesktop::addGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                               std::uint32_t version)
{
    if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0 && !manager_) {
        manager_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_foreign_toplevel_manager_v1_interface,
                             std::min(version, kManagerVersion)));
        zwlr_foreign_toplevel_manager_v1_add_listener(manager_, &kManagerListener, this);
    } else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0 &&
               !keyboardManager_) {
        keyboardManager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface,
                             std::min(version, kKeyboardManagerVersion)));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0 &&
               !pointerManager_) {
        pointerManager_ = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface,
                             std::min(version, kPointerManagerVersion)));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat_) {
        seat_ = static_cast<wl_seat*>(
            wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, kSeatVersion)));
    } else {
        outputs_.bind(registry, name, interface, version);
    }
}

void WlrootsDesktop::addToplevel(zwlr_foreign_toplevel_handle_v1* handle)
{
    auto toplevel = std::make_unique<Toplevel>();
    toplevel->id = nextId_++;
    toplevel->owner = this;
    toplevel->handle = handle;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kHandleListener, toplevel.get());
    toplevels_.push_back(std::move(toplevel));
}

void WlrootsDesktop::removeToplevel(Toplevel* toplevel)
{
    const auto it = std::find_if(toplevels_.begin(), toplevels_.end(),
                                 [toplevel](const auto& t) { return t.get() == toplevel; });
    if (it == toplevels_.end())
        return;
    zwlr_foreign_toplevel_handle_v1_destroy((*it)->handle);
    toplevels_.erase(it);
}

bool WlrootsDesktop::update()
{
    if (!manager_)
        return false;
    return wl_display_roundtrip(display_) >= 0;
}

const std::vector<std::unique_ptr<Toplevel>>& WlrootsDesktop::toplevels()
{
    update();
    return toplevels_;
}

Toplevel* WlrootsDesktop::find(WindowId window)
{
    if (window == 0 || !update())
        return nullptr;
    for (const auto& t : toplevels_)
        if (t->id == window)
            return t.get();
    return nullptr;
}

WindowId WlrootsDesktop::activeWindow()
{
    for (const auto& t : toplevels())
        if (t->activated)
            return t->id;
    return 0;
}

void WlrootsDesktop::minimizeWindow(WindowId window)
{
    if (Toplevel* t = find(window)) {
        zwlr_foreign_toplevel_handle_v1_set_minimized(t->handle);
        wl_display_flush(display_);
    }
}

void WlrootsDesktop::maximizeWindow(WindowId window)
{
    if (Toplevel* t = find(window)) {
        zwlr_foreign_toplevel_handle_v1_set_maximized(t->handle);
        wl_display_flush(display_);
    }
}

void WlrootsDesktop::closeWindow(WindowId window)
{
    if (Toplevel* t = find(window)) {
        zwlr_foreign_toplevel_handle_v1_close(t->handle);
        wl_display_flush(display_);
    }
}

void WlrootsDesktop::restoreWindow(WindowId window)
{
    Toplevel* t = find(window);
    if (!t)
        return;
    if (t->minimized)
        zwlr_foreign_toplevel_handle_v1_unset_minimized(t->handle);
    if (t->maximized)
        zwlr_foreign_toplevel_handle_v1_unset_maximized(t->handle);
    if (seat_)
        zwlr_foreign_toplevel_handle_v1_activate(t->handle, seat_);
    wl_display_flush(display_);
}

std::vector<WindowId> WlrootsDesktop::windowsByRecentUse()
{
    std::vector<const Toplevel*> order;
    for (const auto& t : toplevels())
        order.push_back(t.get());
    std::stable_sort(order.begin(), order.end(), [](const Toplevel* a, const Toplevel* b) {
        return a->lastActivated > b->lastActivated;
    });
    std::vector<WindowId> ids;
    for (const Toplevel* t : order)
        ids.push_back(t->id);
    return ids;
}

void WlrootsDesktop::activateWindow(WindowId window)
{
    Toplevel* t = find(window);
    if (!t || !seat_)
        return;
    zwlr_foreign_toplevel_handle_v1_activate(t->handle, seat_);
    wl_display_flush(display_);
}

bool WlrootsDesktop::showDesktop()
{
    if (!update())
        return false;
    // Brings back what the last call minimised, as long as some of it still is.
    std::vector<Toplevel*> back;
    for (WindowId id : hidden_)
        for (const auto& t : toplevels_)
            if (t->id == id && t->minimized)
                back.push_back(t.get());
    hidden_.clear();
    if (!back.empty()) {
        for (Toplevel* t : back)
            zwlr_foreign_toplevel_handle_v1_unset_minimized(t->handle);
    } else {
        for (const auto& t : toplevels_) {
            if (!t->minimized) {
                zwlr_foreign_toplevel_handle_v1_set_minimized(t->handle);
                hidden_.push_back(t->id);
            }
        }
    }
    wl_display_flush(display_);
    return true;
}

void WlrootsDesktop::keyEvent(int virtualKey, bool down)
{
    if (keyboard_)
        keyboard_->keyEvent(virtualKey, down);
    else
        keysAndPointer_.keyEvent(virtualKey, down);
}

bool WlrootsDesktop::typeCharacter(char32_t character)
{
    return keyboard_ ? keyboard_->typeCharacter(character)
                     : keysAndPointer_.typeCharacter(character);
}

void WlrootsDesktop::syncInput()
{
    if (display_ && keyboard_)
        wl_display_roundtrip(display_);
    keysAndPointer_.syncInput();
}

void WlrootsDesktop::mouseButton(MouseButton button, bool down)
{
    if (pointer_)
        pointer_->button(button, down);
    else
        keysAndPointer_.mouseButton(button, down);
}

void WlrootsDesktop::moveMouse(int dx, int dy)
{
    if (pointer_)
        pointer_->move(dx, dy, outputs_);
    else
        keysAndPointer_.moveMouse(dx, dy);
}

void WlrootsDesktop::setMousePosition(int x, int y)
{
    if (pointer_)
        pointer_->moveTo(x, y, outputs_);
    else
        keysAndPointer_.setMousePosition(x, y);
}

QPoint WlrootsDesktop::mousePosition()
{
    return pointer_ ? pointer_->position() : keysAndPointer_.mousePosition();
}

} // namespace platform
