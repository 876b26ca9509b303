#include "launching/MissingTarget.h"

#include "launching/sheller.h"
#include "platform/shell/ShellWords.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString missingTarget(const QString& commandLine)
{
    const QString file = SplitLaunchLine(commandLine.trimmed(), QDir::currentPath()).file;
    if (file.isEmpty() || platform::isAddress(file))
        return {};
    // A name without a folder is looked for where the shell looks for programs.
    const bool found = file.contains(u'/') ? QFileInfo::exists(file)
                                           : !QStandardPaths::findExecutable(file).isEmpty();
    return found ? QString() : file;
}
