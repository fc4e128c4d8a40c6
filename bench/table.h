#pragma once
// The figures the benchmark drivers print: a row per measured thing with its
// median, fastest and slowest run, and the floor taken in the same run beside
// it, as a Markdown table ready for the documentation.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace quorvane::bench {

struct Spread {
    double median = 0;
    double min = 0;
    double max = 0;
    int runs = 0;
};

inline Spread SpreadOf(std::vector<double> values) {
    Spread s;
    s.runs = static_cast<int>(values.size());
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    s.min = values.front();
    s.max = values.back();
    return s;
}

inline void PrintTableHead() {
    std::printf("| What | Median | Min | Max | Runs | Floor: median (min-max) | Median / floor |\n");
    std::printf("| --- | --- | --- | --- | --- | --- | --- |\n");
}

// unit is printed after each figure; an empty floor (no runs) leaves its cells blank.
inline void PrintRow(const std::string &what, const Spread &s, const std::string &unit,
                     const std::string &floorName = {}, const Spread &floor = {}) {
    std::printf("| %s | %.2f %s | %.2f | %.2f | %d |", what.c_str(), s.median, unit.c_str(), s.min, s.max, s.runs);
    if (floor.runs > 0 && floor.median > 0)
        std::printf(" %s: %.2f (%.2f-%.2f) %s | %.2fx |\n", floorName.c_str(), floor.median, floor.min, floor.max,
                    unit.c_str(), s.median / floor.median);
    else
        std::printf(" | |\n");
    std::fflush(stdout);
}

} // namespace quorvane::bench
