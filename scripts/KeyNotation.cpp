#include "scripts/KeyNotation.h"

#include "platform/desktop/Desktop.h"

#include <algorithm>

namespace {

constexpr int kShift = 0x10;
constexpr int kCtrl = 0x11;
constexpr int kAlt = 0x12;
constexpr int kEnter = 0x0D;
constexpr int kSpace = 0x20;
constexpr int kDigit0 = 0x30;
constexpr int kLetterA = 0x41;

// A repeat count has at most four digits, so that a slip of the tongue or the pen cannot
// keep the keyboard busy for minutes.
constexpr int kMaxRepeat = 9999;
// Groups nest at most this deep, and one line sends at most this many key actions (a
// typed character, a press or a release each): a script line cannot exhaust the stack or
// the memory, nor keep the desktop typing for hours.
constexpr int kMaxDepth = 100;
constexpr int kMaxActions = 10000;
// Keys sent between two looks at whether typing may go on.
constexpr std::size_t kKeysPerBatch = 64;

struct NamedKey
{
    const char* name;
    int virtualKey;
};

constexpr NamedKey kNamedKeys[] = {
    {"ENTER", 0x0D},   {"TAB", 0x09},        {"BACKSPACE", 0x08}, {"BS", 0x08},
    {"BKSP", 0x08},    {"DELETE", 0x2E},     {"DEL", 0x2E},       {"HOME", 0x24},
    {"END", 0x23},     {"LEFT", 0x25},       {"RIGHT", 0x27},     {"UP", 0x26},
    {"DOWN", 0x28},    {"PGUP", 0x21},       {"PGDN", 0x22},      {"ESC", 0x1B},
    {"INSERT", 0x2D},  {"INS", 0x2D},        {"BREAK", 0x03},     {"CAPSLOCK", 0x14},
    {"NUMLOCK", 0x90}, {"SCROLLLOCK", 0x91}, {"PRTSC", 0x2C},     {"HELP", 0x2F},
    {"F1", 0x70},      {"F2", 0x71},         {"F3", 0x72},        {"F4", 0x73},
    {"F5", 0x74},      {"F6", 0x75},         {"F7", 0x76},        {"F8", 0x77},
    {"F9", 0x78},      {"F10", 0x79},        {"F11", 0x7A},       {"F12", 0x7B},
    {"F13", 0x7C},     {"F14", 0x7D},        {"F15", 0x7E},       {"F16", 0x7F},
};

// The virtual key a brace name stands for, or 0 for a name that is not a key.
int virtualKeyForName(const QString& name)
{
    for (const NamedKey& key : kNamedKeys) {
        if (name.compare(QLatin1String(key.name), Qt::CaseInsensitive) == 0)
            return key.virtualKey;
    }
    return 0;
}

int modifierFor(char32_t c)
{
    switch (c) {
    case U'+':
        return kShift;
    case U'^':
        return kCtrl;
    case U'%':
        return kAlt;
    default:
        return 0;
    }
}

// Reads the notation from left to right and collects its steps. The modifiers in force
// are `held_`, so that a modifier repeated inside its own group ("+(a+b)") is not pressed
// a second time and released too early.
class Parser
{
public:
    explicit Parser(const QString& text) : text_(text.toStdU32String()) {}

    std::optional<std::vector<KeyAction>> parse(QString* error)
    {
        if (!sequence(kOutermost)) {
            if (error)
                *error = error_;
            return std::nullopt;
        }
        return std::move(actions_);
    }

private:
    using Pos = std::u32string::size_type;
    static constexpr Pos kOutermost = std::u32string::npos;

    bool atEnd() const { return pos_ >= text_.size(); }

    // Text positions in messages count characters from 1.
    static QString position(Pos pos) { return QString::number(pos + 1); }

    QString written(Pos from, Pos to) const
    {
        return QString::fromStdU32String(text_.substr(from, to - from));
    }

