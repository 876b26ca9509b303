#include "launching/sheller.h"

#include "platform/shell/Shell.h"
#include "platform/shell/ShellWords.h"

#include <QDir>

LaunchParts SplitLaunchLine(const QString& commandLine, const QString& currentDirectory)
{
    LaunchParts parts;
    QString line = commandLine;

    // Positions here are 0-based; `split` is the index of the first character after the
    // thing to open.
    qsizetype split = line.size();
    if (line.startsWith(u'"')) {
        const qsizetype close = line.indexOf(u'"', 1);
        if (close >= 0) {
            line = line.mid(1, close - 1) + line.mid(close + 1);
            split = close - 1;
        }
    } else {
        const qsizetype space = line.indexOf(u' ');
        if (space >= 0) {
            split = space;
        }
    }

    parts.commandLine = line;
    parts.file = line.left(split);

    qsizetype from = split;
    while (from < line.size() && line[from] == u' ') {
        ++from;
    }
    parts.parameters = line.mid(from);

    // An address such as "https://example.com/page" or "file:///x" contains "/" but is
    // not a path, so it gets no folder of its own and opens from the current directory.
    const qsizetype slash = parts.file.lastIndexOf(u'/');
    if (slash < 0 || platform::isAddress(parts.file)) {
        parts.directory = currentDirectory;
    } else if (slash == 0 || line[slash - 1] == u':') {
        parts.directory = line.left(slash + 1); // a root such as "/" or "x:/"
    } else {
        parts.directory = line.left(slash);
    }
    return parts;
}

LaunchError::LaunchError(const QString& commandLine)
    : std::runtime_error(QStringLiteral("cannot start: %1").arg(commandLine).toStdString()),
      commandLine_(commandLine)
{
}

void ShellLaunch(platform::Shell& shell, const QString& commandLine, int windowStyle,
                 const QString& workingDirectory)
{
    const LaunchParts parts = SplitLaunchLine(commandLine, QDir::currentPath());
    const QString directory = workingDirectory.isEmpty() ? parts.directory : workingDirectory;

    if (shell.shellExecute(parts.file, parts.parameters, directory, windowStyle) >= 32) {
        return;
    }
    if (!shell.startCommandLine(parts.commandLine, directory, windowStyle)) {
        throw LaunchError(commandLine);
    }
}
