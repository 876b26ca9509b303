#pragma once

#include <QString>

// What a command line opens (its first part, as SplitLaunchLine takes it apart) when it
// can be neither found on PATH nor on disk; empty when it is found, or is an address,
// which only opening can check.
QString missingTarget(const QString& commandLine);
