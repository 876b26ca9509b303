#include "platform/kde/KwinScripts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace platform {

namespace {

// A text as a JavaScript string literal.
QString quoted(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// What both kinds of script share: KWin 6 renamed the scripting API's "client" to
// "window", so each name is looked up where it is.
QString prelude(const KwinCallBack& callBack)
{
    return QStringLiteral(R"(var sarquenCall = function (method, argument) {
    callDBus(%1, %2, %3, method, argument);
};
var sarquenWindows = function () {
    return workspace.windowList ? workspace.windowList() : workspace.clientList();
};
var sarquenActive = function () {
    return workspace.activeWindow !== undefined ? workspace.activeWindow : workspace.activeClient;
};
var sarquenActivate = function (w) {
    if (workspace.activeWindow !== undefined)
        workspace.activeWindow = w;
    else
        workspace.activeClient = w;
};
)")
        .arg(quoted(callBack.service), quoted(callBack.path), quoted(callBack.interface));
}

} // namespace

QString kwinWatchScript(const KwinCallBack& callBack)
{
    return prelude(callBack) + QStringLiteral(R"(
var sarquenReport = function (gone) {
    var active = sarquenActive();
    var all = sarquenWindows();
    var windows = [];
    for (var i = 0; i < all.length; ++i) {
        var w = all[i];
        if (w === gone || !(w.normalWindow || w.dialog) || w.skipTaskbar)
            continue;
        windows.push({id: String(w.internalId), stacking: w.stackingOrder,
                      minimized: w.minimized, pid: w.pid, caption: w.caption});
    }
    sarquenCall("windows", JSON.stringify({
        active: active && active !== gone ? String(active.internalId) : "",
        windows: windows}));
};
var sarquenWatch = function (w) {
    ["minimizedChanged", "captionChanged"].forEach(function (name) {
        if (w && w[name])
            w[name].connect(function () { sarquenReport(null); });
    });
};
var sarquenSignals = ["clientActivated", "windowActivated", "clientMinimized",
                      "clientUnminimized"];
for (var s = 0; s < sarquenSignals.length; ++s) {
    if (workspace[sarquenSignals[s]])
        workspace[sarquenSignals[s]].connect(function () { sarquenReport(null); });
}
["clientAdded", "windowAdded"].forEach(function (name) {
    if (workspace[name])
        workspace[name].connect(function (w) { sarquenWatch(w); sarquenReport(null); });
});
["clientRemoved", "windowRemoved"].forEach(function (name) {
    if (workspace[name])
        workspace[name].connect(function (w) { sarquenReport(w); });
});
sarquenWindows().forEach(sarquenWatch);
sarquenReport(null);
)");
}

QString kwinActionScript(KwinAction action, const QString& window, const QString& name,
                         const KwinCallBack& callBack)
{
    static const QRegularExpression id(QStringLiteral("^\\{[0-9a-fA-F-]{36}\\}$"));
    if (action != KwinAction::ShowDesktop && !id.match(window).hasMatch())
        return QString();
    QString does;
    switch (action) {
    case KwinAction::Close:
        does = QStringLiteral("w.closeWindow();");
        break;
    case KwinAction::Minimize:
        does = QStringLiteral("w.minimized = true;");
        break;
    case KwinAction::Maximize:
        does = QStringLiteral("w.setMaximize(true, true);");
        break;
    case KwinAction::Restore:
        does = QStringLiteral("w.minimized = false; w.setMaximize(false, false); "
                              "sarquenActivate(w);");
        break;
    case KwinAction::Activate:
        does = QStringLiteral("w.minimized = false; sarquenActivate(w);");
        break;
    case KwinAction::ShowDesktop:
        return prelude(callBack) + QStringLiteral(R"(
if (typeof workspace.slotToggleShowDesktop === "function")
    workspace.slotToggleShowDesktop();
else
    workspace.showingDesktop = !workspace.showingDesktop;
sarquenCall("done", %1);
)")
                                       .arg(quoted(name));
    }
    return prelude(callBack) + QStringLiteral(R"(
sarquenWindows().forEach(function (w) {
    if (String(w.internalId) === %1) {
        %2
    }
});
sarquenCall("done", %3);
)")
                                   .arg(quoted(window), does, quoted(name));
}

} // namespace platform
