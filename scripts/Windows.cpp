#include "scripts/Windows.h"

#include "platform/session/Session.h"

void ExitSystem(platform::Session& session, int flags)
{
    switch (flags) {
    case kExitLogOff:
        session.logOff();
        break;
    case kExitShutDown:
        session.shutDown();
        break;
    case kExitReboot:
        session.reboot();
        break;
    default:
        break;
    }
}
