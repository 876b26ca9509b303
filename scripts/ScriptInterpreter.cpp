#include "scripts/ScriptInterpreter.h"

#include "common/AppTitle.h"
#include "launching/LaunchFailure.h"
#include "launching/sheller.h"
#include "platform/Platform.h"
#include "platform/dialogs/Dialogs.h"
#include "scripts/Mouse.h"
#include "scripts/ScriptHost.h"
#include "scripts/TextMacros.h"
#include "scripts/Windows.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <exception>
#include <optional>

namespace {

// A command that cannot be carried out; `description` tells the user what was wrong.
struct ScriptError
{
    QString description;
};

// How often a waiting script looks whether its time is up, in milliseconds.
constexpr int kLiveMs = 50;
// How many lines a script runs at most before the windows get their turn (a line that
// does not wait takes microseconds).
constexpr int kLinesPerTurn = 100;

// The lines of a script file: UTF-8 (a leading byte-order mark is dropped), each line
// ended by "\r\n" or "\n"; the last line may go without an ending.
QStringList scriptLines(const QByteArray& bytes)
{
    QStringDecoder decode(QStringConverter::Utf8);
    QStringList lines = QString(decode(bytes)).split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast(); // what follows the ending of the last line
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

// A whole decimal number in 32 bits, with an optional sign and spaces around it;
// nothing for any other text.
std::optional<int> wholeNumber(QStringView text)
{
    while (!text.isEmpty() && text.front() == u' ')
        text = text.mid(1);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > qint64(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

// The two numbers of "$mousepos$" and "$mousemove$": the text before the first space and
// the text after it.
std::pair<int, int> numberPair(const QString& argument, const QString& what)
{
    const qsizetype space = argument.indexOf(u' ');
    const auto first = space < 0 ? std::nullopt : wholeNumber(QStringView(argument).left(space));
    const auto second =
        space < 0 ? std::nullopt : wholeNumber(QStringView(argument).mid(space + 1));
    if (!first || !second) {
        throw ScriptError{QStringLiteral("%1 needs two whole numbers separated by a space: %2")
                              .arg(what, argument)};
    }
    return {*first, *second};
}

void clickMouse(platform::Desktop& desktop, const QString& argument)
{
    using Action = void (*)(platform::Desktop&);
    static const std::pair<const char16_t*, Action> buttons[] = {
        {u"left", &Mouse::LeftClick},     {u"right", &Mouse::RightClick},
        {u"middle", &Mouse::MiddleClick}, {u"leftdown", &Mouse::LeftDown},
        {u"leftup", &Mouse::LeftUp},      {u"middledown", &Mouse::MiddleDown},
        {u"middleup", &Mouse::MiddleUp},  {u"rightdown", &Mouse::RightDown},
        {u"rightup", &Mouse::RightUp}};
    // The word is matched whole after lower-casing, without trimming: " left" is no word.
    const QString word = argument.toLower();
    for (const auto& [name, action] : buttons) {
        if (word == QStringView(name)) {
            action(desktop);
            return;
        }
    }
}

} // namespace

QString scriptsFolder(const QString& appPath)
{
    return appPath + QStringLiteral("Scripts/");
}

bool isScriptPath(const QString& path)
{
    return path.right(3).toLower() == u"kps";
}

ScriptInterpreter::ScriptInterpreter(ScriptHost& host, const platform::Platform& platform,
                                     TypeKeys typeKeys, Sleep sleep)
    : host_(host), platform_(platform), typeKeys_(std::move(typeKeys)), sleep_(std::move(sleep))
{
}

void ScriptInterpreter::wait(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (deadline.hasExpired() || host_.hasEnded())
            loop.quit();
    });
    look.start(std::clamp(milliseconds, 0, kLiveMs));
    loop.exec();
}

bool ScriptInterpreter::CheckScript(QString& path)
{
    if (path.endsWith(QChar(u'\0')))
        path.chop(1);
    // An empty target is no script and runs nothing.
    if (!isScriptPath(path))
        return false;
    RunScript(path);
    return true;
}

void ScriptInterpreter::RunScript(const QString& path)
{
    // Only one script runs at a time. Another one can only be asked for while this one
    // waits for its speech (the event loop runs then); it is refused rather than queued,
    // so that a command spoken meanwhile does not fire later out of context.
    if (running_)
        return;
    running_ = true;
    const auto done = qScopeGuard([this] { running_ = false; });

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reportError(
            QString(),
            QStringLiteral("The script %1 could not be opened: %2").arg(path, file.errorString()));
        return;
    }
    const QStringList lines = scriptLines(file.readAll());
    file.close();

