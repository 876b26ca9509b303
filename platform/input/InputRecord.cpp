#include "platform/input/InputRecord.h"

#include "platform/files/SafeWrite.h"

#include <QFile>

namespace platform {

namespace {

// A record holds a few lines; anything larger is not one of the program's.
constexpr qint64 kMaxRecord = 64 * 1024;

} // namespace

InputRecord::InputRecord(QString path) : path_(std::move(path))
{
    QFile file(path_);
    if (path_.isEmpty() || file.size() > kMaxRecord || !file.open(QIODevice::ReadOnly))
        return;
    leftOver_ = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

InputRecord::~InputRecord()
{
    if (!path_.isEmpty() && entries_.isEmpty() && leftOver_.isEmpty())
        QFile::remove(path_);
}

void InputRecord::forgetLeftOver()
{
    leftOver_.clear();
    write();
}

void InputRecord::add(const QString& entry)
{
    if (entries_.contains(entry))
        return;
    entries_ << entry;
    write();
}

void InputRecord::remove(const QString& entry)
{
    if (entries_.removeAll(entry) > 0)
        write();
}

void InputRecord::write()
{
    if (path_.isEmpty())
        return;
    const QStringList all = leftOver_ + entries_;
    if (all.isEmpty())
        QFile::remove(path_);
    else
        replacePrivateFile(path_, all.join(u'\n').toUtf8() + '\n');
}

} // namespace platform
