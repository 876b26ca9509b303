#include "tools/sarquen-reg/RegTool.h"

#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"

#include <QFile>
#include <limits>
#include <optional>

using namespace platform;

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

QString typeName(RegType type)
{
    switch (static_cast<std::uint32_t>(type)) {
    case REG_NONE:
        return QStringLiteral("REG_NONE");
    case REG_SZ:
        return QStringLiteral("REG_SZ");
    case REG_EXPAND_SZ:
        return QStringLiteral("REG_EXPAND_SZ");
    case REG_BINARY:
        return QStringLiteral("REG_BINARY");
    case REG_DWORD:
        return QStringLiteral("REG_DWORD");
    case 7:
        return QStringLiteral("REG_MULTI_SZ");
    case 11:
        return QStringLiteral("REG_QWORD");
    }
    return QStringLiteral("REG_TYPE(%1)").arg(static_cast<std::uint32_t>(type));
}

QString hexBytes(const Bytes& data)
{
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()))
            .toHex(','));
}

bool isText(RegType type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

std::optional<std::int32_t> dwordOf(RegType type, const Bytes& data)
{
    if (type != REG_DWORD || data.size() != 4)
        return std::nullopt;
    return static_cast<std::int32_t>(data[0] | (data[1] << 8) | (data[2] << 16) |
                                     (static_cast<std::uint32_t>(data[3]) << 24));
}

// The data as one line of a listing: text without its NUL, a dword in decimal, other
// data (and text that would break the line) as hex bytes.
QString listedData(RegType type, const Bytes& data)
{
    if (const auto n = dwordOf(type, data))
        return QString::number(*n);
    QString text;
    if (isText(type)) {
        if (RegFile::plainText(data, &text) && !text.contains(u'\t'))
            return text;
        return QStringLiteral("hex:") + hexBytes(data);
    }
    return hexBytes(data);
}

// The data of one value as printed alone: text as stored, less its terminating NUL.
QString singleData(RegType type, const Bytes& data)
{
    if (const auto n = dwordOf(type, data))
        return QString::number(*n);
    if (!isText(type))
        return hexBytes(data);
    std::size_t size = data.size();
    if (size > 0 && data[size - 1] == 0)
        --size;
    return QString::fromUtf8(reinterpret_cast<const char*>(data.data()),
                             static_cast<qsizetype>(size));
}

// A decimal 32-bit number, signed or not, or 0x followed by up to 8 hex digits.
std::optional<std::uint32_t> parseDword(const QString& text)
{
    bool ok = false;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) && text.size() <= 10) {
        const uint n = text.mid(2).toUInt(&ok, 16);
        return ok ? std::optional<std::uint32_t>(n) : std::nullopt;
    }
    const qlonglong n = text.toLongLong(&ok, 10);
    if (!ok || n < std::numeric_limits<std::int32_t>::min() ||
        n > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(n);
}

class Tool
{
public:
    Tool(Registry& registry, QTextStream& out, QTextStream& err)
        : reg_(registry), out_(out), err_(err)
    {
    }

    int run(const QStringList& args);

private:
    int query(const QStringList& args);
    int set(const QStringList& args, bool dword);
    int remove(const QStringList& args);
    int createKey(const QString& keyName);
    int importFile(const QString& fileName);
    int exportKey(const QString& keyName);

    int usageError(const QString& message)
    {
        err_ << "sarquen-reg: " << message << "\nTry 'sarquen-reg --help'.\n";
        return kBadUsage;
    }
    int failed(const QString& message)
    {
        err_ << "sarquen-reg: " << message << '\n';
        return kFailed;
    }
    bool key(const QString& keyName, HKey* hive, std::string* path)
    {
        if (RegFile::splitKeyName(keyName, hive, path))
            return true;
        usageError(
            QStringLiteral("%1 is not a key; keys start with HKLM\\ or HKCU\\").arg(keyName));
        return false;
    }
    // Opens an existing key, saying why not when it cannot.
    bool open(const QString& keyName, HKey* handle, int* exitCode);

    Registry& reg_;
    QTextStream& out_;
    QTextStream& err_;
};

bool Tool::open(const QString& keyName, HKey* handle, int* exitCode)
{
    HKey hive = kNullKey;
    std::string path;
    if (!key(keyName, &hive, &path)) {
        *exitCode = kBadUsage;
        return false;
    }
    const long rc = reg_.openKey(hive, path, handle);
    if (rc == ERROR_SUCCESS)
        return true;
    *exitCode = failed(rc == ERROR_FILE_NOT_FOUND
                           ? QStringLiteral("the key %1 does not exist").arg(keyName)
                           : QStringLiteral("cannot open %1: %2").arg(keyName, storeErrorText(rc)));
    return false;
}

