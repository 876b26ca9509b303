#pragma once

#include "app/speech/sphinx/GrammarTranslation.h"
#include "app/speech/sphinx/PhraseDecoder.h"

struct ps_decoder_s;

namespace sphinx {

// PocketSphinx behind PhraseDecoder. One decoder searches the grammar and finds where
// utterances begin and end; a second one decodes each finished utterance again with a
// free loop of phones. A phrase is accepted when the grammar path explains the audio
// nearly as well as the best phone sequence does; chatter and noise, forced onto some
// phrase of the grammar, fit it much worse than the phones they really are.
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

    // The dictionary's pronunciation of a word, words added for the grammar included.
    std::optional<QString> dictionaryPronunciation(const QString& word) const;

private:
    struct Pass
    {
        QString hypothesis;
        double scorePerFrame = 0;
        int frames = 0;
    };

    SphinxDecoder(const Settings& settings, ps_decoder_s* grammar, ps_decoder_s* phoneLoop);
    void finishUtterance(const std::function<void(const DecodedUtterance&)>& heard);
    static std::optional<Pass> bestPath(ps_decoder_s* decoder);
    std::optional<Pass> decodePhones();

    Settings settings_;
    ps_decoder_s* grammar_;
    ps_decoder_s* phoneLoop_;
    TranslatedGrammar translated_;
    bool hasGrammar_ = false;
    bool uttStarted_ = false;
    bool inSpeech_ = false;
    std::vector<std::int16_t> audio_; // the utterance so far, silence before it trimmed
    std::int64_t fed_ = 0;
};

} // namespace sphinx
