#include "tests/support/FakeDesktop.h"

using namespace platform;

void RecordingCalls::record(const QString& call)
{
    calls << call;
    if (journal)
        *journal << call;
}

void FakeDesktop::minimizeWindow(WindowId w)
{
    record(QStringLiteral("minimize %1").arg(w));
}

void FakeDesktop::maximizeWindow(WindowId w)
{
    record(QStringLiteral("maximize %1").arg(w));
}

void FakeDesktop::closeWindow(WindowId w)
{
    record(QStringLiteral("close %1").arg(w));
}

bool FakeDesktop::showDesktop()
{
    if (showsDesktopItself)
        record(QStringLiteral("show desktop"));
    return showsDesktopItself;
}

void FakeDesktop::activateWindow(WindowId w)
{
    record(QStringLiteral("activate %1").arg(w));
}

void FakeDesktop::restoreWindow(WindowId w)
{
    record(QStringLiteral("restore %1").arg(w));
}

void FakeDesktop::keyEvent(int virtualKey, bool down)
{
    record(QStringLiteral("key 0x%1 %2")
               .arg(virtualKey, 2, 16, QLatin1Char('0'))
               .arg(down ? QStringLiteral("down") : QStringLiteral("up")));
}

bool FakeDesktop::typeCharacter(char32_t character)
{
    record(QStringLiteral("type %1").arg(QString::fromUcs4(&character, 1)));
    return untypable.find(character) == std::u32string::npos;
}

void FakeDesktop::mouseButton(MouseButton button, bool down)
{
    static const char* const names[] = {"left", "right", "middle"};
    record(QStringLiteral("mouse %1 %2")
               .arg(QString::fromLatin1(names[static_cast<int>(button)]),
                    down ? QStringLiteral("down") : QStringLiteral("up")));
}

void FakeDesktop::moveMouse(int dx, int dy)
{
    record(QStringLiteral("move %1 %2").arg(dx).arg(dy));
    pointer += QPoint(dx, dy);
}

void FakeDesktop::setMousePosition(int x, int y)
{
    record(QStringLiteral("position %1 %2").arg(x).arg(y));
    pointer = QPoint(x, y);
}

int FakeShell::shellExecute(const QString& file, const QString& parameters,
                            const QString& directory, int showCommand)
{
    record(QStringLiteral("execute [%1] [%2] [%3] %4")
               .arg(file, parameters, directory)
               .arg(showCommand));
    return executeResult;
}

bool FakeShell::startCommandLine(const QString& commandLine, const QString& directory,
                                 int showCommand)
{
    record(QStringLiteral("start [%1] [%2] %3").arg(commandLine, directory).arg(showCommand));
    return startResult;
}

bool FakeAudio::playSoundFile(const QString& path)
{
    record(QStringLiteral("play %1").arg(path));
    return playable;
}

void FakeAudio::beep()
{
    record(QStringLiteral("beep"));
}