    int sinceTurn = 0;
    for (const QString& line : lines) {
        if (++sinceTurn == kLinesPerTurn) {
            sinceTurn = 0;
            QCoreApplication::processEvents();
            if (host_.hasEnded())
                return;
        }
        // The keyword runs from the first "$" to the next "$" searched from the second
        // character on; the argument is everything after it. A line whose first "$" is
        // not in the first column thus gets the keyword "$" and does nothing.
        const qsizetype close = line.indexOf(u'$', 1);
        // A line without a closing "$" (no "$" at all, a blank line, or a lone "$" at the
        // start) carries no command and is skipped, wherever it stands in the file.
        if (close < 0)
            continue;
        const qsizetype first = line.indexOf(u'$');
        const QString keyword = line.mid(first, close + 1 - first).toLower();
        const QString argument = line.mid(close + 1);
        try {
            if (!execute(keyword, argument))
                return;
        } catch (const ScriptError& e) {
            reportError(keyword, e.description);
            return;
        } catch (const std::exception& e) {
            // A main-window action or the speech failed.
            reportError(keyword, QString::fromUtf8(e.what()));
            return;
        }
    }
}

// Carries out one command; false when the program has ended and nothing more may run.
bool ScriptInterpreter::execute(const QString& keyword, const QString& argument)
{
    platform::Desktop& desktop = *platform_.desktop;
    if (keyword == u"$say$") {
        say(argument);
    } else if (keyword == u"$run$") {
        try {
            ShellLaunch(*platform_.shell, argument, 1);
        } catch (const LaunchError& e) {
            // A launch failure is reported, and the script goes on.
            tellLaunchFailed(*platform_.dialogs, e);
        }
    } else if (keyword == u"$stop$") {
        host_.stopListening();
    } else if (keyword == u"$start$") {
        host_.startListening();
    } else if (keyword == u"$type$") {
        QString error;
        if (!typeKeys_(argument, &error)) {
            throw ScriptError{
                QStringLiteral("The keys to type could not be read: %1%2")
                    .arg(argument, error.isEmpty() ? QString() : QLatin1Char('\n') + error)};
        }
    } else if (keyword == u"$mousepos$") {
        const auto [x, y] = numberPair(argument, QStringLiteral("The mouse position"));
        Mouse::SetMousePos(desktop, x, y);
    } else if (keyword == u"$mousemove$") {
        const auto [dx, dy] = numberPair(argument, QStringLiteral("The mouse movement"));
        Mouse::MoveMouse(desktop, dx, dy);
    } else if (keyword == u"$mouseclick$") {
        clickMouse(desktop, argument);
    } else if (keyword == u"$wait$") {
        const auto seconds = wholeNumber(argument);
        if (!seconds || *seconds > kMaxWaitSeconds) {
            throw ScriptError{
                QStringLiteral("The wait needs a whole number of seconds, at most %1: %2")
                    .arg(kMaxWaitSeconds)
                    .arg(argument)};
        }
        // A negative wait waits nothing.
        const int milliseconds = std::max(0, *seconds) * 1000;
        if (sleep_)
            sleep_(milliseconds);
        else
            wait(milliseconds);
    } else if (keyword == u"$minwin$") {
        host_.minwin();
    } else if (keyword == u"$maxwin$") {
        host_.maxwin();
    } else if (keyword == u"$closewin$") {
        host_.closewin();
    } else if (keyword == u"$restorewin$") {
        host_.restorewin();
    } else if (keyword == u"$exitzorv$") {
        host_.exitProgram();
        return false;
    } else if (keyword == u"$reboot$") {
        ExitSystem(*platform_.session, kExitReboot);
    } else if (keyword == u"$shutdown$") {
        ExitSystem(*platform_.session, kExitShutDown);
    } else if (keyword == u"$logoff$") {
        ExitSystem(*platform_.session, kExitLogOff);
    }
    // Any other keyword does nothing.
    return !host_.hasEnded();
}

void ScriptInterpreter::say(const QString& text)
{
    host_.say(text);
    // Text that comes to nothing may never get an end-of-speech report, so it is not
    // waited for. Only unknown tokens expand to nothing, so this does not depend on the
    // time.
    if (expandMacros(text, *platform_.clock).isEmpty())
        return;
    // The main window clears the flag when the speech has ended. Meanwhile events are
    // handled, so the windows stay live and a command spoken meanwhile is dispatched.
    std::int16_t& speaking = host_.speaking();
    speaking = -1;
    while (speaking != 0 && !host_.hasEnded())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void ScriptInterpreter::reportError(const QString& keyword, const QString& description)
{
    platform_.dialogs->messageBox(QStringLiteral("Syntax error in '%1'").arg(keyword),
                                  QStringLiteral("Syntax Error)"), platform::MsgButtons::Ok,
                                  platform::MsgIcon::None);
    platform_.dialogs->messageBox(description, appTitle(), platform::MsgButtons::Ok,
                                  platform::MsgIcon::None);
}
