#include "speech/sphinx/SphinxDecoder.h"

#include "speech/sphinx/DeepFilter.h"
#include "speech/sphinx/HearingCheck.h"
#include "speech/sphinx/Hiss.h"
#include "speech/sphinx/NoiseSuppressor.h"
#include "speech/sphinx/Pronunciation.h"
#include "speech/sphinx/Rivals.h"
#include "speech/sphinx/SignalToNoise.h"
#include "speech/sphinx/Tonality.h"
#include "speech/sphinx/VoiceSpan.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <future>
#include <limits>
#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>

namespace sphinx {
namespace {

// Audio kept from before the decoder reports speech: about its pre-speech buffer (0.2 s)
// and start-up delay (0.1 s), so that the utterance begins with a little of the
// background, from which the whole-utterance passes take their noise estimate.
constexpr std::size_t leadInSamples = 4800;
// The background the noise suppressor learns from before an utterance, gone over three
// times so that its estimate has settled: the last second of the running background, or
// when there is less of it, the first 0.2 s kept before the speech.
constexpr std::size_t backgroundSamples = 3200;
constexpr int backgroundPasses = 3;
// The user's voice, over talk in the room, is taken with this much of the talk either side
// of it: the soft beginning and end of a word.
constexpr std::size_t voicePadSamples = 4800;
// A frame no louder than this above the background is no one speaking.
constexpr double quietAboveBackgroundDb = 6;

const char* const searchName = "cmd";
// The most frames of speech a word takes, said slowly.
constexpr int framesPerWord = 50;
// PocketSphinx's floor for a score: a path near it overflowed rather than fit.
constexpr double kWorstScore = -(1 << 28);

ps_decoder_t* makeDecoder(std::vector<QByteArray> args, const QString& mllr)
{
    // Every pass hears the user's voice through the same transform, so that their scores
    // still compare.
    if (!mllr.isEmpty()) {
        args.push_back("-mllr");
        args.push_back(mllr.toLocal8Bit());
    }
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
    std::unique_ptr<DeepFilter> deepFilter;
    if (!settings.deepFilterLibrary.isEmpty() && !settings.deepFilterModel.isEmpty()) {
        deepFilter = DeepFilter::load(settings.deepFilterLibrary, settings.deepFilterModel,
                                      settings.noiseAttenuationDb, error);
        if (!deepFilter)
            return nullptr;
    }
    const QByteArray model = settings.modelDir.toLocal8Bit();
    const QByteArray dictionary = settings.dictionary.toLocal8Bit();
    // The live decoder tells where utterances begin and end. Its end of speech is where a
    // phrase ends, unless what it has heard so far is only the beginning of one; live
    // cepstral mean and a wide beam keep that partial result close to what the whole
    // utterance will give.
    ps_decoder_t* stream =
        makeDecoder({"-hmm", model, "-dict", dictionary, "-vad_threshold",
                     QByteArray::number(settings.vadThreshold), "-vad_postspeech",
                     QByteArray::number(std::max(1, settings.endSilenceFrames)), "-cmn", "live",
                     "-beam", "1e-80", "-wbeam", "1e-60", "-pbeam", "1e-80"},
                    settings.mllr);
    // The whole-utterance passes see every frame: what is silence is theirs to decide.
    // The grammar pass searches wide; its few paths make that cheap, and a narrow beam
    // loses the right phrase in noise. A likelier noise filler lets noise between and
    // around the words go to noise rather than to some word's phones.
    const auto wholeUtterance = [&] {
        return makeDecoder({"-hmm", model, "-dict", dictionary, "-remove_silence", "no", "-beam",
                            "1e-80", "-wbeam", "1e-60", "-pbeam", "1e-80", "-fillprob", "1e-3"},
                           settings.mllr);
    };
    ps_decoder_t* grammar = stream ? wholeUtterance() : nullptr;
    // The ordinary words are searched the same way, so that their scores compare.
    ps_decoder_t* rivals = grammar ? wholeUtterance() : nullptr;
    ps_decoder_t* phones =
        rivals ? makeDecoder({"-hmm", model, "-allphone", settings.phoneModel.toLocal8Bit(),
                              "-allphone_ci", "yes", "-lw", "2.0", "-beam", "1e-20", "-pbeam",
                              "1e-20", "-remove_silence", "no"},
                             settings.mllr)
               : nullptr;
    const auto freeAll = [&] {
        for (ps_decoder_t* d : {phones, rivals, grammar, stream}) {
            if (d)
                ps_free(d);
        }
    };
    if (!phones) {
        freeAll();
        if (error)
            *error = QStringLiteral("PocketSphinx could not load the model in %1")
                         .arg(settings.modelDir);
        return nullptr;
    }
    // The user's transform may leave a model that hears every sound alike: the recogniser
    // would go deaf without a word. Such a transform does not load.
    if (!settings.mllr.isEmpty()) {
        const QString deaf = hearingProblem(
            [phones](const std::vector<std::int16_t>& sound) -> std::optional<QStringList> {
                const std::optional<Pass> pass = decodeWhole(phones, sound);
                if (!pass)
                    return std::nullopt;
                QStringList heard;
                for (const Segment& s : pass->segments) {
                    if (!std::isfinite(s.score) || s.score <= kWorstScore)
                        return std::nullopt;
                    heard << s.word;
                }
                return heard;
            });
        if (!deaf.isEmpty()) {
            freeAll();
            if (error)
                *error = deaf;
            return nullptr;
        }
    }
    return std::unique_ptr<SphinxDecoder>(
        new SphinxDecoder(settings, stream, grammar, rivals, phones, std::move(deepFilter)));
}

SphinxDecoder::SphinxDecoder(const Settings& settings, ps_decoder_s* stream, ps_decoder_s* grammar,
                             ps_decoder_s* rivals, ps_decoder_s* phoneLoop,
                             std::unique_ptr<DeepFilter> deepFilter)
    : settings_(settings), stream_(stream), grammar_(grammar), rivals_(rivals),
      phoneLoop_(phoneLoop), deepFilter_(std::move(deepFilter)),
      voiceEnd_(settings.voiceGoneFrames, settings.voiceDropDb)
{
    // Twice as many as are wanted: those that sound like a phrase's words are left out.
    if (settings.rivalWords > 0 && !settings.languageModel.isEmpty())
        commonWords_ = commonWords(settings.languageModel, 2 * settings.rivalWords);
}

SphinxDecoder::~SphinxDecoder()
{
    reset();
    ps_free(phoneLoop_);
    ps_free(rivals_);
    ps_free(grammar_);
    ps_free(stream_);
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
        if (dictionaryPronunciation(word))
            continue;
        // Other ways of saying a made-up word go in as the dictionary's alternatives do:
        // "word(2)", "word(3)"...
        const QStringList pronunciations = QStringList{phones} + accentVariants(phones);
        for (qsizetype i = 0; i < pronunciations.size(); ++i) {
            const QString name = i == 0 ? word : QStringLiteral("%1(%2)").arg(word).arg(i + 1);
            for (ps_decoder_s* d : {stream_, grammar_})
                ps_add_word(d, name.toUtf8().constData(), pronunciations[i].toUtf8().constData(),
                            FALSE);
        }
    }
    const auto search = [](ps_decoder_s* d, const QString& jsgf) {
        return ps_set_jsgf_string(d, searchName, jsgf.toUtf8().constData()) == 0 &&
               ps_set_search(d, searchName) == 0;
    };
    if (!search(stream_, translated.jsgf) || !search(grammar_, translated.jsgf))
        return false;
    const QStringList rivals = rivalsOf(translated);
    hasRivals_ = !rivals.isEmpty() && search(rivals_, jsgfGrammar(rivals));
    if (judge_) {
        // A judge that cannot take them fails on every utterance, and PocketSphinx decides.
        QStringList phrases;
        for (const PhraseEntry& entry : translated.phrases)
            phrases << entry.phrase;
        judge_->loadPhrases(phrases, nullptr);
    }
    translated_ = std::move(translated);
    hasGrammar_ = true;
    return true;
}

QStringList SphinxDecoder::rivalsOf(const TranslatedGrammar& translated) const
{
    // Rivals must not sound like any word of a phrase, nor like a phrase as a whole.
    std::vector<QStringList> kept;
    for (const PhraseEntry& entry : translated.phrases) {
        QStringList whole;
        for (const QString& word : entry.words) {
            const QStringList phones = phonesOf(dictionaryPronunciation(word).value_or(QString()));
            kept.push_back(phones);
            whole += phones;
        }
        kept.push_back(whole);
    }
    return pickRivals(
        commonWords_, kept, [this](const QString& word) { return dictionaryPronunciation(word); },
        settings_.rivalWords);
}

void SphinxDecoder::feed(const std::int16_t* samples, std::size_t count,
                         const std::function<void(const DecodedUtterance&)>& heard)
{
    // Frame by frame; a part frame waits for the rest of it.
    pending_.insert(pending_.end(), samples, samples + count);
    std::size_t at = 0;
    for (; at + Background::kFrame <= pending_.size(); at += Background::kFrame)
        feedFrame(pending_.data() + at, heard);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(at));
}

