#pragma once

#include <QStringList>
#include <QTextStream>

namespace platform {
class Registry;
}

// sarquen-reg: reads and changes the settings store from the command line.
// `args` are the arguments after the program name. The exit code is 0 on success, 1 when
// a key, a value, a file or the store itself is missing or refuses the request, and 2 for
// a command line that cannot be understood.
int runRegTool(platform::Registry& registry, const QStringList& args, QTextStream& out,
               QTextStream& err);

// The text printed by --help.
QString regToolUsage();
