#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace training {

// One prompt the user read aloud: what was said and the recording of it (16 kHz mono
// 16-bit WAV, named by the prompt's place in the list).
struct VoiceRecording
{
    QString text;
    QString wavPath;
};

// Where the user's voice training lives: the recordings and the adaptation made from
// them, under the user's data folder ($XDG_DATA_HOME/ombrel-sarquen/voice), never in
// the program folder.
//   recordings/NNN.wav, recordings/prompts.tsv   what was recorded, a line each:
//                                                file name TAB prompt
//   adaptation/mllr_matrix, adaptation/calibration.json, adaptation/off (not in use)
// Adapt makes a new adaptation whole in a folder of its own beside adaptation/ and puts
// it in place with one rename, so that a run that fails, is cancelled or is killed leaves
// the previous one and every recording as they were. Every write goes into a temporary
// file renamed over the old one, and never through a link planted in the folder.
class VoiceFolder
{
public:
    explicit VoiceFolder(QString root = defaultRoot());
    static QString defaultRoot();

    QString root() const { return root_; }
    QString recordingsDir() const;
    QString adaptationDir() const;
    QString mllrPath() const;
    QString calibrationPath() const;

    // The most characters a prompt has: one that nobody reads aloud in a take, whose
    // words would keep the pronunciation guesser busy for minutes.
    static constexpr qsizetype kLongestPrompt = 500;

    // The recordings, in prompt order; a listed file that is missing, or whose prompt is
    // longer than kLongestPrompt, is left out.
    std::vector<VoiceRecording> recordings() const;
    // Stores the take of the prompt at `index` (replacing an earlier take of it). False,
    // with the reason, when it cannot be written.
    bool saveRecording(int index, const QString& text, const std::vector<std::int16_t>& samples,
                       QString* error);
    // The recording of the prompt at `index`, if there is one.
    std::optional<VoiceRecording> recording(int index) const;

    bool hasAdaptation() const;
    // Whether the recogniser uses the adaptation ("Use my voice training"); on until the
    // user turns it off.
    bool inUse() const;
    bool setInUse(bool use, QString* error);
    // Deletes the recordings and the adaptation.
    bool forget(QString* error);

    // A new, empty folder beside adaptation/ for Adapt to make the new adaptation in;
    // empty, with the reason, when none can be made.
    QString newAdaptationDir(QString* error) const;
    // Puts the adaptation made in `dir` in place of the one in use, in one rename, with
    // the user's choice to leave it off kept; the earlier one is deleted. False, with the
    // reason, when it cannot: the one in use stays.
    bool replaceAdaptation(const QString& dir, QString* error) const;
    // Deletes what runs of Adapt that were killed left beside the adaptation. Cheap when
    // there is nothing: called at every start.
    void removeLeftovers() const;

private:
    bool writePromptList(const std::vector<std::pair<QString, QString>>& lines,
                         QString* error) const;
    std::vector<std::pair<QString, QString>> promptList() const;

    QString root_;
};

// Writes 16 kHz mono 16-bit samples as a WAV file.
bool writeWav(const QString& path, const std::vector<std::int16_t>& samples, QString* error);
// Reads a WAV file as 16 kHz mono 16-bit samples (other rates and channel counts are
// refused: the recordings are all written that way).
std::optional<std::vector<std::int16_t>> readWav(const QString& path);

} // namespace training
