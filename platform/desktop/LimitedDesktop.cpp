#include "platform/desktop/LimitedDesktop.h"

#include <utility>

namespace platform {

LimitedDesktop::LimitedDesktop(Desktop& desktop, DesktopLimits limits,
                               std::function<void(const QString&)> tell)
    : desktop_(desktop), limits_(std::move(limits)), tell_(std::move(tell))
{
}

void LimitedDesktop::used(QString& limit)
{
    if (limit.isEmpty())
        return;
    const QString told = std::exchange(limit, QString());
    if (tell_)
        tell_(told);
}

WindowId LimitedDesktop::activeWindow()
{
    used(limits_.windows);
    return desktop_.activeWindow();
}

void LimitedDesktop::minimizeWindow(WindowId window)
{
    used(limits_.windows);
    desktop_.minimizeWindow(window);
}

void LimitedDesktop::maximizeWindow(WindowId window)
{
    used(limits_.windows);
    desktop_.maximizeWindow(window);
}

void LimitedDesktop::closeWindow(WindowId window)
{
    used(limits_.windows);
    desktop_.closeWindow(window);
}

void LimitedDesktop::restoreWindow(WindowId window)
{
    used(limits_.windows);
    desktop_.restoreWindow(window);
}

std::vector<WindowId> LimitedDesktop::windowsByRecentUse()
{
    used(limits_.windows);
    return desktop_.windowsByRecentUse();
}

void LimitedDesktop::activateWindow(WindowId window)
{
    used(limits_.windows);
    desktop_.activateWindow(window);
}

bool LimitedDesktop::showDesktop()
{
    used(limits_.windows);
    return desktop_.showDesktop();
}

void LimitedDesktop::keyEvent(int virtualKey, bool down)
{
    used(limits_.keys);
    desktop_.keyEvent(virtualKey, down);
}

bool LimitedDesktop::typeCharacter(char32_t character)
{
    used(limits_.keys);
    const bool typed = desktop_.typeCharacter(character);
    if (!typed && !toldUntyped_) {
        toldUntyped_ = true;
        if (tell_)
            tell_(QStringLiteral("\u201C%1\u201D could not be typed and was left out: the keyboard "
                                 "layout has no key for it.")
                      .arg(QString::fromUcs4(&character, 1)));
    }
    return typed;
}

void LimitedDesktop::syncInput()
{
    desktop_.syncInput();
}

void LimitedDesktop::mouseButton(MouseButton button, bool down)
{
    used(limits_.pointer);
    desktop_.mouseButton(button, down);
}

void LimitedDesktop::moveMouse(int dx, int dy)
{
    used(limits_.pointer);
    desktop_.moveMouse(dx, dy);
}

void LimitedDesktop::setMousePosition(int x, int y)
{
    used(limits_.pointer);
    desktop_.setMousePosition(x, y);
}

QPoint LimitedDesktop::mousePosition()
{
    used(limits_.pointer);
    return desktop_.mousePosition();
}

} // namespace platform
