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
