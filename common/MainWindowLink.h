#pragma once

// What a window opened over the main window (the command editor, options, about, voice
// training) does to it: takes it over while the window is up, so that the main window
// ignores the user and recognition pauses if the program listens, and hands it back
// when the window goes.
class MainWindowLink
{
public:
    virtual ~MainWindowLink() = default;

    virtual void holdMainWindow() = 0;
    // The main window takes the user again; recognition resumes if the program listens.
    virtual void releaseMainWindow() = 0;
};
