#pragma once

#include <QString>

// The program's folder followed by "/": $SARQUEN_HOME when set, else the folder of the
// running executable with symbolic links resolved. A folder the user cannot write (the
// program installed for everyone) is shared: the user's own folder beside it,
// userProgramFolder(), takes its place.
QString computeAppPath(const QString& executablePath);

// The user's program folder for the shared one `shared`: "ombrel-sarquen/" under
// `dataHome` ($XDG_DATA_HOME), with a Scripts folder of the user's own and a link to each
// file of the shared folder the user does not have already (help files, icon, defaults),
// followed by "/". Links that lead nowhere (the program removed or moved) are removed, or
// made again to the file of that name in `shared`. Empty when it cannot be made.
QString userProgramFolder(const QString& shared, const QString& dataHome);

// The running executable's full path, symbolic links resolved.
QString runningExecutablePath();
