#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariant>
#include <functional>

class QObject;

namespace platform::portal {

inline const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
inline const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
inline const QString kSession = QStringLiteral("org.freedesktop.portal.Session");

// The portal names its request objects after the caller's unique bus name and the token
// the caller chose, so the caller can listen for the answer before it asks.
QString requestPath(const QDBusConnection& bus, const QString& token);
// A token no other request or session of this program has used.
QString newToken();
// An object path the portal handed back, whether typed as a path or as a string.
QString pathText(const QVariant& value);
// The properties of the portal's `interface`; empty when the portal does not offer it.
QVariantMap interfaceProperties(const QDBusConnection& bus, const QString& interface);
// The one request a portal user waits on at a time: `send` calls `method` of the portal's
// `interface` with `arguments` and then `options`, which gain a new request token. The
// call answers at once; the answer (the user's, where the desktop asks) comes later as the
// request's Response(uint, QVariantMap), delivered to `receiver`'s `slot`. `failed` hears
// why, in words, when the call itself fails. A new request, forget() and the end of the
// object stop listening for the one before.
class PendingRequest
{
public:
    PendingRequest(QDBusConnection bus, QString interface, QObject* receiver, const char* slot,
                   std::function<void(const QString&)> failed);
    ~PendingRequest() { forget(); }
    PendingRequest(const PendingRequest&) = delete;
    PendingRequest& operator=(const PendingRequest&) = delete;

    void send(const QString& method, QVariantList arguments, QVariantMap options);
    void forget();

private:
    QDBusConnection bus_;
    QString interface_;
    QObject* receiver_;
    const char* slot_;
    std::function<void(const QString&)> failed_;
    QString path_;
};

} // namespace platform::portal
