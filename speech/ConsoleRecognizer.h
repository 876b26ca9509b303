#pragma once

#include "speech/Recognizer.h"

#include <QByteArray>
#include <deque>

class QSocketNotifier;

// The recogniser of the console engine: every line typed or piped into a file
// descriptor (standard input unless told otherwise) is one heard phrase, UTF-8, without
// its line end. Empty lines are ignored. Reading goes on whether or not recognition is
// started, so lines that come while it is stopped are dropped like speech nobody
// listened to. The descriptor is watched by the event loop and read only when it has
// data, so the UI thread never blocks and nothing holds the process at exit. At end of
// input reading stops quietly; the program goes on.
class ConsoleRecognizer : public Recognizer
{
    Q_OBJECT
public:
    explicit ConsoleRecognizer(int fd = 0, QObject* parent = nullptr);

    // Any typed phrase is accepted; the grammar is only kept.
    void LoadGrammarText(const QString& grammar) override;
    const QString& grammarText() const { return grammar_; }

    // True once the input has ended (or could not be read at all).
    bool inputEnded() const { return ended_; }

protected:
    // Reading never pauses, so there is nothing to switch: a stopped recogniser drops
    // what it reads in deliverPhrase.
    void startEngine() override {}
    void stopEngine() override {}

private:
    void readAvailable();
    void endInput();
    void takeLines(bool atEnd);
    void deliverPending();

    int fd_;
    QSocketNotifier* notifier_ = nullptr;
    bool ended_ = false;
    QByteArray partial_;          // bytes of a line whose end has not come yet
    std::deque<QString> pending_; // complete lines not yet handed on
    QString grammar_;
};
