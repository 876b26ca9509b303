#include "launcher/Launcher.h"

#include "commands/CommandStore.h"
#include "launcher/AppPath.h"
#include "launcher/Grammar.h"
#include "launcher/SpokenAnswers.h"
#include "launcher/WindowCommands.h"
#include "scripts/KeyNotation.h"
#include "scripts/ScriptInterpreter.h"
#include "scripts/TextMacros.h"
#include "speech/Recognizer.h"
#include "speech/Synthesizer.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <iostream>
#include <sstream>

namespace {

const char* const kVoiceAttributes = "Mfg=Microsoft;Gender=1";

} // namespace

Launcher::Launcher(const platform::Platform& platform, Recognizer* recognizer,
                   Synthesizer* synthesizer, QString executablePath, QObject* parent)
    : QObject(parent), platform_(platform), executablePath_(std::move(executablePath)),
      reg_(std::make_unique<modReg>(*platform.registry, *platform.dialogs)), options_(*reg_),
      recognizer_(recognizer), synthesizer_(synthesizer),
      listening_(*recognizer, [this](bool listening) { emit listeningChanged(listening); }),
      tcom_(new QTimer(this)),
      answers_(std::make_unique<SpokenAnswers>(*recognizer, *synthesizer, *platform.clock,
                                               *platform.audio, options_.current())),
      windows_(std::make_unique<WindowCommands>(*platform.desktop, [this] {
          return mainWindow_ ? mainWindow_() : platform::WindowId{0};
      }))
{
    recognizer_->setParent(this);
    synthesizer_->setParent(this);
    tcom_->setObjectName(QStringLiteral("tcom"));

    interpreter_ = std::make_unique<ScriptInterpreter>(
        *this, platform_, [this](const QString& keys, QString* error) {
            // A long text keeps the windows live while it is typed, and ends with the
            // program.
            return TypeKeys(*platform_.desktop, keys, error, [this] {
                QCoreApplication::processEvents();
                return !hasEnded();
            });
        });
    dispatcher_ = std::make_unique<Dispatcher>(
        DispatchContext{state_, options_.current(), commands_, *tcom_, listening_, *answers_,
                        *windows_, [this](QString& target) { return CheckScript(target); },
                        *platform_.shell, *platform_.dialogs, *this});

    connect(recognizer_, &Recognizer::utteranceStarted, this, [this] { talk_.utteranceStarted(); });
    connect(recognizer_, &Recognizer::notUnderstood, this, [this](const QString& reason) {
        if (talk_.admits())
            emit notUnderstood(reason);
    });
    connect(recognizer_, &Recognizer::PhraseHeard, this, [this](const QString& phrase) {
        // With push-to-talk, what was said outside a press was not meant for the program:
        // it is neither acted on nor shown.
        if (!talk_.admits())
            return;
        // A phrase let go for want of the start phrase must not look taken.
        emit heard(dispatcher_->waitsForStartPhrase(phrase)
                       ? QStringLiteral("%1 \u2014 say \"%2\" first")
                             .arg(phrase, options_.current().startCommand)
                       : phrase);
        dispatcher_->PhraseHeard(phrase);
    });
    connect(tcom_, &QTimer::timeout, this, [this] { dispatcher_->tcomTick(); });
    connect(synthesizer_, &Synthesizer::SpeechDone, this, [this] { state_.speaking = 0; });
}

Launcher::~Launcher() = default;

void Launcher::load()
{
    appPath_ = computeAppPath(executablePath_);
    state_.startHeard = 0;
    state_.confirmPending = 0;
    state_.cyclingWindows = 0;
    options_.load();
    // A zero or negative time means the start-phrase window never closes by time.
    tcom_->setInterval(std::max<int>(0, options().tcomt));
    applyTalkOptions();
    emit optionsChanged();
    selectVoice();
    setList();
    listening_.resumeRecognition();
}

void Launcher::selectVoice()
{
    const int index = synthesizer_->FindVoiceIndex(QString::fromLatin1(kVoiceAttributes));
    synthesizer_->UseVoice(static_cast<std::int16_t>(index));
}

