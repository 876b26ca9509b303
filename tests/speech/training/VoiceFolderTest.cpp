#include "speech/training/VoiceFolder.h"
#include "speech/training/TrainingPrompts.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/SynthAudio.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace training;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// Links planted in the voice folder: nothing is written through them, a file elsewhere
// stays as it was, and what cannot be written says why.
TEST(VoiceFolderTest, WritesNeverGoThroughLinks)
{
    const std::vector<std::int16_t> take = synth::vowel(1, 120, 8000);
    struct Case
    {
        const char* link; // inside the voice folder
        bool folder;      // the link stands for a folder, or a file
        bool written;     // the write still succeeds (into the folder itself)
    };
    const std::vector<Case> cases{{"recordings/001.wav.part", false, true},
                                  {"recordings/001.wav", false, true},
                                  {"recordings/prompts.tsv", false, true},
                                  {"adaptation/off", false, true},
                                  {"recordings", true, false},
                                  {"adaptation", true, false}};
    for (const Case& c : cases) {
        TempDir dir;
        VoiceFolder folder(dir.file("voice"));
        ASSERT_TRUE(QDir().mkpath(folder.recordingsDir()));
        ASSERT_TRUE(QDir().mkpath(folder.adaptationDir()));
        const QString elsewhere = dir.file("elsewhere");
        if (c.folder) {
            ASSERT_TRUE(QDir().mkpath(elsewhere));
            ASSERT_TRUE(QDir(dir.file("voice/" + QLatin1String(c.link))).removeRecursively());
        } else {
            dir.write("elsewhere", "precious");
        }
        ASSERT_TRUE(QFile::link(elsewhere, dir.file("voice/" + QLatin1String(c.link))));

        QString error;
        const bool ok = QLatin1String(c.link).startsWith(QLatin1String("adaptation"))
                            ? folder.setInUse(false, &error)
                            : folder.saveRecording(0, "Computer", take, &error);
        EXPECT_EQ(ok, c.written) << c.link << ": " << qPrintable(error);
        if (!ok) {
            EXPECT_TRUE(error.contains(QLatin1String("link"))) << qPrintable(error);
        }
        if (c.folder) {
            EXPECT_TRUE(QDir(elsewhere).isEmpty()) << c.link;
        } else {
            EXPECT_EQ(contents(elsewhere), "precious") << c.link;
        }
        if (ok && QLatin1String(c.link).startsWith(QLatin1String("recordings"))) {
            EXPECT_FALSE(QFileInfo(dir.file("voice/recordings/001.wav")).isSymLink()) << c.link;
            EXPECT_EQ(readWav(dir.file("voice/recordings/001.wav")), take) << c.link;
            EXPECT_EQ(folder.recordings().size(), 1u) << c.link;
        }
    }
}

// A prompt no one reads aloud in one take (a list edited by hand, or damaged) is refused
// when the list is read, so that nothing hands it to the trainer; its line is kept.
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
    // Nor is such a command phrase given to the user to read.
    const QString longPhrase = QString(longLine.mid(8)).trimmed();
    EXPECT_FALSE(trainingPrompts("Computer", {longPhrase}).contains(longPhrase));
}

// What runs killed in the middle of Adapt left beside the adaptation goes, and a link
// among it is removed without touching what it points to; an adaptation moved aside by
// a swap cut short is put back when there is no other.
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
    // With nothing left over, nothing changes.
    folder.removeLeftovers();
    EXPECT_EQ(contents(folder.mllrPath()), "earlier");
}
