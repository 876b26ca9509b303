#pragma once

#include <QString>

namespace training {

// The acoustic model ships its mixture weights only in PocketSphinx's compact form
// ("sendump": 8-bit quantised log weights); SphinxTrain's `bw` reads them as a
// Sphinx-3 "mixture_weights" file. Writes that file from the sendump at `sendumpPath`;
// false, with the reason, when the sendump cannot be read or is not of that form.
bool writeMixtureWeights(const QString& sendumpPath, const QString& mixtureWeightsPath,
                         QString* error);

} // namespace training