void SphinxDecoder::feedFrame(const std::int16_t* samples,
                              const std::function<void(const DecodedUtterance&)>& heard)
{
    background_.add(samples);
    fed_ += static_cast<std::int64_t>(Background::kFrame);
    if (!hasGrammar_)
        return;
    if (!uttStarted_) {
        if (ps_start_utt(stream_) != 0)
            return;
        uttStarted_ = true;
        audio_.clear();
    }
    std::int16_t frame[Background::kFrame];
    std::copy(samples, samples + Background::kFrame, frame);
    audio_.insert(audio_.end(), frame, frame + Background::kFrame);
    addHiss(frame, Background::kFrame, hiss_);
    ps_process_raw(stream_, frame, Background::kFrame, FALSE, FALSE);
    followQuiet(samples);
    const bool voiceGone =
        inSpeech_ && voiceEnd_.follow(Background::levelOf(samples), background_.level());

    const bool detectorHearsSpeech = ps_get_in_speech(stream_) != 0;
    overTalk_ = overTalk_ || (voiceGone && detectorHearsSpeech);
    if (detectorHearsSpeech && !voiceGone) {
        inSpeech_ = true;
        waitFrames_ = 0;
        if (++utteranceFrames_ >= settings_.longestUtteranceFrames)
            finishUtterance(heard);
    } else if (inSpeech_ && waitFrames_ == 0) {
        // The detector has heard the pause that ends a phrase.
        waitFrames_ = framesToWait();
        if (waitFrames_ == 0)
            finishUtterance(heard);
    } else if (inSpeech_ && --waitFrames_ == 0) {
        finishUtterance(heard);
    } else if (!inSpeech_ && audio_.size() > leadInSamples) {
        audio_.erase(audio_.begin(), audio_.end() - static_cast<std::ptrdiff_t>(leadInSamples));
    }
}

