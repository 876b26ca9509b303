#pragma once

#include <QString>

namespace platform {
class Registry;
}

// A store without the product's key (the first start, or a store file removed) gets the
// keys and first values of a new installation from `defaultsFile`, the REGEDIT4 file
// installed beside the program. Empty when the store was ready or is now; otherwise what
// went wrong, for standard error. A store that cannot be read is left as it is.
QString setUpNewStore(platform::Registry& registry, const QString& defaultsFile);