    bool fail(const QString& message)
    {
        error_ = message;
        return false;
    }

    // Items up to the ")" that closes the group opened at `open`, or for kOutermost up to
    // the end of the text.
    bool sequence(Pos open)
    {
        while (!atEnd()) {
            if (text_[pos_] == U')') {
                if (open == kOutermost)
                    return fail(
                        QStringLiteral("\")\" at position %1 closes no group").arg(position(pos_)));
                ++pos_;
                return true;
            }
            if (!item())
                return false;
            if (actions_.size() > std::size_t(kMaxActions))
                return fail(QStringLiteral("more than %1 key actions to type (at position %2)")
                                .arg(kMaxActions)
                                .arg(position(pos_ - 1)));
        }
        if (open != kOutermost)
            return fail(QStringLiteral("\"(\" at position %1 is not closed").arg(position(open)));
        return true;
    }

    // Modifiers, then the key, braces or group they apply to.
    bool item()
    {
        std::vector<int> pressed;
        const Pos first = pos_;
        while (!atEnd() && modifierFor(text_[pos_]) != 0) {
            const int modifier = modifierFor(text_[pos_]);
            if (!isHeld(modifier) &&
                std::find(pressed.begin(), pressed.end(), modifier) == pressed.end())
                pressed.push_back(modifier);
            ++pos_;
        }
        if (pos_ > first && (atEnd() || text_[pos_] == U')'))
            return fail(QStringLiteral("\"%1\" at position %2 has no key to apply to")
                            .arg(written(pos_ - 1, pos_), position(pos_ - 1)));

        for (const int modifier : pressed) {
            actions_.push_back({KeyAction::Kind::Press, modifier, 0});
            held_.push_back(modifier);
        }
        if (!target())
            return false;
        for (auto it = pressed.rbegin(); it != pressed.rend(); ++it) {
            actions_.push_back({KeyAction::Kind::Release, *it, 0});
            held_.pop_back();
        }
        return true;
    }

    bool target()
    {
        const char32_t c = text_[pos_];
        switch (c) {
        case U'(': {
            const Pos open = pos_++;
            if (++depth_ > kMaxDepth)
                return fail(QStringLiteral("\"(\" at position %1 nests groups more than %2 deep")
                                .arg(position(open))
                                .arg(kMaxDepth));
            const bool closed = sequence(open);
            --depth_;
            return closed;
        }
        case U'{':
            return braces();
        case U'}':
            return fail(QStringLiteral("\"}\" at position %1 is outside braces; {}} types it")
                            .arg(position(pos_)));
        case U'~':
            ++pos_;
            key(kEnter);
            return true;
        default:
            ++pos_;
            character(c);
            return true;
        }
    }

    // "{NAME}", "{c}", "{NAME count}" or "{c count}".
    bool braces()
    {
        const Pos open = pos_;
        // The character right after "{" is the content even when it is "}": "{}}".
        const Pos close = text_.find(U'}', open + 2);
        if (close == std::u32string::npos)
            return fail(QStringLiteral("\"{\" at position %1 is not closed").arg(position(open)));
        pos_ = close + 1;
        const std::u32string content = text_.substr(open + 1, close - open - 1);
        const QString braced = written(open, close + 1);

        // The count follows the first space after the key; the key may itself be a space.
        const Pos space = content.find(U' ', 1);
        const std::u32string keyText = content.substr(0, space);
        int count = 1;
        if (space != std::u32string::npos) {
            const std::u32string countText = content.substr(space + 1);
            const bool digits = !countText.empty() && countText.size() <= 4 &&
                                std::all_of(countText.begin(), countText.end(),
                                            [](char32_t d) { return d >= U'0' && d <= U'9'; });
            if (!digits)
                return fail(QStringLiteral("%1 at position %2: the repeat count must be a "
                                           "number from 0 to %3")
                                .arg(braced, position(open), QString::number(kMaxRepeat)));
            count = QString::fromStdU32String(countText).toInt();
        }

        if (keyText.size() == 1) {
            for (int i = 0; i < count; ++i)
                character(keyText.front());
            return true;
        }
        const int virtualKey = virtualKeyForName(QString::fromStdU32String(keyText));
        if (virtualKey == 0)
            return fail(
                QStringLiteral("%1 at position %2 is not a key name").arg(braced, position(open)));
        for (int i = 0; i < count; ++i)
            key(virtualKey);
        return true;
    }

