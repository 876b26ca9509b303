#pragma once

#include "speech/sphinx/Acceptance.h"
#include "speech/sphinx/Background.h"
#include "speech/sphinx/GrammarTranslation.h"
#include "speech/sphinx/PhraseDecoder.h"
#include "speech/sphinx/UtteranceJudge.h"
#include "speech/sphinx/VoiceEnd.h"

#include <future>
#include <memory>

struct ps_decoder_s;

namespace sphinx {

class DeepFilter;

// PocketSphinx behind PhraseDecoder. One decoder follows the live audio only to find
// where utterances begin and end. Each finished utterance is then decoded whole, three
// times: with the grammar, with a free loop of phones, and as one of the language's
// commonest words (Rivals.h), each taking its cepstral mean and noise estimate from the
// utterance itself. A phrase is accepted when the grammar's words explain the audio nearly
// as well as the best phone sequence does, and not clearly worse than an ordinary word;
// chatter and noise, forced onto some phrase of the grammar, fit it much worse than the
// phones they really are, and a word that is no command fits itself better.
// Beeps and whistles, which can fit a drawn-out vowel as well as any phones do, are told
// apart by their power lying in one narrow band (Tonality.h). In loud background noise
// (SignalToNoise.h) the noise is taken out of the utterance first (NoiseSuppressor.h, or
// DeepFilter.h when the settings name a network), and what is left of it still costs the
// right phrase some of its match, so the thresholds are lowered a little.
// The passes need the whole utterance, but not its end: when the settings ask for it, once
// the voice has fallen to the background's level they begin on a thread while the
// detector still waits out the pause, and the utterance takes their verdict when it ends
// with no one speaking since.
class SphinxDecoder final : public PhraseDecoder
{
public:
    static std::unique_ptr<SphinxDecoder> create(const Settings& settings, QString* error);
    ~SphinxDecoder() override;
    SphinxDecoder(const SphinxDecoder&) = delete;
    SphinxDecoder& operator=(const SphinxDecoder&) = delete;

    bool loadGrammar(const QString& grammarText, QStringList* skipped) override;
    void feed(const std::int16_t* samples, std::size_t count,
              const std::function<void(const DecodedUtterance&)>& heard) override;
    void flush(const std::function<void(const DecodedUtterance&)>& heard) override;
    void reset() override;
    bool inUtterance() const override { return inSpeech_; }

    // From now on `judge` decides what each utterance was, PocketSphinx only where it
    // cannot; it gets the phrases of the grammar loaded next.
    void setJudge(std::unique_ptr<UtteranceJudge> judge) { judge_ = std::move(judge); }

    // The dictionary's pronunciation of a word, words added for the grammar included.
    std::optional<QString> dictionaryPronunciation(const QString& word) const;

private:
    struct Pass
    {
        QString hypothesis;
        std::vector<Segment> segments;
    };
    struct BackgroundSample
    {
        std::vector<std::int16_t> samples;
        bool known = false; // of the running background; else the little before the speech
    };

    SphinxDecoder(const Settings& settings, ps_decoder_s* stream, ps_decoder_s* grammar,
                  ps_decoder_s* rivals, ps_decoder_s* phoneLoop,
                  std::unique_ptr<DeepFilter> deepFilter);
    // The ordinary words that rival the phrases of `translated`.
    QStringList rivalsOf(const TranslatedGrammar& translated) const;
    // Takes one 10 ms frame of live audio; ends the utterance when its end is heard.
    void feedFrame(const std::int16_t* frame,
                   const std::function<void(const DecodedUtterance&)>& heard);
    // Once the speech detector has heard the pause that ends a phrase: how many frames
    // more of it end the utterance, given what the live decoder has heard so far (0: it
    // ends now).
    int framesToWait();
    // Ends the live decoder's utterance and forgets what was counted in it.
    void endLiveUtterance();
    void finishUtterance(const std::function<void(const DecodedUtterance&)>& heard);
    // The background to measure and clean the utterance against.
    BackgroundSample backgroundNow() const;
    // Counts the frames at the background's level after speech, and begins the passes
    // when there are enough of them.
    void followQuiet(const std::int16_t* frame);
    // Waits for passes begun early, and forgets them.
    void settleEarlyPasses();
    // What an utterance was: the judge's verdict, or that of the whole-utterance passes;
    // all but its end and the reason it was not taken.
    DecodedUtterance decide(std::vector<std::int16_t> audio,
                            const BackgroundSample& background) const;
    static std::optional<Pass> bestPath(ps_decoder_s* decoder);
    // Decodes an utterance in one go.
    static std::optional<Pass> decodeWhole(ps_decoder_s* decoder,
                                           const std::vector<std::int16_t>& audio);

    Settings settings_;
    ps_decoder_s* stream_;    // follows the live audio: where utterances begin and end
    ps_decoder_s* grammar_;   // the grammar, on each whole utterance
    ps_decoder_s* rivals_;    // the ordinary words, on each whole utterance
    ps_decoder_s* phoneLoop_; // the free phone loop, on each whole utterance
    std::unique_ptr<DeepFilter> deepFilter_; // null: the speex preprocessor takes out noise
    TranslatedGrammar translated_;
    std::unique_ptr<UtteranceJudge> judge_;
    // Common words, commonest first, from which each grammar takes its rivals.
    QStringList commonWords_;
    bool hasGrammar_ = false;
    bool hasRivals_ = false;
    bool uttStarted_ = false;
    bool inSpeech_ = false;
    int waitFrames_ = 0;      // frames of the pause still to wait; 0: not in a pause
    int utteranceFrames_ = 0; // frames of speech in the utterance
    bool cutOff_ = false;     // the speech paused after no more than the beginning of a phrase
    int quietFrames_ = 0;     // frames in a row at the background's level, in an utterance
    bool voiceHeard_ = false; // a frame of the utterance stood out from the background
    std::future<DecodedUtterance> early_; // the passes begun before the utterance ended
    bool earlyTaken_ = false;             // and no one has spoken since they began
    VoiceEnd voiceEnd_;                   // the user's voice above talk in the room
    bool overTalk_ = false; // the detector heard speech after the user's voice had ended
    Background background_;
    std::vector<std::int16_t> audio_;   // the utterance so far as captured, a little before it
    std::vector<std::int16_t> pending_; // less than a frame, waiting for the rest
    std::int64_t fed_ = 0;
    std::uint32_t hiss_ = 1; // state of the faint noise laid under the live audio
};

} // namespace sphinx
