#pragma once

#include <QString>

namespace platform {

// Where the scripts the program loads into KWin send what they have to say: a D-Bus
// method call to the program's own connection.
struct KwinCallBack
{
    QString service; // the program's unique name on the session bus
    QString path;
    QString interface;
};

enum class KwinAction
{
    Close,
    Minimize,
    Maximize,
    Restore,  // un-minimised, un-maximised and activated
    Activate, // un-minimised and activated
    ShowDesktop,
};

// The script that stays in KWin while the program runs and calls back "windows" with a
// JSON report whenever a window comes, goes, is activated, (un)minimised or renamed:
// {"active": id, "windows": [{"id", "stacking", "minimized", "pid", "caption"}]}. The
// windows are those a task bar would show. Written for KWin 5 and 6 alike.
QString kwinWatchScript(const KwinCallBack& callBack);

// A script that does `action` to the window with KWin's id `window` (none for
// ShowDesktop), then calls back "done" with `name`. Empty when `window` is not an id
// KWin gives (it ends up inside the script).
QString kwinActionScript(KwinAction action, const QString& window, const QString& name,
                         const KwinCallBack& callBack);

} // namespace platform
