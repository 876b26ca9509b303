#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// What the program holds down or has rebound on the desktop, kept in a small file of the
// user's own while it does: "key <virtual key>", "button <n>", "spare <keycode>
// <keysym>". A run that ended cleanly leaves no file; one killed before it could let go
// leaves it, and the next start lets go of what it names. Without a path nothing is kept.
class InputRecord
{
public:
    // Reads what a killed earlier run left at `path`.
    explicit InputRecord(QString path);
    ~InputRecord();
    InputRecord(const InputRecord&) = delete;
    InputRecord& operator=(const InputRecord&) = delete;

    // The entries of a killed earlier run; empty when it ended cleanly.
    const QStringList& leftOver() const { return leftOver_; }
    // Those have been let go of: the file goes.
    void forgetLeftOver();

    void add(const QString& entry);
    void remove(const QString& entry);

private:
    void write();

    QString path_;
    QStringList leftOver_;
    QStringList entries_;
};

} // namespace platform
