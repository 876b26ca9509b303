#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <vector>

namespace sphinx {

// The runtime's state of one stream: opaque, made and freed through its own functions.
struct DeepFilterState;

// Takes noise of any kind out of 16 kHz speech with a neural network: DeepFilterNet's
// runtime (its C interface, a shared library) and one of its model archives, both found at
// run time. Where the speex preprocessor only lowers noise that holds still, the network
// tells a voice from babble, traffic or music as well.
// The network hears 48 kHz audio in 10 ms frames and answers some frames late; the audio is
// resampled to it and back, and its delay, measured when the model is loaded, taken off.
// Every utterance is cleaned by a state fresh from the model, so that nothing heard before
// changes what is made of it. Making one takes a third of a second, so the next is made in
// the background while the current one works. One utterance at a time.
class DeepFilter
{
public:
    // The runtime in `library` with the model archive `model`, lowering noise by at most
    // `attenuationDb`. Null, with the reason in `error`, when either cannot be used. The
    // model is tried out in a child process first: the runtime ends the process it runs in
    // on a model it cannot read.
    static std::unique_ptr<DeepFilter> load(const QString& library, const QString& model,
                                            int attenuationDb, QString* error);
    ~DeepFilter();
    DeepFilter(const DeepFilter&) = delete;
    DeepFilter& operator=(const DeepFilter&) = delete;

    // `audio` with the noise taken out, exactly `count` samples, in step with it. The
    // `background` (no speech, just before it) goes through the network first and is
    // thrown away: the network's running estimates of the noise have settled on it by the
    // time the speech begins.
    std::vector<std::int16_t> clean(const std::int16_t* background, std::size_t backgroundCount,
                                    const std::int16_t* audio, std::size_t count);

    // How late the network answers, in samples at 48 kHz.
    std::size_t delay() const { return delay_; }

    struct Runtime;

private:
    DeepFilter(std::unique_ptr<Runtime> runtime, int modelFd, int attenuationDb, std::size_t frame,
               std::size_t delay);
    DeepFilterState* makeState() const;
    // The state made ahead, with the next one started.
    DeepFilterState* takeState();

    std::unique_ptr<Runtime> runtime_;
    int modelFd_;      // the model's bytes, read once
    QByteArray model_; // where the runtime reads them
    float attenuationDb_;
    std::size_t frame_; // samples per frame at 48 kHz
    std::size_t delay_;
    std::future<DeepFilterState*> next_;
};

} // namespace sphinx
