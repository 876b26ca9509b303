#include "speech/training/VoiceTrainer.h"
#include "speech/sphinx/PhraseDecoder.h"
#include "speech/training/MllrMatrix.h"
#include "tests/support/FakeTrainer.h"
#include "tests/support/SynthAudio.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>

using namespace training;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// How a trainer's run ended, and whether any of its signals came off the UI thread.
struct Outcome
{
    explicit Outcome(VoiceTrainer& trainer)
    {
        const auto onUiThread = [this] {
            offUiThread |= QThread::currentThread() != qApp->thread();
        };
        QObject::connect(&trainer, &VoiceTrainer::progress, onUiThread);
        QObject::connect(&trainer, &VoiceTrainer::finished,
                         [this, onUiThread](bool ok, const QString& why) {
                             onUiThread();
                             finished.emplace(ok, why);
                         });
    }
    bool wait()
    {
        return waitForEvents([this] { return finished.has_value(); });
    }

    std::optional<std::pair<bool, QString>> finished;
    bool offUiThread = false;
};

class VoiceTrainerTest : public ::testing::Test
{
protected:
    // A voice folder with takes of `prompts` and the adaptation of an earlier run.
    VoiceFolder folderWith(const QString& name, const QStringList& prompts = {"Computer"}) const
    {
        VoiceFolder folder(dir.file(name));
        for (int i = 0; i < prompts.size(); ++i)
            EXPECT_TRUE(folder.saveRecording(i, prompts[i], synth::vowel(1, 120, 8000), nullptr));
        QDir().mkpath(folder.adaptationDir());
        dir.write(name + "/adaptation/mllr_matrix", "earlier");
        dir.write(name + "/adaptation/calibration.json", "earlier");
        return folder;
    }
    static bool earlierKept(const VoiceFolder& folder)
    {
        return contents(folder.mllrPath()) == "earlier" &&
               contents(folder.calibrationPath()) == "earlier";
    }
    // The installed model, with stand-ins for SphinxTrain's programs.
    AdaptationSetup setup(const QByteArray& bwScript,
                          const QByteArray& transform = mllrText()) const
    {
        const PhraseDecoder::Settings general = PhraseDecoder::defaultSettings();
        return {general.modelDir, general.dictionary,
                writeFakeTrainer(dir.file("st"), bwScript, transform)};
    }

    TempDir dir;
};

} // namespace

// No grammar: nothing to calibrate on, and the earlier calibration goes with the earlier
// adaptation. What a run killed earlier left beside it goes; the user's choice to leave
// the training off stays. Only the takes used are counted: not one that cannot be read,
// nor one whose prompt cannot be followed word by word.
TEST_F(VoiceTrainerTest, AdaptsOnTheUiThreadAndRefusesASecondRunMeanwhile)
{
    VoiceFolder folder = folderWith("voice", {"Computer", "Open Mail", "?!", "Computer"});
    dir.write("voice/recordings/004.wav", "not a recording");
    ASSERT_TRUE(folder.setInUse(false, nullptr));
    dir.write("voice/adaptation.new-Kx81Qa/work-aB3dE9/feat/take0.mfc", "killed");
    VoiceTrainer trainer(folder, setup("exit 0"));
    Outcome outcome(trainer);
    ASSERT_TRUE(trainer.start({}));
    EXPECT_FALSE(trainer.start({}));
    ASSERT_TRUE(outcome.wait());
    EXPECT_TRUE(outcome.finished->first &&
                outcome.finished->second.contains(QLatin1String("(2 recordings; 2 could not")))
        << qPrintable(outcome.finished->second);
    EXPECT_FALSE(outcome.offUiThread);
    EXPECT_FALSE(trainer.isRunning());
    QString error;
    EXPECT_TRUE(mllrFits(folder.mllrPath(), {13, 13, 13}, &error)) << qPrintable(error);
    EXPECT_FALSE(QFile::exists(folder.calibrationPath()));
    EXPECT_FALSE(folder.inUse());
    EXPECT_EQ(QDir(folder.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"adaptation", "recordings"}));
}

