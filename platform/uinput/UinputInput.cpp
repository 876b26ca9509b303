#include "platform/uinput/UinputInput.h"

#include <QByteArray>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

namespace platform {

namespace {

// The pointer's range on each axis: the outputs' box is spread over it.
constexpr int kAbsMax = 65535;

// Makes the device `make` describes on the uinput file `fd`; null with `error` set when
// the kernel would not.
libevdev_uinput* makeDevice(int fd, const char* name, const std::function<void(libevdev*)>& make,
                            int* error)
{
    libevdev* device = libevdev_new();
    libevdev_set_name(device, name);
    libevdev_set_id_bustype(device, BUS_VIRTUAL);
    make(device);
    libevdev_uinput* made = nullptr;
    *error = libevdev_uinput_create_from_device(device, fd, &made);
    libevdev_free(device);
    return *error == 0 ? made : nullptr;
}

void sync(libevdev_uinput* device)
{
    libevdev_uinput_write_event(device, EV_SYN, SYN_REPORT, 0);
}

} // namespace

UinputInput::UinputInput(const QString& display, const QString& device)
{
    const QByteArray path = device.toLocal8Bit();
    if (access(path.constData(), W_OK) != 0) {
        problem_ = errno == ENOENT
                       ? QStringLiteral("the kernel offers no %1").arg(device)
                       : QStringLiteral("the program may not write %1 (join the group input, or "
                                        "add a udev rule giving the user access)")
                             .arg(device);
        return;
    }
    layout_ = std::make_unique<WaylandLayout>(display);
    if (!layout_->display()) {
        problem_ = QStringLiteral("cannot connect to the Wayland compositor for its keymap");
        return;
    }
    if (!layout_->keys().loaded()) {
        problem_ = QStringLiteral("the compositor gave no keyboard layout to type with");
        return;
    }
    typing_ = std::make_unique<LayoutTyping>(
        *layout_, [this](std::uint32_t code, bool down) { key(code, down); });
    int error = 0;
    const int keyboardFd = open(path.constData(), O_RDWR | O_CLOEXEC);
    keyboard_ = makeDevice(
        keyboardFd, "Ombrel Sarquen keyboard",
        [](libevdev* d) {
            for (unsigned code = KEY_ESC; code < BTN_MISC; ++code)
                libevdev_enable_event_code(d, EV_KEY, code, nullptr);
        },
        &error);
    if (!keyboard_) {
        if (keyboardFd >= 0)
            close(keyboardFd);
        problem_ = QStringLiteral("cannot make a keyboard in %1: %2")
                       .arg(device, QString::fromLocal8Bit(std::strerror(-error)));
        return;
    }
    const int pointerFd = open(path.constData(), O_RDWR | O_CLOEXEC);
    pointer_ = makeDevice(
        pointerFd, "Ombrel Sarquen pointer",
        [](libevdev* d) {
            for (unsigned code : {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE})
                libevdev_enable_event_code(d, EV_KEY, code, nullptr);
            input_absinfo axis{};
            axis.maximum = kAbsMax;
            libevdev_enable_event_code(d, EV_ABS, ABS_X, &axis);
            libevdev_enable_event_code(d, EV_ABS, ABS_Y, &axis);
        },
        &error);
    if (!pointer_) {
        if (pointerFd >= 0)
            close(pointerFd);
        problem_ = QStringLiteral("cannot make a pointer in %1: %2")
                       .arg(device, QString::fromLocal8Bit(std::strerror(-error)));
    }
}

UinputInput::~UinputInput()
{
    for (libevdev_uinput* device : {keyboard_, pointer_}) {
        if (device) {
            const int fd = libevdev_uinput_get_fd(device);
            libevdev_uinput_destroy(device);
            close(fd);
        }
    }
}

QString UinputInput::keyboardNode() const
{
    return keyboard_ ? QString::fromLocal8Bit(libevdev_uinput_get_devnode(keyboard_)) : QString();
}

QString UinputInput::pointerNode() const
{
    return pointer_ ? QString::fromLocal8Bit(libevdev_uinput_get_devnode(pointer_)) : QString();
}

void UinputInput::key(std::uint32_t code, bool down)
{
    libevdev_uinput_write_event(keyboard_, EV_KEY, code, down ? 1 : 0);
    sync(keyboard_);
}

void UinputInput::keyEvent(int virtualKey, bool down)
{
    if (keyboard_)
        typing_->keyEvent(virtualKey, down);
}

bool UinputInput::typeCharacter(char32_t character)
{
    return keyboard_ && typing_->typeCharacter(character);
}

void UinputInput::button(MouseButton which, bool down)
{
    if (!pointer_)
        return;
    libevdev_uinput_write_event(pointer_, EV_KEY, evdevButton(which), down ? 1 : 0);
    sync(pointer_);
}

void UinputInput::move(int dx, int dy)
{
    moveTo(position_.x() + dx, position_.y() + dy);
}

void UinputInput::moveTo(int x, int y)
{
    if (!pointer_ || !layout_->outputs().box().isValid())
        return;
    const QRect screen = layout_->outputs().box();
    position_ = layout_->outputs().inside(QPoint(x, y));
    // Pixels to the device's range: the first pixel to 0, the last to the maximum.
    const auto scale = [](int offset, int size) {
        return size > 1 ? static_cast<int>(static_cast<long long>(offset) * kAbsMax / (size - 1))
                        : 0;
    };
    libevdev_uinput_write_event(pointer_, EV_ABS, ABS_X,
                                scale(position_.x() - screen.left(), screen.width()));
    libevdev_uinput_write_event(pointer_, EV_ABS, ABS_Y,
                                scale(position_.y() - screen.top(), screen.height()));
    sync(pointer_);
}

} // namespace platform
