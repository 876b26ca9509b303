#pragma once

#include <QString>
#include <QStringList>

namespace training {

// What the user reads aloud to train the recogniser, about 30 prompts: the start phrase
// and the user's own command phrases first (the words the recogniser must know best),
// then sentences that hold every sound of English between them. A phrase too long to
// read in one take (VoiceFolder::kLongestPrompt) is left out.
QStringList trainingPrompts(const QString& startPhrase, const QStringList& commandPhrases);

} // namespace training
