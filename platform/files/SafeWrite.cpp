#include "platform/files/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// `mode`: the new file's permissions; none keeps a replaced file's and gives a new one
// the usual ones.
bool writeWhole(const QString& path, const QByteArray& bytes, std::optional<mode_t> mode,
                QString* error)
{
    auto failed = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    QByteArray temporary =
        QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + ".XXXXXX";

    struct stat existing
    {
    };
    const bool replacing = ::lstat(target.constData(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode))
        return failed(QStringLiteral("%1 is a folder").arg(path));
    if (!mode)
        mode = replacing && S_ISREG(existing.st_mode) ? (existing.st_mode & 07777) : newFileMode();

    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failed(lastError());
    const bool written = writeAll(fd, bytes) && ::fchmod(fd, *mode) == 0 && ::fsync(fd) == 0;
    const QString writeError = written ? QString() : lastError();
    if (::close(fd) != 0 && written) {
        const QString closeError = lastError();
        ::unlink(temporary.constData());
        return failed(closeError);
    }
    if (!written) {
        ::unlink(temporary.constData());
        return failed(writeError);
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const QString renameError = lastError();
        ::unlink(temporary.constData());
        return failed(renameError);
    }
    return true;
}

} // namespace

bool replaceFile(const QString& path, const QByteArray& bytes, QString* error)
{
    return writeWhole(path, bytes, std::nullopt, error);
}

bool replacePrivateFile(const QString& path, const QByteArray& bytes, QString* error)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder) || ::chmod(QFile::encodeName(folder).constData(), S_IRWXU) != 0) {
        if (error)
            *error = QStringLiteral("%1 cannot be made private: %2").arg(folder, lastError());
        return false;
    }
    return writeWhole(path, bytes, S_IRUSR | S_IWUSR, error);
}

} // namespace platform
