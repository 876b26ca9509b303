#include "scripts/KeyNotation.h"
#include "tests/platform/x11/X11Fixture.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <vector>

namespace {

using TypingTest = X11Fixture;

// The events of tapping a key, as the window records them (the key's first symbol),
// with Shift held when `shifted`.
QStringList tap(const char* key, bool shifted = false)
{
    const QString name = QString::fromLatin1(key);
    QStringList events{QStringLiteral("KeyPress ") + name, QStringLiteral("KeyRelease ") + name};
    if (shifted)
        events = QStringList{QStringLiteral("KeyPress Shift_L")} + events +
                 QStringList{QStringLiteral("KeyRelease Shift_L")};
    return events;
}

// Every keysym of every key, as the core protocol shows the keymap.
std::vector<KeySym> keymapOf(Display* display)
{
    int first = 0, last = 0, perKey = 0;
    XDisplayKeycodes(display, &first, &last);
    KeySym* symbols =
        XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1, &perKey);
    std::vector<KeySym> keymap(symbols, symbols + (last - first + 1) * perKey);
    XFree(symbols);
    return keymap;
}

TEST(TypingWithoutServer, NothingIsTyped)
{
    platform::X11Desktop desktop(":65000");
    EXPECT_FALSE(desktop.typeCharacter(U'a'));
    EXPECT_TRUE(TypeKeys(desktop, QStringLiteral("+(ab){ENTER}é"), nullptr));
}

TEST_F(TypingTest, TextArrivesWithTheShiftStatesItNeeds)
{
    TestWindow window("sarquen typing");
    ASSERT_TRUE(window.ready());
    activate(window);
    window.takeEvents();

    ASSERT_TRUE(TypeKeys(desktop, QStringLiteral("Hello, World!"), nullptr));
    EXPECT_EQ(keysBeforeMarker(window), tap("h", true) + tap("e") + tap("l") + tap("l") + tap("o") +
                                            tap("comma") + tap("space") + tap("w", true) +
                                            tap("o") + tap("r") + tap("l") + tap("d") +
                                            tap("1", true));
    EXPECT_EQ(window.keysDown(), QStringList());

    // With Caps Lock on, the capital needs no Shift and the small letters do.
    ASSERT_TRUE(TypeKeys(desktop, QStringLiteral("{CAPSLOCK}Hey{CAPSLOCK}"), nullptr));
    EXPECT_EQ(keysBeforeMarker(window),
              tap("Caps_Lock") + tap("h") + tap("e", true) + tap("y", true) + tap("Caps_Lock"));
    EXPECT_EQ(window.keysDown(), QStringList());
}

TEST_F(TypingTest, ModifiersNamedKeysAndRepeatsArriveAsKeys)
{
    TestWindow window("sarquen typing keys");
    ASSERT_TRUE(window.ready());
    activate(window);
    window.takeEvents();

    // "!" needs the Shift the group holds already: it stays down to the end of the group.
    ASSERT_TRUE(TypeKeys(desktop, QStringLiteral("+(a!b){ENTER}{tab}{x 3}^c~"), nullptr));
    EXPECT_EQ(keysBeforeMarker(window),
              QStringList{QStringLiteral("KeyPress Shift_L")} + tap("a") + tap("1") + tap("b") +
                  QStringList{QStringLiteral("KeyRelease Shift_L")} + tap("Return") + tap("Tab") +
                  tap("x") + tap("x") + tap("x") +
                  QStringList{QStringLiteral("KeyPress Control_L")} + tap("c") +
                  QStringList{QStringLiteral("KeyRelease Control_L")} + tap("Return"));
    EXPECT_EQ(window.keysDown(), QStringList());
}

TEST_F(TypingTest, CharactersWithoutAKeyAreTypedOnSpareKeys)
{
    TestWindow window("sarquen typing spare");
    ASSERT_TRUE(window.ready());
    activate(window);
    window.takeEvents();
    const std::vector<KeySym> before = keymapOf(x.display());
    ASSERT_EQ(XKeysymToKeycode(x.display(), XK_eacute), 0) << "the test needs a US keymap";

    {
        platform::X11Desktop typist;
        ASSERT_TRUE(TypeKeys(typist, QStringLiteral("é€aé"), nullptr));
        // The keys stay bound while the desktop is connected: the window reads the keymap
        // only now, after the keys.
        EXPECT_EQ(keysBeforeMarker(window),
                  tap("eacute") + tap("EuroSign") + tap("a") + tap("eacute"));
        EXPECT_EQ(window.keysDown(), QStringList());
        EXPECT_NE(keymapOf(x.display()), before);
    }
    EXPECT_EQ(keymapOf(x.display()), before);
}

} // namespace
