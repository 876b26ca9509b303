#include "tests/support/FakeScriptHost.h"

#include <QTimer>
#include <stdexcept>

void FakeScriptHost::record(const QString& call)
{
    calls << call;
    if (journal)
        *journal << call;
    if (call == failing)
        throw std::runtime_error("the window has gone");
}

void FakeScriptHost::say(const QString& text)
{
    record(QStringLiteral("say ") + text);
    QTimer::singleShot(0, this, [this] {
        if (duringSpeech)
            duringSpeech();
        if (speechEnds) {
            record(QStringLiteral("speech done"));
            speakingFlag = 0;
        }
    });
}

void FakeScriptHost::exitProgram()
{
    record(QStringLiteral("exitProgram"));
    ended = true;
}