int SphinxDecoder::framesToWait()
{
    // What the live decoder has made of the utterance so far: the beginning of a longer
    // phrase, and not a phrase itself, waits for the rest.
    int32 score = 0;
    const char* hyp = ps_get_hyp(stream_, &score);
    const QString sofar = hyp ? QString::fromUtf8(hyp).simplified() : QString();
    const bool unfinished = translated_.beginsLongerPhrase(sofar) && !translated_.find(sofar);
    // Should the rest not come, it was cut off, unless there was more speech than those
    // words take: then it was something else, of which the live decoder made a beginning.
    const int words = static_cast<int>(sofar.count(QLatin1Char(' '))) + 1;
    cutOff_ = unfinished && utteranceFrames_ <= words * framesPerWord + settings_.endSilenceFrames;
    return unfinished ? std::max(0, settings_.pauseFrames - settings_.endSilenceFrames) : 0;
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
    settleEarlyPasses();
    endLiveUtterance();
    cutOff_ = false;
    audio_.clear();
    pending_.clear();
}

void SphinxDecoder::endLiveUtterance()
{
    if (uttStarted_)
        ps_end_utt(stream_);
    uttStarted_ = inSpeech_ = voiceHeard_ = overTalk_ = false;
    waitFrames_ = utteranceFrames_ = quietFrames_ = 0;
    voiceEnd_.reset();
}

