#include "platform/shell/ProcessShell.h"

#include "platform/desktop/LaunchFeedback.h"
#include "platform/shell/ShellWords.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <utility>

namespace platform {

namespace {

// The folder a program starts in: `directory` when it exists, else the current one.
// A launch should not fail only because a derived working directory is not a folder.
QString effectiveDirectory(const QString& directory)
{
    if (!directory.isEmpty() && QFileInfo(directory).isDir()) {
        return directory;
    }
    return QDir::currentPath();
}

bool isExecutableFile(const QFileInfo& info)
{
    return info.isFile() && info.isExecutable();
}

// Where `name` is: a name without "/" on PATH first, then any name relative to `dir`.
// Returns the absolute path; it may not exist.
QString locate(const QString& name, const QString& dir)
{
    if (!name.contains(u'/')) {
        const QString onPath = QStandardPaths::findExecutable(name);
        if (!onPath.isEmpty()) {
            return onPath;
        }
    }
    return QDir::cleanPath(QDir(dir).absoluteFilePath(name));
}

// The executable that `name` names, or empty.
QString findProgram(const QString& name, const QString& dir)
{
    if (name.isEmpty()) {
        return {};
    }
    const QString path = locate(name, dir);
    return isExecutableFile(QFileInfo(path)) ? path : QString();
}

} // namespace

bool ProcessShell::start(const QString& program, const QStringList& arguments,
                         const QString& dir) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A startup id or token the launcher was itself started with is used up: the program
    // gets the desktop's fresh one or none, else it could take the focus from whatever
    // the user works in later.
    environment.remove(QStringLiteral("DESKTOP_STARTUP_ID"));
    environment.remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
    const LaunchTicket ticket =
        feedback_ ? feedback_->beginLaunch(QFileInfo(program).fileName()) : LaunchTicket();
    for (const auto& [name, value] : ticket.environment)
        environment.insert(name, value);

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(dir);
    process.setProcessEnvironment(environment);
    qint64 pid = 0;
    const bool started = process.startDetached(&pid);
    if (feedback_ && started)
        feedback_->launched(ticket, pid);
    else if (feedback_)
        feedback_->launchFailed(ticket);
    return started;
}

ProcessShell::ProcessShell(QString opener) : opener_(std::move(opener)) {}

int ProcessShell::shellExecute(const QString& file, const QString& parameters,
                               const QString& directory, int /*showCommand*/)
{
    if (file.isEmpty()) {
        return FileNotFound;
    }
    const QString dir = effectiveDirectory(directory);
    if (isAddress(file)) {
        return openWithOpener(file, dir);
    }
    const QFileInfo info(locate(file, dir));
    if (!info.exists()) {
        return FileNotFound;
    }
    if (isExecutableFile(info)) {
        return start(info.absoluteFilePath(), shellWords(parameters), dir) ? Started : AccessDenied;
    }
    return openWithOpener(info.absoluteFilePath(), dir);
}

bool ProcessShell::startCommandLine(const QString& commandLine, const QString& directory,
                                    int /*showCommand*/)
{
    const QString dir = effectiveDirectory(directory);
    qsizetype first = 0;
    while (first < commandLine.size() &&
           (commandLine[first] == u' ' || commandLine[first] == u'\t')) {
        ++first;
    }
    const QString line = commandLine.mid(first);
    if (line.isEmpty()) {
        return false;
    }

    // "/opt/My App/app -x": "/opt/My", then "/opt/My App/app", then the whole line.
    for (qsizetype end = line.indexOf(u' ');; end = line.indexOf(u' ', end + 1)) {
        const QString candidate = end < 0 ? line : line.left(end);
        const QString program = findProgram(candidate, dir);
        if (!program.isEmpty()) {
            const QString rest = end < 0 ? QString() : line.mid(end + 1);
            if (start(program, shellWords(rest), dir)) {
                return true;
            }
        }
        if (end < 0) {
            break;
        }
    }

    // A line with quotes or escapes in its program part: read it as shell words.
    QStringList words = shellWords(line);
    if (words.isEmpty()) {
        return false;
    }
    const QString program = findProgram(words.takeFirst(), dir);
    return !program.isEmpty() && start(program, words, dir);
}

int ProcessShell::openWithOpener(const QString& target, const QString& directory) const
{
    const QString opener = QStandardPaths::findExecutable(opener_);
    if (opener.isEmpty() || !start(opener, {target}, directory)) {
        return NoAssociation;
    }
    return Started;
}

} // namespace platform
