#pragma once

#include "platform/input/KeysAndPointer.h"
#include "platform/input/LayoutTyping.h"
#include "platform/wayland/WaylandLayout.h"

#include <QPoint>
#include <QString>
#include <memory>

struct libevdev_uinput;

namespace platform {

// Keys and the pointer through two input devices the program makes in the kernel
// (/dev/uinput): every compositor takes them as it takes a real keyboard and mouse.
// The keys are those of the user's layout, as the compositor hands it to programs (the
// first layout: the one switched to is not told to programs). The pointer is an
// absolute mouse, as a virtual machine's tablet, spread over all the outputs, so that it
// lands on the point asked for whatever the pointer acceleration. Needs write access to
// /dev/uinput (group input, or a udev rule).
class UinputInput : public KeysAndPointer
{
public:
    // Reads the keymap and the outputs from the compositor named by WAYLAND_DISPLAY (or
    // `display` when given); `device` is the uinput device file.
    explicit UinputInput(const QString& display = QString(),
                         const QString& device = QStringLiteral("/dev/uinput"));
    ~UinputInput() override;
    UinputInput(const UinputInput&) = delete;
    UinputInput& operator=(const UinputInput&) = delete;

    // Empty when keys and the pointer work; else why not, in words.
    QString problem() const { return problem_; }
    // The device files of the keyboard and the pointer, for reading back what they send.
    QString keyboardNode() const;
    QString pointerNode() const;

    void keyEvent(int virtualKey, bool down) override;
    bool typeCharacter(char32_t character) override;
    void button(MouseButton button, bool down) override;
    void move(int dx, int dy) override;
    void moveTo(int x, int y) override;
    QPoint position() const override { return position_; }

private:
    void key(std::uint32_t code, bool down);

    std::unique_ptr<WaylandLayout> layout_;
    std::unique_ptr<LayoutTyping> typing_;
    libevdev_uinput* keyboard_ = nullptr;
    libevdev_uinput* pointer_ = nullptr;
    QPoint position_;
    QString problem_;
};

} // namespace platform
