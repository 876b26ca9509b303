#include "platform/registry/RegFile.h"

#include <QList>
#include <QStringDecoder>
#include <cctype>
#include <optional>

namespace platform {

namespace {

constexpr long kErrorInvalidData = 13;
constexpr int kWrapColumn = 76;

struct Line
{
    int number;
    QString text;
};

std::string utf8(const QString& s)
{
    return s.toStdString();
}

std::string normalisedPath(const std::string& path)
{
    std::string out;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start) {
            if (!out.empty())
                out += '\\';
            out += path.substr(start, end - start);
        }
        start = end + 1;
    }
    return out;
}

// Splits the file into logical lines: CR LF or LF ends a line, and a line ending in a
// backslash goes on in the next one (leading blanks of that one dropped).
std::vector<Line> logicalLines(QByteArray bytes, std::vector<RegFileError>& errors)
{
    // UTF-16 with its byte order mark, as the platform's own editor writes REGEDIT5 files.
    for (const auto& [mark, encoding] :
         {std::pair{QByteArrayLiteral("\xFF\xFE"), QStringDecoder::Utf16LE},
          std::pair{QByteArrayLiteral("\xFE\xFF"), QStringDecoder::Utf16BE}}) {
        if (!bytes.startsWith(mark))
            continue;
        QStringDecoder decode(encoding);
        const QString text = decode(bytes.mid(2));
        if (decode.hasError()) {
            errors.push_back({1, QStringLiteral("the file is not valid UTF-16 text")});
            return {};
        }
        bytes = text.toUtf8();
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const QList<QByteArray> raw = bytes.split('\n');
    std::vector<Line> lines;
    std::optional<Line> pending;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QByteArray bytesOfLine = raw[i];
        if (bytesOfLine.endsWith('\r'))
            bytesOfLine.chop(1);
        QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decode(bytesOfLine);
        const int number = static_cast<int>(i + 1);
        if (decode.hasError()) {
            errors.push_back({number, QStringLiteral("the line is not valid UTF-8 text")});
            text.clear();
        }
        if (pending)
            pending->text += text.trimmed();
        else
            pending = Line{number, text};

        // Looked at where it changes only: a line continued many times stays linear.
        QString& logical = pending->text;
        qsizetype end = logical.size();
        while (end > 0 && logical[end - 1].isSpace())
            --end;
        qsizetype start = 0;
        while (start < end && logical[start].isSpace())
            ++start;
        if (end > start && logical[start] != u';' && logical[end - 1] == u'\\') {
            logical.truncate(end - 1);
            continue;
        }
        lines.push_back(*pending);
        pending.reset();
    }
    if (pending)
        lines.push_back(*pending);
    return lines;
}

// A quoted string starting at text[pos] == '"'; only \\ and \" are escapes. Moves pos
// past the closing quote.
bool readQuoted(const QString& text, qsizetype& pos, QString* out, QString* message)
{
    out->clear();
    for (++pos; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (c == u'"') {
            ++pos;
            return true;
        }
        if (c == u'\\') {
            if (pos + 1 >= text.size() || (text[pos + 1] != u'\\' && text[pos + 1] != u'"')) {
                *message = QStringLiteral("only \\\\ and \\\" may follow a backslash in a string");
                return false;
            }
            ++pos;
        }
        out->append(text[pos]);
    }
    *message = QStringLiteral("a string has no closing quote");
    return false;
}

bool readHexNumber(QStringView digits, std::uint32_t* value)
{
    if (digits.isEmpty() || digits.size() > 8)
        return false;
    for (const QChar c : digits) {
        if (c.unicode() > 0x7F || !std::isxdigit(c.unicode()))
            return false;
    }
    bool ok = false;
    *value = digits.toUInt(&ok, 16);
    return ok;
}

// Comma-separated bytes, each one or two hex digits; nothing at all is no bytes.
bool readHexBytes(QStringView list, Bytes* out)
{
    out->clear();
    if (list.trimmed().isEmpty())
        return true;
    for (const QStringView item : list.split(u',')) {
        const QStringView digits = item.trimmed();
        std::uint32_t byte = 0;
        if (digits.size() > 2 || !readHexNumber(digits, &byte))
            return false;
        out->push_back(static_cast<std::uint8_t>(byte));
    }
    return true;
}

