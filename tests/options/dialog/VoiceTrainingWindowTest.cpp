#include "options/dialog/frmOptions.h"
#include "options/training/frmTrain.h"
#include "platform/widgets/Tabrix.h"
#include "speech/training/Adaptation.h"
#include "tests/support/Child.h"
#include "tests/support/FakeListening.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/SynthAudio.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>

namespace {

class VoiceTrainingWindowTest : public MainWindowFixture
{
protected:
    TempDir data;
    ScopedEnv dataHome{"XDG_DATA_HOME", data.path().toUtf8()};
    training::VoiceFolder folder{training::VoiceFolder::defaultRoot()};
};

// A take of a spoken vowel between stretches of quiet, as one prompt read aloud; at a
// gain above 1 the voice overdrives the input.
std::vector<std::int16_t> take(double gain = 1)
{
    std::vector<std::int16_t> audio = synth::noise(0.5, 40);
    for (const std::int16_t s : synth::vowel(1.0, 120, 8000))
        audio.push_back(static_cast<std::int16_t>(std::clamp(s * gain, -32768.0, 32767.0)));
    const std::vector<std::int16_t> after = synth::noise(0.6, 40, 9);
    audio.insert(audio.end(), after.begin(), after.end());
    return audio;
}

} // namespace

TEST_F(VoiceTrainingWindowTest, PromptsAreRecordedAndBadTakesRefused)
{
    loaded();
    // The first input is only opened: the window looks for something to record from.
    std::vector<std::vector<std::int16_t>> takes{{}, take(20), take()};
    QPointer<frmTrain> window =
        new frmTrain(*launcher, main.get(), folder, training::AdaptationSetup{}, [&takes] {
            auto input = std::make_unique<RecordedTake>(takes.front());
            takes.erase(takes.begin());
            return input;
        });
    window->show();
    const auto label = [&](const char* name) { return child<QLabel>(window, name)->text(); };
    const auto button = [&](const char* name) { return child<Tabrix>(window, name); };
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Train Your Voice"));
    EXPECT_EQ(label("lblPrompt"), QStringLiteral("Computer"));
    EXPECT_EQ(label("lblProgress"), QStringLiteral("1 of %1").arg(window->prompts().size()));
    EXPECT_FALSE(button("cmdPlay")->isEnabled());
    EXPECT_FALSE(button("cmdAdapt")->isEnabled());

    // Overdriven: refused, nothing kept. Then a good take of the same prompt.
    button("cmdRecord")->click();
    ASSERT_TRUE(
        waitForEvents([&] { return label("lblCheck").contains(QLatin1String("clipped")); }));
    EXPECT_FALSE(folder.recording(0));
    button("cmdRecord")->click();
    ASSERT_TRUE(waitForEvents([&] { return folder.recording(0).has_value(); }));
    EXPECT_EQ(folder.recording(0)->text, QStringLiteral("Computer"));
    EXPECT_TRUE(takes.empty());
    EXPECT_TRUE(button("cmdPlay")->isEnabled());
    EXPECT_TRUE(button("cmdAdapt")->isEnabled());

    button("cmdNext")->click();
    EXPECT_EQ(label("lblProgress"), QStringLiteral("2 of %1").arg(window->prompts().size()));
    EXPECT_FALSE(button("cmdPlay")->isEnabled());
    window->close();
}

TEST_F(VoiceTrainingWindowTest, WithoutAMicrophoneItSaysSoOnOpening)
{
    loaded();
    QPointer<frmTrain> window =
        new frmTrain(*launcher, main.get(), folder, training::AdaptationSetup{},
                     [] { return std::make_unique<MissingInput>(); });
    EXPECT_EQ(child<QLabel>(window, "lblCheck")->text(),
              QStringLiteral("Nothing can be recorded: the sound server has no microphone"));
    window->close();
}

TEST_F(VoiceTrainingWindowTest, OptionsTurnTheTrainingOffAndForgetIt)
{
    ASSERT_TRUE(folder.saveRecording(0, QStringLiteral("Computer"), take(), nullptr));
    loaded();
    QPointer<frmOptions> dialog = openOptionsDialog(*launcher, main.get());
    QCheckBox* use = child<QCheckBox>(dialog, "chkVoiceTraining");
    EXPECT_TRUE(use->isChecked());
    use->setChecked(false);
    child<Tabrix>(dialog, "cmdOk")->click();
    EXPECT_FALSE(folder.inUse());
    EXPECT_EQ(recognizer->calls.count(QStringLiteral("useVoiceTraining")), 1);

    dialog = openOptionsDialog(*launcher, main.get());
    EXPECT_FALSE(child<QCheckBox>(dialog, "chkVoiceTraining")->isChecked());
    // Asked first; "No" keeps everything.
    store.dialogs.answers = {platform::MsgAnswer::No, platform::MsgAnswer::Yes};
    child<Tabrix>(dialog, "cmdForgetVoice")->click();
    EXPECT_EQ(folder.recordings().size(), 1u);
    child<Tabrix>(dialog, "cmdForgetVoice")->click();
    EXPECT_TRUE(folder.recordings().empty());
    EXPECT_EQ(recognizer->calls.count(QStringLiteral("useVoiceTraining")), 2);
    dialog->close();
}
