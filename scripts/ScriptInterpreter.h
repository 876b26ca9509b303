#pragma once

#include <QString>
#include <functional>

class ScriptHost;
namespace platform {
struct Platform;
}

// Scripts are text files in the folder "Scripts/" beside the program, named "*.kps".
inline constexpr char kScriptExtension[] = ".kps";
// `appPath` followed by "Scripts/" (`appPath` ends in "/").
QString scriptsFolder(const QString& appPath);
// A target is a script when the last three characters of its path, lower-cased, are
// "kps"; the dot is not required ("x.KPS" and "xkps" both are).
bool isScriptPath(const QString& path);

// Runs script files: one command per line, a keyword between two "$" in the first
// column followed directly by its argument ("$say$Hello", "$mousepos$100 200").
// Keywords ignore case, arguments are taken verbatim. The first faulty command shows
// two message boxes ("Syntax error in '$keyword$'" and what was wrong) and ends the
// script. Everything runs on the calling (user-interface) thread.
class ScriptInterpreter
{
public:
    // Sends keys written in the "$type$" key notation to the focused window and returns
    // once they have been processed. Returns false, sending nothing, when the text is not
    // valid notation; `error` then says why.
    using TypeKeys = std::function<bool(const QString& keys, QString* error)>;
    // Waits the given number of milliseconds.
    using Sleep = std::function<void(int milliseconds)>;

    // The longest "$wait$", in seconds.
    static constexpr int kMaxWaitSeconds = 3600;

    // `platform` must provide dialogs, clock, desktop, shell and session. Without `sleep`,
    // "$wait$" waits with the windows live (see wait()).
    ScriptInterpreter(ScriptHost& host, const platform::Platform& platform, TypeKeys typeKeys,
                      Sleep sleep = {});

    // Runs `path` when it names a script and returns true once the script has ended;
    // false for anything else, which runs nothing. A NUL at the end of `path` (targets
    // read from the store carry one) is removed from the caller's text. An empty path is
    // no script.
    bool CheckScript(QString& path);

    // Runs the script file to its end, to its first error, or until the program ends.
    // While a script waits (for its speech, or "$wait$"), and every hundred lines of a
    // long script, the event loop runs: Exit or a close request then ends the script at once,
    // and a command heard is carried out; a request for another script is refused, since
    // only one script runs at a time.
    void RunScript(const QString& path);

private:
    bool execute(const QString& keyword, const QString& argument);
    void say(const QString& text);
    // Waits `milliseconds` with the windows live; ends early when the program ends.
    void wait(int milliseconds);
    void reportError(const QString& keyword, const QString& description);

    ScriptHost& host_;
    const platform::Platform& platform_;
    TypeKeys typeKeys_;
    Sleep sleep_;
    bool running_ = false;
};
