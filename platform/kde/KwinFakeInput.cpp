#include "platform/kde/KwinFakeInput.h"

#include "platform/input/KeysAndPointer.h"
#include "platform/kde/fake-input-client-protocol.h"

#include <algorithm>
#include <cstring>
#include <wayland-client.h>

namespace platform {

namespace {

// keyboard_key came with version 4; KWin 6 adds only a destructor in version 5.
constexpr std::uint32_t kInputVersion = 4;

} // namespace

KwinFakeInput::KwinFakeInput(const QString& display)
    : layout_(display,
              [this](wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version) {
                  if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 &&
                      !input_) {
                      inputVersion_ = std::min(version, kInputVersion);
                      input_ = static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(
                          registry, name, &org_kde_kwin_fake_input_interface, inputVersion_));
                  }
              }),
      typing_(layout_, [this](std::uint32_t key, bool down) {
          org_kde_kwin_fake_input_keyboard_key(
              input_, key, down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
          wl_display_flush(layout_.display());
      })
{
    if (!layout_.display()) {
        problem_ = QStringLiteral("cannot connect to KWin (WAYLAND_DISPLAY=%1)")
                       .arg(display.isEmpty() ? qEnvironmentVariable("WAYLAND_DISPLAY") : display);
        return;
    }
    if (!input_ || inputVersion_ < kInputVersion) {
        problem_ = QStringLiteral("KWin lets only programs named by its menu entries type and "
                                  "point (start the installed program)");
        return;
    }
    org_kde_kwin_fake_input_authenticate(input_, "Ombrel Sarquen",
                                         "types and clicks for spoken commands");
    wl_display_roundtrip(layout_.display());
    if (!layout_.keys().loaded())
        problem_ = QStringLiteral("KWin gave no keyboard layout to type with");
}

KwinFakeInput::~KwinFakeInput()
{
    if (input_)
        org_kde_kwin_fake_input_destroy(input_);
}

void KwinFakeInput::keyEvent(int virtualKey, bool down)
{
    typing_.keyEvent(virtualKey, down);
}

bool KwinFakeInput::typeCharacter(char32_t character)
{
    return typing_.typeCharacter(character);
}

LayoutKeys& KwinFakeInput::keys()
{
    layout_.refresh();
    return layout_.keys();
}

void KwinFakeInput::sync()
{
    wl_display_roundtrip(layout_.display());
}

void KwinFakeInput::button(MouseButton which, bool down)
{
    org_kde_kwin_fake_input_button(input_, evdevButton(which),
                                   down ? WL_POINTER_BUTTON_STATE_PRESSED
                                        : WL_POINTER_BUTTON_STATE_RELEASED);
    wl_display_flush(layout_.display());
}

void KwinFakeInput::move(int dx, int dy)
{
    org_kde_kwin_fake_input_pointer_motion(input_, wl_fixed_from_int(dx), wl_fixed_from_int(dy));
    wl_display_flush(layout_.display());
    position_ = layout_.outputs().inside(position_ + QPoint(dx, dy));
}

void KwinFakeInput::moveTo(int x, int y)
{
    position_ = layout_.outputs().inside(QPoint(x, y));
    org_kde_kwin_fake_input_pointer_motion_absolute(input_, wl_fixed_from_int(position_.x()),
                                                    wl_fixed_from_int(position_.y()));
    wl_display_flush(layout_.display());
}

} // namespace platform
