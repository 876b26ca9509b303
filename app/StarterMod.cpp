#include "app/StarterMod.h"

#include "app/TalkKeyLink.h"
#include "app/frmLaunch.h"
#include "app/frmSplash.h"
#include "common/AppTitle.h"
#include "launcher/AppPath.h"
#include "launcher/NewStore.h"
#include "launcher/SingleInstance.h"
#include "launcher/StartMode.h"
#include "platform/Platform.h"
#include "platform/audio/PulseAudio.h"
#include "platform/choice/DesktopChoice.h"
#include "platform/clock/Clock.h"
#include "platform/desktop/LimitedDesktop.h"
#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/input/InputRecord.h"
#include "platform/input/ReleasingDesktop.h"
#include "platform/net/QtHttp.h"
#include "platform/registry/SqliteRegistry.h"
#include "platform/session/EndSignals.h"
#include "platform/session/LogindSession.h"
#include "platform/shell/ProcessShell.h"
#include "platform/widgets/QtDialogs.h"
#include "platform/x11/X11Desktop.h"
#include "speech/SpeechEngines.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <memory>
#include <unistd.h>

namespace StarterMod {

namespace {

void forwardSevere(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "zorv: %s\n", message.toLocal8Bit().constData());
        std::fflush(stderr);
    }
}

std::unique_ptr<platform::Dialogs> makeDialogs()
{
    if (qEnvironmentVariable("SARQUEN_DIALOGS") == QLatin1String("console"))
        return std::make_unique<platform::ConsoleDialogs>();
    return std::make_unique<platform::QtDialogs>();
}

} // namespace

void quietQtMessages()
{
    if (qEnvironmentVariableIsEmpty("SARQUEN_DEBUG"))
        qInstallMessageHandler(forwardSevere);
}

namespace {

// Why the windows cannot be shown, or empty. Without a display Qt would abort the program.
QString missingDisplay()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool x11 = platform.isEmpty() ? qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                                        : platform.startsWith(QLatin1String("xcb"));
    // Wayland and the other platforms: Qt says what is wrong with them itself.
    if (!x11)
        return QString();
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("there is no graphical display (DISPLAY is not set); start it in a "
                              "desktop session");
    if (!platform::X11Desktop().connected())
        return QStringLiteral("the display %1 cannot be opened")
            .arg(qEnvironmentVariable("DISPLAY"));
    return QString();
}

} // namespace

int Main(int argc, char** argv)
{
    quietQtMessages();
    if (const QString problem = missingDisplay(); !problem.isEmpty()) {
        std::fprintf(stderr, "zorv: %s\n", problem.toLocal8Bit().constData());
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zorv"));
    QApplication::setApplicationVersion(appVersion());
    // The main window may be hidden or minimised with the splash gone: the program
    // ends only when the main window is unloaded.
    QApplication::setQuitOnLastWindowClosed(false);

    // A program already running for this store takes over: its window comes forward.
    const QString commandLine = commandLineText(QApplication::arguments());
    QString socketProblem;
    const QString socket =
        SingleInstance::socketFor(platform::SqliteRegistry::defaultPath(), &socketProblem);
    SingleInstance instance(socket);
    if (!socketProblem.isEmpty())
        std::fprintf(stderr, "zorv: %s\n", socketProblem.toLocal8Bit().constData());
    else if (!instance.claim(commandLine))
        return 0;

    platform::SqliteRegistry registry(platform::SqliteRegistry::defaultPath());
    const QString storeProblem = setUpNewStore(
        registry,
        QFileInfo(runningExecutablePath()).dir().filePath(QStringLiteral("defaults.reg")));
    if (!storeProblem.isEmpty()) {
        std::fprintf(stderr, "zorv: %s\n", storeProblem.toLocal8Bit().constData());
        std::fflush(stderr);
    }
    const std::unique_ptr<platform::Dialogs> dialogs = makeDialogs();
    platform::SystemClock clock;
    // What the program holds down on the desktop, beside its socket; it outlives every
    // desktop below, which let go of what they hold when they go.
    platform::InputRecord held(socket.isEmpty() ? QString() : socket + QStringLiteral("-input"));
    platform::X11Desktop x11Desktop;
    frmLaunch* window = nullptr;
    const auto tell = [&window](const QString& limit) {
        if (window)
            window->showDesktopNotice(limit);
    };
    const platform::DesktopChoice chosen = platform::chooseDesktop(x11Desktop, tell);
    platform::ReleasingDesktop releasing(chosen.desktop() ? *chosen.desktop() : x11Desktop, held);
    // A run killed while it held keys down or had keys rebound left them so.
    if (!held.leftOver().isEmpty()) {
        releasing.releaseLeftOver(held.leftOver());
        x11Desktop.restoreSpareKeys(held.leftOver());
        held.forgetLeftOver();
    }
    x11Desktop.setInputRecord(&held);
    platform::LimitedDesktop desktop(releasing, chosen.limits, tell);
    platform::ProcessShell shell;
    // A program started for the user comes to the front: the desktop gives it a startup id
    // or an activation token, and on X11 activates its window when the window manager
    // holds it back.
    shell.setLaunchFeedback(chosen.activation
                                ? chosen.activation.get()
                                : static_cast<platform::LaunchFeedback*>(&x11Desktop));
    platform::PulseAudio audio;
    platform::LogindSession session;
    platform::QtHttp http;
    const platform::Platform services{&registry, dialogs.get(), &clock,   &desktop,
                                      &shell,    &audio,        &session, &http};

    const SpeechPair speech = createSpeech(nullptr);
    Launcher launcher(services, speech.recognizer, speech.synthesizer, runningExecutablePath());
    const std::unique_ptr<QObject> talkKey = linkTalkKey(launcher);
    frmLaunch main(launcher);
    window = &main;
    if (!speech.notice.isEmpty())
        main.showSpeechNotice(speech.notice, speech.offCause);
    if (!speech.voiceNotice.isEmpty())
        main.showDesktopNotice(speech.voiceNotice);
    main.setHearingPossible(speech.notice.isEmpty() || isatty(STDIN_FILENO) != 0);
    QObject::connect(&launcher, &Launcher::programEnded, &app, [] { QCoreApplication::exit(0); });
    const platform::EndSignals ends;
    QObject::connect(&ends, &platform::EndSignals::received, &launcher, &Launcher::endProgram);
    QObject::connect(&instance, &SingleInstance::startedAgain, &main,
                     [&main, &launcher](const QString& line) {
                         if (asksToTalk(line))
                             launcher.talkOnce();
                         else
                             main.startedAgain(startModeFor(line));
                     });

    auto* splash = new frmSplash(main, commandLine);
    splash->load();
    splash->show();
    return QApplication::exec();
}

} // namespace StarterMod
