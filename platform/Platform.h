#pragma once

namespace platform {

class Registry;
class Dialogs;
class Clock;

// The outside services the program uses, created once at start-up and handed to the
// parts that need them. Tests hand fakes instead.
struct Platform
{
    Registry* registry = nullptr;
    Dialogs* dialogs = nullptr;
    Clock* clock = nullptr;
};

} // namespace platform