int Tool::run(const QStringList& args)
{
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString command = args.first();
    if (command == u"--help" || command == u"-h" || command == u"help") {
        out_ << regToolUsage();
        return kOk;
    }
    QStringList rest = args.mid(1);
    const bool dword = command == u"set" && rest.removeAll(QStringLiteral("--dword")) > 0;
    auto arity = [&](qsizetype low, qsizetype high) {
        return rest.size() >= low && rest.size() <= high;
    };

    if (command == u"query" && arity(1, 2))
        return query(rest);
    if (command == u"set" && arity(3, 3))
        return set(rest, dword);
    if (command == u"delete" && arity(1, 2))
        return remove(rest);
    if (command == u"create-key" && arity(1, 1))
        return createKey(rest[0]);
    if (command == u"import" && arity(1, 1))
        return importFile(rest[0]);
    if (command == u"export" && arity(1, 1))
        return exportKey(rest[0]);
    static const QStringList known{QStringLiteral("query"),  QStringLiteral("set"),
                                   QStringLiteral("delete"), QStringLiteral("create-key"),
                                   QStringLiteral("import"), QStringLiteral("export")};
    if (known.contains(command))
        return usageError(QStringLiteral("wrong number of arguments for %1").arg(command));
    return usageError(QStringLiteral("unknown command %1").arg(command));
}

int Tool::query(const QStringList& args)
{
    HKey handle = kNullKey;
    int exitCode = kOk;
    if (!open(args[0], &handle, &exitCode))
        return exitCode;
    RegType type = REG_NONE;
    Bytes data;
    if (args.size() == 2) {
        const long rc = reg_.queryValue(handle, args[1].toStdString(), &type, &data);
        reg_.closeKey(handle);
        if (rc == ERROR_FILE_NOT_FOUND)
            return failed(QStringLiteral("the key %1 has no value \"%2\"").arg(args[0], args[1]));
        if (rc != ERROR_SUCCESS)
            return failed(QStringLiteral("cannot read %1: %2").arg(args[1], storeErrorText(rc)));
        out_ << singleData(type, data) << '\n';
        return kOk;
    }

    std::string name;
    long rc = ERROR_SUCCESS;
    for (std::uint32_t i = 0; (rc = reg_.enumValue(handle, i, &name, &type, &data)) == 0; ++i)
        out_ << (name.empty() ? QStringLiteral("@") : QString::fromStdString(name)) << '\t'
             << typeName(type) << '\t' << listedData(type, data) << '\n';
    // Subkeys follow as full key names, ready to be queried in turn.
    QString prefix = args[0];
    while (prefix.endsWith(u'\\'))
        prefix.chop(1);
    if (rc == ERROR_NO_MORE_ITEMS) {
        for (std::uint32_t i = 0; (rc = reg_.enumKey(handle, i, &name)) == 0; ++i)
            out_ << prefix << '\\' << QString::fromStdString(name) << '\n';
    }
    reg_.closeKey(handle);
    if (rc != ERROR_NO_MORE_ITEMS)
        return failed(QStringLiteral("cannot list %1: %2").arg(args[0], storeErrorText(rc)));
    return kOk;
}

int Tool::set(const QStringList& args, bool dword)
{
    Bytes data;
    if (dword) {
        const auto n = parseDword(args[2]);
        if (!n)
            return usageError(QStringLiteral("%1 is not a 32-bit number for --dword").arg(args[2]));
        data = {static_cast<std::uint8_t>(*n), static_cast<std::uint8_t>(*n >> 8),
                static_cast<std::uint8_t>(*n >> 16), static_cast<std::uint8_t>(*n >> 24)};
    } else {
        // Text followed by one NUL, as the program stores it.
        const QByteArray text = args[2].toUtf8();
        data.assign(text.begin(), text.end());
        data.push_back(0);
    }
    HKey handle = kNullKey;
    int exitCode = kOk;
    if (!open(args[0], &handle, &exitCode))
        return exitCode;
    const long rc = reg_.setValue(handle, args[1].toStdString(), dword ? REG_DWORD : REG_SZ, data);
    reg_.closeKey(handle);
    if (rc != ERROR_SUCCESS)
        return failed(QStringLiteral("cannot write %1: %2").arg(args[1], storeErrorText(rc)));
    return kOk;
}

