#include "platform/kde/KwinDesktop.h"

#include "platform/input/LayoutSwitching.h"
#include "platform/kde/KwinFakeInput.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <xkbcommon/xkbcommon.h>

namespace platform {

namespace {

const QString kKwin = QStringLiteral("org.kde.KWin");
const QString kScripting = QStringLiteral("org.kde.kwin.Scripting");
const QString kCallBackPath = QStringLiteral("/org/ombrel/Sarquen/KWinWindows");

QDBusMessage callKwin(const QDBusConnection& connection, const QString& path,
                      const QString& interface, const QString& method,
                      const QVariantList& arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(kKwin, path, interface, method);
    call.setArguments(arguments);
    return connection.call(call, QDBus::Block, 5000);
}

} // namespace

KwinCallBacks::KwinCallBacks(QDBusConnection connection, QObject* parent)
    : QObject(parent), connection_(std::move(connection))
{
}

bool KwinCallBacks::fromKwin() const
{
    if (!calledFromDBus())
        return false;
    return connection_.interface()->serviceOwner(kKwin).value() == message().service();
}

void KwinCallBacks::windows(const QString& report)
{
    if (fromKwin())
        emit windowsReported(report);
}

void KwinCallBacks::done(const QString& name)
{
    if (fromKwin())
        emit scriptDone(name);
}

KwinDesktop::KwinDesktop(Desktop& keysAndPointer, QDBusConnection connection,
                         const QString& display)
    : keysAndPointer_(keysAndPointer), connection_(std::move(connection))
{
    input_ = std::make_unique<KwinFakeInput>(display);
    inputProblem_ = input_->problem();
    if (!inputProblem_.isEmpty()) {
        input_.reset();
    } else {
        // KWin tells which of the user's layouts is in use; typing goes by its keys.
        const QString service = QStringLiteral("org.kde.keyboard");
        const QString path = QStringLiteral("/Layouts");
        const QString interface = QStringLiteral("org.kde.KeyboardLayouts");
        connection_.connect(service, path, interface, QStringLiteral("layoutChanged"), this,
                            SLOT(layoutChanged(uint)));
        QDBusMessage ask =
            QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("getLayout"));
        const QDBusMessage layout = connection_.call(ask, QDBus::Block, 2000);
        if (layout.type() == QDBusMessage::ReplyMessage)
            layoutChanged(layout.arguments().value(0).toUInt());
    }
    if (!connection_.isConnected()) {
        problem_ = QStringLiteral("there is no D-Bus session bus");
        return;
    }
    if (!connection_.interface()->isServiceRegistered(kKwin).value()) {
        problem_ = QStringLiteral("KWin does not answer on the session bus");
        return;
    }
    if (!scriptDir_.isValid()) {
        problem_ =
            QStringLiteral("cannot write the scripts for KWin (%1)").arg(scriptDir_.errorString());
        return;
    }
    auto* callBacks = new KwinCallBacks(connection_, this);
    connect(callBacks, &KwinCallBacks::windowsReported, this, &KwinDesktop::takeReport);
    connect(callBacks, &KwinCallBacks::scriptDone, this, [this](const QString& name) {
        if (std::erase(running_, name) > 0)
            unloadScript(name);
    });
    if (!connection_.registerObject(kCallBackPath, callBacks,
                                    QDBusConnection::ExportScriptableSlots)) {
        problem_ = QStringLiteral("cannot take KWin's calls on the session bus");
        return;
    }
    callBack_ = {connection_.baseService(), kCallBackPath,
                 QStringLiteral("org.ombrel.Sarquen.KWinWindows")};
    watchName_ =
        QStringLiteral("ombrel-sarquen-%1-windows").arg(QCoreApplication::applicationPid());
    if (const QString error = runScript(watchName_, kwinWatchScript(callBack_)); !error.isEmpty()) {
        problem_ = QStringLiteral("KWin would not run the program's window script (%1)").arg(error);
        connection_.unregisterObject(kCallBackPath);
    }
}

KwinDesktop::~KwinDesktop()
{
    if (!callBack_.service.isEmpty())
        connection_.unregisterObject(kCallBackPath);
    if (!problem_.isEmpty())
        return;
    for (const QString& name : running_)
        unloadScript(name);
    unloadScript(watchName_);
}

