#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform {

// The system's requests to end the program (SIGTERM, as at log-out, and SIGINT, Ctrl+C
// in a terminal), brought to the UI thread as `received`: the program then ends as by
// Exit and lets go of what it holds, instead of dying on the spot. One at a time.
class EndSignals : public QObject
{
    Q_OBJECT
public:
    explicit EndSignals(QObject* parent = nullptr);
    // The signals' default handling again.
    ~EndSignals() override;

signals:
    void received();

private:
    int fds_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace platform