void SphinxDecoder::finishUtterance(const std::function<void(const DecodedUtterance&)>& heard)
{
    const bool overTalk = overTalk_;
    endLiveUtterance();
    // Digital silence (a source that sends nothing yet, or a muted one) is no one
    // speaking: the detector may take its first second for speech while it learns the
    // background, and that is not worth a word to the user.
    if (std::all_of(audio_.begin(), audio_.end(), [](std::int16_t s) { return s == 0; })) {
        settleEarlyPasses();
        audio_.clear();
        cutOff_ = false;
        return;
    }

    // The passes begun early heard all the speech there was: no one spoke since.
    DecodedUtterance result;
    if (earlyTaken_) {
        result = early_.get();
    } else {
        settleEarlyPasses();
        // Before the audio moves: without a running background, it is taken from there.
        const BackgroundSample background = backgroundNow();
        if (overTalk && !background.samples.empty()) {
            // The talk before and after the user's voice is no part of what they said.
            const auto [begin, end] =
                voiceSpan(audio_.data(), audio_.size(),
                          backgroundLevel(background.samples.data(), background.samples.size()),
                          settings_.voiceDropDb, voicePadSamples);
            audio_.erase(audio_.begin() + static_cast<std::ptrdiff_t>(end), audio_.end());
            audio_.erase(audio_.begin(), audio_.begin() + static_cast<std::ptrdiff_t>(begin));
        }
        result = decide(std::move(audio_), background);
    }
    earlyTaken_ = false;
    audio_.clear();
    result.endSample = fed_;
    if (!result.phrase)
        result.rejection = result.tonalShare > settings_.maxTonalShare ? Rejection::NotSpeech
                           : result.snrDb < settings_.tooQuietDb       ? Rejection::TooQuiet
                           : cutOff_                                   ? Rejection::CutOff
                                                                       : Rejection::NotACommand;
    cutOff_ = false;
    heard(result);
}

SphinxDecoder::BackgroundSample SphinxDecoder::backgroundNow() const
{
    // The background as it has been lately, wherever nobody spoke; before anything was
    // heard, the little of it kept before the speech.
    const std::deque<std::int16_t>& recent = background_.recent();
    if (recent.size() >= backgroundSamples)
        return {std::vector<std::int16_t>(recent.begin(), recent.end()), true};
    const auto kept = static_cast<std::ptrdiff_t>(std::min(audio_.size(), backgroundSamples));
    return {std::vector<std::int16_t>(audio_.begin(), audio_.begin() + kept), false};
}

void SphinxDecoder::followQuiet(const std::int16_t* frame)
{
    // Only the whole-utterance passes can start early; a judge hears the utterance whole.
    if (!inSpeech_ || judge_ || settings_.earlyPassFrames <= 0)
        return;
    if (Background::levelOf(frame) > background_.level() + quietAboveBackgroundDb) {
        // Someone speaks (again): what the early passes heard was not all of it.
        voiceHeard_ = true;
        quietFrames_ = 0;
        earlyTaken_ = false;
        return;
    }
    // A voice that never stood out from the background has no pause to tell.
    if (!voiceHeard_ || ++quietFrames_ != settings_.earlyPassFrames)
        return;
    // In noise the end of a word can sink into the background: such an utterance waits
    // for the detector to end it.
    BackgroundSample background = backgroundNow();
    if (!background.known ||
        signalToNoiseDb(audio_.data(), audio_.size(), background.samples.data(),
                        background.samples.size()) < settings_.denoiseBelowDb)
        return;
    // The rest of the pause will be background: the passes hear as much of it as they
    // would at the end.
    std::vector<std::int16_t> audio = audio_;
    const std::size_t rest =
        static_cast<std::size_t>(std::max(0, settings_.endSilenceFrames - quietFrames_)) *
        Background::kFrame;
    audio.insert(audio.end(),
                 background.samples.end() -
                     static_cast<std::ptrdiff_t>(std::min(rest, background.samples.size())),
                 background.samples.end());
    settleEarlyPasses();
    early_ = std::async(std::launch::async, [this, audio = std::move(audio),
                                             background = std::move(background)]() mutable {
        return decide(std::move(audio), background);
    });
    earlyTaken_ = true;
}

void SphinxDecoder::settleEarlyPasses()
{
    // The passes use the decoders: no others may start until they are done.
    if (early_.valid())
        early_.get();
    earlyTaken_ = false;
}

