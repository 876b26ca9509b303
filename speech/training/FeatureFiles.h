#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace training {

// Cepstra of 16 kHz mono speech, computed as the acoustic model's own front end does
// (its feat.params), written as a SphinxTrain feature file: the count of numbers, then
// the numbers, 13 to a 10 ms frame. False, with the reason, on failure.
bool writeFeatureFile(const QString& modelDir, const std::vector<std::int16_t>& samples,
                      const QString& path, QString* error);

} // namespace training
