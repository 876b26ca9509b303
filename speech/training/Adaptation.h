#pragma once

#include "speech/training/VoiceFolder.h"

#include <QString>
#include <atomic>
#include <functional>

namespace training {

// Where the adaptation's parts come from.
struct AdaptationSetup
{
    QString modelDir;   // the general acoustic model
    QString dictionary; // its pronunciation dictionary
    // SphinxTrain's programs (bw, mllr_solve) and PocketSphinx's model converter.
    QString trainerDir = QStringLiteral("/usr/lib/sphinxtrain");
    QString mdefConverter = QStringLiteral("pocketsphinx_mdef_convert");
};

// Why voice training cannot run here, in words the user acts on; empty when it can.
QString missingTrainer(const AdaptationSetup& setup);

// Makes a speaker adaptation of the general model from the recordings: each take's
// cepstra, SphinxTrain's `bw` counting how the model's Gaussians fit the user's voice
// along the prompts' words, and `mllr_solve` turning the counts into one transform of
// the model's means (MLLR), which PocketSphinx applies when it loads the model. Runs on
// the caller's thread, taking seconds; `cancel()` from any thread stops it at the next
// step. The working files go in a folder beside `mllrPath`, removed at the end; the
// transform is written to `mllrPath` only when the whole run succeeded.
class Adaptation
{
public:
    explicit Adaptation(AdaptationSetup setup) : setup_(std::move(setup)) {}

    // `progress` gets the share done (0-100) and what is being done. False, with the
    // reason, on failure or when cancelled.
    bool run(const std::vector<VoiceRecording>& recordings, const QString& mllrPath,
             const std::function<void(int, const QString&)>& progress, QString* error);
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }
    // How many of the recordings went into the last run's transform: a take that cannot
    // be read, or whose prompt cannot be followed word by word, is left out.
    int takesUsed() const { return takesUsed_; }

private:
    // Runs one program to its end; false, with its last words, when it failed or the
    // run was cancelled.
    bool runProgram(const QString& program, const QStringList& arguments, const QString& log,
                    QString* error);

    AdaptationSetup setup_;
    std::atomic<bool> cancelled_{false};
    int takesUsed_ = 0;
};

} // namespace training
