#pragma once

#include <QString>

namespace platform {

// Opening things the way the desktop does.
class Shell
{
public:
    virtual ~Shell() = default;

    // Opens `file` by association: a program (a path, or a name found on PATH) starts
    // with `parameters` split into arguments as a shell would split them, without a
    // shell; anything else (a document, a folder, an address) goes to the desktop's
    // opener. Returns 32 or more on success, a smaller error code when refused.
    // `showCommand` is the requested window state (1 = normal); `directory` the
    // working directory of the new program.
    virtual int shellExecute(const QString& file, const QString& parameters,
                             const QString& directory, int showCommand) = 0;

    // Starts a whole command line as a program, detached, in `directory`. False when
    // no program could be started from it.
    virtual bool startCommandLine(const QString& commandLine, const QString& directory,
                                  int showCommand) = 0;
};

} // namespace platform
