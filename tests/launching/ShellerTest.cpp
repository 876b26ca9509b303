#include "launching/sheller.h"
#include "launching/MissingTarget.h"

#include "tests/support/FakeDesktop.h"

#include <gtest/gtest.h>

namespace {

const QString cwd = u"/cwd"_qs;

// file | parameters | directory, for compact comparisons.
QString split(const QString& line)
{
    const LaunchParts p = SplitLaunchLine(line, cwd);
    return p.file + u'|' + p.parameters + u'|' + p.directory;
}

} // namespace

TEST(SplitLaunchLine, ProgramParametersAndFolder)
{
    EXPECT_EQ(split(u"notepad"_qs), u"notepad||/cwd"_qs);
    EXPECT_EQ(split(u"/usr/bin/editor /home/u/a.txt"_qs),
              u"/usr/bin/editor|/home/u/a.txt|/usr/bin"_qs);
    // All leading spaces of the parameters go, a tab stays.
    EXPECT_EQ(split(u"/bin/app   \t-x  y"_qs), u"/bin/app|\t-x  y|/bin"_qs);
    // An unquoted path is cut at its first space.
    EXPECT_EQ(split(u"/opt/My App/app"_qs), u"/opt/My|App/app|/opt"_qs);
    // A line that begins with a space names nothing.
    EXPECT_EQ(split(u" notepad a"_qs), u"|notepad a|/cwd"_qs);
}

TEST(SplitLaunchLine, RootFoldersKeepTheirSlash)
{
    EXPECT_EQ(split(u"/app"_qs), u"/app||/"_qs);
    EXPECT_EQ(split(u"x:/app -a"_qs), u"x:/app|-a|x:/"_qs);
    EXPECT_EQ(split(u"x:/dir/app"_qs), u"x:/dir/app||x:/dir"_qs);
}

TEST(SplitLaunchLine, QuotedProgram)
{
    const LaunchParts p = SplitLaunchLine(u"\"/opt/My App/app\" /x"_qs, cwd);
    EXPECT_EQ(p.file, u"/opt/My App/app"_qs);
    EXPECT_EQ(p.parameters, u"/x"_qs);
    EXPECT_EQ(p.directory, u"/opt/My App"_qs);
    EXPECT_EQ(p.commandLine, u"/opt/My App/app /x"_qs);
    // Only the two quotes go; what follows the closing quote directly is a parameter.
    EXPECT_EQ(split(u"\"/a b/c\"d e"_qs), u"/a b/c|d e|/a b"_qs);

    // Without a closing quote the whole line is the thing to open, quote included.
    const LaunchParts open = SplitLaunchLine(u"\"/opt/My App/app -x"_qs, cwd);
    EXPECT_EQ(open.file, u"\"/opt/My App/app -x"_qs);
    EXPECT_EQ(open.parameters, QString());
    EXPECT_EQ(open.directory, u"\"/opt/My App"_qs);
    EXPECT_EQ(open.commandLine, u"\"/opt/My App/app -x"_qs);
}

TEST(SplitLaunchLine, AddressesOpenFromTheCurrentDirectory)
{
    EXPECT_EQ(split(u"https://example.com/page"_qs), u"https://example.com/page||/cwd"_qs);
    EXPECT_EQ(split(u"file:///home/u/a.txt"_qs), u"file:///home/u/a.txt||/cwd"_qs);
}

TEST(ShellLaunch, OpensByAssociationFirst)
{
    FakeShell shell;
    ShellLaunch(shell, u"/usr/bin/editor /home/u/a.txt"_qs, 1);
    EXPECT_EQ(shell.calls,
              QStringList{u"execute [/usr/bin/editor] [/home/u/a.txt] [/usr/bin] 1"_qs});
}

TEST(ShellLaunch, StartsTheLineWhenTheShellRefuses)
{
    FakeShell shell;
    shell.executeResult = 31;
    ShellLaunch(shell, u"\"/opt/My App/app\" /x"_qs, 1);
    ShellLaunch(shell, u"\"/opt/My App/app"_qs, 1);
    ShellLaunch(shell, u" notepad"_qs, 1, u"/given"_qs);
    EXPECT_EQ(shell.calls, (QStringList{
                               u"execute [/opt/My App/app] [/x] [/opt/My App] 1"_qs,
                               u"start [/opt/My App/app /x] [/opt/My App] 1"_qs,
                               u"execute [\"/opt/My App/app] [] [\"/opt/My App] 1"_qs,
                               u"start [\"/opt/My App/app] [\"/opt/My App] 1"_qs,
                               u"execute [] [notepad] [/given] 1"_qs,
                               u"start [ notepad] [/given] 1"_qs,
                           }));
}

TEST(ShellLaunch, ThrowsWhenNothingStarts)
{
    FakeShell shell;
    shell.executeResult = 2;
    shell.startResult = false;
    const QString line = u"\"/nowhere/app\" -x"_qs;
    try {
        ShellLaunch(shell, line, 1);
        FAIL() << "no LaunchError";
    } catch (const LaunchError& e) {
        EXPECT_EQ(e.commandLine(), line);
    }
    EXPECT_EQ(shell.calls.size(), 2);
}

TEST(MissingTarget, NamesWhatIsNeitherOnPathNorOnDisk)
{
    const std::pair<QString, QString> cases[] = {
        {u"/bin/sh -c true"_qs, {}},
        {u"sh"_qs, {}},
        {u"https://example.com/page"_qs, {}},
        {u"  /nowhere/tool -x"_qs, u"/nowhere/tool"_qs},
        {u"\"/no where/app\" -x"_qs, u"/no where/app"_qs},
        {u"no-such-program-here"_qs, u"no-such-program-here"_qs},
    };
    for (const auto& [line, missing] : cases)
        EXPECT_EQ(missingTarget(line), missing) << line.toStdString();
}
