#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QSocketNotifier;
struct _XDisplay;

namespace platform {

// The push-to-talk key on X11: a passive grab of one key on the root window, whatever
// lock keys are on, on a connection of its own. While grabbed, the key reaches no other
// program; pressed() and released() say when it goes down and up (auto-repeat is not a
// press). The grab goes with the object.
class X11TalkKey : public QObject
{
    Q_OBJECT
public:
    explicit X11TalkKey(QObject* parent = nullptr);
    ~X11TalkKey() override;

    // Grabs the key with this X keysym name ("F9", "Pause") in place of the one held
    // before. False, with the reason, when there is no display, the name is no key, or
    // another program grabs the key already; nothing is grabbed then.
    bool grab(const QString& keysymName, QString* error);
    void release();
    bool isGrabbed() const { return code_ != 0; }

signals:
    void pressed();
    void released();

private:
    void readEvents();

    _XDisplay* display_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    unsigned char code_ = 0;
    bool down_ = false;
};

} // namespace platform
