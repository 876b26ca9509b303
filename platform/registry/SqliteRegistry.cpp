#include "platform/registry/SqliteRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// Marks a database as this program's store ("SQRG"); any other database is left alone.
constexpr int kApplicationId = 0x53515247;
constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 5000;

const char* const kSchema = R"sql(
CREATE TABLE reg_keys(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  hive INTEGER NOT NULL,
  parent INTEGER REFERENCES reg_keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  UNIQUE(hive, folded));
CREATE INDEX reg_keys_by_parent ON reg_keys(parent, id);
CREATE TABLE reg_values(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  key INTEGER NOT NULL REFERENCES reg_keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  UNIQUE(key, folded));
-- Values are listed per key in the order they were first written.
CREATE INDEX reg_values_by_key ON reg_values(key, id);
INSERT INTO reg_keys(hive, parent, name, folded) VALUES (2147483650, NULL, '', '');
INSERT INTO reg_keys(hive, parent, name, folded) VALUES (2147483649, NULL, '', '');
)sql";
static_assert(HKEY_LOCAL_MACHINE == 2147483650u && HKEY_CURRENT_USER == 2147483649u,
              "the hive roots above are inserted by number");

// One prepared statement, finalized when it goes out of scope.
class Statement
{
public:
    Statement(sqlite3* db, const char* sql)
    {
        status_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, std::int64_t value)
    {
        if (stmt_)
            sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    Statement& bind(int index, const std::string& text)
    {
        if (stmt_)
            sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int index, const Bytes& data)
    {
        // A null pointer would bind NULL instead of an empty blob.
        static const std::uint8_t none = 0;
        if (stmt_)
            sqlite3_bind_blob(stmt_, index, data.empty() ? &none : data.data(),
                              static_cast<int>(data.size()), SQLITE_TRANSIENT);
        return *this;
    }

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return stmt_ ? sqlite3_step(stmt_) : status_; }

    std::int64_t integer(int column) { return sqlite3_column_int64(stmt_, column); }
    std::string text(int column)
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                 : std::string();
    }
    Bytes blob(int column)
    {
        const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
        return p ? Bytes(p, p + sqlite3_column_bytes(stmt_, column)) : Bytes();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int status_ = SQLITE_OK;
};

bool isHive(HKey key)
{
    return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER;
}

std::string fold(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .toCaseFolded()
        .toStdString();
}