DecodedUtterance SphinxDecoder::decide(std::vector<std::int16_t> audio,
                                       const BackgroundSample& background) const
{
    DecodedUtterance result;
    result.score = result.wordScore = -std::numeric_limits<double>::infinity();
    result.snrDb = background.known
                       ? signalToNoiseDb(audio.data(), audio.size(), background.samples.data(),
                                         background.samples.size())
                       : signalToNoiseDb(audio.data(), audio.size());
    if (judge_ && judge_->judge(audio, result))
        return result;
    if (result.snrDb < settings_.denoiseBelowDb && deepFilter_) {
        audio = deepFilter_->clean(background.samples.data(), background.samples.size(),
                                   audio.data(), audio.size());
    } else if (result.snrDb < settings_.denoiseBelowDb) {
        NoiseSuppressor suppressor(settings_.noiseAttenuationDb);
        for (int i = 0; i < backgroundPasses; ++i)
            suppressor.learn(background.samples.data(), background.samples.size());
        audio = suppressor.clean(audio.data(), audio.size());
    }
    // Every utterance gets the same hiss, so that what is made of it does not depend on
    // what was heard before.
    std::uint32_t hiss = 1;
    addHiss(audio.data(), audio.size(), hiss);

    // The two passes are independent: on a second core the phone loop, and the look for
    // a single tone, cost no time.
    double tonal = 0;
    std::future<std::optional<Pass>> phoneLoopPass =
        std::async(std::launch::async, [this, &tonal, &audio] {
            tonal = tonalShare(audio.data(), audio.size());
            return decodeWhole(phoneLoop_, audio);
        });
    std::future<std::optional<Pass>> rivalPass =
        std::async(hasRivals_ ? std::launch::async : std::launch::deferred,
                   [this, &audio] { return decodeWhole(rivals_, audio); });
    std::optional<Pass> words = decodeWhole(grammar_, audio);
    const std::optional<Pass> phones = phoneLoopPass.get();
    const std::optional<Pass> rival = hasRivals_ ? rivalPass.get() : std::nullopt;
    result.tonalShare = tonal;
    if (words) {
        // Alternative pronunciations are named "word(2)"; a word not found keeps 0
        // phones and is left out of the duration check.
        static const QRegularExpression alternative(QStringLiteral("\\(\\d+\\)$"));
        for (Segment& s : words->segments) {
            if (isSilence(s.word))
                continue;
            std::optional<QString> pronunciation = dictionaryPronunciation(s.word);
            if (!pronunciation)
                pronunciation = dictionaryPronunciation(QString(s.word).remove(alternative));
            s.phones = pronunciation
                           ? static_cast<int>(
                                 pronunciation->split(QLatin1Char(' '), Qt::SkipEmptyParts).size())
                           : 0;
        }
    }
    const PhraseEntry* entry = words ? translated_.find(words->hypothesis) : nullptr;
    if (rival)
        result.rival = rival->hypothesis;
    if (entry) {
        result.candidate = entry->phrase;
        if (phones) {
            Evidence evidence = compare(words->segments, phones->segments);
            if (rival)
                compareRival(evidence, words->segments, rival->segments);
            result.rivalMargin = evidence.rivalMargin;
            result.score = evidence.phraseScore;
            result.wordScore = evidence.worstWordScore;
            result.shortestPhone = evidence.shortestPhone;
            result.longestPhone = evidence.longestPhone;
            // A beep or whistle can fit a drawn-out vowel better than any phones do.
            if (accepts(evidence, thresholdsFor(settings_, *entry, result.snrDb)) &&
                result.tonalShare <= settings_.maxTonalShare)
                result.phrase = entry->phrase;
        }
    }
    return result;
}

std::optional<SphinxDecoder::Pass>
SphinxDecoder::decodeWhole(ps_decoder_s* decoder, const std::vector<std::int16_t>& audio)
{
    // A fresh noise estimate, started from the background at the utterance's beginning;
    // the cepstral mean comes from the whole utterance, as it is decoded in one go.
    if (audio.empty() || ps_start_stream(decoder) != 0)
        return std::nullopt;
    if (ps_start_utt(decoder) != 0)
        return std::nullopt;
    ps_process_raw(decoder, audio.data(), audio.size(), FALSE, TRUE);
    ps_end_utt(decoder);
    return bestPath(decoder);
}

std::optional<SphinxDecoder::Pass> SphinxDecoder::bestPath(ps_decoder_s* decoder)
{
    int32 pathScore = 0;
    const char* hyp = ps_get_hyp(decoder, &pathScore);
    if (!hyp)
        return std::nullopt;
    Pass pass;
    pass.hypothesis = QString::fromUtf8(hyp);
    for (ps_seg_t* seg = ps_seg_iter(decoder); seg; seg = ps_seg_next(seg)) {
        int32 ascr = 0, lscr = 0, lback = 0;
        ps_seg_prob(seg, &ascr, &lscr, &lback);
        Segment s;
        ps_seg_frames(seg, &s.first, &s.last);
        const char* word = ps_seg_word(seg);
        s.word = word ? QString::fromUtf8(word) : QString();
        s.score = ascr;
        pass.segments.push_back(s);
    }
    if (pass.segments.empty())
        return std::nullopt;
    return pass;
}

} // namespace sphinx
