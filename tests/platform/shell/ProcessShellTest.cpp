#include "platform/shell/ProcessShell.h"
#include "launching/sheller.h"

#include "tests/support/FakeLaunchFeedback.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>

using platform::ProcessShell;

namespace {

const QString recorder = QStringLiteral(SARQUEN_LAUNCH_RECORDER);

QString canonical(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

// Real launches of the recorder program, which writes its working directory and its
// arguments to the record file; the fake opener is the recorder with "--opener" first.
class ProcessShellTest : public ::testing::Test
{
protected:
    void prependToPath(const QString& dir)
    {
        pathEnv_.set(QFile::encodeName(dir) + ':' + qgetenv("PATH"));
    }

    // Copies the recorder to `relative` inside the temporary folder.
    QString placeRecorder(const QString& relative)
    {
        const QString path = tmp_.file(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(QFile::copy(recorder, path));
        return path;
    }

    void installFakeOpener()
    {
        QDir().mkpath(tmp_.file(u"bin"_qs));
        const QString opener =
            tmp_.write(u"bin/xdg-open"_qs,
                       "#!/bin/sh\nexec '" + QFile::encodeName(recorder) + "' --opener \"$@\"\n");
        QFile::setPermissions(opener, QFile::permissions(opener) | QFile::ExeOwner);
        prependToPath(tmp_.file(u"bin"_qs));
    }

    // The working directory (canonical) and then the arguments of the launch, once the
    // launched program has written them; empty when it never does. Removes the record.
    QStringList takeRecord()
    {
        if (!waitForEvents([&] { return QFile::exists(record_); }, 5000))
            return {};
        QFile f(record_);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
        f.remove();
        lines.removeLast(); // after the final newline
        if (!lines.isEmpty()) {
            lines[0] = canonical(lines[0]);
        }
        return lines;
    }

    TempDir tmp_;
    QString record_ = tmp_.file(u"record"_qs);
    ScopedEnv recordEnv_{"SARQUEN_LAUNCH_RECORD", record_.toLocal8Bit()};
    ScopedEnv pathEnv_{"PATH", qgetenv("PATH")};
    ProcessShell shell_;
};

} // namespace

TEST_F(ProcessShellTest, StartsAProgramByPathWithShellWordsInItsFolder)
{
    const QString app = placeRecorder(u"My Dir/app"_qs);
    ShellLaunch(shell_, u"\"%1\"  one 'two  three' \"four \\\"five\\\"\"\tsix"_qs.arg(app), 1);
    EXPECT_EQ(takeRecord(), (QStringList{canonical(tmp_.file(u"My Dir"_qs)), u"one"_qs,
                                         u"two  three"_qs, u"four \"five\""_qs, u"six"_qs}));
}

TEST_F(ProcessShellTest, FindsProgramsOnPathAndRelativeToTheDirectory)
{
    prependToPath(QFileInfo(recorder).absolutePath());
    EXPECT_EQ(shell_.shellExecute(QFileInfo(recorder).fileName(), u"a b"_qs, tmp_.path(), 1), 42);
    EXPECT_EQ(takeRecord(), (QStringList{canonical(tmp_.path()), u"a"_qs, u"b"_qs}));

    placeRecorder(u"sub/app"_qs);
    EXPECT_EQ(shell_.shellExecute(u"sub/app"_qs, {}, tmp_.path(), 1), 42);
    EXPECT_EQ(takeRecord(), QStringList{canonical(tmp_.path())});

    // A working directory that does not exist gives way to the current one.
    EXPECT_EQ(shell_.shellExecute(recorder, {}, tmp_.file(u"gone"_qs), 1), 42);
    EXPECT_EQ(takeRecord(), QStringList{canonical(QDir::currentPath())});
}

TEST_F(ProcessShellTest, DocumentsFoldersAndAddressesGoToTheOpener)
{
    installFakeOpener();
    const QString doc = tmp_.write(u"a b.txt"_qs, "text");
    EXPECT_EQ(shell_.shellExecute(u"a b.txt"_qs, u"ignored"_qs, tmp_.path(), 1), 42);
    EXPECT_EQ(takeRecord(), (QStringList{canonical(tmp_.path()), u"--opener"_qs, doc}));

    EXPECT_EQ(shell_.shellExecute(tmp_.file(u"bin"_qs), {}, tmp_.path(), 1), 42);
    EXPECT_EQ(takeRecord().mid(1), (QStringList{u"--opener"_qs, tmp_.file(u"bin"_qs)}));

    ShellLaunch(shell_, u"https://example.com/page?q=1"_qs, 1);
    EXPECT_EQ(takeRecord(), (QStringList{canonical(QDir::currentPath()), u"--opener"_qs,
                                         u"https://example.com/page?q=1"_qs}));

    ProcessShell noOpener(u"sarquen-no-such-opener"_qs);
    EXPECT_EQ(noOpener.shellExecute(doc, {}, tmp_.path(), 1), 31);
    EXPECT_EQ(noOpener.shellExecute(u"https://example.com"_qs, {}, tmp_.path(), 1), 31);
}

TEST_F(ProcessShellTest, MissingProgramsAreNotFound)
{
    EXPECT_EQ(shell_.shellExecute(tmp_.file(u"missing"_qs), {}, tmp_.path(), 1), 2);
    EXPECT_EQ(shell_.shellExecute({}, u"x"_qs, tmp_.path(), 1), 2);
    EXPECT_EQ(shell_.shellExecute(u"sarquen-no-such-program"_qs, {}, tmp_.path(), 1), 2);
    EXPECT_FALSE(shell_.startCommandLine(tmp_.file(u"missing -x"_qs), tmp_.path(), 1));
    EXPECT_THROW(ShellLaunch(shell_, tmp_.file(u"missing -x"_qs), 1), LaunchError);
}

TEST_F(ProcessShellTest, FallbackFindsAnUnquotedPathWithSpaces)
{
    placeRecorder(u"My Dir/recorder"_qs);
    // The shell is offered ".../My" with "Dir/recorder arg" and refuses; the fallback
    // finds the program in the longer prefix, in the folder derived from ".../My".
    ShellLaunch(shell_, tmp_.file(u"My Dir/recorder arg 'x y'"_qs), 1);
    EXPECT_EQ(takeRecord(), (QStringList{canonical(tmp_.path()), u"arg"_qs, u"x y"_qs}));

    // A quoted program that lost its closing quote is read as shell words, in the
    // current directory since the derived one (with the quote) is no folder.
    ShellLaunch(shell_, u"\"%1"_qs.arg(tmp_.file(u"My Dir/recorder"_qs)), 1);
    EXPECT_EQ(takeRecord(), QStringList{canonical(QDir::currentPath())});
}

TEST_F(ProcessShellTest, AStartCarriesTheDesktopsStartupIdAndNeverAStaleOne)
{
    // The launcher's own startup id is used up; what it starts gets a fresh one or none.
    const ScopedEnv stale("DESKTOP_STARTUP_ID", "the-launchers-own");
    const QString showId =
        tmp_.write(u"show-id"_qs, "#!/bin/sh\nexec '" + QFile::encodeName(recorder) +
                                      "' \"id=$DESKTOP_STARTUP_ID\" \"$@\"\n");
    const QString broken = tmp_.write(u"broken"_qs, "neither a program nor a script\n");
    for (const QString& file : {showId, broken})
        QFile::setPermissions(file, QFile::permissions(file) | QFile::ExeOwner);
    const QString doc = tmp_.write(u"notes.txt"_qs, "text");
    ProcessShell shell(showId); // the opener records the id too
    FakeLaunchFeedback feedback;
    const struct
    {
        bool told;
        QString file;
        QStringList record;
        QStringList heard;
    } starts[] = {
        {false, showId, {u"id="_qs, u"-x"_qs}, {}},
        {true, showId, {u"id=id-1"_qs, u"-x"_qs}, {u"begin show-id"_qs, u"launched id-1"_qs}},
        {true, doc, {u"id=id-2"_qs, doc}, {u"begin show-id"_qs, u"launched id-2"_qs}},
        {true, broken, {}, {u"begin broken"_qs, u"failed id-3"_qs}},
    };
    for (const auto& start : starts) {
        shell.setLaunchFeedback(start.told ? &feedback : nullptr);
        feedback.heard.clear();
        shell.shellExecute(start.file, u"-x"_qs, tmp_.path(), 1);
        if (!start.record.isEmpty()) {
            EXPECT_EQ(takeRecord().mid(1), start.record) << start.file.toStdString();
        }
        EXPECT_EQ(feedback.heard, start.heard) << start.file.toStdString();
    }
}
