#pragma once

#include "platform/input/KeysAndPointer.h"
#include "platform/input/LayoutTyping.h"
#include "platform/portal/PortalRequests.h"
#include "platform/wayland/WaylandLayout.h"

#include <QDBusConnection>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

// Keys and the pointer through the desktop portal's remote control
// (org.freedesktop.portal.RemoteDesktop): the desktop asks the user once whether the
// program may type and point, and hands back a token that lets it skip the question the
// next time; the token is kept in `tokenFile`. The question comes when the program first
// types or points; what it sends meanwhile waits and follows the answer. Keys are those
// of the user's layout (from the compositor's keymap); the portal moves the pointer only
// by steps, so a point on the screen is reached from the bottom right corner.
class RemoteDesktopPortal : public QObject, public KeysAndPointer
{
    Q_OBJECT
public:
    // `refused` hears, once, why keys and the pointer do not work after all (the user
    // said no, the portal failed).
    RemoteDesktopPortal(QDBusConnection bus, QString tokenFile,
                        std::function<void(const QString&)> refused,
                        const QString& display = QString());
    ~RemoteDesktopPortal() override;

    // Empty when the portal offers the remote control; else why not, in words.
    QString problem() const { return problem_; }
    // Whether the desktop has let the program type and point, for this session.
    bool started() const { return state_ == State::Started; }

    void keyEvent(int virtualKey, bool down) override;
    bool typeCharacter(char32_t character) override;
    void button(MouseButton button, bool down) override;
    void move(int dx, int dy) override;
    void moveTo(int x, int y) override;
    QPoint position() const override { return position_; }

private slots:
    void onResponse(uint response, const QVariantMap& results);
    void onSessionClosed();

private:
    enum class State
    {
        Idle,
        Creating,
        Selecting,
        Starting,
        Started,
        Refused
    };

    // Sends `event` now when the session runs, else when it has started (asking for it).
    void send(std::function<void()> event);
    void notify(const QString& method, const QVariantList& values) const;
    void refuse(const QString& why);
    void key(std::uint32_t code, bool down);

    QDBusConnection bus_;
    QString tokenFile_;
    std::function<void(const QString&)> refused_;
    std::unique_ptr<WaylandLayout> layout_;
    std::unique_ptr<LayoutTyping> typing_;
    uint version_ = 0;
    State state_ = State::Idle;
    QString session_;
    portal::PendingRequest request_;
    std::vector<std::function<void()>> waiting_;
    QPoint position_;
    QString problem_;
};

} // namespace platform
