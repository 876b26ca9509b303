#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Writes `bytes` as the whole content of `path`, whole or not at all: into a new
// temporary file in the same folder, flushed to disk, then renamed over `path`. A
// symbolic link at `path` is replaced by the file, never followed, so a write cannot
// land in another file. A file replaced keeps its permissions; a new one gets the
// usual ones (0666 less the umask). On failure `path` is as it was and `error` (when
// given) says why.
bool replaceFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The same for what only the user may read (a token that lets the program act without
// asking): the file is the user's alone (0600), also when it was not before, and its
// folder is made if missing and closed to others (0700).
bool replacePrivateFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The same for the file `name` in `folder`, where the folder itself must be one: a
// symbolic link at `folder` is refused, never followed, so that a folder of the user's
// data replaced by a link cannot send its writes elsewhere.
bool replaceFileInFolder(const QString& folder, const QString& name, const QByteArray& bytes,
                         QString* error = nullptr);

} // namespace platform
