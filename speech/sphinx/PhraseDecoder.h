#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

// Why an utterance was not taken for a phrase, in the terms a user can act on.
enum class Rejection
{
    None,        // taken
    TooQuiet,    // the voice hardly stood out from the background
    CutOff,      // only the beginning of a phrase was heard
    NotACommand, // speech, but none of the phrases
    NotSpeech,   // a tone, a beep or noise
};

// "too quiet", "cut off", "not a command", "not speech"; empty for None.
QString rejectionText(Rejection rejection);

// What the decoder made of one utterance: the phrase exactly as the grammar rule has
// it, or a rejection (speech or noise that is none of the grammar's phrases).
struct DecodedUtterance
{
    std::optional<QString> phrase; // empty when rejected
    Rejection rejection = Rejection::None;
    std::optional<QString> candidate; // the grammar's best phrase, accepted or not
    std::optional<QString> rival;     // the ordinary word that fits the utterance best
    // What the decision was made on: the acceptance score of the phrase and that of its
    // worst-matching word, and the shortest and longest average phone of its words in
    // 10 ms frames.
    double score = 0;
    double wordScore = 0;
    double shortestPhone = 0;
    double longestPhone = 0;
    // By how much the phrase fits better than that ordinary word, per frame of its words.
    double rivalMargin = 0;
    // Another recogniser's probability that nothing was said, when one judged it.
    double noSpeech = 0;
    // The share of the utterance's sounding frames that hold one narrow tone.
    double tonalShare = 0;
    // How far the speech stood above the background, in dB.
    double snrDb = 0;
    std::int64_t endSample = 0; // where the utterance ended in the audio fed so far
};

