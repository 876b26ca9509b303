#include "platform/x11/X11Desktop.h"

#include "platform/input/InputRecord.h"
#include "platform/input/VirtualKeys.h"
#include "platform/x11/SpareKeys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <algorithm>
#include <bit>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// The keyboard of the X11 desktop: virtual keys and characters typed through XTest.

namespace platform {

void X11Desktop::keyEvent(int virtualKey, bool down)
{
    if (!display_ || !hasXTest_)
        return;
    const KeySym keysym = keysymForVirtualKey(virtualKey);
    if (keysym == 0)
        return;
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    if (code == 0)
        return;
    // The program's key sequences press D, R, Pause and Tab and release only the
    // modifiers. The X server repeats a key for as long as it is down, so such a key is
    // tapped instead, pressed and released at once, and its own key-up has nothing left
    // to release. Modifiers go down and up exactly as asked: Alt stays held while the
    // user steps through the window switcher.
    if (isModifierKey(virtualKey)) {
        XTestFakeKeyEvent(display_, code, down ? True : False, CurrentTime);
    } else if (down) {
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
    } else {
        return;
    }
    XFlush(display_);
}

namespace {

// The keysyms a keymap may carry for `character`, the one it most likely carries first;
// none for a character that no key types.
std::vector<KeySym> keysymsForCharacter(char32_t character)
{
    switch (character) {
    case U'\n':
    case U'\r':
        return {XK_Return};
    case U'\t':
        return {XK_Tab};
    case U'\b':
        return {XK_BackSpace};
    default:
        break;
    }
    if (character < 0x20 || (character >= 0x7F && character < 0xA0) ||
        (character >= 0xD800 && character < 0xE000) || character > 0x10FFFF)
        return {};
    // Every character has a keysym in the Unicode range; Latin-1 characters and the
    // currency signs U+20A0 to U+20AC (the euro among them) also have the older keysym
    // of the same number, which is the one keymaps use.
    const KeySym unicode = 0x01000000 | KeySym(character);
    if (character < 0x100 || (character >= 0x20A0 && character <= 0x20AC))
        return {KeySym(character), unicode};
    return {unicode};
}

// Modifier keys that act while they are held down. Lock keys toggle and Mode_switch
// changes the group, so those never help to reach a level.
bool holdsModifier(KeySym keysym)
{
    switch (keysym) {
    case XK_Shift_L:
    case XK_Shift_R:
    case XK_Control_L:
    case XK_Control_R:
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
    case XK_Super_L:
    case XK_Super_R:
    case XK_Hyper_L:
    case XK_Hyper_R:
    case XK_ISO_Level3_Shift:
    case XK_ISO_Level5_Shift:
        return true;
    default:
        return false;
    }
}

// The level a key of `type` shows while the modifiers `mods` are in force.
int levelOf(const XkbKeyTypeRec& type, unsigned int mods)
{
    mods &= type.mods.mask;
    for (int i = 0; i < type.map_count; ++i) {
        const XkbKTMapEntryRec& entry = type.map[i];
        if (entry.active && entry.mods.mask == mods)
            return entry.level;
    }
    return 0;
}

// A key and the modifiers to hold while it is tapped.
struct Stroke
{
    KeyCode code = 0;
    unsigned int mods = 0;
};

// The keyboard as the server has it at one moment: the keymap of the core keyboard, its
// modifier state, and a key for each modifier that can be held.
class Keyboard
{
public:
    explicit Keyboard(Display* display) : display_(display) { load(); }
    ~Keyboard() { unload(); }
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    bool loaded() const { return xkb_ != nullptr; }

    // Reads the keymap again after a change.
    void load()
    {
        unload();
        xkb_ = XkbGetMap(display_, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask,
                         XkbUseCoreKbd);
        if (!xkb_ || XkbGetState(display_, XkbUseCoreKbd, &state_) != Success) {
            unload();
            return;
        }
        holdable_ = 0;
        for (int code = xkb_->min_key_code; code <= xkb_->max_key_code; ++code) {
            const unsigned int mods = xkb_->map->modmap[code] & ~unsigned(LockMask);
            if (mods == 0 || !holdsModifier(symbolAt(static_cast<KeyCode>(code))))
                continue;
            for (int mod = 0; mod < 8; ++mod) {
                if ((mods & (1u << mod)) && !(holdable_ & (1u << mod))) {
                    holdable_ |= 1u << mod;
                    modifierKeys_[mod] = static_cast<KeyCode>(code);
                }
            }
        }
    }

