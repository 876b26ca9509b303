#include "speech/espeak/EspeakSynthesizer.h"

#include "platform/audio/PulseAudio.h"
#include "platform/registry/StoredText.h"
#include "speech/VoiceMatch.h"
#include "speech/espeak/EspeakEngine.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace {

struct EngineVoice
{
    QString attributes;
    // What espeak_SetVoiceByName takes: the voice file, with "+variant" where there is one.
    QByteArray name;
};

struct Engine
{
    bool ready = false;
    int sampleRate = 0;
    std::vector<EngineVoice> voices;
};

// Where the synthesis callback puts the samples of the text being rendered; set only
// while espeakLock() is held.
struct Collector
{
    std::vector<std::int16_t>* samples = nullptr;
    const std::atomic<bool>* cancel = nullptr;
};
Collector collector;

int collectSamples(short* wav, int count, espeak_EVENT*)
{
    if (collector.cancel && collector.cancel->load())
        return 1; // abort the rest of the text
    if (wav && count > 0 && collector.samples)
        collector.samples->insert(collector.samples->end(), wav, wav + count);
    return 0;
}

// The voice's first language ("en-us"); the list starts with a priority byte.
QString firstLanguage(const espeak_VOICE& voice)
{
    if (!voice.languages || voice.languages[0] == 0)
        return {};
    return QString::fromUtf8(voice.languages + 1);
}

// Lower comes first: American English, British English, other English, the rest.
int languageRank(const QString& language)
{
    if (language.compare(QLatin1String("en-us"), Qt::CaseInsensitive) == 0)
        return 0;
    if (language.compare(QLatin1String("en-gb"), Qt::CaseInsensitive) == 0)
        return 1;
    if (language.startsWith(QLatin1String("en"), Qt::CaseInsensitive))
        return 2;
    return 3;
}

QString attributeValue(QString text)
{
    // Keep a value from breaking the "Key=Value;Key=Value" form.
    return text.replace(QLatin1Char(';'), QLatin1Char(','));
}

std::vector<EngineVoice> listVoices()
{
    struct Listed
    {
        EngineVoice voice;
        int rank;
        bool female;
    };
    std::vector<Listed> listed;
    const espeak_VOICE** all = espeak_ListVoices(nullptr);
    for (; all && *all; ++all) {
        const espeak_VOICE& v = **all;
        const QByteArray file = v.identifier ? QByteArray(v.identifier) : QByteArray(v.name);
        // MBROLA voices need a program and voice data of their own that are rarely
        // installed; selecting one without them leaves espeak-ng mute and noisy.
        if (file.isEmpty() || file.startsWith("mb/"))
            continue;
        const QString language = firstLanguage(v);
        QString attributes =
            QStringLiteral("Name=") + attributeValue(QString::fromUtf8(v.name ? v.name : ""));
        if (!language.isEmpty())
            attributes += QStringLiteral(";Language=") + attributeValue(language);
        // espeak-ng counts 1 as male and 2 as female; our voice attributes the other way
        // round. Unknown genders are left out.
        if (v.gender == 1)
            attributes += QStringLiteral(";Gender=2");
        else if (v.gender == 2)
            attributes += QStringLiteral(";Gender=1");
        if (v.age > 0)
            attributes += QStringLiteral(";Age=") + QString::number(v.age);
        listed.push_back({{attributes, file}, languageRank(language), v.gender == 2});
    }
    std::stable_sort(listed.begin(), listed.end(),
                     [](const Listed& a, const Listed& b) { return a.rank < b.rank; });

    // The standard voice set has no female English voice: the female variant "f3" of the
    // first English voice (American when installed) stands in for one, right after it.
    const bool femaleEnglish = std::any_of(listed.begin(), listed.end(),
                                           [](const Listed& l) { return l.rank < 3 && l.female; });
    if (!femaleEnglish && !listed.empty() && listed.front().rank < 3) {
        const EngineVoice base = listed.front().voice;
        const QList<VoiceAttribute> pairs = parseVoiceAttributes(base.attributes);
        QString attributes;
        for (const VoiceAttribute& pair : pairs) {
            if (pair.key == QLatin1String("Gender"))
                continue;
            attributes +=
                pair.key + QLatin1Char('=') + pair.value +
                (pair.key == QLatin1String("Name") ? QStringLiteral(" female") : QString()) +
                QLatin1Char(';');
        }
        attributes += QStringLiteral("Gender=1");
        listed.insert(listed.begin() + 1, {{attributes, base.name + "+f3"}, 0, true});
    }

    std::vector<EngineVoice> voices;
    voices.reserve(listed.size());
    for (Listed& l : listed)
        voices.push_back(std::move(l.voice));
    return voices;
}

