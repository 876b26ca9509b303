#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

// The decoder's pronunciation dictionary ("word PH ON ES" per line), read without a
// decoder: what the editor needs to tell which words the recogniser knows and how they
// sound. The file is read once, on the first question, and kept as it is with a sorted
// index of its words, a few MB for the ~135,000 words of the installed one.
namespace sphinx {

class PronouncingDictionary
{
public:
    explicit PronouncingDictionary(QString path);

    // Whether the file could be read and holds at least one word.
    bool isAvailable() const;
    // The first pronunciation of a word ("N OW T P AE D"), upper- or lower-case alike;
    // the further ones ("word(2)") are left out. Nothing for an unknown word.
    std::optional<QString> lookup(const QString& word) const;

    // The dictionary the decoder loads by default, shared by the whole program.
    static const PronouncingDictionary& installed();

private:
    struct Entry
    {
        std::uint32_t word;
        std::uint32_t wordLength;
        std::uint32_t phones;
        std::uint32_t phonesLength;
    };
    void load() const;
    QByteArrayView wordOf(const Entry& entry) const;

    QString path_;
    mutable std::once_flag loaded_;
    mutable QByteArray text_;
    mutable std::vector<Entry> entries_; // sorted by word
};

} // namespace sphinx
