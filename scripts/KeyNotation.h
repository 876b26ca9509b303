#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace platform {
class Desktop;
}

// The key notation of the script keyword "$type$":
//
// - plain characters are typed as they are written;
// - "~" is Enter;
// - "+", "^" and "%" hold Shift, Ctrl and Alt for the next key, or for a group in
//   parentheses ("+(abc)"); they combine ("^+a", "+^{F4}");
// - braces name a key ("{ENTER}", "{F5}", "{PGDN}", in any case), or hold one character
//   that is typed as written, so that "{+}", "{~}", "{(}", "{{}" and "{}}" type the
//   characters the notation otherwise reserves; a space and a count after the key repeat
//   it ("{LEFT 3}", "{x 4}").
//
// Under a modifier a letter, a digit or a space is that key of the keyboard, so "^c" is
// the Ctrl+C shortcut and "+a" types "A"; other characters are typed with the modifiers
// held.

// One step of a key sequence, in the terms of platform::Desktop.
struct KeyAction
{
    enum class Kind
    {
        Press,   // keyEvent(virtualKey, true)
        Release, // keyEvent(virtualKey, false)
        Type     // typeCharacter(character)
    };

    Kind kind = Kind::Type;
    int virtualKey = 0;
    char32_t character = 0;

    bool operator==(const KeyAction&) const = default;
};

// The steps `text` stands for, every modifier released after its key or group. Malformed
// text gives nothing, and `error` (when not null) says what is wrong and where.
std::optional<std::vector<KeyAction>> ParseKeys(const QString& text, QString* error);

// Sends the keys of `keys` to the window that has the focus and waits until the desktop
// has processed them. Characters the keyboard cannot produce are left out. False when
// the text is malformed: then nothing is sent and `error` says why.
//
// A long text goes out in batches; between two, `keepGoing` (when given) is asked
// whether to go on. It is where the caller keeps its windows live (handles events), and
// when it says no, typing stops there with every held key released.
bool TypeKeys(platform::Desktop& desktop, const QString& keys, QString* error,
              const std::function<bool()>& keepGoing = {});
