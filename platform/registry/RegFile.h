#pragma once

#include "platform/registry/Registry.h"

#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

namespace platform {

// One change asked for by a .reg file.
struct RegOperation
{
    enum class Kind
    {
        CreateKey,
        DeleteKey,
        SetValue,
        DeleteValue
    };

    Kind kind = Kind::CreateKey;
    HKey hive = HKEY_LOCAL_MACHINE;
    std::string path; // below the hive
    std::string name; // value name; "" is the default value ("@")
    RegType type = REG_NONE;
    Bytes data;
    int line = 0; // the line of the file it comes from
};

struct RegFileError
{
    int line = 0;
    QString message;
};

// The REGEDIT4 text format: reading a file into operations on the store, and writing a
// key with all its subkeys so that reading it back reproduces every value byte for byte.
class RegFile
{
public:
    // Reads REGEDIT4 text (also the "Windows Registry Editor Version 5.00" header), UTF-8
    // with or without BOM, LF or CRLF. Every malformed line is an error with its number.
    static RegFile parse(const QByteArray& text);

    bool ok() const { return errors_.empty(); }
    const std::vector<RegFileError>& errors() const { return errors_; }
    // In file order. A section becomes CreateKey (or DeleteKey for "[-...]"); the value
    // operations after it act on that key.
    const std::vector<RegOperation>& operations() const { return operations_; }

    // Applies the operations in order, all of them or none: a file with errors applies
    // nothing, and neither does one the store refuses a change of (a full disk, a busy
    // store). Deleting a key or value that does not exist is not an error. Returns
    // ERROR_SUCCESS or the store's code of the first failure, described in `error`.
    long apply(Registry& registry, QString* error = nullptr) const;

    // REGEDIT4 text of the key `path` under `hive` and all its subkeys. ERROR_FILE_NOT_FOUND
    // when the key does not exist; an error too for names a .reg file cannot hold.
    static long write(Registry& registry, HKey hive, const std::string& path, QByteArray* out,
                      QString* error = nullptr);

    // "HKLM\Software\X" (also HKEY_LOCAL_MACHINE, HKCU, HKEY_CURRENT_USER; any case) into
    // the hive and the path below it. False for an unknown hive.
    static bool splitKeyName(const QString& keyName, HKey* hive, std::string* path);
    // "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
    static QString hiveName(HKey hive);
    // The text of REG_SZ data when it is valid UTF-8 ending in exactly one NUL, with no
    // other NUL and no line break: the form the program writes and a "quoted" value holds.
    static bool plainText(const Bytes& data, QString* text);

private:
    std::vector<RegOperation> operations_;
    std::vector<RegFileError> errors_;
};

// A store's result code in words ("the disk is full").
QString storeErrorText(long rc);

} // namespace platform
