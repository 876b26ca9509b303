#pragma once

#include <QString>

// The program's folder followed by "/": $SARQUEN_HOME when set, else the folder of the
// running executable with symbolic links resolved.
QString computeAppPath(const QString& executablePath);

// The running executable's full path, symbolic links resolved.
QString runningExecutablePath();
