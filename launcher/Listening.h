#pragma once

#include <functional>

class Recognizer;

// The four listening operations. Pausing and resuming only switch the recogniser;
// stopping and starting listening also change the listening state, which the program's
// windows show (the main window's Start and Stop Listening buttons and the tray menu's
// two items, always together).
class Listening
{
public:
    // `shown` hears every change of the listening state, after the recogniser was told.
    explicit Listening(Recognizer& recognizer, std::function<void(bool listening)> shown = {});

    void pauseRecognition();
    void resumeRecognition();
    void stopListening();
    void startListening();
    // The program starts listening.
    bool isListening() const { return listening_; }

private:
    void show(bool listening);

    Recognizer& recognizer_;
    std::function<void(bool)> shown_;
    bool listening_ = true;
};
