#pragma once

#include <functional>
#include <vector>

// One measured operation: its median and 95th percentile over `runs` runs, and the
// target its 95th percentile must stay under (0 = none).
struct Figure
{
    const char* name;
    int runs;
    double medianUs;
    double p95Us;
    double targetUs;
};

Figure measure(const char* name, int runs, double targetUs, const std::function<void()>& work);

// Prints the figures as a table and, when `jsonPath` is given, writes them as JSON.
// Returns false when a figure missed its target.
bool report(const std::vector<Figure>& figures, const char* jsonPath);
