#include "speech/SphinxRecognizer.h"

#include "platform/audio/AudioInput.h"
#include "speech/InputLevel.h"
#include "speech/sphinx/PhraseDecoder.h"
#include "speech/training/VoiceDecoder.h"

#include <QMetaObject>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// 20 ms at 16 kHz: an answer waits at most this long for the audio that ends a phrase.
constexpr std::size_t kChunk = platform::AudioInput::kSampleRate / 50;
// The level meter moves ten times a second, showing the loudest chunk of each tenth.
constexpr int kChunksPerLevel = 5;

} // namespace

SphinxRecognizer::SphinxRecognizer(std::unique_ptr<PhraseDecoder> decoder,
                                   std::unique_ptr<platform::AudioInput> input,
                                   std::function<bool()> muted, QObject* parent)
    : Recognizer(parent), decoder_(std::move(decoder)), input_(std::move(input)),
      muted_(std::move(muted))
{
    worker_ = std::thread([this] { listen(); });
}

SphinxRecognizer::~SphinxRecognizer()
{
    quit_ = true;
    if (loader_.joinable())
        loader_.join();
    // A read blocks for at most one chunk.
    if (worker_.joinable())
        worker_.join();
}

void SphinxRecognizer::useVoiceTraining()
{
    if (loader_.joinable())
        loader_.join();
    loader_ = std::thread([this] {
        QString problem, error;
        std::unique_ptr<PhraseDecoder> decoder =
            training::voiceDecoder(training::VoiceFolder(), &problem, &error);
        if (decoder) {
            std::lock_guard<std::mutex> lock(grammarLock_);
            pendingDecoder_ = std::move(decoder);
        } else {
            problem = QStringLiteral("The voice model cannot be loaded again (%1); the one "
                                     "loaded before stays in use.")
                          .arg(error);
        }
        if (!quit_)
            QMetaObject::invokeMethod(
                this, [this, problem] { emit voiceLoaded(problem); }, Qt::QueuedConnection);
    });
}

void SphinxRecognizer::LoadGrammarText(const QString& grammar)
{
    // The decoder belongs to the listening thread; it takes the grammar between chunks.
    std::lock_guard<std::mutex> lock(grammarLock_);
    pendingGrammar_ = grammar;
}

void SphinxRecognizer::listen()
{
    std::vector<std::int16_t> chunk(kChunk);
    bool hearing = false;
    int loudest = 0, chunksMeasured = 0;
    std::optional<QString> grammarInUse;
    while (!quit_) {
        {
            std::optional<QString> grammar;
            {
                std::lock_guard<std::mutex> lock(grammarLock_);
                grammar.swap(pendingGrammar_);
                if (pendingDecoder_) {
                    decoder_ = std::move(pendingDecoder_);
                    hearing = false;
                    if (!grammar)
                        grammar = grammarInUse;
                }
            }
            if (grammar)
                grammarInUse = grammar;
            if (grammar) {
                QStringList skipped;
                decoder_->loadGrammar(*grammar, &skipped);
                if (!skipped.isEmpty())
                    QMetaObject::invokeMethod(
                        this, [this, skipped] { emit phrasesSkipped(skipped); },
                        Qt::QueuedConnection);
            }
        }
        if (!input_->read(chunk.data(), chunk.size()))
            break;
        loudest = std::max(loudest, levelPercent(chunk.data(), chunk.size()));
        if (++chunksMeasured == kChunksPerLevel) {
            QMetaObject::invokeMethod(
                this, [this, level = loudest] { emit inputLevel(level); }, Qt::QueuedConnection);
            loudest = chunksMeasured = 0;
        }

        const bool listening = active_ && !(muted_ && muted_());
        if (!listening) {
            if (hearing)
                decoder_->reset();
            hearing = false;
            continue;
        }
        hearing = true;
        const bool speaking = decoder_->inUtterance();
        decoder_->feed(chunk.data(), chunk.size(), [this](const DecodedUtterance& u) {
            if (u.phrase) {
                const QString phrase = *u.phrase;
                QMetaObject::invokeMethod(
                    this, [this, phrase] { deliverPhrase(phrase); }, Qt::QueuedConnection);
            } else {
                QMetaObject::invokeMethod(
                    this,
                    [this, reason = rejectionText(u.rejection)] {
                        if (isRecognising())
                            emit notUnderstood(reason);
                    },
                    Qt::QueuedConnection);
            }
        });
        if (!speaking && decoder_->inUtterance())
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (isRecognising())
                        emit utteranceStarted();
                },
                Qt::QueuedConnection);
    }
}
