#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running program per store: a second start hands its command line to the running
// one, which brings its main window forward (or minimises or hides it for "/m" and
// "/h"), and then ends. The two meet at a local socket named after the store.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // The socket for the store at `storePath`: in the user's runtime folder when the
    // session has one, else in the temporary folder under the user's id.
    static QString socketFor(const QString& storePath);

    explicit SingleInstance(QString socket, QObject* parent = nullptr);

    // True when this is the only running program (it now answers later starts); false
    // when another one runs: `commandLine` has been handed to it.
    bool claim(const QString& commandLine);

signals:
    // A later start's command line.
    void startedAgain(const QString& commandLine);

private:
    QString socket_;
    QLocalServer* server_ = nullptr;
};
