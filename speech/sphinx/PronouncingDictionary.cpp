#include "speech/sphinx/PronouncingDictionary.h"

#include "speech/sphinx/PhraseDecoder.h"

#include <QFile>
#include <algorithm>
#include <limits>

namespace sphinx {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

} // namespace

PronouncingDictionary::PronouncingDictionary(QString path) : path_(std::move(path)) {}

const PronouncingDictionary& PronouncingDictionary::installed()
{
    static const PronouncingDictionary dictionary(PhraseDecoder::defaultSettings().dictionary);
    return dictionary;
}

void PronouncingDictionary::load() const
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return;
    text_ = file.readAll();
    // The index holds 32-bit offsets; no real dictionary comes near that size.
    if (text_.size() >= std::numeric_limits<std::uint32_t>::max()) {
        text_.clear();
        return;
    }
    const auto at = [](qsizetype i) { return static_cast<std::uint32_t>(i); };
    const qsizetype size = text_.size();
    qsizetype line = 0;
    while (line < size) {
        qsizetype end = text_.indexOf('\n', line);
        if (end < 0)
            end = size;
        qsizetype wordEnd = line;
        while (wordEnd < end && !isBlank(text_[wordEnd]))
            ++wordEnd;
        qsizetype phones = wordEnd;
        while (phones < end && isBlank(text_[phones]))
            ++phones;
        qsizetype phonesEnd = end;
        while (phonesEnd > phones && isBlank(text_[phonesEnd - 1]))
            --phonesEnd;
        // "word(2)" is a further pronunciation of "word".
        const bool further = wordEnd > line && text_[wordEnd - 1] == ')';
        if (wordEnd > line && phonesEnd > phones && !further)
            entries_.push_back({at(line), at(wordEnd - line), at(phones), at(phonesEnd - phones)});
        line = end + 1;
    }
    // Stable: of two lines for the same word the first one counts.
    std::stable_sort(entries_.begin(), entries_.end(),
                     [this](const Entry& a, const Entry& b) { return wordOf(a) < wordOf(b); });
}

QByteArrayView PronouncingDictionary::wordOf(const Entry& entry) const
{
    return QByteArrayView(text_.constData() + entry.word, entry.wordLength);
}

bool PronouncingDictionary::isAvailable() const
{
    std::call_once(loaded_, [this] { load(); });
    return !entries_.empty();
}

std::optional<QString> PronouncingDictionary::lookup(const QString& word) const
{
    if (!isAvailable() || word.isEmpty())
        return std::nullopt;
    const QByteArray key = word.toLower().toUtf8();
    const auto it =
        std::lower_bound(entries_.begin(), entries_.end(), QByteArrayView(key),
                         [this](const Entry& e, QByteArrayView k) { return wordOf(e) < k; });
    if (it == entries_.end() || wordOf(*it) != QByteArrayView(key))
        return std::nullopt;
    return QString::fromUtf8(text_.constData() + it->phones, it->phonesLength).simplified();
}

} // namespace sphinx
