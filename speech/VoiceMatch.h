#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One "Key=Value" pair of a voice description, both sides trimmed.
struct VoiceAttribute
{
    QString key;
    QString value;
};

// Splits "Key=Value;Key=Value" into its pairs, in order. Pieces without "=" or with an
// empty key are left out; a value may itself contain "=".
QList<VoiceAttribute> parseVoiceAttributes(const QString& text);

// The 1-based index of the voice in `voices` (each described by attribute text) that
// shares the most pairs with `attributes`; keys and values compare case-insensitively.
// Ties go to the lowest index, so with no pair in common the first voice is chosen.
// 0 when there are no voices.
int bestVoiceIndex(const QString& attributes, const QStringList& voices);
