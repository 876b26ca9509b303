// Another program of the session, for the GNOME desktop's tests: takes the program's bus
// name on the bus at the address given, asks the Shell's extension for the active window
// as the program does, and prints the error, or "answered". A second file given is first
// renamed over its own executable, as a package upgrade does.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::connectToBus(
        QString::fromLocal8Bit(argc > 1 ? argv[1] : ""), QStringLiteral("taker"));
    if ((argc > 2 && std::rename(argv[2], qPrintable(QCoreApplication::applicationFilePath()))) ||
        !bus.registerService(QStringLiteral("org.ombrel.Sarquen")))
        return 1;
    const QDBusMessage answer = bus.call(QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/ombrel/Sarquen/Desktop"),
        QStringLiteral("org.ombrel.Sarquen.Desktop"), QStringLiteral("ActiveWindow")));
    const bool answered = answer.type() == QDBusMessage::ReplyMessage;
    std::printf("%s\n", answered ? "answered" : qPrintable(answer.errorName()));
    return 0;
}