    void key(int virtualKey)
    {
        actions_.push_back({KeyAction::Kind::Press, virtualKey, 0});
        actions_.push_back({KeyAction::Kind::Release, virtualKey, 0});
    }

    void character(char32_t c)
    {
        if (held_.empty()) {
            actions_.push_back({KeyAction::Kind::Type, 0, c});
            return;
        }
        // A modifier with a letter, a digit or a space is a shortcut: the key itself, as
        // the program's virtual keys name it. A capital letter needs Shift as well.
        if (c >= U'a' && c <= U'z') {
            key(kLetterA + static_cast<int>(c - U'a'));
        } else if (c >= U'A' && c <= U'Z') {
            const bool addShift = !isHeld(kShift);
            if (addShift)
                actions_.push_back({KeyAction::Kind::Press, kShift, 0});
            key(kLetterA + static_cast<int>(c - U'A'));
            if (addShift)
                actions_.push_back({KeyAction::Kind::Release, kShift, 0});
        } else if (c >= U'0' && c <= U'9') {
            key(kDigit0 + static_cast<int>(c - U'0'));
        } else if (c == U' ') {
            key(kSpace);
        } else {
            // Other characters have no key of their own in every layout: the desktop
            // finds the key that types it and presses it with the modifiers held.
            actions_.push_back({KeyAction::Kind::Type, 0, c});
        }
    }

    bool isHeld(int modifier) const
    {
        return std::find(held_.begin(), held_.end(), modifier) != held_.end();
    }

    const std::u32string text_;
    Pos pos_ = 0;
    int depth_ = 0; // groups open around the current position
    std::vector<int> held_;
    std::vector<KeyAction> actions_;
    QString error_;
};

} // namespace

std::optional<std::vector<KeyAction>> ParseKeys(const QString& text, QString* error)
{
    return Parser(text).parse(error);
}

bool TypeKeys(platform::Desktop& desktop, const QString& keys, QString* error,
              const std::function<bool()>& keepGoing)
{
    // Everything is parsed before the first key goes out: a mistake at the end of the
    // text must not leave half of it typed.
    const std::optional<std::vector<KeyAction>> actions = ParseKeys(keys, error);
    if (!actions)
        return false;
    std::vector<int> held; // keys pressed and not yet released, in order
    std::size_t count = 0;
    for (const KeyAction& action : *actions) {
        if (keepGoing && count > 0 && count % kKeysPerBatch == 0) {
            desktop.syncInput();
            if (!keepGoing()) {
                // Called off: no key may stay held down.
                for (auto key = held.rbegin(); key != held.rend(); ++key)
                    desktop.keyEvent(*key, false);
                break;
            }
        }
        ++count;
        switch (action.kind) {
        case KeyAction::Kind::Press:
            desktop.keyEvent(action.virtualKey, true);
            held.push_back(action.virtualKey);
            break;
        case KeyAction::Kind::Release: {
            desktop.keyEvent(action.virtualKey, false);
            const auto key = std::find(held.rbegin(), held.rend(), action.virtualKey);
            if (key != held.rend())
                held.erase(std::next(key).base());
            break;
        }
        case KeyAction::Kind::Type:
            // A character the keyboard cannot produce is left out, like a key it lacks.
            desktop.typeCharacter(action.character);
            break;
        }
    }
    desktop.syncInput();
    return true;
}
