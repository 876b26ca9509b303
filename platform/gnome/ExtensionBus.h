#pragma once

#include <QString>

namespace platform::gnome {

// Where the program's GNOME Shell extension answers: in the Shell's process, on an object
// of its own; it answers only the owner of the program's bus name.
inline const QString kShell = QStringLiteral("org.gnome.Shell");
inline const QString kName = QStringLiteral("org.ombrel.Sarquen");
inline const QString kPath = QStringLiteral("/org/ombrel/Sarquen/Desktop");
inline const QString kInterface = QStringLiteral("org.ombrel.Sarquen.Desktop");
constexpr int kTimeoutMs = 2000;

} // namespace platform::gnome
