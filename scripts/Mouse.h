#pragma once

namespace platform {
class Desktop;
}

// The pointer actions of the scripts and the script editor's pointer read-out. Each
// operation sends its events to the desktop and returns at once.
namespace Mouse {

void LeftDown(platform::Desktop& desktop);
void LeftUp(platform::Desktop& desktop);
void RightDown(platform::Desktop& desktop);
void RightUp(platform::Desktop& desktop);
void MiddleDown(platform::Desktop& desktop);
void MiddleUp(platform::Desktop& desktop);

// The button's down and up events, back to back.
void LeftClick(platform::Desktop& desktop);
void RightClick(platform::Desktop& desktop);
void MiddleClick(platform::Desktop& desktop);

// A relative move, as the mouse itself makes it.
void MoveMouse(platform::Desktop& desktop, int dx, int dy);
// An absolute position on the screen, in pixels.
void SetMousePos(platform::Desktop& desktop, int x, int y);

// The pointer's position at the moment of the call; each is a reading of its own.
int GetMouseX(platform::Desktop& desktop);
int GetMouseY(platform::Desktop& desktop);

} // namespace Mouse
