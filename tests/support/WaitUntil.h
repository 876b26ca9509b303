#pragma once

#include <functional>

// Polls `condition` until it holds, for at most `timeoutMs`: X requests and other
// processes reach their end in their own time.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
