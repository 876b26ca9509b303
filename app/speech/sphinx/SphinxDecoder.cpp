#include "app/speech/sphinx/SphinxDecoder.h"

#include "app/speech/sphinx/Pronunciation.h"

#include <limits>
#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>

namespace sphinx {
namespace {

constexpr std::size_t blockSamples = 512;
// Audio kept from before the decoder reports speech: its pre-speech buffer (0.2 s) and
// start-up delay (0.1 s) with room to spare, so that the second pass sees the onset.
constexpr std::size_t leadInSamples = 8000;
const char* const searchName = "cmd";

ps_decoder_t* makeDecoder(std::vector<QByteArray> args)
{
    args.push_back("-logfn");
    args.push_back("/dev/null");
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    cmd_ln_t* config =
        cmd_ln_parse_r(nullptr, ps_args(), static_cast<int32>(argv.size()), argv.data(), TRUE);
    if (!config)
        return nullptr;
    ps_decoder_t* decoder = ps_init(config);
    cmd_ln_free_r(config);
    return decoder;
}

} // namespace

std::unique_ptr<SphinxDecoder> SphinxDecoder::create(const Settings& settings, QString* error)
{
    const QByteArray vad = QByteArray::number(settings.vadThreshold);
    ps_decoder_t* grammar = makeDecoder({"-hmm", settings.modelDir.toLocal8Bit(), "-dict",
                                         settings.dictionary.toLocal8Bit(), "-vad_threshold", vad});
    ps_decoder_t* phones =
        grammar ? makeDecoder({"-hmm", settings.modelDir.toLocal8Bit(), "-allphone",
                               settings.phoneModel.toLocal8Bit(), "-allphone_ci", "yes", "-lw",
                               "2.0", "-beam", "1e-20", "-pbeam", "1e-20", "-vad_threshold", vad})
                : nullptr;
    if (!grammar || !phones) {
        if (grammar)
            ps_free(grammar);
        if (error)
            *error = QStringLiteral("PocketSphinx could not load the model in %1")
                         .arg(settings.modelDir);
        return nullptr;
    }
    return std::unique_ptr<SphinxDecoder>(new SphinxDecoder(settings, grammar, phones));
}

SphinxDecoder::SphinxDecoder(const Settings& settings, ps_decoder_s* grammar,
                             ps_decoder_s* phoneLoop)
    : settings_(settings), grammar_(grammar), phoneLoop_(phoneLoop)
{
}

SphinxDecoder::~SphinxDecoder()
{
    reset();
    ps_free(phoneLoop_);
    ps_free(grammar_);
}

std::optional<QString> SphinxDecoder::dictionaryPronunciation(const QString& word) const
{
    char* phones = ps_lookup_word(grammar_, word.toUtf8().constData());
    if (!phones)
        return std::nullopt;
    QString result = QString::fromUtf8(phones);
    ckd_free(phones);
    return result;
}

bool SphinxDecoder::loadGrammar(const QString& grammarText, QStringList* skipped)
{
    // The search cannot change in the middle of an utterance.
    reset();
    const PronunciationSource source{
        [this](const QString& word) { return dictionaryPronunciation(word); },
        [](const QString& word) { return guessPronunciation(word); }};
    TranslatedGrammar translated = translateGrammar(grammarText, source);
    if (skipped)
        *skipped = translated.skipped;
    if (translated.jsgf.isEmpty())
        return false;
    for (const auto& [word, phones] : translated.newWords) {
        if (!dictionaryPronunciation(word))
            ps_add_word(grammar_, word.toUtf8().constData(), phones.toUtf8().constData(), FALSE);
    }
    if (ps_set_jsgf_string(grammar_, searchName, translated.jsgf.toUtf8().constData()) != 0 ||
        ps_set_search(grammar_, searchName) != 0)
        return false;
    translated_ = std::move(translated);
    hasGrammar_ = true;
    return true;
}

void SphinxDecoder::feed(const std::int16_t* samples, std::size_t count,
                         const std::function<void(const DecodedUtterance&)>& heard)
{
    if (!hasGrammar_) {
        fed_ += static_cast<std::int64_t>(count);
        return;
    }
    for (std::size_t pos = 0; pos < count; pos += blockSamples) {
        const std::size_t n = std::min(blockSamples, count - pos);
        if (!uttStarted_) {
            if (ps_start_utt(grammar_) != 0)
                return;
            uttStarted_ = true;
            audio_.clear();
        }
        ps_process_raw(grammar_, samples + pos, n, FALSE, FALSE);
        audio_.insert(audio_.end(), samples + pos, samples + pos + n);
        fed_ += static_cast<std::int64_t>(n);

        const bool speech = ps_get_in_speech(grammar_) != 0;
        if (speech) {
            inSpeech_ = true;
        } else if (inSpeech_) {
            finishUtterance(heard);
        } else if (audio_.size() > leadInSamples) {
            audio_.erase(audio_.begin(), audio_.end() - leadInSamples);
        }
    }
}

void SphinxDecoder::flush(const std::function<void(const DecodedUtterance&)>& heard)
{
    if (inSpeech_)
        finishUtterance(heard);
    else
        reset();
}

void SphinxDecoder::reset()
{
    if (uttStarted_)
        ps_end_utt(grammar_);
    uttStarted_ = false;
    inSpeech_ = false;
    audio_.clear();
}

void SphinxDecoder::finishUtterance(const std::function<void(const DecodedUtterance&)>& heard)
{
    ps_end_utt(grammar_);
    uttStarted_ = false;
    inSpeech_ = false;

    DecodedUtterance result;
    result.endSample = fed_;
    result.score = -std::numeric_limits<double>::infinity();
    const std::optional<Pass> words = bestPath(grammar_);
    const PhraseEntry* entry = words ? translated_.find(words->hypothesis) : nullptr;
    if (entry) {
        if (const std::optional<Pass> phones = decodePhones())
            result.score = words->scorePerFrame - phones->scorePerFrame;
        const double threshold =
            entry->isShort ? settings_.shortPhraseThreshold : settings_.acceptThreshold;
        if (result.score >= threshold)
            result.phrase = entry->phrase;
    }
    audio_.clear();
    heard(result);
}

std::optional<SphinxDecoder::Pass> SphinxDecoder::decodePhones()
{
    if (audio_.empty() || ps_start_utt(phoneLoop_) != 0)
        return std::nullopt;
    ps_process_raw(phoneLoop_, audio_.data(), audio_.size(), FALSE, TRUE);
    ps_end_utt(phoneLoop_);
    return bestPath(phoneLoop_);
}

std::optional<SphinxDecoder::Pass> SphinxDecoder::bestPath(ps_decoder_s* decoder)
{
    int32 pathScore = 0;
    const char* hyp = ps_get_hyp(decoder, &pathScore);
    if (!hyp)
        return std::nullopt;
    Pass pass;
    pass.hypothesis = QString::fromUtf8(hyp);
    double acoustic = 0;
    for (ps_seg_t* seg = ps_seg_iter(decoder); seg; seg = ps_seg_next(seg)) {
        int32 ascr = 0, lscr = 0, lback = 0;
        ps_seg_prob(seg, &ascr, &lscr, &lback);
        int sf = 0, ef = 0;
        ps_seg_frames(seg, &sf, &ef);
        acoustic += ascr;
        pass.frames += ef - sf + 1;
    }
    if (pass.frames <= 0)
        return std::nullopt;
    pass.scorePerFrame = acoustic / pass.frames;
    return pass;
}

} // namespace sphinx
