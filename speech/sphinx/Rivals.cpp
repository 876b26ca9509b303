#include "speech/sphinx/Rivals.h"

#include <QRegularExpression>
#include <algorithm>
#include <sphinxbase/logmath.h>
#include <sphinxbase/ngram_model.h>
#include <utility>
#include <vector>

namespace sphinx {

QStringList commonWords(const QString& languageModel, int count)
{
    if (count <= 0)
        return {};
    logmath_t* math = logmath_init(1.0001, 0, 0);
    ngram_model_t* model =
        math ? ngram_model_read(nullptr, languageModel.toLocal8Bit().constData(), NGRAM_AUTO, math)
             : nullptr;
    std::vector<std::pair<int32, QString>> scored;
    if (model) {
        static const QRegularExpression plain(QStringLiteral("^[a-z]+$"));
        const int32 unigrams = ngram_model_get_counts(model)[0];
        for (int32 id = 0; id < unigrams; ++id) {
            const char* word = ngram_word(model, id);
            if (!word)
                continue;
            const QString w = QString::fromUtf8(word);
            if (plain.match(w).hasMatch())
                scored.emplace_back(ngram_score(model, word, NULL), w);
        }
        ngram_model_free(model);
    }
    if (math)
        logmath_free(math);
    const auto likelier = [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    };
    const std::size_t keep = std::min(scored.size(), static_cast<std::size_t>(count));
    std::partial_sort(scored.begin(), scored.begin() + static_cast<std::ptrdiff_t>(keep),
                      scored.end(), likelier);
    QStringList words;
    for (std::size_t i = 0; i < keep; ++i)
        words << scored[i].second;
    return words;
}

QStringList phonesOf(const QString& pronunciation)
{
    return pronunciation.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool soundAlike(const QStringList& a, const QStringList& b)
{
    // Edit distance, one row at a time.
    std::vector<int> row(static_cast<std::size_t>(b.size()) + 1);
    for (std::size_t j = 0; j < row.size(); ++j)
        row[j] = static_cast<int>(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[static_cast<std::size_t>(j)];
            row[static_cast<std::size_t>(j)] =
                std::min({above + 1, row[static_cast<std::size_t>(j - 1)] + 1,
                          diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    const auto longer = std::max(a.size(), b.size());
    return row.back() <= std::max<qsizetype>(1, longer / 4);
}

QStringList pickRivals(const QStringList& candidates,
                       const std::vector<QStringList>& protectedPronunciations,
                       const std::function<std::optional<QString>(const QString&)>& lookup,
                       int count)
{
    QStringList rivals;
    for (const QString& word : candidates) {
        if (rivals.size() >= count)
            break;
        const std::optional<QString> pronunciation = lookup(word);
        if (!pronunciation)
            continue;
        const QStringList phones = phonesOf(*pronunciation);
        if (phones.isEmpty() ||
            std::any_of(protectedPronunciations.begin(), protectedPronunciations.end(),
                        [&](const QStringList& p) { return soundAlike(phones, p); }))
            continue;
        rivals << word;
    }
    return rivals;
}

QString jsgfGrammar(const QStringList& alternatives)
{
    return QStringLiteral("#JSGF V1.0;\ngrammar sarquen;\npublic <cmd> = ") +
           alternatives.join(QStringLiteral("\n    | ")) + QStringLiteral(";\n");
}

} // namespace sphinx
