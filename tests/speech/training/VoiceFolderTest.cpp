#include "speech/training/VoiceFolder.h"
#include "speech/training/TrainingPrompts.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/SynthAudio.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace training;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// Links planted in the voice folder, at a file or at a folder: nothing is written through
// them and what they point to stays as it was; a linked folder is refused with the reason.
TEST(VoiceFolderTest, WritesNeverGoThroughLinks)
{
    const std::vector<std::int16_t> take = synth::vowel(1, 120, 8000);
    for (const QString link :
         {"recordings/001.wav.part", "recordings/001.wav", "recordings/prompts.tsv",
          "adaptation/off", "recordings", "adaptation"}) {
        TempDir dir;
        VoiceFolder folder(dir.file("voice"));
        const bool atFolder = !link.contains(QLatin1Char('/'));
        dir.write(atFolder ? "elsewhere/kept" : "elsewhere", "precious");
        dir.write("voice/recordings/.keep", {});
        dir.write("voice/adaptation/.keep", {});
        QDir(dir.file("voice/" + link)).removeRecursively();
        ASSERT_TRUE(QFile::link(dir.file("elsewhere"), dir.file("voice/" + link)));

        QString error;
        const bool ok = link.startsWith(QLatin1String("adaptation"))
                            ? folder.setInUse(false, &error)
                            : folder.saveRecording(0, "Computer", take, &error);
        EXPECT_EQ(ok, !atFolder) << qPrintable(link) << ": " << qPrintable(error);
        EXPECT_TRUE(ok || error.contains(QLatin1String("link"))) << qPrintable(error);
        EXPECT_EQ(contents(dir.file(atFolder ? "elsewhere/kept" : "elsewhere")), "precious");
        EXPECT_EQ(QDir(dir.file("elsewhere")).entryList(QDir::Files).size(), atFolder ? 1 : 0);
        if (ok && link.startsWith(QLatin1String("recordings"))) {
            EXPECT_EQ(readWav(dir.file("voice/recordings/001.wav")), take) << qPrintable(link);
        }
    }
}

// A prompt too long to say in a take is refused when the list is read; its line is kept.
TEST(VoiceFolderTest, RefusesPromptsTooLongToBeSaid)
{
    TempDir dir;
    VoiceFolder folder(dir.file("voice"));
    const std::vector<std::int16_t> take = synth::vowel(1, 120, 8000);
    ASSERT_TRUE(folder.saveRecording(0, "Computer", take, nullptr));
    ASSERT_TRUE(folder.saveRecording(1, "Open Mail", take, nullptr));
    const QString list = dir.file("voice/recordings/prompts.tsv");
    const QByteArray longLine = "002.wav\t" + QByteArray("Open Mail ").repeated(200) + '\n';
    dir.write("voice/recordings/prompts.tsv", "001.wav\tComputer\n" + longLine);
    EXPECT_EQ(folder.recordings().size(), 1u);
    EXPECT_FALSE(folder.recording(1));
    ASSERT_TRUE(folder.saveRecording(2, "Start Notepad", take, nullptr));
    EXPECT_TRUE(contents(list).contains(longLine));
    const QString longPhrase = QString(longLine.mid(8)).trimmed();
    EXPECT_FALSE(trainingPrompts("Computer", {longPhrase}).contains(longPhrase));
}

// What killed runs of Adapt left goes (a link without what it points to); an adaptation
// moved aside by a swap cut short is put back.
TEST(VoiceFolderTest, RemovesWhatKilledRunsLeft)
{
    TempDir dir;
    const VoiceFolder folder(dir.file("voice"));
    dir.write("voice/adaptation.new-Kx81Qa/work-aB3dE9/feat/take0.mfc", "killed");
    dir.write("elsewhere/kept", "precious");
    ASSERT_TRUE(QFile::link(dir.file("elsewhere"), dir.file("voice/adaptation.new-link")));
    dir.write("voice/adaptation.old-Zq02xY/mllr_matrix", "earlier");
    QDir().mkpath(folder.recordingsDir());
    folder.removeLeftovers();
    EXPECT_EQ(QDir(folder.root())
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
              QStringList({"adaptation", "recordings"}));
    EXPECT_EQ(contents(folder.mllrPath()), "earlier");
    EXPECT_EQ(contents(dir.file("elsewhere/kept")), "precious");
}
