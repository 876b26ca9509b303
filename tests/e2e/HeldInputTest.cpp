#include "tests/e2e/ZorvFixture.h"
#include "tests/support/WaitUntil.h"

#include <csignal>
#include <functional>

// Keys and buttons the program holds down, and keys it rebinds, do not outlive it: a
// normal end lets go of them, and the start after a killed run does.
namespace {

const QString kTitle = QStringLiteral("Ombrel Sarquen 2.0");
// A character no key of the test server's keymap types: the program binds a spare key.
constexpr unsigned long kRareKeysym = 0x10001c2; // U+01C2

class HeldInputTest : public ZorvFixture
{
protected:
    void SetUp() override
    {
        ZorvFixture::SetUp();
        if (IsSkipped())
            return;
        addCommand(1, QStringLiteral("Hold"), home() + QStringLiteral("/Scripts/hold.kps"));
        dir.write(QStringLiteral("home/Scripts/hold.kps"),
                  "$mouseclick$leftdown\r\n$type$\xc7\x82\r\n$say$held\r\n");
    }
    // Started, with its main window up.
    bool started()
    {
        startProgram();
        return x.waitForMappedWindow(kTitle, 15000) != 0;
    }
    void signal(int number) const { ::kill(static_cast<pid_t>(zorv.processId()), number); }
};

TEST_F(HeldInputTest, WhatTheProgramHoldsGoesWithIt)
{
    using End = std::function<void()>;
    const std::pair<const char*, End> ends[] = {
        {"SIGTERM", [&] { signal(SIGTERM); }},
        {"SIGINT", [&] { signal(SIGINT); }},
        {"the close box", [&] { x.requestClose(x.findMappedWindow(kTitle)); }},
        {"$exitzorv$ in a script",
         [&] {
             // The window switcher takes only its own answers: it lets go of Alt first.
             say(QStringLiteral("Go"));
             dir.write(QStringLiteral("home/Scripts/hold.kps"), "$exitzorv$\r\n");
             say(QStringLiteral("Hold"));
         }},
        {"a kill, then a new start", [&] {
             zorv.kill();
             ASSERT_TRUE(waitForEnd());
             EXPECT_TRUE(x.keyDown(X11Session::kAltL));
             EXPECT_TRUE(x.buttonDown(1));
             EXPECT_TRUE(x.keymapHas(kRareKeysym));
             ASSERT_TRUE(started());
             EXPECT_FALSE(x.keyDown(X11Session::kAltL));
             EXPECT_FALSE(x.buttonDown(1));
             EXPECT_FALSE(x.keymapHas(kRareKeysym));
             say(QStringLiteral("Exit Sarquen"));
         }}};
    for (const auto& [name, end] : ends) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(started());
        say(QStringLiteral("Hold"));
        ASSERT_TRUE(waitForOutput(QStringLiteral("SAY held")));
        say(QStringLiteral("Next Window")); // Alt stays down until "Go"
        ASSERT_TRUE(waitUntil([&] { return x.keyDown(X11Session::kAltL); }, 5000));
        ASSERT_TRUE(x.buttonDown(1));
        ASSERT_TRUE(x.keymapHas(kRareKeysym));
        end();
        ASSERT_TRUE(waitForEnd());
        EXPECT_EQ(zorv.exitCode(), 0);
        EXPECT_FALSE(x.keyDown(X11Session::kAltL));
        EXPECT_FALSE(x.buttonDown(1));
        EXPECT_FALSE(x.keymapHas(kRareKeysym));
        output.clear();
        dir.write(QStringLiteral("home/Scripts/hold.kps"),
                  "$mouseclick$leftdown\r\n$type$\xc7\x82\r\n$say$held\r\n");
    }
}

} // namespace
