#pragma once

#include <QString>
#include <cstdint>

// How the program starts with the desktop session.
struct StartupEntry
{
    std::int16_t regCheck = 0; // 1 = the start-up entry has been written and not removed
    std::int16_t winStart = 0; // 1 = start with the desktop session
    std::int16_t progStat = 0; // 1 normal, 2 minimised, 3 hidden; 0 none chosen
};

// The option values the running program works with: one record, loaded once at start-up
// and replaced when the user confirms the options dialog.
struct Options
{
    QString soundPath;           // wave file played for the start phrase (keeps the store's NUL)
    std::int16_t soundPlay = 0;  // 1 = acknowledge the start phrase with a sound
    std::int16_t soundOpt = 0;   // 0 = the wave file, 1 = a beep, other = nothing
    QString starter;             // "1" = commands need the start phrase first (kept as text)
    QString startCommand;        // the start phrase
    std::int16_t t1t = 0;        // seconds the confirmation prompt counts down
    std::int16_t tcomt = 0;      // milliseconds a command is awaited after the start phrase
    QString chktext;             // words spoken before a phrase to confirm; ends with a space
    std::int16_t comFirmExe = 0; // 1 ask before launching, 0 launch at once, else do nothing
    StartupEntry startup;        // read and changed only by the options dialog
    QString pushToTalk;          // "1" = phrases count only while the talk key is held
    QString talkKey;             // the talk key's X keysym name ("F9", "Pause"); empty: none

    // The start phrase is in use when `starter` converts to the number 1; a value that
    // is not a number counts as off.
    bool startPhraseOn() const;
    // Push-to-talk is in use when `pushToTalk` is "1" and a key has been picked.
    bool pushToTalkOn() const;
};
