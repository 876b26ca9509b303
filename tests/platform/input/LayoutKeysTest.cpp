#include "platform/input/LayoutKeys.h"
#include "platform/input/LayoutSwitching.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <memory>
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon.h>

namespace {

// The keymap text a compositor would hand out for `layout`.
QByteArray keymapOf(const char* layout)
{
    const std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context(
        xkb_context_new(XKB_CONTEXT_NO_FLAGS), xkb_context_unref);
    const xkb_rule_names names{"evdev", "pc105", layout, "", ""};
    const std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap(
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS),
        xkb_keymap_unref);
    if (!keymap)
        return {};
    char* text = xkb_keymap_get_as_string(keymap.get(), XKB_KEYMAP_FORMAT_TEXT_V1);
    const QByteArray copy(text);
    std::free(text);
    return copy;
}

} // namespace

// The key and the modifiers that type each keysym on the user's layout; none where
// the layout has no key for it. AltGr is the level-3 key of the keymap (evdev 84 in
// xkeyboard-config's keymaps, 100 being the right Alt that also reaches it).
TEST(LayoutKeys, FindsTheKeyThatTypesEachKeysymOnTheLayout)
{
    struct Case
    {
        const char* layout;
        std::uint32_t keysym;
        std::uint32_t key; // 0: no key
        std::size_t modifiers;
    } const cases[] = {
        {"us", XKB_KEY_z, KEY_Z, 0},        {"us", XKB_KEY_at, KEY_2, 1},
        {"us", XKB_KEY_Cyrillic_zhe, 0, 0}, {"de", XKB_KEY_z, KEY_Y, 0},
        {"de", XKB_KEY_Y, KEY_Z, 1},        {"de", XKB_KEY_at, KEY_Q, 1},
        {"de", XKB_KEY_EuroSign, KEY_E, 1}, {"de", XKB_KEY_adiaeresis, KEY_APOSTROPHE, 0},
        {"de", XKB_KEY_Cyrillic_zhe, 0, 0},
    };
    for (const Case& c : cases) {
        platform::LayoutKeys keys;
        ASSERT_TRUE(keys.load(keymapOf(c.layout))) << c.layout;
        const std::optional<platform::LayoutKey> found = keys.find(c.keysym);
        SCOPED_TRACE(testing::Message() << c.layout << " keysym 0x" << std::hex << c.keysym);
        ASSERT_EQ(found.has_value(), c.key != 0);
        if (found) {
            EXPECT_EQ(found->key, c.key);
            EXPECT_EQ(found->modifiers.size(), c.modifiers);
        }
    }
    platform::LayoutKeys keys;
    EXPECT_FALSE(keys.load("not a keymap"));
    EXPECT_FALSE(keys.find(XKB_KEY_a).has_value());
}

// A keysym the layout in use lacks is typed on the first other layout that has it, and
// the desktop is switched back; with a German and a Russian layout.
TEST(LayoutKeys, TypesOnTheOtherLayoutThatHasTheKeysym)
{
    struct Case
    {
        std::uint32_t current;
        std::uint32_t keysym;
        bool switches; // whether the desktop lets the program switch
        bool typed;
        const char* steps;
    } const cases[] = {
        {0, XKB_KEY_z, true, true, "tap on 0"},
        {0, XKB_KEY_Cyrillic_zhe, true, true, "switch 1, tap on 1, switch 0"},
        {1, XKB_KEY_adiaeresis, true, true, "switch 0, tap on 0, switch 1"},
        {1, XKB_KEY_Cyrillic_zhe, true, true, "tap on 1"},
        {0, XKB_KEY_hebrew_aleph, true, false, ""},
        {0, XKB_KEY_Cyrillic_zhe, false, false, "switch 1"},
    };
    platform::LayoutKeys keys;
    ASSERT_TRUE(keys.load(keymapOf("de,ru")));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "keysym 0x" << std::hex << c.keysym);
        QStringList steps;
        std::uint32_t layout = c.current;
        const bool typed = platform::typeOnSomeLayout(
            keys, c.current, c.keysym,
            [&](std::uint32_t to) {
                steps << QStringLiteral("switch %1").arg(to);
                layout = c.switches ? to : layout;
                return c.switches;
            },
            [&] {
                steps << QStringLiteral("tap on %1").arg(layout);
                EXPECT_TRUE(keys.find(c.keysym).has_value())
                    << "the keys of the layout switched to";
            });
        EXPECT_EQ(typed, c.typed);
        EXPECT_EQ(steps.join(QStringLiteral(", ")).toStdString(), c.steps);
        EXPECT_EQ(layout, c.current);
    }
}
