#pragma once

#include <QString>

// The product's keys, relative to HKEY_LOCAL_MACHINE.
namespace regpath {
inline const QString kProduct = QStringLiteral("Software\\Ombrel Online\\Sarquen");
inline const QString kList = QStringLiteral("Software\\Ombrel Online\\Sarquen\\list");
inline const QString kListList = QStringLiteral("Software\\Ombrel Online\\Sarquen\\list\\list");
inline const QString kListCheck = QStringLiteral("Software\\Ombrel Online\\Sarquen\\list\\check");
inline const QString kOptions = QStringLiteral("Software\\Ombrel Online\\Sarquen\\options");
inline const QString kRun = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
inline const QString kRunValue = QStringLiteral("OmbrelLauncher");
} // namespace regpath