// The data after "=": "text", dword:, hex:, hex(N): or "-".
bool readData(QStringView data, RegOperation* op, QString* message)
{
    if (data == u"-") {
        op->kind = RegOperation::Kind::DeleteValue;
        return true;
    }
    op->kind = RegOperation::Kind::SetValue;
    if (data.startsWith(u'"')) {
        const QString text = data.toString();
        qsizetype pos = 0;
        QString value;
        if (!readQuoted(text, pos, &value, message))
            return false;
        if (pos != text.size()) {
            *message = QStringLiteral("unexpected text after the closing quote");
            return false;
        }
        const QByteArray bytes = value.toUtf8();
        op->type = REG_SZ;
        op->data.assign(bytes.begin(), bytes.end());
        op->data.push_back(0);
        return true;
    }
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        std::uint32_t n = 0;
        if (!readHexNumber(data.mid(6), &n)) {
            *message = QStringLiteral("dword: needs 1 to 8 hexadecimal digits");
            return false;
        }
        op->type = REG_DWORD;
        op->data = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                    static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
        return true;
    }
    QStringView list;
    if (data.startsWith(u"hex:", Qt::CaseInsensitive)) {
        op->type = REG_BINARY;
        list = data.mid(4);
    } else if (data.startsWith(u"hex(", Qt::CaseInsensitive)) {
        const qsizetype close = data.indexOf(u"):");
        std::uint32_t type = 0;
        if (close < 0 || !readHexNumber(data.mid(4, close - 4), &type)) {
            *message = QStringLiteral("hex(N): needs a hexadecimal type number N");
            return false;
        }
        op->type = static_cast<RegType>(type);
        list = data.mid(close + 2);
    } else {
        *message = QStringLiteral("the data must be \"text\", dword:, hex:, hex(N): or -");
        return false;
    }
    if (!readHexBytes(list, &op->data)) {
        *message = QStringLiteral("hex data must be bytes of two hexadecimal digits, separated "
                                  "by commas");
        return false;
    }
    return true;
}

// `"name"=data` or `@=data`.
bool readValueLine(const QString& text, RegOperation* op, QString* message)
{
    qsizetype pos = 0;
    QString name;
    if (text.startsWith(u'@')) {
        pos = 1;
    } else if (text.startsWith(u'"')) {
        if (!readQuoted(text, pos, &name, message))
            return false;
    } else {
        *message = QStringLiteral("expected [key], \"name\"=..., @=... or a ; comment");
        return false;
    }
    while (pos < text.size() && text[pos].isSpace())
        ++pos;
    if (pos >= text.size() || text[pos] != u'=') {
        *message = QStringLiteral("expected = after the value name");
        return false;
    }
    // Whatever is imported must be exportable again.
    if (name.contains(QChar(u'\0'))) {
        *message = QStringLiteral("the value name holds a NUL character, which no .reg file can "
                                  "hold");
        return false;
    }
    op->name = utf8(name);
    return readData(QStringView(text).mid(pos + 1).trimmed(), op, message);
}

QByteArray quoted(const QString& text)
{
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return '"' + escaped.toUtf8() + '"';
}

// A name that fits on one line of a .reg file.
bool writableName(const std::string& name, QString* text)
{
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *text = decode(QByteArrayView(name.data(), static_cast<qsizetype>(name.size())));
    return !decode.hasError() && !text->contains(u'\n') && !text->contains(u'\r') &&
           !text->contains(QChar(u'\0'));
}

QByteArray hexList(const QByteArray& prefix, const Bytes& data)
{
    QByteArray out = prefix;
    qsizetype column = prefix.size();
    for (std::size_t i = 0; i < data.size(); ++i) {
        QByteArray item = QByteArray::number(data[i], 16).rightJustified(2, '0');
        if (i + 1 < data.size())
            item += ',';
        if (i > 0 && column + item.size() > kWrapColumn) {
            out += "\\\n  ";
            column = 2;
        }
        out += item;
        column += item.size();
    }
    return out;
}

QByteArray valueLine(const QString& name, RegType type, const Bytes& data)
{
    const QByteArray field = (name.isEmpty() ? QByteArray("@") : quoted(name)) + '=';
    QString text;
    if (type == REG_SZ && RegFile::plainText(data, &text))
        return field + quoted(text);
    if (type == REG_DWORD && data.size() == 4) {
        const std::uint32_t n = data[0] | (data[1] << 8) | (data[2] << 16) |
                                (static_cast<std::uint32_t>(data[3]) << 24);
        return field + "dword:" + QByteArray::number(n, 16).rightJustified(8, '0');
    }
    if (type == REG_BINARY)
        return hexList(field + "hex:", data);
    return hexList(field + "hex(" + QByteArray::number(static_cast<std::uint32_t>(type), 16) + "):",
                   data);
}

