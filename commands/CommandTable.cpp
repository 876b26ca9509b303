#include "commands/CommandTable.h"

#include <algorithm>

int CommandTable::count() const
{
    return std::clamp(numItems.toInt32(), 0, kRows);
}
