#pragma once

#include "platform/registry/Registry.h"

#include <QString>
#include <cstdint>
#include <iostream>
#include <unordered_map>

struct sqlite3;

namespace platform {

// The registry kept in one SQLite database file. The program and sarquen-reg may work
// on the same file at once: the database runs in WAL mode with a busy timeout, and every
// write is its own durable transaction, or part of one for a batch of changes.
//
// The file is opened on first use; a missing or empty file becomes a new store. A file
// that is not a database of ours (garbage, corrupt, another program's database) is never
// written to: every open fails with ERROR_REGISTRY_CORRUPT (ERROR_ACCESS_DENIED when the
// file or its folder cannot be read and written) and one line saying so goes to the
// diagnostics stream, once for the life of the object.
class SqliteRegistry : public Registry
{
public:
    // `programName` starts the diagnostic line ("zorv: the settings store ...").
    explicit SqliteRegistry(QString path, QString programName = QStringLiteral("zorv"),
                            std::ostream& diagnostics = std::cerr);
    ~SqliteRegistry() override;
    SqliteRegistry(const SqliteRegistry&) = delete;
    SqliteRegistry& operator=(const SqliteRegistry&) = delete;

    // $SARQUEN_REGISTRY, else $XDG_CONFIG_HOME/ombrel-sarquen/registry.db (with
    // ~/.config when XDG_CONFIG_HOME is not set).
    static QString defaultPath();
    const QString& path() const { return path_; }

    long openKey(HKey hive, const std::string& path, HKey* result) override;
    long createKey(HKey hive, const std::string& path, HKey* result) override;
    long closeKey(HKey key) override;
    long queryValue(HKey key, const std::string& name, RegType* type, Bytes* data) override;
    long setValue(HKey key, const std::string& name, RegType type, const Bytes& data) override;
    long deleteValue(HKey key, const std::string& name) override;
    long enumValue(HKey key, std::uint32_t index, std::string* name, RegType* type,
                   Bytes* data) override;
    long enumKey(HKey key, std::uint32_t index, std::string* name) override;
    // The hive root itself cannot be deleted (ERROR_ACCESS_DENIED).
    long deleteKey(HKey hive, const std::string& path) override;
    // One transaction for the whole batch.
    long beginChanges() override;
    long endChanges(bool keep) override;

private:
    long ensureOpen();
    long prepareSchema();
    void closeDatabase();
    // Turns a failed SQLite call into the store's code; a damaged file is reported and
    // the connection dropped.
    long failure(int sqliteCode);
    void report(const QString& problem);
    // The key id behind an open handle or a predefined hive handle.
    long resolve(HKey key, std::int64_t* id);
    long findKey(HKey hive, const std::string& foldedPath, std::int64_t* id);
    HKey newHandle(std::int64_t id);

    QString path_;
    QString programName_;
    std::ostream& diagnostics_;
    sqlite3* db_ = nullptr;
    bool reported_ = false;
    bool batch_ = false; // inside beginChanges() .. endChanges()
    std::unordered_map<HKey, std::int64_t> handles_;
    // Where the last enumeration of values stopped, so that the next index continues
    // from there instead of counting from the first value again.
    struct EnumPosition
    {
        HKey key = kNullKey;
        std::uint32_t index = 0;
        std::int64_t valueId = 0;
    };
    EnumPosition enumPosition_;
    HKey nextHandle_ = 1;
};

} // namespace platform
