#include "platform/kde/KwinFakeInput.h"

#include "platform/kde/fake-input-client-protocol.h"
#include "platform/wayland/SeatKeymap.h"

#include <algorithm>
#include <cstring>
#include <linux/input-event-codes.h>
#include <wayland-client.h>

namespace platform {

namespace {

// keyboard_key came with version 4; KWin 6 adds only a destructor in version 5.
constexpr std::uint32_t kInputVersion = 4;
constexpr std::uint32_t kSeatVersion = 1;

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version)
{
    static_cast<KwinFakeInput*>(data)->addGlobal(registry, name, interface, version);
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

} // namespace

KwinFakeInput::KwinFakeInput(const QString& display)
    : typing_(layout_, [this](std::uint32_t key, bool down) {
          org_kde_kwin_fake_input_keyboard_key(
              input_, key, down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
          wl_display_flush(display_);
      })
{
    const QByteArray name = display.toLocal8Bit();
    display_ = wl_display_connect(display.isEmpty() ? nullptr : name.constData());
    if (!display_) {
        problem_ = QStringLiteral("cannot connect to KWin (WAYLAND_DISPLAY=%1)")
                       .arg(display.isEmpty() ? qEnvironmentVariable("WAYLAND_DISPLAY") : display);
        return;
    }
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    wl_display_roundtrip(display_);
    if (!input_ || inputVersion_ < kInputVersion) {
        problem_ = QStringLiteral("KWin lets only programs named by its menu entries type and "
                                  "point (start the installed program)");
        return;
    }
    if (seat_)
        keymap_ = std::make_unique<SeatKeymap>(seat_, layout_);
    org_kde_kwin_fake_input_authenticate(input_, "Ombrel Sarquen",
                                         "types and clicks for spoken commands");
    // The keymap and the outputs' geometry.
    wl_display_roundtrip(display_);
    wl_display_roundtrip(display_);
    if (!layout_.loaded())
        problem_ = QStringLiteral("KWin gave no keyboard layout to type with");
}

KwinFakeInput::~KwinFakeInput()
{
    keymap_.reset();
    if (seat_)
        wl_seat_destroy(seat_);
    if (input_)
        org_kde_kwin_fake_input_destroy(input_);
    outputs_.clear();
    if (registry_)
        wl_registry_destroy(registry_);
    if (display_) {
        wl_display_flush(display_);
        wl_display_disconnect(display_);
    }
}

void KwinFakeInput::addGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                              std::uint32_t version)
{
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && !input_) {
        inputVersion_ = std::min(version, kInputVersion);
        input_ = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, inputVersion_));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat_) {
        seat_ = static_cast<wl_seat*>(
            wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, kSeatVersion)));
    } else {
        outputs_.bind(registry, name, interface, version);
    }
}

void KwinFakeInput::keyEvent(int virtualKey, bool down)
{
    typing_.keyEvent(virtualKey, down);
}

bool KwinFakeInput::typeCharacter(char32_t character)
{
    return typing_.typeCharacter(character);
}

void KwinFakeInput::sync()
{
    wl_display_roundtrip(display_);
}

void KwinFakeInput::button(MouseButton which, bool down)
{
    const std::uint32_t code = which == MouseButton::Left    ? BTN_LEFT
                               : which == MouseButton::Right ? BTN_RIGHT
                                                             : BTN_MIDDLE;
    org_kde_kwin_fake_input_button(
        input_, code, down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    wl_display_flush(display_);
}

void KwinFakeInput::move(int dx, int dy)
{
    org_kde_kwin_fake_input_pointer_motion(input_, wl_fixed_from_int(dx), wl_fixed_from_int(dy));
    wl_display_flush(display_);
    position_ = outputs_.inside(position_ + QPoint(dx, dy));
}

void KwinFakeInput::moveTo(int x, int y)
{
    position_ = outputs_.inside(QPoint(x, y));
    org_kde_kwin_fake_input_pointer_motion_absolute(input_, wl_fixed_from_int(position_.x()),
                                                    wl_fixed_from_int(position_.y()));
    wl_display_flush(display_);
}

} // namespace platform
