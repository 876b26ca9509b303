#pragma once

#include "platform/Version.h"

#include <QString>

// "Ombrel Sarquen 2.0": the product name with the major and minor version.
inline QString appTitle()
{
    return QStringLiteral("Ombrel Sarquen %1.%2")
        .arg(SARQUEN_VERSION_MAJOR)
        .arg(SARQUEN_VERSION_MINOR);
}

inline QString appVersion()
{
    return QStringLiteral("%1.%2.%3")
        .arg(SARQUEN_VERSION_MAJOR)
        .arg(SARQUEN_VERSION_MINOR)
        .arg(SARQUEN_VERSION_PATCH);
}
