#include "platform/files/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The process's umask, read without changing it (umask(2) would, for every thread).
mode_t newFileMode()
{
    mode_t mask = 022;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint value = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    mask = static_cast<mode_t>(value & 0777);
                break;
            }
        }
    }
    return 0666 & ~mask;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        left -= n;
    }
    return true;
}

// A new file of a name no other file has, `prefix` and six random letters, in the
// folder open as `dir`; -1 with errno set when none can be made.
int createTemporary(int dir, const QByteArray& prefix, QByteArray* name)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = prefix;
        for (int i = 0; i < 6; ++i)
            *name += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
        const int fd = ::openat(dir, name->constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// replaceFile() for the file `name` in the folder open as `dir`; `path` names it in
// messages. `mode`: the new file's permissions; none keeps a replaced file's and gives a
// new one the usual ones.
bool replaceIn(int dir, const QByteArray& name, const QString& path, const QByteArray& bytes,
               std::optional<mode_t> mode, QString* error)
{
    auto failed = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    struct stat existing
    {
    };
    const bool replacing = ::fstatat(dir, name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (replacing && S_ISDIR(existing.st_mode))
        return failed(QStringLiteral("%1 is a folder").arg(path));
    if (!mode)
        mode = replacing && S_ISREG(existing.st_mode) ? (existing.st_mode & 07777) : newFileMode();

    QByteArray temporary;
    const int fd = createTemporary(dir, "." + name + ".", &temporary);
    if (fd < 0)
        return failed(lastError());
    const bool written = writeAll(fd, bytes) && ::fchmod(fd, *mode) == 0 && ::fsync(fd) == 0;
    const QString writeError = written ? QString() : lastError();
    if (::close(fd) != 0 && written) {
        const QString closeError = lastError();
        ::unlinkat(dir, temporary.constData(), 0);
        return failed(closeError);
    }
    if (!written) {
        ::unlinkat(dir, temporary.constData(), 0);
        return failed(writeError);
    }
    if (::renameat(dir, temporary.constData(), dir, name.constData()) != 0) {
        const QString renameError = lastError();
        ::unlinkat(dir, temporary.constData(), 0);
        return failed(renameError);
    }
    return true;
}

// Opens `folder` to write in it, following a link at it only when `followLink`; -1 with
// the reason in `error` when it cannot.
int openFolder(const QString& folder, bool followLink, QString* error)
{
    const int fd = ::open(QFile::encodeName(folder).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
    if (fd < 0 && error)
        *error = errno == ELOOP || (errno == ENOTDIR && QFileInfo(folder).isSymLink())
                     ? QStringLiteral("%1 is a link, not a folder: nothing is written through it")
                           .arg(folder)
                     : QStringLiteral("%1: %2").arg(folder, lastError());
    return fd;
}

bool replaceInFolder(const QString& folder, const QString& name, const QString& path,
                     const QByteArray& bytes, bool followLink, std::optional<mode_t> mode,
                     QString* error)
{
    const int dir = openFolder(folder, followLink, error);
    if (dir < 0)
        return false;
    const bool ok = replaceIn(dir, QFile::encodeName(name), path, bytes, mode, error);
    ::close(dir);
    return ok;
}

} // namespace

bool replaceFile(const QString& path, const QByteArray& bytes, QString* error)
{
    const QFileInfo info(path);
    return replaceInFolder(info.absolutePath(), info.fileName(), path, bytes, true, std::nullopt,
                           error);
}

bool replacePrivateFile(const QString& path, const QByteArray& bytes, QString* error)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder) || ::chmod(QFile::encodeName(folder).constData(), S_IRWXU) != 0) {
        if (error)
            *error = QStringLiteral("%1 cannot be made private: %2").arg(folder, lastError());
        return false;
    }
    return replaceInFolder(folder, info.fileName(), path, bytes, true, S_IRUSR | S_IWUSR, error);
}

bool replaceFileInFolder(const QString& folder, const QString& name, const QByteArray& bytes,
                         QString* error)
{
    return replaceInFolder(folder, name, folder + QLatin1Char('/') + name, bytes, false,
                           std::nullopt, error);
}

} // namespace platform
