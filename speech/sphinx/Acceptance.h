#pragma once

#include "speech/sphinx/GrammarTranslation.h"
#include "speech/sphinx/PhraseDecoder.h"

#include <QString>
#include <limits>
#include <vector>

// Whether a decoded utterance is taken as the grammar phrase it was forced onto. Both
// passes over the utterance (the grammar, and a free loop of phones) describe the same
// frames as a row of segments; the grammar's words are compared with what the phone loop
// made of the very frames each word took.
namespace sphinx {

struct Segment
{
    QString word;     // a grammar word, a phone, or silence / filler ("<sil>", "SIL", "+NSN+")
    int first = 0;    // first frame (10 ms each)
    int last = 0;     // last frame, inclusive
    double score = 0; // acoustic log-likelihood of the segment
    int phones = 0;   // phones in the word's pronunciation; 0 when not known
};

// Silence, sentence ends and fillers: what no word is made of.
bool isSilence(const QString& word);

struct Evidence
{
    // Acoustic score by which the grammar's path falls short of the phone loop over the
    // whole utterance, per frame of the phrase's words: 0 or a little below for a good
    // match, far below for chatter or noise squeezed into a phrase. Speech the phrase
    // leaves over goes to silence on the grammar's path, which fits it badly: that counts.
    double phraseScore = 0;
    // The same for the word that fits worst: one badly matched word betrays a phrase
    // that only sounds like part of what was said ("money" taken as "My Mail").
    double worstWordScore = 0;
    int wordFrames = 0; // frames the grammar's words take, silence and fillers left out
    int words = 0;
    // The shortest and the longest average phone of any word, in frames. A word squeezed
    // to the fewest frames its phones can take (3 each) is a word the grammar forced in
    // where something else was said; a steady tone or hum taken for "No" holds its vowel
    // far longer than anyone says it.
    double shortestPhone = 0;
    double longestPhone = 0;
    // By how much the phrase fits the utterance better than the best ordinary word does,
    // per frame of the phrase's words (see Rivals.h); far above any threshold when the
    // utterance was not matched against ordinary words.
    double rivalMargin = std::numeric_limits<double>::infinity();
};

// Evidence for the grammar path against the phone loop over the same audio. A phone
// segment that straddles a word boundary counts for each frame it covers.
Evidence compare(const std::vector<Segment>& grammarPath, const std::vector<Segment>& phonePath);

// The rival margin of `evidence` (compare()'s) from the grammar's path and the best
// ordinary word's path over the same audio.
void compareRival(Evidence& evidence, const std::vector<Segment>& grammarPath,
                  const std::vector<Segment>& rivalPath);

struct Thresholds
{
    double phrase = 0;
    double worstWord = 0;
    double shortestPhone = 0;
    double longestPhone = 0;
    double rivalMargin = 0;
};

// The thresholds for a phrase heard with its speech `snrDb` above the background: those
// of the settings in quiet, lowered as the noise grows, and raised for the start phrase
// (see PhraseDecoder::Settings).
Thresholds thresholdsFor(const PhraseDecoder::Settings& settings, const PhraseEntry& phrase,
                         double snrDb);

// Accepted when the phrase and its worst word both reach their thresholds and the
// words' average phones are neither shorter nor longer than the limits; nothing is
// accepted without words.
bool accepts(const Evidence& evidence, const Thresholds& thresholds);

} // namespace sphinx
