#include "app/TalkKeyLink.h"

#include "launcher/Launcher.h"
#include "platform/choice/SessionDesktop.h"
#include "platform/portal/GlobalShortcutsPortal.h"
#include "platform/x11/X11TalkKey.h"

#include <QDBusConnection>
#include <QProcessEnvironment>

namespace {

template <class Watch> void passPresses(Watch* watch, Launcher& launcher)
{
    QObject::connect(watch, &Watch::pressed, &launcher, &Launcher::talkKeyDown);
    QObject::connect(watch, &Watch::released, &launcher, &Launcher::talkKeyUp);
}

std::unique_ptr<QObject> linkX11(Launcher& launcher)
{
    auto key = std::make_unique<platform::X11TalkKey>();
    platform::X11TalkKey* watch = key.get();
    launcher.setTalkKeyWatch([watch](const QString& name, QString* error) {
        if (name.isEmpty()) {
            watch->release();
            return true;
        }
        return watch->grab(name, error);
    });
    passPresses(watch, launcher);
    return key;
}

// The portal is asked for on the first key picked, not at start: where the desktop has
// no portal, finding that out may take a while.
class PortalTalkKey : public QObject
{
public:
    explicit PortalTalkKey(Launcher& launcher) : launcher_(launcher) {}

    void watch(const QString& name)
    {
        key_ = name;
        if (!portal_) {
            if (name.isEmpty())
                return;
            open();
        }
        if (!portal_->problem().isEmpty()) {
            if (!name.isEmpty())
                launcher_.talkKeyTold(
                    QStringLiteral("this desktop lets no program watch %1 (%2); bind %1 to "
                                   "\"zorv /talk\" in its keyboard shortcuts.")
                        .arg(name, portal_->problem()),
                    false);
            return;
        }
        portal_->bind(name);
    }

private:
    void open()
    {
        portal_ = std::make_unique<platform::GlobalShortcutsPortal>(QDBusConnection::sessionBus());
        passPresses(portal_.get(), launcher_);
        connect(portal_.get(), &platform::GlobalShortcutsPortal::refused, this,
                [this](const QString& why) { launcher_.talkKeyTold(why, true); });
        connect(portal_.get(), &platform::GlobalShortcutsPortal::bound, this,
                [this](const QString& trigger) {
                    if (trigger.isEmpty())
                        launcher_.talkKeyTold(
                            QStringLiteral("give \"Ombrel Sarquen: push to talk\" a key in the "
                                           "desktop's shortcut settings (%1 was asked for).")
                                .arg(key_),
                            false);
                    else if (trigger != key_)
                        launcher_.talkKeyTold(
                            QStringLiteral("the desktop gave it the key %1.").arg(trigger), false);
                });
    }

    Launcher& launcher_;
    std::unique_ptr<platform::GlobalShortcutsPortal> portal_;
    QString key_;
};

std::unique_ptr<QObject> linkPortal(Launcher& launcher)
{
    auto key = std::make_unique<PortalTalkKey>(launcher);
    PortalTalkKey* watch = key.get();
    // The desktop answers later; what it refuses is told then.
    launcher.setTalkKeyWatch([watch](const QString& name, QString*) {
        watch->watch(name);
        return true;
    });
    return key;
}

} // namespace

std::unique_ptr<QObject> linkTalkKey(Launcher& launcher)
{
    if (platform::sessionDesktop(QProcessEnvironment::systemEnvironment()).kind ==
        platform::DesktopKind::X11)
        return linkX11(launcher);
    return linkPortal(launcher);
}
