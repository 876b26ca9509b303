#include "platform/net/Http.h"

#include <QUrl>

namespace platform {

bool isFetchable(const QUrl& url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

} // namespace platform