QString KwinDesktop::runScript(const QString& name, const QString& text)
{
    // A script of that name left by an earlier run would keep the new one from loading.
    unloadScript(name);
    QFile file(scriptDir_.filePath(name + QStringLiteral(".js")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0 ||
        !file.flush())
        return file.errorString();
    file.close();
    const QDBusMessage loaded = callKwin(connection_, QStringLiteral("/Scripting"), kScripting,
                                         QStringLiteral("loadScript"), {file.fileName(), name});
    if (loaded.type() != QDBusMessage::ReplyMessage)
        return loaded.errorMessage();
    const int id = loaded.arguments().value(0, -1).toInt();
    if (id < 0)
        return QStringLiteral("KWin did not load it");
    // KWin 6 keeps its scripts under /Scripting, KWin 5 at the top.
    QString error;
    for (const QString& path :
         {QStringLiteral("/Scripting/Script%1").arg(id), QStringLiteral("/%1").arg(id)}) {
        const QDBusMessage ran = callKwin(connection_, path, QStringLiteral("org.kde.kwin.Script"),
                                          QStringLiteral("run"));
        if (ran.type() == QDBusMessage::ReplyMessage)
            return QString();
        error = ran.errorMessage();
    }
    unloadScript(name);
    return error;
}

void KwinDesktop::unloadScript(const QString& name)
{
    callKwin(connection_, QStringLiteral("/Scripting"), kScripting, QStringLiteral("unloadScript"),
             {name});
    QFile::remove(scriptDir_.filePath(name + QStringLiteral(".js")));
}

WindowId KwinDesktop::idOf(const QString& kwinId)
{
    auto [it, added] = ids_.try_emplace(kwinId, nextId_);
    if (added)
        ++nextId_;
    return it->second;
}

void KwinDesktop::takeReport(const QString& report)
{
    const QJsonObject root = QJsonDocument::fromJson(report.toUtf8()).object();
    std::vector<Window> windows;
    std::map<QString, WindowId> ids;
    for (const QJsonValue& value : root.value(QStringLiteral("windows")).toArray()) {
        const QJsonObject w = value.toObject();
        const QString kwinId = w.value(QStringLiteral("id")).toString();
        if (kwinId.isEmpty())
            continue;
        Window window{idOf(kwinId),
                      kwinId,
                      w.value(QStringLiteral("stacking")).toInt(),
                      w.value(QStringLiteral("minimized")).toBool(),
                      static_cast<qint64>(w.value(QStringLiteral("pid")).toDouble()),
                      w.value(QStringLiteral("caption")).toString()};
        ids.emplace(kwinId, window.id);
        windows.push_back(std::move(window));
    }
    const QString active = root.value(QStringLiteral("active")).toString();
    active_ = ids.contains(active) ? ids.at(active) : 0;
    // Windows gone are forgotten, so that the map does not grow for ever.
    ids_ = std::move(ids);
    windows_ = std::move(windows);
}

void KwinDesktop::act(KwinAction action, WindowId window)
{
    QString kwinId;
    if (action != KwinAction::ShowDesktop) {
        const auto found = std::find_if(windows_.begin(), windows_.end(),
                                        [window](const Window& w) { return w.id == window; });
        if (found == windows_.end())
            return;
        kwinId = found->kwinId;
    }
    const QString name = QStringLiteral("ombrel-sarquen-%1-command-%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(++scripts_);
    const QString text = kwinActionScript(action, kwinId, name, callBack_);
    if (!text.isEmpty() && runScript(name, text).isEmpty())
        running_.push_back(name);
}

void KwinDesktop::minimizeWindow(WindowId window)
{
    act(KwinAction::Minimize, window);
}

void KwinDesktop::maximizeWindow(WindowId window)
{
    act(KwinAction::Maximize, window);
}

void KwinDesktop::closeWindow(WindowId window)
{
    act(KwinAction::Close, window);
}

void KwinDesktop::restoreWindow(WindowId window)
{
    act(KwinAction::Restore, window);
}

void KwinDesktop::activateWindow(WindowId window)
{
    act(KwinAction::Activate, window);
}

std::vector<WindowId> KwinDesktop::windowsByRecentUse()
{
    // KWin stacks the window used last on top: the active one, then the one before it.
    std::vector<const Window*> stacked;
    for (const Window& w : windows_)
        stacked.push_back(&w);
    std::stable_sort(stacked.begin(), stacked.end(), [this](const Window* a, const Window* b) {
        if ((a->id == active_) != (b->id == active_))
            return a->id == active_;
        return a->stacking > b->stacking;
    });
    std::vector<WindowId> order;
    for (const Window* w : stacked)
        order.push_back(w->id);
    return order;
}

bool KwinDesktop::showDesktop()
{
    act(KwinAction::ShowDesktop, 0);
    return true;
}

void KwinDesktop::layoutChanged(uint layout)
{
    layout_ = layout;
    if (input_)
        input_->setLayout(layout);
}

bool KwinDesktop::switchLayout(std::uint32_t layout)
{
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.keyboard"), QStringLiteral("/Layouts"),
        QStringLiteral("org.kde.KeyboardLayouts"), QStringLiteral("setLayout"));
    ask << static_cast<uint>(layout);
    const QDBusMessage answer = connection_.call(ask, QDBus::Block, 2000);
    return answer.type() == QDBusMessage::ReplyMessage && answer.arguments().value(0).toBool();
}

void KwinDesktop::keyEvent(int virtualKey, bool down)
{
    if (input_)
        input_->keyEvent(virtualKey, down);
    else
        keysAndPointer_.keyEvent(virtualKey, down);
}

bool KwinDesktop::typeCharacter(char32_t character)
{
    if (!input_)
        return keysAndPointer_.typeCharacter(character);
    const xkb_keysym_t keysym = xkb_utf32_to_keysym(character);
    if (keysym == XKB_KEY_NoSymbol)
        return false;
    const auto switchTo = [this](std::uint32_t layout) {
        // KWin has every key sent before it switches.
        input_->sync();
        return switchLayout(layout);
    };
    return typeOnSomeLayout(input_->keys(), layout_, keysym, switchTo,
                            [&] { input_->typeCharacter(character); });
}

void KwinDesktop::syncInput()
{
    if (input_)
        input_->sync();
    else
        keysAndPointer_.syncInput();
}

void KwinDesktop::mouseButton(MouseButton button, bool down)
{
    if (input_)
        input_->button(button, down);
    else
        keysAndPointer_.mouseButton(button, down);
}

void KwinDesktop::moveMouse(int dx, int dy)
{
    if (input_)
        input_->move(dx, dy);
    else
        keysAndPointer_.moveMouse(dx, dy);
}

void KwinDesktop::setMousePosition(int x, int y)
{
    if (input_)
        input_->moveTo(x, y);
    else
        keysAndPointer_.setMousePosition(x, y);
}

QPoint KwinDesktop::mousePosition()
{
    return input_ ? input_->position() : keysAndPointer_.mousePosition();
}

} // namespace platform