// Turns 16 kHz mono 16-bit audio into the grammar's phrases, without threads or
// devices: the recogniser feeds it captured audio, the benchmark feeds it files.
class PhraseDecoder
{
public:
    struct Settings
    {
        QString modelDir;   // the acoustic model folder
        QString dictionary; // the pronunciation dictionary
        QString phoneModel; // the phone language model of the rejection pass
        // The user's voice training: a transform of the acoustic model's means toward
        // the user's voice (SphinxTrain's MLLR matrix file); empty: the general model.
        QString mllr;
        // Ordinary words each utterance is also decoded as: the `rivalWords` commonest
        // words of this word language model that sound like none of the phrases. A phrase
        // is not taken when the best of them fits the utterance better by more than
        // `rivalMargin` per frame of the phrase's words. No model or 0 words: none.
        QString languageModel;
        int rivalWords = 1000;
        double rivalMargin = -2;
        // The start phrase wakes the program, and the next command then acts: taken for
        // chatter it lets chatter act. It must pass every threshold above, and the rival
        // margin, by this much more. Set on the tune fold: 4 took false openings in an
        // hour of continuous speech from 6 to 1 and cost 4 % of the commands heard.
        double startPhraseMargin = 4;
        double vadThreshold = 1.5; // speech/silence decision; higher ignores more noise
        // The end of an utterance, in frames (10 ms) of silence after speech. Fewer answer
        // sooner but split phrases at the pauses between their words: what was heard so
        // far decides. The beginning of a longer phrase that is not a phrase itself ("Front"
        // of "Front Left") waits `pauseFrames` for the rest, anything else `endSilenceFrames`.
        int endSilenceFrames = 19;
        int pauseFrames = 60;
        // Frames at the background's level after speech, after which the whole-utterance
        // passes begin on what was said (and the rest of the pause as the background
        // sounds) while the pause is waited out; 0: they begin when the utterance has
        // ended. Utterances that need their noise taken out always wait for the end.
        // On the tune fold 8 took the latency from 251 / 683 ms (median / p95, real
        // voices) to 237 / 491, but cost 1 to 4 % of the commands: a word's soft end
        // taken for the pause, and a cleaner-looking start than the whole utterance has.
        int earlyPassFrames = 0;
        // Frames (10 ms) in a row near the background and `voiceDropDb` below the
        // utterance's loudest frame, after which the user's voice has ended even though
        // talk in the room still sounds like speech to the detector; 0: the detector
        // alone ends utterances. An utterance ended so is recognised only where the voice
        // stands out (VoiceSpan). Set on the tune fold: real commands heard over talk
        // 20 dB below the voice went from 8 to 46 % (words), 40 to 73 % (picture names)
        // and 50 to 100 % (sentences); nothing changed in quiet, band-limited or pink noise.
        int voiceGoneFrames = 30;
        double voiceDropDb = 18;
        // Utterances longer than this (frames) are ended and judged as they are.
        int longestUtteranceFrames = 800;
        // An utterance is taken as a phrase when the grammar's path explains it nearly as
        // well as a free loop of phones does: the acoustic score by which it falls short,
        // per frame of the phrase's words (0 or a little below for a good match), must
        // reach the threshold, and so must that of the worst-matching word. Short phrases
        // (one word of at most two syllables: "Yes", "Go") have their own threshold, which
        // their one word must reach: many ordinary words come close to one of them.
        double acceptThreshold = -44;
        double wordThreshold = -60;
        double shortPhraseThreshold = -44;
        // Limits of the average phone of each word of a phrase, in frames.
        double shortestPhone = 4;
        double longestPhone = 30;
        // Utterances more tonal than this (share of sounding frames that hold one narrow
        // tone) are beeps or whistles, never a phrase.
        double maxTonalShare = 0.5;
        // Noise. Utterances whose speech stands less than this far (dB) above the
        // background have the background taken out before they are decoded, by at most
        // `noiseAttenuationDb`; in cleaner ones that would only blur the speech.
        double denoiseBelowDb = 18;
        int noiseAttenuationDb = 15;
        // A neural network takes the noise out instead when both are given: DeepFilterNet's
        // runtime library and its model archive (DeepFilter.h). Empty: the speex
        // preprocessor.
        QString deepFilterLibrary;
        QString deepFilterModel;
        // Noise under the words costs even the right phrase some of its match: below
        // `quietSnrDb` every threshold is lowered by `noiseReliefPerDb` for each dB less,
        // down to `noisiestSnrDb`; not the rival margin, as the noise costs the ordinary
        // words as much.
        double quietSnrDb = 25;
        double noisiestSnrDb = 10;
        double noiseReliefPerDb = 0.25;
        // Speech less than this far above the background (dB) is reported as too quiet.
        double tooQuietDb = 6;
        // Whisper as the judge of each utterance, once the live decoder has found where it
        // begins and ends: the command that starts its process (program and arguments), or
        // empty for PocketSphinx's own passes; and when its answer is taken (WhisperJudge.h).
        // On the tune fold any margin let the speech to reject launch more than 5 % of the
        // time: only what Whisper heard word for word is taken.
        QStringList whisperCommand;
        double whisperMargin = std::numeric_limits<double>::infinity();
        double whisperNoSpeech = 0.3;
    };
    static Settings defaultSettings();

    // Null, with the reason in `error`, when the model cannot be loaded.
    static std::unique_ptr<PhraseDecoder> create(const Settings& settings, QString* error);
    virtual ~PhraseDecoder() = default;

    // Builds the search from the grammar text ("<start>=" rules, "\r\n" line ends);
    // phrases that cannot be made speakable are left out and listed in `skipped`.
    virtual bool loadGrammar(const QString& grammarText, QStringList* skipped) = 0;

    // Feeds audio; every utterance whose end is detected is reported through `heard`.
    virtual void feed(const std::int16_t* samples, std::size_t count,
                      const std::function<void(const DecodedUtterance&)>& heard) = 0;
    // Ends the utterance in progress as if silence followed (end of a file) and reports
    // it, when speech had begun. A decoder that cannot finish early just forgets it.
    virtual void flush(const std::function<void(const DecodedUtterance&)>& /*heard*/) { reset(); }
    // Forgets the utterance in progress (recognition paused, own speech playing).
    virtual void reset() = 0;
    // Whether speech has begun in what was fed and its utterance has not ended yet.
    virtual bool inUtterance() const { return false; }
};
