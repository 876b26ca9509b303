#include "launcher/NewStore.h"

#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"
#include "store/RegistryPaths.h"

#include <QFile>

QString setUpNewStore(platform::Registry& registry, const QString& defaultsFile)
{
    using namespace platform;
    HKey key = kNullKey;
    const long opened = registry.openKey(HKEY_LOCAL_MACHINE, regpath::kProduct.toStdString(), &key);
    if (opened == ERROR_SUCCESS)
        registry.closeKey(key);
    // Set up, or unreadable: the store itself reports the latter and is never written then.
    if (opened != ERROR_FILE_NOT_FOUND)
        return QString();

    const QString failed = QStringLiteral("cannot set up the new store from %1: %2");
    QFile file(defaultsFile);
    if (!file.open(QIODevice::ReadOnly))
        return failed.arg(defaultsFile, file.errorString());
    const RegFile defaults = RegFile::parse(file.readAll());
    if (!defaults.ok())
        return failed.arg(defaultsFile, QStringLiteral("line %1: %2")
                                            .arg(defaults.errors().front().line)
                                            .arg(defaults.errors().front().message));
    QString error;
    if (defaults.apply(registry, &error) != ERROR_SUCCESS)
        return failed.arg(defaultsFile, error);
    return QString();
}
