#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace platform {
class AudioInput;
}

namespace training {

// Records one take from the microphone on a thread of its own: the level ten times a
// second while it runs, and the whole take when stopped (or after kLongestTake seconds).
// Used on the UI thread; its signals arrive there.
class VoiceRecorder : public QObject
{
    Q_OBJECT
public:
    static constexpr int kLongestTake = 15;
    using InputFactory = std::function<std::unique_ptr<platform::AudioInput>()>;

    explicit VoiceRecorder(InputFactory makeInput, QObject* parent = nullptr);
    ~VoiceRecorder() override;

    // False, with the reason, when there is no microphone.
    bool start(QString* error);
    // Whether a take could be recorded now: an input is opened and let go again. False,
    // with the reason, when there is nothing to record from.
    bool canRecord(QString* error) const;
    void stop();
    bool isRecording() const { return thread_.joinable() && !stopping_; }

signals:
    void level(int percent);
    void recorded(const std::vector<std::int16_t>& samples);

private:
    void finish();

    InputFactory makeInput_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::vector<std::int16_t> take_;
};

} // namespace training
