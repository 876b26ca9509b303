#include "platform/kde/KwinTalkKey.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QHash>
#include <utility>

namespace platform::kde {

// A key sequence as the shortcut service passes it ((ai)): up to four Qt key codes.
struct KeySequence
{
    QList<int> keys;
};

QDBusArgument& operator<<(QDBusArgument& out, const KeySequence& sequence)
{
    out.beginStructure();
    out << sequence.keys;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, KeySequence& sequence)
{
    in.beginStructure();
    in >> sequence.keys;
    in.endStructure();
    return in;
}

} // namespace platform::kde

Q_DECLARE_METATYPE(platform::kde::KeySequence)

namespace platform {

namespace {

using kde::KeySequence;

const QString kService = QStringLiteral("org.kde.kglobalaccel");
const QString kPath = QStringLiteral("/kglobalaccel");
const QString kInterface = QStringLiteral("org.kde.KGlobalAccel");
const QString kComponent = QStringLiteral("org.kde.kglobalaccel.Component");
// setShortcutKeys: the program runs (its shortcut works), and the keys given are taken
// rather than those the service remembers.
constexpr uint kSetPresent = 2;
constexpr uint kNoAutoloading = 4;
constexpr int kTimeoutMs = 2000;

// The Qt key code of a key with this X keysym name; 0 for a key a talk key cannot be
// (modifiers, and keys the service has no code for here).
int qtKey(const QString& name)
{
    static const QHash<QString, int> named{
        {QStringLiteral("Pause"), 0x01000008},  {QStringLiteral("Print"), 0x01000009},
        {QStringLiteral("Insert"), 0x01000006}, {QStringLiteral("Home"), 0x01000010},
        {QStringLiteral("End"), 0x01000011},    {QStringLiteral("Prior"), 0x01000016},
        {QStringLiteral("Next"), 0x01000017},   {QStringLiteral("Scroll_Lock"), 0x01000026},
        {QStringLiteral("Menu"), 0x01000055},   {QStringLiteral("Escape"), 0x01000000},
        {QStringLiteral("space"), 0x20},
    };
    if (const auto found = named.constFind(name); found != named.constEnd())
        return *found;
    // F1 to F35 follow one another.
    bool number = false;
    const int f = name.startsWith(u'F') ? name.mid(1).toInt(&number) : 0;
    if (number && f >= 1 && f <= 35)
        return 0x01000030 + f - 1;
    // A letter or digit is its upper-case character.
    if (name.size() == 1 && name.at(0).isLetterOrNumber() && name.at(0).unicode() < 0x80)
        return name.at(0).toUpper().unicode();
    return 0;
}

} // namespace

KwinTalkKey::KwinTalkKey(QDBusConnection connection, const QString& component)
    : connection_(std::move(connection)), action_{component, QStringLiteral("talk"),
                                                  QStringLiteral("Ombrel Sarquen"),
                                                  QStringLiteral("Push to talk")}
{
    qDBusRegisterMetaType<KeySequence>();
    qDBusRegisterMetaType<QList<KeySequence>>();
    if (call(QStringLiteral("allComponents"), {}).type() != QDBusMessage::ReplyMessage)
        problem_ = QStringLiteral("KWin's shortcut service does not answer");
}

KwinTalkKey::~KwinTalkKey()
{
    letGo();
}

QDBusMessage KwinTalkKey::call(const QString& method, const QVariantList& arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    message.setArguments(arguments);
    return connection_.call(message, QDBus::Block, kTimeoutMs);
}

void KwinTalkKey::letGo()
{
    if (!std::exchange(taken_, false))
        return;
    // The action stays among the desktop's shortcuts, with no key and not running, so
    // the key reaches other programs again.
    call(QStringLiteral("setShortcutKeys"),
         {action_, QVariant::fromValue(QList<KeySequence>()), kNoAutoloading});
    call(QStringLiteral("setInactive"), {action_});
    if (std::exchange(down_, false))
        emit released();
}

bool KwinTalkKey::watch(const QString& keysymName, QString* error)
{
    letGo();
    if (keysymName.isEmpty())
        return true;
    if (!problem_.isEmpty()) {
        *error = problem_;
        return false;
    }
    const int key = qtKey(keysymName);
    if (key == 0) {
        *error = QStringLiteral("KDE's shortcuts cannot take %1; pick a function key or Pause.")
                     .arg(keysymName);
        return false;
    }
    const KeySequence wanted{{key, 0, 0, 0}};
    const QDBusMessage free = call(QStringLiteral("globalShortcutAvailable"),
                                   {QVariant::fromValue(wanted), action_.constFirst()});
    const auto given = [&] {
        call(QStringLiteral("doRegister"), {action_});
        const QDBusMessage answer = call(QStringLiteral("setShortcutKeys"),
                                         {action_, QVariant::fromValue(QList<KeySequence>{wanted}),
                                          kSetPresent | kNoAutoloading});
        const auto keys = qdbus_cast<QList<KeySequence>>(answer.arguments().value(0));
        return !keys.isEmpty() && keys.constFirst().keys.value(0) == key;
    };
    if (free.arguments().value(0).toBool() == false || !given()) {
        *error = QStringLiteral("another program already uses %1 as a shortcut; pick another "
                                "key.")
                     .arg(keysymName);
        call(QStringLiteral("unRegister"), {action_});
        return false;
    }
    taken_ = true;
    const QString component =
        qdbus_cast<QDBusObjectPath>(
            call(QStringLiteral("getComponent"), {action_.constFirst()}).arguments().value(0))
            .path();
    connection_.connect(kService, component, kComponent, QStringLiteral("globalShortcutPressed"),
                        this, SLOT(onPressed(QString, QString, qlonglong)));
    connection_.connect(kService, component, kComponent, QStringLiteral("globalShortcutReleased"),
                        this, SLOT(onReleased(QString, QString, qlonglong)));
    return true;
}

void KwinTalkKey::onPressed(const QString& component, const QString& action, qlonglong)
{
    if (taken_ && component == action_[0] && action == action_[1] && !std::exchange(down_, true))
        emit pressed();
}

void KwinTalkKey::onReleased(const QString& component, const QString& action, qlonglong)
{
    if (component == action_[0] && action == action_[1] && std::exchange(down_, false))
        emit released();
}

} // namespace platform
