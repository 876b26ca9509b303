#pragma once

namespace platform {

// Ending the user's desktop session. Requests return at once and are not forced:
// the system or other programs may refuse them, and refusals are not reported.
class Session
{
public:
    virtual ~Session() = default;

    virtual void logOff() = 0;
    virtual void shutDown() = 0;
    virtual void reboot() = 0;
};

} // namespace platform
