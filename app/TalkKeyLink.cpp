#include "app/TalkKeyLink.h"

#include "launcher/Launcher.h"
#include "platform/choice/SessionDesktop.h"
#include "platform/gnome/GnomeTalkKey.h"
#include "platform/kde/KwinTalkKey.h"
#include "platform/portal/GlobalShortcutsPortal.h"
#include "platform/x11/X11TalkKey.h"

#include <QDBusConnection>
#include <QProcessEnvironment>

namespace {

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
    QObject::connect(watch, &platform::X11TalkKey::pressed, &launcher, &Launcher::talkKeyDown);
    QObject::connect(watch, &platform::X11TalkKey::released, &launcher, &Launcher::talkKeyUp);
    return key;
}

// On Wayland: on Plasma KWin's own global shortcuts (held as on X11); else the desktop
// portal's global shortcuts where the desktop offers them (held too); else, on GNOME,
// the program's Shell extension (each press is one utterance); else the user is told to
// bind the key to "/talk". The desktop is asked on the first key picked, not at start:
// where it has no portal, finding that out may take a while.
class WaylandTalkKey : public QObject
{
public:
    WaylandTalkKey(Launcher& launcher, platform::DesktopKind kind)
        : launcher_(launcher), kind_(kind)
    {
    }

    bool watch(const QString& name, QString* error)
    {
        key_ = name;
        if (!opened_) {
            if (name.isEmpty())
                return true;
            open();
        }
        if (kwinKey_)
            return kwinKey_->watch(name, error);
        if (portal_) {
            portal_->bind(name);
            return true;
        }
        QString why;
        if (gnomeKey_) {
            switch (gnomeKey_->watch(name, &why)) {
            case platform::GnomeTalkKey::Answer::Taken:
                return true;
            case platform::GnomeTalkKey::Answer::Refused:
                *error = why;
                return false;
            case platform::GnomeTalkKey::Answer::NoExtension:
                break;
            }
        }
        if (!name.isEmpty())
            launcher_.talkKeyTold(QStringLiteral("this desktop lets no program watch %1 (%2); "
                                                 "bind %1 to \"zorv /talk\" in its keyboard "
                                                 "shortcuts.")
                                      .arg(name, why.isEmpty() ? problem_ : why),
                                  false);
        return true;
    }

private:
    void open()
    {
        opened_ = true;
        if (kind_ == platform::DesktopKind::Kde) {
            auto kwin = std::make_unique<platform::KwinTalkKey>();
            if (kwin->problem().isEmpty()) {
                kwinKey_ = std::move(kwin);
                connect(kwinKey_.get(), &platform::KwinTalkKey::pressed, &launcher_,
                        &Launcher::talkKeyDown);
                connect(kwinKey_.get(), &platform::KwinTalkKey::released, &launcher_,
                        &Launcher::talkKeyUp);
                return;
            }
        }
        auto portal =
            std::make_unique<platform::GlobalShortcutsPortal>(QDBusConnection::sessionBus());
        problem_ = portal->problem();
        if (!problem_.isEmpty()) {
            if (kind_ == platform::DesktopKind::Gnome) {
                gnomeKey_ = std::make_unique<platform::GnomeTalkKey>();
                connect(gnomeKey_.get(), &platform::GnomeTalkKey::pressed, &launcher_,
                        &Launcher::talkOnce);
            }
            return;
        }
        portal_ = std::move(portal);
        connect(portal_.get(), &platform::GlobalShortcutsPortal::pressed, &launcher_,
                &Launcher::talkKeyDown);
        connect(portal_.get(), &platform::GlobalShortcutsPortal::released, &launcher_,
                &Launcher::talkKeyUp);
        connect(portal_.get(), &platform::GlobalShortcutsPortal::refused, this,
                [this](const QString& why) { launcher_.talkKeyTold(why, true); });
        connect(portal_.get(), &platform::GlobalShortcutsPortal::bound, this,
                [this](const QString& trigger) { told(trigger); });
    }

    void told(const QString& trigger)
    {
        if (trigger.isEmpty())
            launcher_.talkKeyTold(QStringLiteral("give \"Ombrel Sarquen: push to talk\" a key in "
                                                 "the desktop's shortcut settings (%1 was asked "
                                                 "for).")
                                      .arg(key_),
                                  false);
        else if (trigger != key_)
            launcher_.talkKeyTold(QStringLiteral("the desktop gave it the key %1.").arg(trigger),
                                  false);
    }

    Launcher& launcher_;
    const platform::DesktopKind kind_;
    bool opened_ = false;
    std::unique_ptr<platform::KwinTalkKey> kwinKey_;
    std::unique_ptr<platform::GlobalShortcutsPortal> portal_;
    std::unique_ptr<platform::GnomeTalkKey> gnomeKey_;
    QString key_;
    QString problem_;
};

} // namespace

std::unique_ptr<QObject> linkTalkKey(Launcher& launcher)
{
    const platform::DesktopKind kind =
        platform::sessionDesktop(QProcessEnvironment::systemEnvironment()).kind;
    if (kind == platform::DesktopKind::X11)
        return linkX11(launcher);
    auto key = std::make_unique<WaylandTalkKey>(launcher, kind);
    WaylandTalkKey* watch = key.get();
    // The portal answers later; what it refuses is told then.
    launcher.setTalkKeyWatch(
        [watch](const QString& name, QString* error) { return watch->watch(name, error); });
    return key;
}
