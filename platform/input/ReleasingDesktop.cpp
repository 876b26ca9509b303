#include "platform/input/ReleasingDesktop.h"

#include "platform/input/InputRecord.h"
#include "platform/input/VirtualKeys.h"

namespace platform {

namespace {

QString keyEntry(int virtualKey)
{
    return QStringLiteral("key %1").arg(virtualKey);
}

QString buttonEntry(int button)
{
    return QStringLiteral("button %1").arg(button);
}

} // namespace

ReleasingDesktop::ReleasingDesktop(Desktop& desktop, InputRecord& record)
    : desktop_(desktop), record_(record)
{
}

ReleasingDesktop::~ReleasingDesktop()
{
    releaseAll();
}

void ReleasingDesktop::keyEvent(int virtualKey, bool down)
{
    // Other keys are tapped when they go down: only modifiers stay held. A held one is
    // noted before it goes down and forgotten after it comes up, so a run killed at any
    // point leaves a note of everything it holds.
    const bool held = isModifierKey(virtualKey);
    if (held && down && keys_.insert(virtualKey).second)
        record_.add(keyEntry(virtualKey));
    desktop_.keyEvent(virtualKey, down);
    if (held && !down && keys_.erase(virtualKey) > 0)
        record_.remove(keyEntry(virtualKey));
}

void ReleasingDesktop::mouseButton(MouseButton button, bool down)
{
    const int n = static_cast<int>(button);
    if (down && buttons_.insert(n).second)
        record_.add(buttonEntry(n));
    desktop_.mouseButton(button, down);
    if (!down && buttons_.erase(n) > 0)
        record_.remove(buttonEntry(n));
}

void ReleasingDesktop::releaseAll()
{
    const std::set<int> keys = keys_;
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        keyEvent(*key, false);
    const std::set<int> buttons = buttons_;
    for (const int button : buttons)
        mouseButton(static_cast<MouseButton>(button), false);
    desktop_.syncInput();
}

void ReleasingDesktop::releaseLeftOver(const QStringList& entries)
{
    for (const QString& entry : entries) {
        const QStringList words = entry.split(u' ');
        bool ok = false;
        const int n = words.value(1).toInt(&ok);
        if (!ok || words.size() != 2)
            continue;
        if (words[0] == QLatin1String("key") && isModifierKey(n))
            desktop_.keyEvent(n, false);
        else if (words[0] == QLatin1String("button") && n >= 0 && n <= 2)
            desktop_.mouseButton(static_cast<MouseButton>(n), false);
    }
    desktop_.syncInput();
}

} // namespace platform
