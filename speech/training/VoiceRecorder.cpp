#include "speech/training/VoiceRecorder.h"

#include "platform/audio/AudioInput.h"
#include "speech/InputLevel.h"

#include <QMetaObject>

namespace training {
namespace {

constexpr std::size_t kChunk = platform::AudioInput::kSampleRate / 10; // 100 ms

} // namespace

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

bool VoiceRecorder::canRecord(QString* error) const
{
    const std::unique_ptr<platform::AudioInput> input = makeInput_();
    return input && input->open(error);
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
