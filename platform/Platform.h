#pragma once

namespace platform {

class Registry;
class Dialogs;
class Clock;
class Desktop;
class Shell;
class Audio;
class Session;
class Http;

// The outside services the program uses, created once at start-up and handed to the
// parts that need them. Tests hand fakes instead.
struct Platform
{
    Registry* registry = nullptr;
    Dialogs* dialogs = nullptr;
    Clock* clock = nullptr;
    Desktop* desktop = nullptr;
    Shell* shell = nullptr;
    Audio* audio = nullptr;
    Session* session = nullptr;
    Http* http = nullptr;
};

} // namespace platform
