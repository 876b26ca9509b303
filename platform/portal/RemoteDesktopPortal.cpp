#include "platform/portal/RemoteDesktopPortal.h"

#include "platform/files/SafeWrite.h"
#include "platform/portal/PortalRequests.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

namespace platform {

namespace {

using portal::kPath;
using portal::kService;
using portal::kSession;
const QString kInterface = QStringLiteral("org.freedesktop.portal.RemoteDesktop");

constexpr uint kKeyboard = 1;
constexpr uint kPointer = 2;
// Remember the permission until the user takes it back.
constexpr uint kPersistUntilRevoked = 2;
// What may wait for the user's answer: a script typing a page of text stays within it.
constexpr std::size_t kMostWaiting = 20000;
// How long one key or pointer event may take the portal to pass on.
constexpr int kNotifyWait = 2000;
// A restore token is a short identifier; anything longer in the file is not one.
constexpr qint64 kLongestToken = 1024;

QString readToken(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.read(kLongestToken + 1)).trimmed().left(kLongestToken);
}

} // namespace

RemoteDesktopPortal::RemoteDesktopPortal(QDBusConnection bus, QString tokenFile,
                                         std::function<void(const QString&)> refused,
                                         const QString& display)
    : bus_(std::move(bus)), tokenFile_(std::move(tokenFile)), refused_(std::move(refused)),
      request_(bus_, kInterface, this, SLOT(onResponse(uint, QVariantMap)),
               [this](const QString& why) { refuse(why); })
{
    const QVariantMap properties = portal::interfaceProperties(bus_, kInterface);
    if (properties.isEmpty()) {
        problem_ = QStringLiteral("the desktop portal offers no remote control (it needs "
                                  "xdg-desktop-portal with its GNOME or KDE part)");
        return;
    }
    version_ = properties.value(QStringLiteral("version")).toUInt();
    const uint types = properties.value(QStringLiteral("AvailableDeviceTypes")).toUInt();
    if ((types & (kKeyboard | kPointer)) != (kKeyboard | kPointer)) {
        problem_ = QStringLiteral("the desktop portal's remote control offers no keyboard and "
                                  "pointer");
        return;
    }
    layout_ = std::make_unique<WaylandLayout>(display);
    if (!layout_->display() || !layout_->keys().loaded()) {
        problem_ = QStringLiteral("the compositor gave no keyboard layout to type with");
        return;
    }
    typing_ = std::make_unique<LayoutTyping>(
        *layout_, [this](std::uint32_t code, bool down) { key(code, down); });
}

RemoteDesktopPortal::~RemoteDesktopPortal()
{
    if (!session_.isEmpty())
        bus_.send(
            QDBusMessage::createMethodCall(kService, session_, kSession, QStringLiteral("Close")));
}

void RemoteDesktopPortal::send(std::function<void()> event)
{
    switch (state_) {
    case State::Started:
        event();
        return;
    case State::Refused:
        return;
    case State::Idle:
        state_ = State::Creating;
        waiting_.push_back(std::move(event));
        request_.send(QStringLiteral("CreateSession"), {},
                      {{QStringLiteral("session_handle_token"), portal::newToken()}});
        return;
    default:
        if (waiting_.size() < kMostWaiting)
            waiting_.push_back(std::move(event));
    }
}