void Launcher::setList()
{
    std::ostringstream notes;
    QStringList phrases;
    const bool loaded = LoadCommandTable(
        *reg_, commands_, [&phrases](const QString& phrase) { phrases << phrase; }, notes);
    emit commandsListed(phrases);
    // A list longer than the table is reported once, not on every reload.
    if (!notes.str().empty() && !commandLimitReported_) {
        std::cerr << notes.str() << std::flush;
        commandLimitReported_ = true;
    }
    // Without the list key the recogniser keeps the grammar it had.
    if (!loaded)
        return;
    addCom();
    QStringList userPhrases;
    for (int i = 1; i <= commands_.count(); ++i)
        userPhrases << commands_.phrases[i].text();
    grammarText_ = buildGrammarText(userPhrases, options().startCommand);
    recognizer_->LoadGrammarText(grammarText_);
}

void Launcher::addCom()
{
    emit commandsListed(builtinListEntries());
}

void Launcher::reloadCommands()
{
    emit commandListCleared();
    setList();
}

QStringList Launcher::builtinPhrases() const
{
    return builtinGrammarPhrases() + QStringList{options().startCommand};
}

void Launcher::applyOptions(const Options& options)
{
    options_.save(options);
    tcom_->setInterval(std::max<int>(0, options.tcomt));
    applyTalkOptions();
    emit optionsChanged();
    // The grammar is rebuilt with the new start command.
    reloadCommands();
}

void Launcher::applyTalkOptions()
{
    const bool on = options().pushToTalkOn();
    talk_.setEnabled(on);
    QString why;
    if (!watchTalkKey(on ? options().talkKey : QString(), &why))
        emit talkKeyNotice(QStringLiteral("Push-to-talk: %1").arg(why));
}

void Launcher::talkKeyTold(const QString& what, bool keyGone)
{
    if (keyGone)
        watchedKey_.clear();
    emit talkKeyNotice(QStringLiteral("Push-to-talk: %1").arg(what));
}

bool Launcher::watchTalkKey(const QString& key, QString* error)
{
    // The dialog's OK takes the key before the options are applied: not twice.
    if (!talkKeyWatch_ || key == watchedKey_)
        return true;
    const bool taken = talkKeyWatch_(key, error);
    // A refused key is not watched, and neither is the one before it.
    watchedKey_ = taken ? key : QString();
    return taken;
}

QString Launcher::talkPrompt() const
{
    return talk_.enabled() ? QStringLiteral("Hold %1 to speak").arg(options().talkKey) : QString();
}

bool Launcher::CheckScript(QString& path)
{
    return interpreter_->CheckScript(path);
}

void Launcher::RunScript(const QString& path)
{
    interpreter_->RunScript(path);
}

void Launcher::say(const QString& text)
{
    Speak(expandMacros(text, *platform_.clock));
}

void Launcher::Speak(const QString& words)
{
    answers_->Speak(words);
}

QString Launcher::getDate() const
{
    return answers_->getDate();
}

void Launcher::Sounding()
{
    answers_->Sounding();
}

void Launcher::setMainWindow(std::function<platform::WindowId()> mainWindow)
{
    mainWindow_ = std::move(mainWindow);
}

void Launcher::minwin()
{
    windows_->minwin();
}

void Launcher::maxwin()
{
    windows_->maxwin();
}

void Launcher::closewin()
{
    windows_->closewin();
}

void Launcher::restorewin()
{
    windows_->restorewin();
}

void Launcher::useVoiceTraining()
{
    recognizer_->useVoiceTraining();
}

void Launcher::holdMainWindow()
{
    emit mainWindowHeld(true);
    // The listening state stays as it is: it tells the release to resume.
    if (isListening())
        pauseRecognition();
}

void Launcher::releaseMainWindow()
{
    emit mainWindowHeld(false);
    if (isListening())
        resumeRecognition();
}

void Launcher::endProgram()
{
    if (ended_)
        return;
    ended_ = true;
    recognizer_->StopRecognition();
    emit programEnded();
}
