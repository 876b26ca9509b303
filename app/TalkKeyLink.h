#pragma once

#include <QObject>
#include <memory>

class Launcher;

// Lets the launcher watch its talk key where the desktop allows it: on an X11 session
// a grab of the key. Elsewhere nothing is watched and push-to-talk has "/talk", bound
// to the key in the compositor. The object returned (null: none) keeps the watch; it
// must outlive the launcher's use of it.
std::unique_ptr<QObject> linkTalkKey(Launcher& launcher);
