#pragma once

#include <QString>

// The maker's addresses shown in the about window and used by the update check.
namespace about {

inline const QString kMakerSite = QStringLiteral("https://www.ombrel.example/");
inline const QString kProductSite = QStringLiteral("https://sarquen.ombrel.example/");
inline const QString kSupportMail = QStringLiteral("sarquen-support@ombrel.example");

// The about window's version label: "v" and the three numbers, unpadded ("v2.0.15").
inline QString versionLabel(int major, int minor, int revision)
{
    return QStringLiteral("v%1.%2.%3").arg(major).arg(minor).arg(revision);
}

} // namespace about
