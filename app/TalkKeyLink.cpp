#include "app/TalkKeyLink.h"

#include "launcher/Launcher.h"
#include "platform/choice/SessionDesktop.h"
#include "platform/x11/X11TalkKey.h"

#include <QProcessEnvironment>

std::unique_ptr<QObject> linkTalkKey(Launcher& launcher)
{
    if (platform::sessionDesktop(QProcessEnvironment::systemEnvironment()).kind !=
        platform::DesktopKind::X11)
        return nullptr;
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
