#pragma once

#include <QString>
#include <stdexcept>

namespace platform {
class Shell;
}

// The launcher module: the one way a program, document or address is opened.

// A command line taken apart for opening.
struct LaunchParts
{
    // The command line with the quotes of a leading quoted part removed; otherwise as
    // given. This is what the fallback start receives.
    QString commandLine;
    QString file;       // the program, document or address to open
    QString parameters; // what follows it, without leading spaces
    QString directory;  // the working directory derived from `file`
};

// Splits `commandLine` as typed by the user:
// - A line that begins with a double quote names the text up to the next double quote
//   ("\"/opt/My App/app\" -x"); both quotes are dropped from the line. Without a closing
//   quote the whole line, quote included, names the thing to open.
// - Otherwise the thing to open ends at the first space, so an unquoted path with spaces
//   is cut there.
// - The working directory is the folder part of the thing to open: up to the last "/"
//   without it ("/usr/bin/app" gives "/usr/bin"), or with it when it is the first
//   character or follows a colon ("/app" gives "/", "x:/app" gives "x:/"). With no "/"
//   it is `currentDirectory`.
// - The parameters are the rest, with leading spaces (not tabs) removed.
LaunchParts SplitLaunchLine(const QString& commandLine, const QString& currentDirectory);

// The fallback start could not start anything from a command line either.
class LaunchError : public std::runtime_error
{
public:
    explicit LaunchError(const QString& commandLine);
    // The command line as the caller gave it.
    const QString& commandLine() const { return commandLine_; }

private:
    QString commandLine_;
};

// Opens `commandLine` (a program with parameters, a document or an address): first by
// association through the shell, and when the shell refuses, by starting the command
// line (as SplitLaunchLine changed it) as a process. Does not wait for what it starts.
// `windowStyle` is the show state of the new window (1 = normal). Without a
// `workingDirectory` the one derived from the command line is used. Throws LaunchError
// when nothing could be started; callers tell the user.
void ShellLaunch(platform::Shell& shell, const QString& commandLine, int windowStyle,
                 const QString& workingDirectory = {});