// Cancelled, or the window closed, in the middle of bw: bw (a minute long here) is
// killed, and the earlier adaptation stays.
TEST_F(VoiceTrainerTest, StoppingARunKillsBwAndKeepsTheEarlierAdaptation)
{
    const VoiceFolder folder = folderWith("voice");
    const QString pidFile = dir.file("bw.pid");
    for (const bool destroy : {false, true}) {
        QFile::remove(pidFile);
        auto trainer = std::make_unique<VoiceTrainer>(
            folder, setup("echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 60"));
        Outcome outcome(*trainer);
        ASSERT_TRUE(trainer->start({}));
        ASSERT_TRUE(waitUntil([&] { return contents(pidFile).endsWith('\n'); }));
        if (destroy) {
            trainer.reset();
        } else {
            trainer->cancel();
            ASSERT_TRUE(outcome.wait());
            EXPECT_FALSE(outcome.finished->first);
            EXPECT_EQ(outcome.finished->second, QStringLiteral("Adaptation cancelled."));
        }
        EXPECT_NE(::kill(contents(pidFile).trimmed().toInt(), 0), 0) << "destroyed: " << destroy;
        EXPECT_TRUE(earlierKept(folder)) << "destroyed: " << destroy;
    }
}

TEST_F(VoiceTrainerTest, RunsThatCannotAdaptSayWhyAndKeepTheEarlierAdaptation)
{
    const std::vector<std::tuple<QStringList, QByteArray, const char*>> cases{
        {{}, "exit 0", "no recordings"},
        {{"?!", "..."}, "exit 0", "None of the recordings"},
        {{"Computer"}, "echo 'ERROR: no alignment'\nexit 1", "bw failed: ERROR: no alignment"},
        {{"Computer"}, "", "sphinxtrain"},
        {{"Computer"}, "exit 0", "unusable"},
        {{"Computer"}, "exit 0", "does not load"}};
    // What mllr_solve makes in the last two: a transform of more classes than PocketSphinx
    // takes, and one whose model hears every sound alike.
    const std::vector<QByteArray> transforms{mllrText(2), mllrText(1, "0", "0", "0", "1")};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [prompts, bwScript, reason] = cases[i];
        const VoiceFolder folder = folderWith(QStringLiteral("voice%1").arg(i), prompts);
        const std::size_t fromEnd = cases.size() - i;
        AdaptationSetup s =
            setup(bwScript, fromEnd <= transforms.size() ? transforms[transforms.size() - fromEnd]
                                                         : mllrText());
        if (bwScript.isEmpty())
            s.trainerDir = dir.file("none"); // SphinxTrain not installed
        VoiceTrainer trainer(folder, s);
        Outcome outcome(trainer);
        ASSERT_TRUE(trainer.start({}));
        ASSERT_TRUE(outcome.wait()) << reason;
        EXPECT_FALSE(outcome.finished->first) << reason;
        EXPECT_TRUE(outcome.finished->second.contains(QLatin1String(reason)))
            << qPrintable(outcome.finished->second);
        EXPECT_TRUE(earlierKept(folder)) << reason;
        EXPECT_EQ(folder.recordings().size(), std::size_t(prompts.size()));
    }
}

// Cancelled while the new adaptation is measured on the takes: the user is told the run
// was cancelled, so the earlier adaptation must be the one kept.
TEST_F(VoiceTrainerTest, CancelWhileMeasuringKeepsTheEarlierAdaptation)
{
    const VoiceFolder folder = folderWith("voice");
    VoiceTrainer trainer(folder, setup("exit 0"));
    Outcome outcome(trainer);
    QObject::connect(&trainer, &VoiceTrainer::progress, [&](int percent) {
        if (percent == 90)
            trainer.cancel();
    });
    ASSERT_TRUE(trainer.start({}));
    ASSERT_TRUE(outcome.wait());
    // Either the cancel came too late and the run is done, or nothing changed.
    EXPECT_EQ(outcome.finished->first, !earlierKept(folder))
        << qPrintable(outcome.finished->second);
}