int Tool::remove(const QStringList& args)
{
    if (args.size() == 2) {
        HKey handle = kNullKey;
        int exitCode = kOk;
        if (!open(args[0], &handle, &exitCode))
            return exitCode;
        const long rc = reg_.deleteValue(handle, args[1].toStdString());
        reg_.closeKey(handle);
        if (rc == ERROR_FILE_NOT_FOUND)
            return failed(QStringLiteral("the key %1 has no value \"%2\"").arg(args[0], args[1]));
        if (rc != ERROR_SUCCESS)
            return failed(QStringLiteral("cannot delete %1: %2").arg(args[1], storeErrorText(rc)));
        return kOk;
    }
    HKey hive = kNullKey;
    std::string path;
    if (!key(args[0], &hive, &path))
        return kBadUsage;
    if (path.empty())
        return usageError(QStringLiteral("a whole root key cannot be deleted"));
    const long rc = reg_.deleteKey(hive, path);
    if (rc == ERROR_FILE_NOT_FOUND)
        return failed(QStringLiteral("the key %1 does not exist").arg(args[0]));
    if (rc != ERROR_SUCCESS)
        return failed(QStringLiteral("cannot delete %1: %2").arg(args[0], storeErrorText(rc)));
    return kOk;
}

int Tool::createKey(const QString& keyName)
{
    HKey hive = kNullKey;
    std::string path;
    if (!key(keyName, &hive, &path))
        return kBadUsage;
    HKey handle = kNullKey;
    const long rc = reg_.createKey(hive, path, &handle);
    reg_.closeKey(handle);
    if (rc != ERROR_SUCCESS)
        return failed(QStringLiteral("cannot create %1: %2").arg(keyName, storeErrorText(rc)));
    return kOk;
}

int Tool::importFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("cannot read %1: %2").arg(fileName, file.errorString()));
    const RegFile regFile = RegFile::parse(file.readAll());
    if (!regFile.ok()) {
        for (const auto& e : regFile.errors())
            err_ << fileName << ':' << e.line << ": " << e.message << '\n';
        return failed(QStringLiteral("%1 has errors; nothing was imported").arg(fileName));
    }
    QString message;
    const long rc = regFile.apply(reg_, &message);
    if (rc != ERROR_SUCCESS)
        return failed(QStringLiteral("%1:%2").arg(fileName, message));
    return kOk;
}

int Tool::exportKey(const QString& keyName)
{
    HKey hive = kNullKey;
    std::string path;
    if (!key(keyName, &hive, &path))
        return kBadUsage;
    QByteArray text;
    QString message;
    const long rc = RegFile::write(reg_, hive, path, &text, &message);
    if (rc == ERROR_FILE_NOT_FOUND)
        return failed(QStringLiteral("the key %1 does not exist").arg(keyName));
    if (rc != ERROR_SUCCESS)
        return failed(message.isEmpty()
                          ? QStringLiteral("cannot export %1: %2").arg(keyName, storeErrorText(rc))
                          : message);
    out_ << QString::fromUtf8(text);
    return kOk;
}

} // namespace

QString regToolUsage()
{
    return QStringLiteral(
        "Usage: sarquen-reg COMMAND ARGUMENTS\n"
        "Reads and changes the Ombrel Sarquen settings store ($SARQUEN_REGISTRY, or\n"
        "$XDG_CONFIG_HOME/ombrel-sarquen/registry.db).\n"
        "\n"
        "  query KEY             list the key's values (NAME<TAB>TYPE<TAB>DATA, @ for the\n"
        "                        default value), then its subkeys\n"
        "  query KEY NAME        print one value's data (text without its final NUL)\n"
        "  set KEY NAME VALUE [--dword]\n"
        "                        write text (REG_SZ, with a final NUL) or a 32-bit number\n"
        "                        (REG_DWORD) to an existing key\n"
        "  delete KEY [NAME]     delete a value, or without NAME the key and all below it\n"
        "  create-key KEY        create a key and any missing parents\n"
        "  import FILE.reg       apply a REGEDIT4 file; a file with errors changes nothing\n"
        "  export KEY            print the key and its subkeys as REGEDIT4 text\n"
        "  --help                show this text\n"
        "\n"
        "KEY is written HKLM\\Software\\... (also HKEY_LOCAL_MACHINE, HKCU, HKEY_CURRENT_USER).\n"
        "Exit status: 0 done, 1 missing key, value or file, or a store that cannot be used,\n"
        "2 bad command line.\n");
}

int runRegTool(Registry& registry, const QStringList& args, QTextStream& out, QTextStream& err)
{
    Tool tool(registry, out, err);
    const int code = tool.run(args);
    out.flush();
    err.flush();
    return code;
}
