#include "launcher/Grammar.h"

const QStringList& builtinGrammarPhrases()
{
    static const QStringList phrases{
        QStringLiteral("Exit Sarquen"),
        QStringLiteral("Minimize Sarquen"),
        QStringLiteral("Maximize Sarquen"),
        QStringLiteral("Show Sarquen"),
        QStringLiteral("Hide Sarquen"),
        QStringLiteral("What Time Is It"),
        QStringLiteral("Whats The Date"),
        QStringLiteral("About Sarquen"),
        QStringLiteral("Yes"),
        QStringLiteral("No"),
        QStringLiteral("Close Window"),
        QStringLiteral("Show Desktop"),
        QStringLiteral("Run Program"),
        QStringLiteral("System Properties"),
        QStringLiteral("Last"),
        QStringLiteral("Next"),
        QStringLiteral("Go"),
        QStringLiteral("Next Window"),
        QStringLiteral("Maximize Window"),
        QStringLiteral("Minimize Window"),
        QStringLiteral("Restore Window"),
    };
    return phrases;
}

const QStringList& builtinListEntries()
{
    static const QStringList entries{
        QStringLiteral("Close Window"),
        QStringLiteral("Maximize Window"),
        QStringLiteral("Minimize Window"),
        QStringLiteral("Restore Window"),
        QStringLiteral("Next Window"),
        QStringLiteral("->Next - (use only after 'Next Window' command)"),
        QStringLiteral("->Last - (use only after 'Next Window' command)"),
        QStringLiteral("->Go - (use only after 'Next Window' command)"),
        QStringLiteral("Show Desktop"),
        QStringLiteral("Run Program"),
        QStringLiteral("System Properties"),
        QStringLiteral("What Time Is It"),
        QStringLiteral("Whats The Date"),
        QStringLiteral("Show Sarquen"),
        QStringLiteral("Hide Sarquen"),
        QStringLiteral("Maximize Sarquen"),
        QStringLiteral("Minimize Sarquen"),
        QStringLiteral("About Sarquen"),
        QStringLiteral("Exit Sarquen"),
    };
    return entries;
}

QString buildGrammarText(const QStringList& userPhrases, const QString& startCommand)
{
    static const QString crlf = QStringLiteral("\r\n");
    static const QString rule = QStringLiteral("<start>=");
    QString text = QStringLiteral("[Grammar]") + crlf + QStringLiteral("type=cfg") + crlf +
                   QStringLiteral("[<start>]") + crlf;
    for (const QString& phrase : builtinGrammarPhrases())
        text += rule + phrase + crlf;
    for (const QString& phrase : userPhrases)
        text += rule + phrase + crlf;
    text += rule + startCommand;
    return text;
}
