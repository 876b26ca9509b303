#include "scripts/Mouse.h"

#include "platform/desktop/Desktop.h"

using platform::Desktop;
using platform::MouseButton;

namespace Mouse {

void LeftDown(Desktop& desktop)
{
    desktop.mouseButton(MouseButton::Left, true);
}

void LeftUp(Desktop& desktop)
{
    desktop.mouseButton(MouseButton::Left, false);
}

void RightDown(Desktop& desktop)
{
    desktop.mouseButton(MouseButton::Right, true);
}

void RightUp(Desktop& desktop)
{
    desktop.mouseButton(MouseButton::Right, false);
}

void MiddleDown(Desktop& desktop)
{
    desktop.mouseButton(MouseButton::Middle, true);
}

void MiddleUp(Desktop& desktop)
{
    desktop.mouseButton(MouseButton::Middle, false);
}

void LeftClick(Desktop& desktop)
{
    LeftDown(desktop);
    LeftUp(desktop);
}

void RightClick(Desktop& desktop)
{
    RightDown(desktop);
    RightUp(desktop);
}

void MiddleClick(Desktop& desktop)
{
    MiddleDown(desktop);
    MiddleUp(desktop);
}

void MoveMouse(Desktop& desktop, int dx, int dy)
{
    desktop.moveMouse(dx, dy);
}

void SetMousePos(Desktop& desktop, int x, int y)
{
    desktop.setMousePosition(x, y);
}

int GetMouseX(Desktop& desktop)
{
    return desktop.mousePosition().x();
}

int GetMouseY(Desktop& desktop)
{
    return desktop.mousePosition().y();
}

} // namespace Mouse
