#pragma once

#include "platform/shell/Shell.h"

namespace platform {
class LaunchFeedback;
}

#include <QString>
#include <QStringList>

namespace platform {

// Opens programs, documents, folders and addresses on the Linux desktop. Programs are
// started directly as detached processes (no shell runs in between), so they outlive
// the launcher; everything else is handed to the desktop's opener program.
//
// The requested show state is accepted and not used: an X11 program decides on its own
// how its first window appears, and nothing can be told to it at start. What the desktop
// gives for the start (a startup id, an activation token) goes into the new program's
// environment, so that its first window comes to the front; the opener passes it on.
class ProcessShell : public Shell
{
public:
    // Results of shellExecute, as the callers know them: 32 and more means started.
    static constexpr int FileNotFound = 2;
    static constexpr int AccessDenied = 5;   // exists, but could not be started
    static constexpr int NoAssociation = 31; // the opener is missing or did not start
    static constexpr int Started = 42;

    // `opener` is the program that opens documents, folders and addresses; a name is
    // looked up on PATH at each use.
    explicit ProcessShell(QString opener = QStringLiteral("xdg-open"));

    // The desktop told of every start; none when null.
    void setLaunchFeedback(LaunchFeedback* feedback) { feedback_ = feedback; }

    // `file` is an address (a URL scheme and a colon): the opener gets it.
    // A name without "/" is looked up on PATH, else taken relative to `directory`.
    // A path (absolute, or relative to `directory`): missing gives FileNotFound; an
    // executable regular file starts with `parameters` split by shellWords(); anything
    // else that exists goes to the opener. A `directory` that does not exist is replaced
    // by the current directory.
    int shellExecute(const QString& file, const QString& parameters, const QString& directory,
                     int showCommand) override;

    // Starts an unquoted command line whose program path may itself hold spaces: the
    // prefixes ending at each space are tried shortest first, then the whole line, and
    // the first that names an executable is started with the rest split by
    // shellWords(). When none does, the line is split by shellWords() and its first
    // word is tried as the program.
    bool startCommandLine(const QString& commandLine, const QString& directory,
                          int showCommand) override;

private:
    int openWithOpener(const QString& target, const QString& directory) const;
    bool start(const QString& program, const QStringList& arguments, const QString& dir) const;

    QString opener_;
    LaunchFeedback* feedback_ = nullptr;
};

} // namespace platform