    // The key that types one of `keysyms` in the current group with the fewest modifiers
    // added to those locked (Caps Lock, Num Lock), if there is one.
    std::optional<Stroke> find(const std::vector<KeySym>& keysyms) const
    {
        std::optional<Stroke> best;
        for (int code = xkb_->min_key_code; code <= xkb_->max_key_code; ++code) {
            const int groups = XkbKeyNumGroups(xkb_, code);
            if (groups == 0)
                continue;
            const int group = state_.group % groups;
            const XkbKeyTypeRec& type = *XkbKeyKeyType(xkb_, code, group);
            for (int level = 0; level < type.num_levels; ++level) {
                const KeySym symbol = XkbKeySymEntry(xkb_, code, level, group);
                if (symbol == NoSymbol ||
                    std::find(keysyms.begin(), keysyms.end(), symbol) == keysyms.end())
                    continue;
                const std::optional<unsigned int> mods = modsForLevel(type, level);
                if (mods && (!best || std::popcount(*mods) < std::popcount(best->mods)))
                    best = Stroke{static_cast<KeyCode>(code), *mods};
            }
        }
        return best;
    }

    // The first symbol of a key, NoSymbol for a key without any.
    KeySym symbolAt(KeyCode code) const
    {
        if (code < xkb_->min_key_code || code > xkb_->max_key_code ||
            XkbKeyNumSyms(xkb_, code) == 0)
            return NoSymbol;
        return XkbKeySymEntry(xkb_, code, 0, 0);
    }

    // A key the keymap gives no symbol and no modifier, so that it types nothing; from the
    // top, where keyboards have the fewest keys. 0 when there is none.
    KeyCode spareKey() const
    {
        for (int code = xkb_->max_key_code; code >= xkb_->min_key_code; --code) {
            if (XkbKeyNumSyms(xkb_, code) == 0 && xkb_->map->modmap[code] == 0)
                return static_cast<KeyCode>(code);
        }
        return 0;
    }

    // Taps the key with its modifiers. Modifiers already held down stay as they are: the
    // script's own Shift, Ctrl or Alt apply to the character too.
    void tap(const Stroke& stroke) const
    {
        std::vector<KeyCode> pressed;
        for (int mod = 0; mod < 8; ++mod) {
            const unsigned int bit = 1u << mod;
            if ((stroke.mods & bit) && !(state_.base_mods & bit))
                pressed.push_back(modifierKeys_[mod]);
        }
        for (const KeyCode code : pressed)
            XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, stroke.code, True, CurrentTime);
        XTestFakeKeyEvent(display_, stroke.code, False, CurrentTime);
        for (auto it = pressed.rbegin(); it != pressed.rend(); ++it)
            XTestFakeKeyEvent(display_, *it, False, CurrentTime);
    }

private:
    // The fewest holdable modifiers that, with the locked ones, make a key of `type` show
    // `level`; none when a locked modifier is in the way.
    std::optional<unsigned int> modsForLevel(const XkbKeyTypeRec& type, int level) const
    {
        const unsigned int choices = holdable_ & type.mods.mask;
        std::optional<unsigned int> best;
        for (unsigned int add = choices;; add = (add - 1) & choices) {
            if (levelOf(type, state_.locked_mods | add) == level &&
                (!best || std::popcount(add) < std::popcount(*best)))
                best = add;
            if (add == 0)
                break;
        }
        return best;
    }

    void unload()
    {
        if (xkb_)
            XkbFreeKeyboard(xkb_, 0, True);
        xkb_ = nullptr;
    }

