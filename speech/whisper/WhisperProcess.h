#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace whisper {

// What the Whisper recogniser made of one utterance: what it heard, written freely, and
// the grammar's phrase it scores best, with the log-probabilities of both as what was said.
struct Answer
{
    QString heard;
    double heardScore = 0;
    std::optional<QString> phrase;
    double phraseScore = 0;
    double noSpeech = 0; // the model's probability that nothing was said
    double milliseconds = 0;
};

// The Whisper recogniser's process (sarquen-whisper.py), started once and asked over a
// socket: the grammar's phrases in, one answer per utterance out. Calls block; any thread
// may make them, one at a time. When the process fails to start, stops or does not answer
// in time, the call fails with the reason, and so does every later one.
class WhisperProcess
{
public:
    // Starts `command` (program and arguments) and waits for it to load its model.
    static std::unique_ptr<WhisperProcess> start(const QStringList& command, QString* error);
    ~WhisperProcess();
    WhisperProcess(const WhisperProcess&) = delete;
    WhisperProcess& operator=(const WhisperProcess&) = delete;

    bool setPhrases(const QStringList& phrases, QString* error);
    std::optional<Answer> hear(const std::vector<std::int16_t>& audio, QString* error);
    pid_t pid() const { return pid_; }

private:
    WhisperProcess(pid_t pid, int socket) : pid_(pid), socket_(socket) {}
    bool send(const QByteArray& data, QString* error);
    // The next line the process writes, without its line end; empty on failure.
    std::optional<QByteArray> readLine(int timeoutMs, QString* error);
    bool fail(const QString& why, QString* error);

    pid_t pid_;
    int socket_;
    QByteArray buffer_;
    QString broken_; // why the process can no longer be asked
};

} // namespace whisper
