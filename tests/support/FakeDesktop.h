#pragma once

#include "platform/audio/Audio.h"
#include "platform/desktop/Desktop.h"
#include "platform/session/Session.h"
#include "platform/shell/Shell.h"

#include <QStringList>
#include <string>

// Fakes of the desktop services that record every request in `calls`, in order, as
// short texts ("minimize 7", "key 0x5b down", "beep", ...), in a shared journal when
// `journal` is set.
class RecordingCalls
{
public:
    QStringList calls;
    QStringList* journal = nullptr;

protected:
    void record(const QString& call);
};

class FakeDesktop : public platform::Desktop, public RecordingCalls
{
public:
    platform::WindowId activeWindow() override { return active; }
    void minimizeWindow(platform::WindowId w) override;
    void maximizeWindow(platform::WindowId w) override;
    void closeWindow(platform::WindowId w) override;
    void restoreWindow(platform::WindowId w) override;
    void keyEvent(int virtualKey, bool down) override;
    bool typeCharacter(char32_t character) override;
    void syncInput() override { record(QStringLiteral("sync")); }
    void mouseButton(platform::MouseButton button, bool down) override;
    void moveMouse(int dx, int dy) override;
    void setMousePosition(int x, int y) override;
    QPoint mousePosition() override { return pointer; }
    std::vector<platform::WindowId> windowsByRecentUse() override { return recentUse; }
    void activateWindow(platform::WindowId w) override;
    bool showDesktop() override;

    platform::WindowId active = 0;
    std::vector<platform::WindowId> recentUse;
    bool showsDesktopItself = false;
    // Characters the keyboard has no key for: typeCharacter refuses them.
    std::u32string untypable;
    QPoint pointer;
};

class FakeShell : public platform::Shell, public RecordingCalls
{
public:
    int shellExecute(const QString& file, const QString& parameters, const QString& directory,
                     int showCommand) override;
    bool startCommandLine(const QString& commandLine, const QString& directory,
                          int showCommand) override;

    int executeResult = 42; // what shellExecute answers
    bool startResult = true;
};

class FakeAudio : public platform::Audio, public RecordingCalls
{
public:
    bool playSoundFile(const QString& path) override;
    void beep() override;

    bool playable = true; // whether files count as sound
};

class FakeSession : public platform::Session, public RecordingCalls
{
public:
    void logOff() override { record(QStringLiteral("logOff")); }
    void shutDown() override { record(QStringLiteral("shutDown")); }
    void reboot() override { record(QStringLiteral("reboot")); }
};
