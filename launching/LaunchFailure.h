#pragma once

#include <cstdio>

class LaunchError;

namespace platform {
class Dialogs;
}

// Tells the user that nothing could be opened from a command line: "SQ Error 10: File
// Not Found" with the command line on the next line, in a message box and on `notices`.
void tellLaunchFailed(platform::Dialogs& dialogs, const LaunchError& error,
                      std::FILE* notices = stderr);
