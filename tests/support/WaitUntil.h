#pragma once

#include <functional>

// Polls `condition` until it holds, for at most `timeoutMs`: X requests and other
// processes reach their end in their own time.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// The same for conditions the program's own event loop brings about (timers, queued
// calls, windows closing): events, deferred deletions included, are handled meanwhile.
bool waitForEvents(const std::function<bool()>& condition, int timeoutMs = 10000);
