#pragma once

class Recognizer;

// The four places that show whether the program listens: the main window's two
// buttons and the tray menu's two items.
class ListeningIndicators
{
public:
    virtual ~ListeningIndicators() = default;
    virtual void setStartItemEnabled(bool enabled) = 0;
    virtual void setStopItemEnabled(bool enabled) = 0;
    virtual void setStartButtonShown(bool shown) = 0;
    virtual void setStopButtonShown(bool shown) = 0;
    // The program listens while the Stop Listening button is shown.
    virtual bool stopButtonShown() const = 0;
};

// Pausing and resuming only switch the recogniser; stopping and starting listening
// also change the four indicators together, in a fixed order.
class Listening
{
public:
    Listening(Recognizer& recognizer, ListeningIndicators& indicators);

    void pauseRecognition();
    void resumeRecognition();
    void stopListening();
    void startListening();
    bool isListening() const;

private:
    Recognizer& recognizer_;
    ListeningIndicators& indicators_;
};
