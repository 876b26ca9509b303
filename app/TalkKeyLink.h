#pragma once

#include <QObject>
#include <memory>

class Launcher;

// Lets the launcher watch its talk key where the desktop allows it: on an X11 session a
// grab of the key; on Wayland KWin's global shortcuts on Plasma, else the desktop
// portal's global shortcuts where the desktop offers them, else on GNOME the program's
// Shell extension. Elsewhere push-to-talk has
// "/talk", bound to the key in the compositor, and the user is told so when the key is
// picked. The object returned keeps the watch;
// it must outlive the launcher's use of it.
std::unique_ptr<QObject> linkTalkKey(Launcher& launcher);
