#pragma once

#include "speech/sphinx/GrammarTranslation.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Phrases the recogniser will have trouble with, found before they join the grammar:
// words it does not know (their pronunciation is guessed) and phrases that sound so
// much alike that it may take one for the other ("Notepad" and "Note Pad").
namespace sphinx {

// How far apart two phone sequences sound: the edits that turn one into the other
// (dropping, adding or changing a phone costs 1, changing it into a similar one, a vowel
// into a vowel or "L" into "R", costs 1/2) per phone of the longer one. 0 for the same
// phones, 1 when one of them is empty.
double phoneDistance(const QStringList& a, const QStringList& b);

// Phrases this close are taken for each other. "Front Left" and "Front Right" are 2/9
// apart (L/R and EH/AY half each, F dropped), one similar consonant in a short word like
// "Mail"/"Nail" 1/6; "Open Mail" and "Open Music" at 9/20 are told apart. Closer than
// 1/4 is about where a grammar decoder starts swapping phrases said a little unclearly.
inline constexpr double kConfusableDistance = 0.25;

// What the check found for one phrase.
struct PhraseFindings
{
    QString phrase;
    QStringList unknownWords; // as the phrase writes them
    QString soundsLike;       // the nearest phrase it may be taken for; empty when none

    bool any() const { return !unknownWords.isEmpty() || !soundsLike.isEmpty(); }
};

// The findings in plain sentences, one per finding.
QStringList findingSentences(const PhraseFindings& findings);

class PhraseCheck
{
public:
    // Words are looked up and guessed as the grammar does it. `dictionaryRead` false
    // says that `source.lookup` knows nothing because the dictionary could not be read:
    // then every word is guessed, and none is named as unknown, which would only say
    // that the file is missing.
    PhraseCheck(PronunciationSource source, bool dictionaryRead);
    // The decoder's dictionary and espeak-ng's guesses.
    static PhraseCheck installed();

    // `phrase` among the other phrases of the grammar. When a command's phrase is being
    // changed, `replacing` is its old phrase: that one leaves the grammar and is no rival.
    PhraseFindings check(const QString& phrase, const QStringList& others,
                         const QString& replacing = QString());
    // Every command phrase, each pair of them compared once, and each with the built-in
    // phrases; only phrases with findings are listed, in the commands' order.
    QList<PhraseFindings> checkAll(const QStringList& commands, const QStringList& builtins);

private:
    struct Sound
    {
        QStringList phones; // empty when the phrase cannot be spoken
        QStringList unknownWords;
    };
    const Sound& soundOf(const QString& phrase);

    PronunciationSource source_;
    bool dictionaryRead_;
    QHash<QString, Sound> sounds_;
};

} // namespace sphinx
