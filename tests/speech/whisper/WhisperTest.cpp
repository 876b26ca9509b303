#include "speech/sphinx/PhraseDecoder.h"
#include "speech/whisper/WhisperJudge.h"
#include "speech/whisper/WhisperProcess.h"
#include "tests/support/SpokenAudio.h"
#include "tests/support/TempDir.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using whisper::Answer;
using whisper::Rule;
using whisper::WhisperProcess;

// The recogniser process as the program runs it, in the environment dev/neural-venv.sh
// makes (make test makes it when PyPI can be reached).
const QString python = qEnvironmentVariable("SARQUEN_NEURAL_VENV") + QStringLiteral("/bin/python");
QStringList whisperCommand()
{
    return {python, QStringLiteral(SARQUEN_WHISPER_SCRIPT)};
}
bool haveWhisper()
{
    return QFileInfo(python).isExecutable();
}

TEST(WhisperRule, TakesAPhraseNearlyAsLikelyAsWhatWasHeard)
{
    struct Case
    {
        std::optional<QString> phrase;
        QString heard;
        double phraseScore, heardScore, noSpeech;
        bool takes;
    };
    const Rule rule{-3, 0.6};
    for (const Case& c : std::vector<Case>{
             {"What's New", " What's new?", -9, -2, 0.9, true}, // heard word for word
             {"Yes", "Yeah.", -5, -2, 0.1, true},               // as far short as allowed
             {"Yes", "Yeah.", -5.1, -2, 0.1, false},            // further
             {"Yes", "Yeah.", -2, -2, 0.61, false},             // the model heard nothing
             {std::nullopt, "Yes", 0, 0, 0, false},
         }) {
        Answer a;
        a.phrase = c.phrase;
        a.heard = c.heard;
        a.phraseScore = c.phraseScore;
        a.heardScore = c.heardScore;
        a.noSpeech = c.noSpeech;
        EXPECT_EQ(rule.takes(a), c.takes) << c.phraseScore << " " << c.noSpeech;
    }
}

TEST(WhisperProcess, TellsWhyItCannotBeAsked)
{
    struct Case
    {
        QStringList command;
        QString told;
    };
    for (const Case& c : std::vector<Case>{
             {{}, "no command"},
             {{"/nonexistent/python3"}, "cannot start /nonexistent/python3"},
             {{"sh", "-c", "echo 'error ModuleNotFoundError: no ctranslate2'"},
              "cannot load its model: ModuleNotFoundError: no ctranslate2"},
             {{"sh", "-c", "exit 3"}, "the Whisper recogniser stopped"},
             {{"sh", "-c", "echo hello"}, "said \"hello\" instead of ready"},
         }) {
        QString error;
        EXPECT_FALSE(WhisperProcess::start(c.command, &error));
        EXPECT_TRUE(error.contains(c.told)) << qPrintable(error);
    }

    // One that stops, or answers nonsense, fails that call and every later one.
    for (const char* script : {"echo ready; read request", "echo ready; read r; echo nonsense"}) {
        QString error;
        std::unique_ptr<WhisperProcess> p = WhisperProcess::start({"sh", "-c", script}, &error);
        ASSERT_TRUE(p) << qPrintable(error);
        EXPECT_FALSE(p->hear(std::vector<std::int16_t>(16000), &error));
        const QString first = error;
        EXPECT_FALSE(first.isEmpty());
        EXPECT_FALSE(p->setPhrases({"Yes"}, &error));
        EXPECT_EQ(error, first);
    }
}

TEST(WhisperJudge, HearsThePhrasesAndNotOtherTalk)
{
    if (!haveWhisper())
        GTEST_SKIP() << "no neural environment (dev/neural-venv.sh makes it)";
    TempDir dir;
    QString error;
    std::unique_ptr<WhisperProcess> process = WhisperProcess::start(whisperCommand(), &error);
    ASSERT_TRUE(process) << qPrintable(error);
    const PhraseDecoder::Settings tuned = PhraseDecoder::defaultSettings();
    whisper::WhisperJudge judge(std::move(process),
                                Rule{tuned.whisperMargin, tuned.whisperNoSpeech});
    ASSERT_TRUE(judge.loadPhrases({"What Time Is It", "Open The Calculator", "Computer"}, &error))
        << qPrintable(error);
    for (const auto& [said, taken] : std::vector<std::pair<QString, std::optional<QString>>>{
             {"what time is it", "What Time Is It"},
             {"open the calculator", "Open The Calculator"},
             {"the weather was lovely in the spring", std::nullopt},
         }) {
        DecodedUtterance u;
        ASSERT_TRUE(judge.judge(spoken(dir, said), u));
        EXPECT_EQ(u.phrase, taken) << qPrintable(said) << ": heard " << qPrintable(*u.rival);
    }
}

// PocketSphinx finds the utterance in the stream either way; when the judge's process
// fails, PocketSphinx decides alone.
TEST(WhisperJudge, PocketSphinxDecidesWhenTheProcessFails)
{
    TempDir dir;
    std::vector<QStringList> commands{{"sh", "-c", "echo ready; read request"}};
    if (haveWhisper())
        commands.push_back(whisperCommand());
    for (const QStringList& command : commands) {
        PhraseDecoder::Settings settings = PhraseDecoder::defaultSettings();
        settings.whisperCommand = command;
        QString error;
        std::unique_ptr<PhraseDecoder> decoder = PhraseDecoder::create(settings, &error);
        ASSERT_TRUE(decoder) << qPrintable(error);
        ASSERT_TRUE(decoder->loadGrammar(QStringLiteral("<start>=What Time Is It\r\n"), nullptr));
        const std::vector<std::int16_t> audio = spoken(dir, QStringLiteral("what time is it"));
        std::vector<DecodedUtterance> heard;
        const auto collect = [&](const DecodedUtterance& u) { heard.push_back(u); };
        decoder->feed(audio.data(), audio.size(), collect);
        decoder->flush(collect);
        ASSERT_EQ(heard.size(), 1u) << qPrintable(command.join(' '));
        EXPECT_EQ(heard[0].phrase, QString("What Time Is It")) << qPrintable(command.join(' '));
    }
    PhraseDecoder::Settings settings = PhraseDecoder::defaultSettings();
    settings.whisperCommand = QStringList{"sh", "-c", "exit 1"};
    QString error;
    EXPECT_FALSE(PhraseDecoder::create(settings, &error));
    EXPECT_EQ(error, "the Whisper recogniser stopped");
}

} // namespace
