#pragma once
// Google Benchmark's usual table, keeping each benchmark's real time per iteration so that a
// benchmark can print ratios of two of them at the end.

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // With repetitions the median stands for the benchmark; it is reported after the single runs.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            m_seconds[run.run_name.function_name] =
                run.error_occurred ? NAN : run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }

    // Seconds per iteration; NaN when the benchmark failed, negative when it did not run.
    double seconds(const std::string& name) const
    {
        const auto it = m_seconds.find(name);
        return it == m_seconds.end() ? -1.0 : it->second;
    }

private:
    std::map<std::string, double> m_seconds;
};
