#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QVariantList>
#include <QVariantMap>

// What the stand-ins for the desktop portal's interfaces share: they take the portal's
// name on a private bus, on a connection and a thread of their own (so a caller may wait
// for them without an event loop), answer each request with its Response signal right
// after the call returns, and record what the caller asks, in order.
class FakePortal : public QObject, protected QDBusContext
{
    Q_OBJECT
public:
    ~FakePortal() override;
    // Takes the portal's name on the bus at `address`.
    bool registerOn(const QString& address);
    QStringList calls() const;

protected:
    FakePortal();
    // Must be called by the most derived destructor, before the object's slots go.
    void stop();
    // The request object for the caller's `options`, answered with `response` and
    // `results` once the call has returned.
    QDBusObjectPath respond(const QVariantMap& options, uint response, const QVariantMap& results);
    // Sends the signal `name` of `interface` from `path`, from the fake's own thread.
    void emitSignal(const QString& path, const QString& interface, const QString& name,
                    const QVariantList& arguments);
    void record(const QString& call);
    // A new session's path, for the caller's `options`.
    QString newSession(const QVariantMap& options);

private:
    QThread thread_;
    QDBusConnection bus_{QString()};
    mutable QMutex mutex_;
    QStringList calls_;
};
