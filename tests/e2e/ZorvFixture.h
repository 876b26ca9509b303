#pragma once

#include "tests/support/TempDir.h"
#include "tests/support/X11Session.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>
#include <optional>

// The program itself, started as a user starts it, on the test's X server with the
// console speech engine, console dialogs, a temporary store holding the first values
// of a new installation, and a temporary program folder.
class ZorvFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs sarquen-reg on the test's store; the test fails when it does.
    void reg(const QStringList& arguments);
    // Sets an option or a value under the product key, as text.
    void setValue(const QString& key, const QString& name, const QString& text);
    // Stores a spoken command.
    void addCommand(int number, const QString& phrase, const QString& target, bool stop = false);

    void startProgram(const QStringList& arguments = {});
    // Says one phrase, as a typed line.
    void say(const QString& phrase);
    // Waits until a line of standard output starts with `prefix` and returns it, or
    // nothing after `timeoutMs`.
    std::optional<QString> waitForOutput(const QString& prefix, int timeoutMs = 10000);
    // Waits until the program has ended.
    bool waitForEnd(int timeoutMs = 10000);

    QString programDir() const;
    QString home() const { return dir.file(QStringLiteral("home")); }

    TempDir dir;
    X11Session x;
    QProcessEnvironment env;
    QProcess zorv;
    QStringList output; // the lines of standard output read so far
};
