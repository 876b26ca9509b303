#pragma once

#include <QString>
#include <QStringList>

enum class StartMode
{
    Normal,
    Minimised,
    Hidden
};

// The program's command line without the program name, as one text.
QString commandLineText(const QStringList& arguments);

// "/m" starts minimised, "/h" hidden; anything else, compared after trimming and
// case-sensitively, shows the main window.
StartMode startModeFor(const QString& commandLine);

// "/talk": handed to the running program, it takes the next utterance as one said with
// the talk key held (for desktops where the program cannot watch a key itself).
bool asksToTalk(const QString& commandLine);
