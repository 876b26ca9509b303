#pragma once

namespace platform {
class Session;
}

// The requests the script keywords "$logoff$", "$shutdown$" and "$reboot$" pass.
constexpr int kExitLogOff = 0;
constexpr int kExitShutDown = 1;
constexpr int kExitReboot = 2;

// Asks the system to end the session: kExitLogOff, kExitShutDown or kExitReboot. Returns
// at once; the request is not forced, so the system or other programs may refuse it,
// and a refusal goes unnoticed. Any other value asks for nothing.
void ExitSystem(platform::Session& session, int flags);
