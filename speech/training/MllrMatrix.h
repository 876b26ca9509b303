#pragma once

#include <QString>
#include <vector>

namespace training {

// The widths of the acoustic model's feature streams, from the "-svspec" of its
// feat.params ("0-12/13-25/26-38": three of 13); one stream of `-ceplen` times three
// (the cepstra and their two derivatives) when there is none. Empty when the file cannot
// be read.
std::vector<int> streamWidths(const QString& modelDir);

// Whether the file at `path` is an MLLR transform (SphinxTrain's mllr_solve output: the
// class and stream counts, then for each class and stream its width, the matrix, the
// offset and the variance scale) that PocketSphinx can apply to a model with these
// stream widths: one class, every number finite and of a size a voice gives, the
// variance scales positive. PocketSphinx trusts the file's widths and class count, so
// one made for another model must not reach it. False, with the reason, when not.
bool mllrFits(const QString& path, const std::vector<int>& widths, QString* error);

} // namespace training