void RemoteDesktopPortal::onResponse(uint response, const QVariantMap& results)
{
    request_.forget();
    if (state_ == State::Refused)
        return;
    if (response != 0) {
        refuse(response == 1 ? QStringLiteral("the desktop was told not to let the program "
                                              "type and point")
                             : QStringLiteral("the desktop portal would not let the program "
                                              "type and point"));
        return;
    }
    if (state_ == State::Creating) {
        session_ = portal::pathText(results.value(QStringLiteral("session_handle")));
        bus_.connect(kService, session_, kSession, QStringLiteral("Closed"), this,
                     SLOT(onSessionClosed()));
        QVariantMap options{{QStringLiteral("types"), kKeyboard | kPointer}};
        if (version_ >= 2) {
            options.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
            if (const QString token = readToken(tokenFile_); !token.isEmpty())
                options.insert(QStringLiteral("restore_token"), token);
        }
        state_ = State::Selecting;
        request_.send(QStringLiteral("SelectDevices"),
                      {QVariant::fromValue(QDBusObjectPath(session_))}, options);
    } else if (state_ == State::Selecting) {
        state_ = State::Starting;
        request_.send(QStringLiteral("Start"),
                      {QVariant::fromValue(QDBusObjectPath(session_)), QString()}, {});
    } else if (state_ == State::Starting) {
        const QString token = results.value(QStringLiteral("restore_token")).toString();
        if (!token.isEmpty())
            replacePrivateFile(tokenFile_, token.toUtf8());
        const uint devices = results.value(QStringLiteral("devices")).toUInt();
        if ((devices & (kKeyboard | kPointer)) != (kKeyboard | kPointer)) {
            refuse(QStringLiteral("the desktop let the program have no keyboard and pointer"));
            return;
        }
        state_ = State::Started;
        for (const std::function<void()>& event : std::exchange(waiting_, {}))
            event();
    }
}

void RemoteDesktopPortal::onSessionClosed()
{
    // The desktop ended the remote control (the user stopped it); the next key or
    // pointer command asks again.
    bus_.disconnect(kService, session_, kSession, QStringLiteral("Closed"), this,
                    SLOT(onSessionClosed()));
    session_.clear();
    waiting_.clear();
    if (state_ != State::Refused)
        state_ = State::Idle;
}

void RemoteDesktopPortal::refuse(const QString& why)
{
    if (state_ == State::Refused)
        return;
    state_ = State::Refused;
    waiting_.clear();
    if (refused_)
        refused_(QStringLiteral("Key and mouse commands reach only XWayland programs here: %1. "
                                "Start the program again to be asked again.")
                     .arg(why));
}

void RemoteDesktopPortal::notify(const QString& method, const QVariantList& values) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(QVariantList{QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap()} +
                      values);
    // The portal may handle calls side by side; waiting for each answer keeps a key's
    // modifiers ahead of it.
    bus_.call(call, QDBus::Block, kNotifyWait);
}

void RemoteDesktopPortal::key(std::uint32_t code, bool down)
{
    send([this, code, down] {
        notify(QStringLiteral("NotifyKeyboardKeycode"),
               {static_cast<int>(code), static_cast<uint>(down ? 1 : 0)});
    });
}

void RemoteDesktopPortal::keyEvent(int virtualKey, bool down)
{
    if (typing_)
        typing_->keyEvent(virtualKey, down);
}

bool RemoteDesktopPortal::typeCharacter(char32_t character)
{
    return typing_ && typing_->typeCharacter(character);
}

void RemoteDesktopPortal::button(MouseButton which, bool down)
{
    send([this, which, down] {
        notify(QStringLiteral("NotifyPointerButton"),
               {static_cast<int>(evdevButton(which)), static_cast<uint>(down ? 1 : 0)});
    });
}

void RemoteDesktopPortal::move(int dx, int dy)
{
    if (!layout_)
        return;
    position_ = layout_->outputs().inside(position_ + QPoint(dx, dy));
    send([this, dx, dy] {
        notify(QStringLiteral("NotifyPointerMotion"),
               {static_cast<double>(dx), static_cast<double>(dy)});
    });
}

void RemoteDesktopPortal::moveTo(int x, int y)
{
    if (!layout_ || !layout_->outputs().box().isValid())
        return;
    const QRect screen = layout_->outputs().box();
    position_ = layout_->outputs().inside(QPoint(x, y));
    // The portal moves the pointer only by steps, and Wayland tells no program where it
    // is: a step the screen's size takes it to the bottom right corner from anywhere (no
    // desktop acts on that corner by default; the top left one opens overviews), and a
    // second step from there to the point.
    const QPoint step = position_ - screen.bottomRight();
    send([this, screen, step] {
        notify(QStringLiteral("NotifyPointerMotion"),
               {static_cast<double>(screen.width()), static_cast<double>(screen.height())});
        notify(QStringLiteral("NotifyPointerMotion"),
               {static_cast<double>(step.x()), static_cast<double>(step.y())});
    });
}

} // namespace platform
