#pragma once

#include <QString>
#include <QTemporaryDir>

// A temporary folder for one test, removed afterwards.
class TempDir
{
public:
    TempDir();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    // Writes `bytes` to the file `name` inside the folder, making the folders on its way,
    // and returns its path.
    QString write(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir dir_;
};