    Display* display_;
    XkbDescPtr xkb_ = nullptr;
    XkbStateRec state_{};
    unsigned int holdable_ = 0;
    KeyCode modifierKeys_[8] = {};
};

// Characters without a key on the keymap are typed on spare keys bound to them. A program
// reads the new keymap only when it gets to the change notice, well after the server has
// taken the key (a Qt program takes some 20 to 50 ms); a binding undone at once leaves it
// a key without a character. So a binding stays while the desktop is connected and serves
// its character again. It is undone when its display closes, or rebound when its key is
// needed for another character (the binding used longest ago first), and neither happens
// before kReadingTime has passed since its last use.
using Clock = std::chrono::steady_clock;
constexpr auto kReadingTime = std::chrono::milliseconds(200);

struct SpareBinding
{
    Display* display;
    KeyCode code;
    KeySym keysym;
    Clock::time_point lastUse;
};

std::mutex bindingMutex;
std::vector<SpareBinding> spareBindings;

// The record's entry of a binding.
QString spareEntry(KeyCode code, KeySym keysym)
{
    return QStringLiteral("spare %1 %2").arg(code).arg(keysym);
}

void setKey(Display* display, KeyCode code, KeySym keysym)
{
    KeySym symbols[2] = {keysym, keysym};
    XChangeKeyboardMapping(display, code, 2, symbols, 1);
}

// Gives the programs time to read the keymap that a key used at `lastUse` needed.
void waitForReaders(Display* display, Clock::time_point lastUse)
{
    XSync(display, False);
    std::this_thread::sleep_until(lastUse + kReadingTime);
}

// Forgets the display's bindings that the keymap no longer holds, as after a change of
// layout: their keys are not the desktop's any more.
void dropLostBindings(Display* display, const Keyboard& keyboard)
{
    const std::lock_guard lock(bindingMutex);
    std::erase_if(spareBindings, [&](const SpareBinding& b) {
        return b.display == display && keyboard.symbolAt(b.code) != b.keysym;
    });
}

// Marks the binding on `code`, if it is one, as just used.
void touchBinding(Display* display, KeyCode code)
{
    const std::lock_guard lock(bindingMutex);
    for (SpareBinding& b : spareBindings) {
        if (b.display == display && b.code == code)
            b.lastUse = Clock::now();
    }
}

// Binds a spare key, or else the key of the binding used longest ago, to `keysym`, noted
// in `record`. False when the keymap has no key to spare.
bool bindSpareKey(Display* display, const Keyboard& keyboard, KeySym keysym, InputRecord* record)
{
    dropLostBindings(display, keyboard);
    KeyCode code = keyboard.spareKey();
    if (code != 0) {
        const std::lock_guard lock(bindingMutex);
        spareBindings.push_back({display, code, keysym, Clock::now()});
    } else {
        std::optional<Clock::time_point> lastUse;
        {
            const std::lock_guard lock(bindingMutex);
            for (const SpareBinding& b : spareBindings) {
                if (b.display == display && (!lastUse || b.lastUse < *lastUse)) {
                    code = b.code;
                    lastUse = b.lastUse;
                }
            }
        }
        if (!lastUse)
            return false;
        waitForReaders(display, *lastUse);
        const std::lock_guard lock(bindingMutex);
        for (SpareBinding& b : spareBindings) {
            if (b.display == display && b.code == code) {
                if (record)
                    record->remove(spareEntry(b.code, b.keysym));
                b.keysym = keysym;
                b.lastUse = Clock::now();
            }
        }
    }
    // Noted before the keymap changes: a run killed in between leaves the note, which
    // names a binding it will not find.
    if (record)
        record->add(spareEntry(code, keysym));
    setKey(display, code, keysym);
    return true;
}

// The desktop selects no events, so what reaches its queue are the server's notices of
// keymap changes, its own bindings among them. Reading them keeps the queue from growing
// and Xlib's keysym lookups (keyEvent) up to date.
void takeMappingNotices(Display* display)
{
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MappingNotify)
            XRefreshKeyboardMapping(&event.xmapping);
    }
}

} // namespace

bool X11Desktop::typeCharacter(char32_t character)
{
    if (!display_ || !hasXTest_)
        return false;
    const std::vector<KeySym> keysyms = keysymsForCharacter(character);
    if (keysyms.empty())
        return false;
    takeMappingNotices(display_);
    Keyboard keyboard(display_);
    if (!keyboard.loaded())
        return false;
    std::optional<Stroke> stroke = keyboard.find(keysyms);
    if (!stroke) {
        if (!bindSpareKey(display_, keyboard, keysyms.front(), record_))
            return false;
        keyboard.load();
        if (!keyboard.loaded())
            return false;
        stroke = keyboard.find(keysyms);
        if (!stroke)
            return false;
    }
    touchBinding(display_, stroke->code);
    keyboard.tap(*stroke);
    XFlush(display_);
    return true;
}

void X11Desktop::syncInput()
{
    if (display_)
        XSync(display_, False);
}

void releaseSpareKeys(Display* display, InputRecord* record)
{
    std::vector<SpareBinding> mine;
    {
        const std::lock_guard lock(bindingMutex);
        for (const SpareBinding& b : spareBindings) {
            if (b.display == display)
                mine.push_back(b);
        }
        std::erase_if(spareBindings, [&](const SpareBinding& b) { return b.display == display; });
    }
    if (mine.empty())
        return;
    const auto latest =
        std::max_element(mine.begin(), mine.end(), [](const auto& a, const auto& b) {
            return a.lastUse < b.lastUse;
        })->lastUse;
    waitForReaders(display, latest);
    const Keyboard keyboard(display);
    if (!keyboard.loaded())
        return;
    for (const SpareBinding& b : mine) {
        if (keyboard.symbolAt(b.code) == b.keysym)
            setKey(display, b.code, NoSymbol);
    }
    XSync(display, False);
    if (record) {
        for (const SpareBinding& b : mine)
            record->remove(spareEntry(b.code, b.keysym));
    }
}

void X11Desktop::restoreSpareKeys(const QStringList& entries)
{
    if (!display_)
        return;
    const Keyboard keyboard(display_);
    if (!keyboard.loaded())
        return;
    for (const QString& entry : entries) {
        const QStringList words = entry.split(u' ');
        bool codeOk = false, keysymOk = false;
        const uint code = words.value(1).toUInt(&codeOk);
        const KeySym keysym = words.value(2).toULong(&keysymOk);
        // Only a key that still carries the character the earlier run bound it to: the
        // user may have changed the keymap since.
        if (words.size() == 3 && words[0] == QLatin1String("spare") && codeOk && keysymOk &&
            code <= 255 && keysym != NoSymbol &&
            keyboard.symbolAt(static_cast<KeyCode>(code)) == keysym)
            setKey(display_, static_cast<KeyCode>(code), NoSymbol);
    }
    XSync(display_, False);
}

} // namespace platform
