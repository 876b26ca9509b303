#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// One running program per store: a second start hands its command line to the running
// one, which brings its main window forward (or minimises or hides it for "/m" and
// "/h"), and then ends. The two meet at a local socket named after the store, in a
// folder only the user may enter.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // A command line is short: a message longer than this is not one.
    static constexpr qint64 kMaxMessage = 64 * 1024;

    // The socket for the store at `storePath`: in the user's runtime folder when the
    // session has one, else in a folder of the user's own in the temporary folder, made
    // private if it is new. Empty when that folder is not the user's own or others may
    // write in it (someone else could answer in the program's place); `problem` then
    // says so.
    static QString socketFor(const QString& storePath, QString* problem = nullptr);

    // A later start that has connected but not sent its command line within
    // `clientTimeoutMs` is dropped.
    explicit SingleInstance(QString socket, QObject* parent = nullptr, int clientTimeoutMs = 3000);

    // True when this is the only running program (it now answers later starts); false
    // when another one runs: `commandLine` has been handed to it.
    bool claim(const QString& commandLine);

signals:
    // A later start's command line.
    void startedAgain(const QString& commandLine);

private:
    void take(QLocalSocket* client);

    QString socket_;
    int clientTimeoutMs_;
    QLocalServer* server_ = nullptr;
};
