#include "tests/e2e/ZorvFixture.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QElapsedTimer>

QString ZorvFixture::programDir() const
{
    return qEnvironmentVariable("SARQUEN_PROGRAM_DIR");
}

void ZorvFixture::SetUp()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !x.connected())
        GTEST_SKIP() << "needs an X server (make test provides one)";
    QDir().mkpath(home() + QStringLiteral("/Scripts"));
    env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SARQUEN_REGISTRY"), dir.file(QStringLiteral("store/registry.db")));
    env.insert(QStringLiteral("SARQUEN_HOME"), home());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.file(QStringLiteral("config")));
    env.insert(QStringLiteral("SARQUEN_SPEECH"), QStringLiteral("console"));
    env.insert(QStringLiteral("SARQUEN_DESKTOP"), QStringLiteral("x11"));
    env.insert(QStringLiteral("SARQUEN_DIALOGS"), QStringLiteral("console"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // No sound server: the start sound stays silent.
    env.insert(QStringLiteral("PULSE_SERVER"), dir.file(QStringLiteral("no-sound-server")));
    env.remove(QStringLiteral("SARQUEN_DEBUG"));
    reg({QStringLiteral("import"), programDir() + QStringLiteral("/defaults.reg")});
    // The tests store the commands they speak, from the first row on.
    for (const char* example : {"Open Terminal", "Open Files", "Open Browser"}) {
        for (const char* key : {"list\\list", "list\\check"})
            reg({QStringLiteral("delete"),
                 QStringLiteral("HKLM\\Software\\Ombrel Online\\Sarquen\\") + QLatin1String(key),
                 QString::fromLatin1(example)});
    }
    setValue(QStringLiteral("list"), QStringLiteral("numItems"), QStringLiteral("0"));
}

void ZorvFixture::TearDown()
{
    if (zorv.state() != QProcess::NotRunning) {
        zorv.kill();
        zorv.waitForFinished(5000);
    }
}

void ZorvFixture::reg(const QStringList& arguments)
{
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(programDir() + QStringLiteral("/sarquen-reg"), arguments);
    ASSERT_TRUE(tool.waitForFinished(10000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
}

void ZorvFixture::setValue(const QString& key, const QString& name, const QString& text)
{
    reg({QStringLiteral("set"), QStringLiteral("HKLM\\Software\\Ombrel Online\\Sarquen\\") + key,
         name, text});
}

void ZorvFixture::addCommand(int number, const QString& phrase, const QString& target, bool stop)
{
    setValue(QStringLiteral("list"), QStringLiteral("numItems"), QString::number(number));
    setValue(QStringLiteral("list\\list"), phrase, target);
    setValue(QStringLiteral("list\\check"), phrase,
             stop ? QStringLiteral("1") : QStringLiteral("0"));
}

void ZorvFixture::startProgram(const QStringList& arguments)
{
    zorv.setProcessEnvironment(env);
    zorv.start(programDir() + QStringLiteral("/zorv"), arguments);
    ASSERT_TRUE(zorv.waitForStarted(5000));
}

void ZorvFixture::say(const QString& phrase)
{
    zorv.write((phrase + QLatin1Char('\n')).toUtf8());
    zorv.waitForBytesWritten(2000);
}

std::optional<QString> ZorvFixture::waitForOutput(const QString& prefix, int timeoutMs)
{
    std::optional<QString> found;
    waitUntil(
        [&] {
            while (zorv.canReadLine())
                output << QString::fromUtf8(zorv.readLine()).chopped(1);
            for (const QString& line : output)
                if (line.startsWith(prefix))
                    found = line;
            if (found || zorv.state() == QProcess::NotRunning)
                return true;
            zorv.waitForReadyRead(100);
            return false;
        },
        timeoutMs);
    return found;
}

bool ZorvFixture::waitForEnd(int timeoutMs)
{
    if (!zorv.waitForFinished(timeoutMs))
        return false;
    while (zorv.canReadLine())
        output << QString::fromUtf8(zorv.readLine()).chopped(1);
    return true;
}
