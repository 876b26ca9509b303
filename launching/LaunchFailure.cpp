#include "launching/LaunchFailure.h"

#include "common/AppTitle.h"
#include "launching/sheller.h"
#include "platform/dialogs/Dialogs.h"

void tellLaunchFailed(platform::Dialogs& dialogs, const LaunchError& error, std::FILE* notices)
{
    const QString text = QStringLiteral("SQ Error 10: File Not Found");
    std::fprintf(notices, "zorv: %s: %s\n", text.toLocal8Bit().constData(),
                 error.commandLine().toLocal8Bit().constData());
    std::fflush(notices);
    dialogs.messageBox(text + QLatin1Char('\n') + error.commandLine(), appTitle(),
                       platform::MsgButtons::Ok, platform::MsgIcon::None);
}
