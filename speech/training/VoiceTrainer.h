#pragma once

#include "speech/training/Adaptation.h"
#include "speech/training/VoiceFolder.h"

#include <QObject>
#include <memory>
#include <thread>

namespace training {

// "Adapt" in the background: the adaptation made from the folder's recordings, then the
// thresholds calibrated on them against `grammarText`, both stored in the folder. The
// main window goes on meanwhile; progress and the end arrive as signals on the UI thread.
class VoiceTrainer : public QObject
{
    Q_OBJECT
public:
    VoiceTrainer(VoiceFolder folder, AdaptationSetup setup, QObject* parent = nullptr);
    ~VoiceTrainer() override;

    // False when a run is still going.
    bool start(const QString& grammarText);
    void cancel();
    bool isRunning() const { return thread_.joinable(); }

signals:
    void progress(int percent, const QString& step);
    // `message` says what came of it, in words for the user.
    void finished(bool ok, const QString& message);

private:
    void run(const QString& grammarText);
    void end(bool ok, const QString& message);

    VoiceFolder folder_;
    AdaptationSetup setup_;
    std::unique_ptr<Adaptation> adaptation_;
    std::thread thread_;
};

} // namespace training