// The components of a key path: "A\\B\" and "A\B" name the same key.
std::vector<std::string> components(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string foldedPath(const std::vector<std::string>& parts)
{
    std::string out;
    for (const auto& part : parts) {
        if (!out.empty())
            out += '\\';
        out += fold(part);
    }
    return out;
}

// Creates `dir` and its missing parents, each readable by the owner only.
bool makeFolders(const std::string& dir)
{
    struct stat st
    {
    };
    if (::stat(dir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos < dir.size() && dir[pos] != '/')
            continue;
        const std::string prefix = dir.substr(0, pos);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

int exec(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

} // namespace

SqliteRegistry::SqliteRegistry(QString path, QString programName, std::ostream& diagnostics)
    : path_(std::move(path)), programName_(std::move(programName)), diagnostics_(diagnostics)
{
}

SqliteRegistry::~SqliteRegistry()
{
    closeDatabase();
}

QString SqliteRegistry::defaultPath()
{
    const QString chosen = qEnvironmentVariable("SARQUEN_REGISTRY");
    if (!chosen.isEmpty())
        return chosen;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/ombrel-sarquen/registry.db");
}

void SqliteRegistry::report(const QString& problem)
{
    if (reported_)
        return;
    reported_ = true;
    diagnostics_ << QStringLiteral("%1: the settings store %2 %3; settings are not read or saved "
                                   "until it is repaired or removed")
                        .arg(programName_, path_, problem)
                        .toStdString()
                 << std::endl;
}

void SqliteRegistry::closeDatabase()
{
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
}

long SqliteRegistry::failure(int sqliteCode)
{
    switch (sqliteCode & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        report(QStringLiteral("is not a readable database"));
        closeDatabase();
        return ERROR_REGISTRY_CORRUPT;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
    case SQLITE_AUTH:
        report(QStringLiteral("cannot be read and written (%1)")
                   .arg(QString::fromUtf8(sqlite3_errstr(sqliteCode))));
        closeDatabase();
        return ERROR_ACCESS_DENIED;
    // Disk full, busy past the timeout, I/O errors: this call fails, the next may not.
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_BUSY;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

long SqliteRegistry::ensureOpen()
{
    if (db_)
        return ERROR_SUCCESS;

    const QString absolute = QFileInfo(path_).absoluteFilePath();
    const QByteArray file = QFile::encodeName(absolute);
    const QByteArray folder = QFile::encodeName(QFileInfo(absolute).absolutePath());
    // The file is created here, not by SQLite, so that it is private from the start.
    const bool folderOk = makeFolders(folder.toStdString());
    const int fd = folderOk ? ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600) : -1;
    if (fd < 0) {
        report(QStringLiteral("cannot be read and written (%1)")
                   .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return ERROR_ACCESS_DENIED;
    }
    ::close(fd);

    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    db_ = db;
    long status = ERROR_SUCCESS;
    if (rc != SQLITE_OK) {
        status = failure(rc);
    } else {
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        status = prepareSchema();
    }
    // A connection that is not fully set up is not kept: the next call starts over.
    if (status != ERROR_SUCCESS)
        closeDatabase();
    return status;
}

long SqliteRegistry::prepareSchema()
{
    // Only reads until the file is known to be empty or ours.
    {
        Statement check(db_, "PRAGMA quick_check");
        const int rc = check.step();
        if (rc != SQLITE_ROW)
            return failure(rc);
        if (check.text(0) != "ok")
            return failure(SQLITE_CORRUPT);
    }
    auto header = [this](const char* sql, std::int64_t* out) {
        Statement s(db_, sql);
        const int rc = s.step();
        if (rc == SQLITE_ROW)
            *out = s.integer(0);
        return rc;
    };
    std::int64_t appId = 0, version = 0, objects = 0;
    int rc = header("PRAGMA application_id", &appId);
    if (rc == SQLITE_ROW)
        rc = header("PRAGMA user_version", &version);
    if (rc == SQLITE_ROW)
        rc = header("SELECT count(*) FROM sqlite_master", &objects);
    if (rc != SQLITE_ROW)
        return failure(rc);

    if (appId == 0 && objects == 0) {
        // A new store. Another process may be creating it too: look again once the
        // write lock is held.
        rc = exec(db_, "BEGIN IMMEDIATE");
        if (rc == SQLITE_OK)
            rc = header("SELECT count(*) FROM sqlite_master", &objects);
        if (rc == SQLITE_ROW)
            rc = objects == 0 ? exec(db_, kSchema) : SQLITE_OK;
        if (rc == SQLITE_OK && objects == 0) {
            const std::string stamp = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                                      "; PRAGMA user_version = " + std::to_string(kSchemaVersion);
            rc = exec(db_, stamp.c_str());
        }
        if (rc == SQLITE_OK)
            rc = exec(db_, "COMMIT");
        if (rc != SQLITE_OK) {
            exec(db_, "ROLLBACK");
            return failure(rc);
        }
        rc = header("PRAGMA application_id", &appId);
        if (rc == SQLITE_ROW)
            rc = header("PRAGMA user_version", &version);
        if (rc != SQLITE_ROW)
            return failure(rc);
    }
    if (appId != kApplicationId || version != kSchemaVersion)
        return failure(SQLITE_NOTADB);

    rc = exec(db_, "PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL");
    if (rc != SQLITE_OK)
        return failure(rc);
    {
        Statement wal(db_, "PRAGMA journal_mode = WAL");
        rc = wal.step();
        if (rc != SQLITE_ROW)
            return failure(rc);
    }
    return ERROR_SUCCESS;
}

HKey SqliteRegistry::newHandle(std::int64_t id)
{
    const HKey handle = nextHandle_++;
    handles_[handle] = id;
    return handle;
}

long SqliteRegistry::findKey(HKey hive, const std::string& folded, std::int64_t* id)
{
    Statement s(db_, "SELECT id FROM reg_keys WHERE hive = ? AND folded = ?");
    s.bind(1, static_cast<std::int64_t>(hive)).bind(2, folded);
    const int rc = s.step();
    if (rc == SQLITE_ROW) {
        *id = s.integer(0);
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : failure(rc);
}

long SqliteRegistry::resolve(HKey key, std::int64_t* id)
{
    const auto it = handles_.find(key);
    if (it == handles_.end() && !isHive(key))
        return ERROR_INVALID_HANDLE;
    if (const long rc = ensureOpen())
        return rc;
    if (it != handles_.end()) {
        *id = it->second;
        return ERROR_SUCCESS;
    }
    return findKey(key, std::string(), id);
}

long SqliteRegistry::openKey(HKey hive, const std::string& path, HKey* result)
{
    if (result)
        *result = kNullKey;
    if (!isHive(hive))
        return ERROR_INVALID_HANDLE;
    if (const long rc = ensureOpen())
        return rc;
    std::int64_t id = 0;
    if (const long rc = findKey(hive, foldedPath(components(path)), &id))
        return rc;
    if (result)
        *result = newHandle(id);
    return ERROR_SUCCESS;
}

long SqliteRegistry::createKey(HKey hive, const std::string& path, HKey* result)
{
    if (result)
        *result = kNullKey;
    if (!isHive(hive))
        return ERROR_INVALID_HANDLE;
    if (const long rc = ensureOpen())
        return rc;

    // Walks down from the hive root, adding each missing key below its parent. An
    // existing key keeps the spelling it was created with.
    if (!keyPathFits(path))
        return ERROR_BADKEY;
    const auto parts = components(path);

    // Inside a batch of changes the key is a savepoint of the batch's transaction.
    int rc = exec(db_, batch_ ? "SAVEPOINT create_key" : "BEGIN IMMEDIATE");
    std::int64_t id = 0;
    std::string folded;
    for (std::size_t i = 0; rc == SQLITE_OK && i <= parts.size(); ++i) {
        if (i > 0) {
            if (i > 1)
                folded += '\\';
            folded += fold(parts[i - 1]);
            Statement insert(db_, "INSERT INTO reg_keys(hive, parent, name, folded) "
                                  "VALUES(?, ?, ?, ?) ON CONFLICT(hive, folded) DO NOTHING");
            insert.bind(1, static_cast<std::int64_t>(hive))
                .bind(2, id)
                .bind(3, parts[i - 1])
                .bind(4, folded);
            rc = insert.step();
            if (rc != SQLITE_DONE)
                break;
        }
        Statement select(db_, "SELECT id FROM reg_keys WHERE hive = ? AND folded = ?");
        select.bind(1, static_cast<std::int64_t>(hive)).bind(2, folded);
        rc = select.step();
        if (rc == SQLITE_ROW) {
            id = select.integer(0);
            rc = SQLITE_OK;
        } else if (rc == SQLITE_DONE) {
            rc = SQLITE_CORRUPT; // the hive root is missing
        }
    }
    if (rc == SQLITE_OK)
        rc = exec(db_, batch_ ? "RELEASE create_key" : "COMMIT");
    if (rc != SQLITE_OK) {
        exec(db_, batch_ ? "ROLLBACK TO create_key; RELEASE create_key" : "ROLLBACK");
        return failure(rc);
    }
    if (result)
        *result = newHandle(id);
    return ERROR_SUCCESS;
}

long SqliteRegistry::closeKey(HKey key)
{
    if (isHive(key))
        return ERROR_SUCCESS;
    if (enumPosition_.key == key)
        enumPosition_ = {};
    return handles_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

long SqliteRegistry::queryValue(HKey key, const std::string& name, RegType* type, Bytes* data)
{
    std::int64_t id = 0;
    if (const long rc = resolve(key, &id))
        return rc;
    Statement s(db_, "SELECT type, data FROM reg_values WHERE key = ? AND folded = ?");
    s.bind(1, id).bind(2, fold(name));
    const int rc = s.step();
    if (rc == SQLITE_DONE)
        return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW)
        return failure(rc);
    if (type)
        *type = static_cast<RegType>(s.integer(0));
    if (data)
        *data = s.blob(1);
    return ERROR_SUCCESS;
}

long SqliteRegistry::setValue(HKey key, const std::string& name, RegType type, const Bytes& data)
{
    std::int64_t id = 0;
    if (const long rc = resolve(key, &id))
        return rc;
    // Overwriting keeps the value's place in the order and the spelling of its name.
    Statement s(db_, "INSERT INTO reg_values(key, name, folded, type, data) VALUES(?, ?, ?, ?, ?) "
                     "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, "
                     "data = excluded.data");
    s.bind(1, id)
        .bind(2, name)
        .bind(3, fold(name))
        .bind(4, static_cast<std::int64_t>(type))
        .bind(5, data);
    const int rc = s.step();
    if (rc == SQLITE_DONE)
        return ERROR_SUCCESS;
    // The key was deleted while this handle was open.
    if ((rc & 0xff) == SQLITE_CONSTRAINT)
        return ERROR_KEY_DELETED;
    return failure(rc);
}

long SqliteRegistry::deleteValue(HKey key, const std::string& name)
{
    std::int64_t id = 0;
    if (const long rc = resolve(key, &id))
        return rc;
    Statement s(db_, "DELETE FROM reg_values WHERE key = ? AND folded = ?");
    s.bind(1, id).bind(2, fold(name));
    const int rc = s.step();
    if (rc != SQLITE_DONE)
        return failure(rc);
    return sqlite3_changes(db_) > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

long SqliteRegistry::enumValue(HKey key, std::uint32_t index, std::string* name, RegType* type,
                               Bytes* data)
{
    std::int64_t id = 0;
    if (const long rc = resolve(key, &id))
        return rc;
    // Listing values one index after the other is the common case: the next value is
    // then the first one written after the last one returned.
    const bool next = index > 0 && enumPosition_.key == key && enumPosition_.index + 1 == index;
    Statement s(db_, next ? "SELECT id, name, type, data FROM reg_values WHERE key = ? AND id > ? "
                            "ORDER BY id LIMIT 1"
                          : "SELECT id, name, type, data FROM reg_values WHERE key = ? "
                            "ORDER BY id LIMIT 1 OFFSET ?");
    s.bind(1, id).bind(2, next ? enumPosition_.valueId : static_cast<std::int64_t>(index));
    const int rc = s.step();
    if (rc == SQLITE_DONE)
        return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW)
        return failure(rc);
    enumPosition_ = {key, index, s.integer(0)};
    if (name)
        *name = s.text(1);
    if (type)
        *type = static_cast<RegType>(s.integer(2));
    if (data)
        *data = s.blob(3);
    return ERROR_SUCCESS;
}

long SqliteRegistry::enumKey(HKey key, std::uint32_t index, std::string* name)
{
    std::int64_t id = 0;
    if (const long rc = resolve(key, &id))
        return rc;
    Statement s(db_, "SELECT name FROM reg_keys WHERE parent = ? ORDER BY id LIMIT 1 OFFSET ?");
    s.bind(1, id).bind(2, static_cast<std::int64_t>(index));
    const int rc = s.step();
    if (rc == SQLITE_DONE)
        return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW)
        return failure(rc);
    if (name)
        *name = s.text(0);
    return ERROR_SUCCESS;
}

long SqliteRegistry::deleteKey(HKey hive, const std::string& path)
{
    if (!isHive(hive))
        return ERROR_INVALID_HANDLE;
    if (const long rc = ensureOpen())
        return rc;
    const std::string folded = foldedPath(components(path));
    if (folded.empty())
        return ERROR_ACCESS_DENIED;
    // Subkeys and values go with the key (ON DELETE CASCADE).
    Statement s(db_, "DELETE FROM reg_keys WHERE hive = ? AND folded = ?");
    s.bind(1, static_cast<std::int64_t>(hive)).bind(2, folded);
    const int rc = s.step();
    if (rc != SQLITE_DONE)
        return failure(rc);
    return sqlite3_changes(db_) > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

long SqliteRegistry::beginChanges()
{
    if (batch_)
        return ERROR_SUCCESS;
    if (const long rc = ensureOpen())
        return rc;
    const int rc = exec(db_, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        return failure(rc);
    batch_ = true;
    return ERROR_SUCCESS;
}

long SqliteRegistry::endChanges(bool keep)
{
    if (!batch_)
        return ERROR_SUCCESS;
    batch_ = false;
    // A store dropped on the way took its open transaction with it.
    if (!db_)
        return keep ? ERROR_REGISTRY_IO_FAILED : ERROR_SUCCESS;
    // Some failures (disk full, I/O) end the transaction already.
    if (sqlite3_get_autocommit(db_))
        return keep ? ERROR_REGISTRY_IO_FAILED : ERROR_SUCCESS;
    const int rc = exec(db_, keep ? "COMMIT" : "ROLLBACK");
    if (rc == SQLITE_OK)
        return ERROR_SUCCESS;
    exec(db_, "ROLLBACK");
    return failure(rc);
}

} // namespace platform