// The engine as this synthesiser uses it, started on first use. Call with espeakLock()
// held.
Engine& engine()
{
    static Engine instance = [] {
        Engine e;
        const int rate = startEspeak();
        if (rate == 0)
            return e;
        espeak_SetSynthCallback(collectSamples);
        e.ready = true;
        e.sampleRate = rate;
        e.voices = listVoices();
        return e;
    }();
    return instance;
}

} // namespace

// What the object and its worker share. The worker keeps it alive by itself, so a worker
// left to finish a sound after the object has gone touches nothing of the object.
struct EspeakSynthesizer::Queue
{
    explicit Queue(const QString& server) : audio(server) {}

    struct Job
    {
        QString text;
        int voice;
    };

    std::mutex lock;
    std::condition_variable wake;
    std::deque<Job> jobs;
    bool stop = false;
    bool playing = false;
    std::atomic<bool> cancel = false;
    EspeakSynthesizer* owner = nullptr; // reached only while `stop` is false
    platform::PulseAudio audio;

    void run()
    {
        for (;;) {
            Job job;
            {
                std::unique_lock held(lock);
                wake.wait(held, [&] { return stop || !jobs.empty(); });
                if (stop)
                    return;
                job = std::move(jobs.front());
                jobs.pop_front();
            }
            const platform::Pcm pcm = synthesize(job.text, job.voice, &cancel);
            {
                const std::lock_guard held(lock);
                if (stop)
                    return;
                playing = true;
            }
            // Plays to the end of the sound; returns at once without a server.
            if (!pcm.samples.empty())
                audio.play(pcm);
            const std::lock_guard held(lock);
            playing = false;
            if (stop)
                return;
            EspeakSynthesizer* target = owner;
            QMetaObject::invokeMethod(
                target, [target] { target->finishOne(); }, Qt::QueuedConnection);
        }
    }
};

EspeakSynthesizer::EspeakSynthesizer(QObject* parent, const QString& server)
    : Synthesizer(parent), queue_(std::make_shared<Queue>(server))
{
    queue_->owner = this;
    worker_ = std::thread([queue = queue_] { queue->run(); });
}

EspeakSynthesizer::~EspeakSynthesizer()
{
    bool playing = false;
    {
        const std::lock_guard held(queue_->lock);
        queue_->stop = true;
        queue_->jobs.clear();
        playing = queue_->playing;
    }
    queue_->cancel = true; // a text being rendered stops at espeak-ng's next buffer
    queue_->wake.notify_all();
    // A sound cannot be cut short; rather than waiting for it, its worker is left to end
    // with the sound. It holds only the shared queue.
    if (playing)
        worker_.detach();
    else
        worker_.join();
}

QStringList EspeakSynthesizer::voices()
{
    const std::lock_guard held(espeakLock());
    QStringList list;
    for (const EngineVoice& voice : engine().voices)
        list.append(voice.attributes);
    return list;
}

int EspeakSynthesizer::FindVoiceIndex(const QString& attributes)
{
    return bestVoiceIndex(attributes, voices());
}

void EspeakSynthesizer::UseVoice(std::int16_t index)
{
    const std::lock_guard held(espeakLock());
    if (index >= 1 && std::size_t(index) <= engine().voices.size())
        voice_ = index;
}

void EspeakSynthesizer::SpeakText(const QString& text)
{
    ++pending_;
    {
        const std::lock_guard held(queue_->lock);
        queue_->jobs.push_back({textBeforeNul(text), voice_});
    }
    queue_->wake.notify_one();
}

void EspeakSynthesizer::finishOne()
{
    --pending_;
    emit SpeechDone();
}

platform::Pcm EspeakSynthesizer::synthesize(const QString& text, int voiceIndex,
                                            const std::atomic<bool>* cancel)
{
    const std::lock_guard held(espeakLock());
    Engine& e = engine();
    platform::Pcm pcm;
    pcm.channels = 1;
    pcm.sampleRate = e.sampleRate;
    const QByteArray utf8 = textBeforeNul(text).toUtf8();
    if (!e.ready || e.voices.empty() || utf8.trimmed().isEmpty())
        return pcm;
    const std::size_t voice =
        voiceIndex >= 1 && std::size_t(voiceIndex) <= e.voices.size() ? voiceIndex - 1 : 0;
    espeak_SetVoiceByName(e.voices[voice].name.constData());
    collector = {&pcm.samples, cancel};
    espeak_Synth(utf8.constData(), std::size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                 espeakCHARS_UTF8, nullptr, nullptr);
    collector = {};
    return pcm;
}
