#pragma once

#include "scripts/ScriptHost.h"

#include <QObject>
#include <QStringList>
#include <functional>

// A main window for scripts that records each request in `calls` ("say Hello",
// "minwin", ...), also in `journal` when set. Speech ends on the next turn of the event
// loop, the way the synthesiser reports it: first `duringSpeech` runs, then, unless
// `speechEnds` is false, "speech done" is recorded and `speaking` cleared.
class FakeScriptHost : public QObject, public ScriptHost
{
public:
    void say(const QString& text) override;
    std::int16_t& speaking() override { return speakingFlag; }
    void stopListening() override { record(QStringLiteral("stopListening")); }
    void startListening() override { record(QStringLiteral("startListening")); }
    void minwin() override { record(QStringLiteral("minwin")); }
    void maxwin() override { record(QStringLiteral("maxwin")); }
    void closewin() override { record(QStringLiteral("closewin")); }
    void restorewin() override { record(QStringLiteral("restorewin")); }
    void exitProgram() override;
    bool hasEnded() const override { return ended; }

    QStringList calls;
    QStringList* journal = nullptr;
    std::int16_t speakingFlag = 0;
    bool ended = false;
    bool speechEnds = true;
    std::function<void()> duringSpeech;
    // The request that fails with an exception, as named in `calls`.
    QString failing;

private:
    void record(const QString& call);
};
