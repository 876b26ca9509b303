#include "platform/registry/SqliteRegistry.h"
#include "tools/sarquen-reg/RegTool.h"

#include <cstdio>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    platform::SqliteRegistry registry(platform::SqliteRegistry::defaultPath(),
                                      QStringLiteral("sarquen-reg"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runRegTool(registry, args, out, err);
}
