#pragma once

#include <cstdint>

class QString;

// What a running script asks of the main window.
class ScriptHost
{
public:
    virtual ~ScriptHost() = default;

    // Expands the text macros and speaks the result; returns before the speech ends.
    virtual void say(const QString& text) = 0;
    // The flag that the end of the speech clears (0 or -1).
    virtual std::int16_t& speaking() = 0;

    virtual void stopListening() = 0;
    virtual void startListening() = 0;

    virtual void minwin() = 0;
    virtual void maxwin() = 0;
    virtual void closewin() = 0;
    virtual void restorewin() = 0;

    // Ends the program at once; afterwards hasEnded() is true and nothing else runs.
    virtual void exitProgram() = 0;
    virtual bool hasEnded() const = 0;
};