long writeKey(Registry& registry, HKey hive, const std::string& path, QByteArray* out,
              QString* error)
{
    HKey key = kNullKey;
    if (const long rc = registry.openKey(hive, path, &key))
        return rc;
    QString keyText;
    if (!writableName(path, &keyText)) {
        registry.closeKey(key);
        *error = QStringLiteral("the key name %1 cannot be written to a .reg file").arg(keyText);
        return kErrorInvalidData;
    }
    *out += "\n[" + RegFile::hiveName(hive).toUtf8();
    if (!path.empty())
        *out += "\\" + keyText.toUtf8();
    *out += "]\n";

    long rc = ERROR_SUCCESS;
    std::string name;
    RegType type = REG_NONE;
    Bytes data;
    for (std::uint32_t i = 0; rc == ERROR_SUCCESS; ++i) {
        rc = registry.enumValue(key, i, &name, &type, &data);
        if (rc != ERROR_SUCCESS)
            break;
        QString nameText;
        if (!writableName(name, &nameText)) {
            *error = QStringLiteral("a value name under %1 cannot be written to a .reg file")
                         .arg(keyText);
            rc = kErrorInvalidData;
            break;
        }
        *out += valueLine(nameText, type, data) + '\n';
    }
    std::vector<std::string> subkeys;
    if (rc == ERROR_NO_MORE_ITEMS) {
        rc = ERROR_SUCCESS;
        for (std::uint32_t i = 0; rc == ERROR_SUCCESS; ++i) {
            rc = registry.enumKey(key, i, &name);
            if (rc == ERROR_SUCCESS)
                subkeys.push_back(name);
        }
        if (rc == ERROR_NO_MORE_ITEMS)
            rc = ERROR_SUCCESS;
    }
    registry.closeKey(key);
    for (const auto& sub : subkeys) {
        if (rc != ERROR_SUCCESS)
            break;
        rc = writeKey(registry, hive, path.empty() ? sub : path + '\\' + sub, out, error);
    }
    return rc;
}

} // namespace

bool RegFile::splitKeyName(const QString& keyName, HKey* hive, std::string* path)
{
    const qsizetype slash = keyName.indexOf(u'\\');
    const QString root = slash < 0 ? keyName : keyName.left(slash);
    auto is = [&root](const char* name) {
        return root.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    };
    if (is("HKEY_LOCAL_MACHINE") || is("HKLM"))
        *hive = HKEY_LOCAL_MACHINE;
    else if (is("HKEY_CURRENT_USER") || is("HKCU"))
        *hive = HKEY_CURRENT_USER;
    else
        return false;
    *path = slash < 0 ? std::string() : normalisedPath(utf8(keyName.mid(slash + 1)));
    return true;
}

QString RegFile::hiveName(HKey hive)
{
    return hive == HKEY_CURRENT_USER ? QStringLiteral("HKEY_CURRENT_USER")
                                     : QStringLiteral("HKEY_LOCAL_MACHINE");
}

bool RegFile::plainText(const Bytes& data, QString* text)
{
    if (data.empty() || data.back() != 0)
        return false;
    const QByteArrayView body(data.data(), static_cast<qsizetype>(data.size()) - 1);
    if (body.contains('\0') || body.contains('\n') || body.contains('\r'))
        return false;
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *text = decode(body);
    return !decode.hasError();
}

