#include "commands/CommandStore.h"

#include "common/AppTitle.h"
#include "platform/dialogs/Dialogs.h"
#include "store/RegistryPaths.h"
#include "store/modReg.h"

#include <algorithm>
#include <cstdint>

using namespace platform;

namespace {

const QString kNumItems = QStringLiteral("numItems");

// A target as the table keeps it. Text keeps the stored NUL, as every text read from the
// store does. Binary data shows each byte as two hex digits and a space. A number is the
// little-endian value of its (normally four) bytes; a short one is read as far as it goes.
// Any other type is taken as text.
RegValue targetText(RegType type, const Bytes& data)
{
    if (type == REG_BINARY) {
        QString hex;
        hex.reserve(static_cast<qsizetype>(data.size()) * 3);
        for (const std::uint8_t byte : data)
            hex += QStringLiteral("%1 ").arg(byte, 2, 16, QChar(u'0')).toUpper();
        return hex;
    }
    if (type == REG_DWORD) {
        std::uint32_t n = 0;
        for (std::size_t i = 0; i < std::min<std::size_t>(data.size(), 4); ++i)
            n |= static_cast<std::uint32_t>(data[i]) << (8 * i);
        return static_cast<std::int32_t>(n);
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(data.data()),
                             static_cast<qsizetype>(data.size()));
}

void writeText(modReg& reg, const QString& path, const QString& name, const QString& text)
{
    reg.WriteRegValue(HKEY_LOCAL_MACHINE, path, name, RegValue(text), REG_SZ);
}

QString flagText(bool stopListening)
{
    return stopListening ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

bool LoadCommandTable(modReg& reg, CommandTable& table,
                      const std::function<void(const QString& phrase)>& onPhrase,
                      std::ostream& diagnostics)
{
    table.numItems = reg.ReadRegValue(regpath::kList, kNumItems);
    const std::int32_t stored = table.numItems.toInt32();
    if (stored <= 0)
        return true;

    Registry& registry = reg.registry();
    HKey key = kNullKey;
    if (registry.openKey(HKEY_LOCAL_MACHINE, regpath::kListList.toStdString(), &key) !=
        ERROR_SUCCESS) {
        reg.dialogs().messageBox(QStringLiteral("Error accessing HKEY_LOCAL_MACHINE\\") +
                                     regpath::kListList,
                                 appTitle(), MsgButtons::Ok, MsgIcon::None);
        return false;
    }

    // Phrases and targets are kept whole, however long: a shortened target would open the
    // wrong file, and a shortened phrase would no longer find its list\check value.
    bool moreThanTable = false;
    int row = 0;
    std::string name;
    RegType type = REG_NONE;
    Bytes data;
    for (std::uint32_t index = 0;; ++index) {
        // Anything but success ends the list: past the last value the store answers
        // ERROR_NO_MORE_ITEMS, and a damaged store would give the same error at every
        // index, so going on would never end.
        if (registry.enumValue(key, index, &name, &type, &data) != ERROR_SUCCESS)
            break;
        if (row == CommandTable::kRows) {
            moreThanTable = true;
            break;
        }
        ++row;
        const QString phrase = QString::fromStdString(name);
        table.phrases[row] = phrase;
        if (onPhrase)
            onPhrase(phrase);
        table.checks[row] = reg.ReadRegValue(regpath::kListCheck, phrase);
        table.targets[row] = targetText(type, data);
    }
    registry.closeKey(key);

    if (moreThanTable)
        diagnostics << "zorv: the command list holds more than " << CommandTable::kRows
                    << " commands; only the first " << CommandTable::kRows << " are used\n";
    else if (stored > CommandTable::kRows)
        diagnostics << "zorv: the command list's count is " << stored << ", more than "
                    << CommandTable::kRows << "; only the first " << CommandTable::kRows
                    << " commands are used\n";
    return true;
}

QString normalisePhrase(const QString& phrase)
{
    qsizetype begin = 0;
    qsizetype end = phrase.size();
    while (begin < end && phrase[begin] == u' ')
        ++begin;
    while (end > begin && phrase[end - 1] == u' ')
        --end;
    QString result = phrase.mid(begin, end - begin);
    if (result.isEmpty())
        return result;

    // The first character as one code point, so that a letter outside the basic plane is
    // capitalised too; the simple one-to-one mapping keeps it one character.
    const bool pair =
        result.size() > 1 && result[0].isHighSurrogate() && result[1].isLowSurrogate();
    const char32_t first =
        pair ? QChar::surrogateToUcs4(result[0], result[1]) : result[0].unicode();
    if (QChar::toLower(first) == first) {
        const char32_t upper = QChar::toUpper(first);
        if (upper != first)
            result.replace(0, pair ? 2 : 1, QString::fromUcs4(&upper, 1));
    }
    return result;
}

void AddCommand(modReg& reg, const CommandTable& table, const QString& phrase,
                const QString& target, bool stopListening)
{
    // 64-bit so that even a count at the 32-bit limit goes one higher.
    const std::int64_t count = std::int64_t{table.numItems.toInt32()} + 1;
    writeText(reg, regpath::kList, kNumItems, QString::number(count));
    writeText(reg, regpath::kListList, phrase, target);
    writeText(reg, regpath::kListCheck, phrase, flagText(stopListening));
}

void ChangeCommand(modReg& reg, const QString& oldPhrase, const QString& newPhrase,
                   const QString& target, bool stopListening)
{
    // A change of case alone also deletes first, so that the store takes the new spelling.
    if (oldPhrase != newPhrase) {
        reg.DeleteRegValue(HKEY_LOCAL_MACHINE, regpath::kListList, oldPhrase);
        reg.DeleteRegValue(HKEY_LOCAL_MACHINE, regpath::kListCheck, oldPhrase);
    }
    writeText(reg, regpath::kListList, newPhrase, target);
    writeText(reg, regpath::kListCheck, newPhrase, flagText(stopListening));
}

void DeleteCommand(modReg& reg, const CommandTable& table, const QString& phrase)
{
    // The scan runs to the end: should the phrase stand in two rows (a row past the values
    // of the last load still holding an earlier command), the count drops once for each.
    const int bound = table.count();
    std::int64_t count = table.numItems.toInt32();
    for (int i = 1; i <= bound; ++i) {
        if (table.phrases[i].text() != phrase)
            continue;
        reg.DeleteRegValue(HKEY_LOCAL_MACHINE, regpath::kListList, phrase);
        reg.DeleteRegValue(HKEY_LOCAL_MACHINE, regpath::kListCheck, phrase);
        --count;
        writeText(reg, regpath::kList, kNumItems, QString::number(count));
    }
}

bool PhraseTaken(const CommandTable& table, const QString& phrase, int exceptRow)
{
    // The store folds case the same way when it compares value names.
    const QString folded = phrase.toCaseFolded();
    const int bound = table.count();
    for (int i = 1; i <= bound; ++i) {
        if (i != exceptRow && table.phrases[i].text().toCaseFolded() == folded)
            return true;
    }
    return false;
}
