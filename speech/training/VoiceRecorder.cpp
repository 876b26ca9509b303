#include "speech/training/VoiceRecorder.h"

#include "platform/audio/AudioInput.h"

#include <QMetaObject>
#include <algorithm>
#include <cmath>

namespace training {
namespace {

constexpr std::size_t kChunk = platform::AudioInput::kSampleRate / 10; // 100 ms

} // namespace

int levelPercent(const std::int16_t* samples, std::size_t count)
{
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    const double rms = count ? std::sqrt(sum / static_cast<double>(count)) : 0;
    const double db = rms > 0 ? 20 * std::log10(rms / 32768.0) : -60;
    return static_cast<int>(std::lround(std::clamp((db + 60) / 60, 0.0, 1.0) * 100));
}

VoiceRecorder::VoiceRecorder(InputFactory makeInput, QObject* parent)
    : QObject(parent), makeInput_(std::move(makeInput))
{
}

VoiceRecorder::~VoiceRecorder()
{
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
}

bool VoiceRecorder::start(QString* error)
{
    if (thread_.joinable())
        return false;
    std::shared_ptr<platform::AudioInput> input = makeInput_();
    if (!input || !input->open(error))
        return false;
    stopping_ = false;
    take_.clear();
    thread_ = std::thread([this, input] {
        std::vector<std::int16_t> chunk(kChunk);
        const std::size_t longest =
            static_cast<std::size_t>(kLongestTake) * platform::AudioInput::kSampleRate;
        while (!stopping_ && take_.size() < longest && input->read(chunk.data(), chunk.size())) {
            take_.insert(take_.end(), chunk.begin(), chunk.end());
            QMetaObject::invokeMethod(
                this, [this, l = levelPercent(chunk.data(), chunk.size())] { emit level(l); },
                Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(this, &VoiceRecorder::finish, Qt::QueuedConnection);
    });
    return true;
}

void VoiceRecorder::stop()
{
    stopping_ = true;
}

void VoiceRecorder::finish()
{
    if (thread_.joinable())
        thread_.join();
    stopping_ = false;
    emit recorded(take_);
}

} // namespace training