RegFile RegFile::parse(const QByteArray& text)
{
    RegFile file;
    const std::vector<Line> lines = logicalLines(text, file.errors_);
    // Where value lines go: nowhere yet, a key being deleted, a section that was itself
    // an error (its values are skipped quietly), or an open key.
    enum class Section
    {
        None,
        Deleting,
        Bad,
        Open
    };
    bool header = false;
    Section section = Section::None;
    HKey hive = HKEY_LOCAL_MACHINE;
    std::string path;

    for (const Line& line : lines) {
        const QString t = line.text.trimmed();
        auto fail = [&](const QString& message) { file.errors_.push_back({line.number, message}); };
        if (t.isEmpty())
            continue;
        if (!header) {
            if (t != u"REGEDIT4" && t != u"Windows Registry Editor Version 5.00") {
                fail(QStringLiteral("the file does not begin with REGEDIT4"));
                return file;
            }
            header = true;
            continue;
        }
        if (t.startsWith(u';'))
            continue;
        if (t.startsWith(u'[')) {
            section = Section::Bad;
            if (!t.endsWith(u']')) {
                fail(QStringLiteral("a [key] line must end with ]"));
                continue;
            }
            QString inner = t.mid(1, t.size() - 2);
            const bool deleting = inner.startsWith(u'-');
            if (deleting)
                inner.remove(0, 1);
            if (!splitKeyName(inner, &hive, &path)) {
                fail(QStringLiteral("unknown root key in [%1]; use HKEY_LOCAL_MACHINE or "
                                    "HKEY_CURRENT_USER")
                         .arg(inner));
                continue;
            }
            if (deleting && path.empty()) {
                fail(QStringLiteral("a whole root key cannot be deleted"));
                continue;
            }
            if (inner.contains(QChar(u'\0'))) {
                fail(QStringLiteral("the key name holds a NUL character, which no .reg file "
                                    "can hold"));
                continue;
            }
            if (!keyPathFits(path)) {
                fail(QStringLiteral("the key path is longer than %1 bytes or holds a name "
                                    "longer than %2 bytes")
                         .arg(kMaxKeyPath)
                         .arg(kMaxKeyName));
                continue;
            }
            RegOperation op;
            op.kind = deleting ? RegOperation::Kind::DeleteKey : RegOperation::Kind::CreateKey;
            op.hive = hive;
            op.path = path;
            op.line = line.number;
            file.operations_.push_back(std::move(op));
            section = deleting ? Section::Deleting : Section::Open;
            continue;
        }
        if (section == Section::None) {
            fail(QStringLiteral("a value before the first [key] line"));
            continue;
        }
        if (section == Section::Deleting) {
            fail(QStringLiteral("a value under a key that is being deleted"));
            continue;
        }
        RegOperation op;
        op.hive = hive;
        op.path = path;
        op.line = line.number;
        QString message;
        if (!readValueLine(t, &op, &message))
            fail(message);
        else if (section == Section::Open)
            file.operations_.push_back(std::move(op));
    }
    if (!header)
        file.errors_.push_back({1, QStringLiteral("the file does not begin with REGEDIT4")});
    return file;
}

long RegFile::apply(Registry& registry, QString* error) const
{
    QString ignored;
    QString& message = error ? *error : ignored;
    if (!ok()) {
        message = QStringLiteral("the file has errors; nothing was imported");
        return kErrorInvalidData;
    }
    // The whole file or nothing: one batch of changes, dropped at the first failure.
    if (const long rc = registry.beginChanges()) {
        message = QStringLiteral("nothing was imported: %1").arg(storeErrorText(rc));
        return rc;
    }
    HKey key = kNullKey;
    for (const RegOperation& op : operations_) {
        long rc = ERROR_SUCCESS;
        switch (op.kind) {
        case RegOperation::Kind::CreateKey:
            registry.closeKey(key);
            rc = registry.createKey(op.hive, op.path, &key);
            break;
        case RegOperation::Kind::DeleteKey:
            registry.closeKey(key);
            key = kNullKey;
            rc = registry.deleteKey(op.hive, op.path);
            break;
        case RegOperation::Kind::SetValue:
            rc = registry.setValue(key, op.name, op.type, op.data);
            break;
        case RegOperation::Kind::DeleteValue:
            rc = registry.deleteValue(key, op.name);
            break;
        }
        const bool gone =
            op.kind == RegOperation::Kind::DeleteKey || op.kind == RegOperation::Kind::DeleteValue;
        if (rc != ERROR_SUCCESS && !(gone && rc == ERROR_FILE_NOT_FOUND)) {
            registry.closeKey(key);
            registry.endChanges(false);
            message = QStringLiteral("line %1: %2; nothing was imported")
                          .arg(op.line)
                          .arg(storeErrorText(rc));
            return rc;
        }
    }
    registry.closeKey(key);
    if (const long rc = registry.endChanges(true)) {
        message = QStringLiteral("nothing was imported: %1").arg(storeErrorText(rc));
        return rc;
    }
    return ERROR_SUCCESS;
}

QString storeErrorText(long rc)
{
    switch (rc) {
    case ERROR_ACCESS_DENIED:
        return QStringLiteral("the settings store cannot be read and written");
    case ERROR_REGISTRY_CORRUPT:
        return QStringLiteral("the settings store is not a readable database");
    case ERROR_DISK_FULL:
        return QStringLiteral("the disk is full");
    case ERROR_BUSY:
        return QStringLiteral("the store is busy: another program is writing to it");
    case ERROR_BADKEY:
        return QStringLiteral("the key path is too long");
    default:
        return QStringLiteral("the store refused the change (error %1)").arg(rc);
    }
}

long RegFile::write(Registry& registry, HKey hive, const std::string& path, QByteArray* out,
                    QString* error)
{
    QString ignored;
    QByteArray text = "REGEDIT4\n";
    const long rc = writeKey(registry, hive, normalisedPath(path), &text, error ? error : &ignored);
    if (rc == ERROR_SUCCESS) {
        text += '\n';
        *out = text;
    }
    return rc;
}

} // namespace platform
