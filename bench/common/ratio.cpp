// The main of every benchmark program: the usual table, then a summary of each ratio and each
// bounded counter over the repetitions, beside its target (see ratio.h).

#include "bench/common/ratio.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

struct Series
{
    benchmark::TimeUnit unit = benchmark::kNanosecond;
    std::vector<double> times;
    std::map<std::string, std::vector<double>> counters;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Verdicts go by the value as printed, so a line never reads "30.0, target >= 30: missed".
double asPrinted(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", value);
    return std::strtod(text, nullptr);
}

std::string spread(const std::vector<double>& values)
{
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    char text[96];
    if (values.size() == 1)
        std::snprintf(text, sizeof text, "%.3g", values[0]);
    else
        std::snprintf(text, sizeof text, "%.3g (%.3g-%.3g over %zu runs)", median(values), *low,
                      *high, values.size());
    return text;
}

std::string timeText(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, value >= 1000 ? "%.0f" : "%.3g", value);
    return text;
}

class SummaryReporter : public benchmark::ConsoleReporter
{
  public:
    explicit SummaryReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
        {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            if (!series_.count(name))
                order_.push_back(name);
            Series& s = series_[name];
            s.unit = run.time_unit;
            s.times.push_back(run.GetAdjustedRealTime());
            for (const auto& [counter, value] : run.counters)
                s.counters[counter].push_back(value.value);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printSummary() const
    {
        if (order_.empty())
            return;
        std::printf("\nSummary (median, and range where there were repetitions):\n");
        for (const std::string& name : order_)
        {
            const Series& s = series_.at(name);
            for (const auto& [counter, values] : s.counters)
            {
                const auto upper = s.counters.find(counter + "<=");
                const auto lower = s.counters.find(counter + ">=");
                const bool bounded = upper != s.counters.end() || lower != s.counters.end();
                if (!bounded && counter != "ratio" && counter != "cpu_ratio")
                    continue;
                std::string line = name + "  " + counter + " " + spread(values);
                const double value = asPrinted(median(values));
                char target[64] = "no target (reported)";
                if (upper != s.counters.end())
                {
                    const double bound = upper->second.front();
                    std::snprintf(target, sizeof target, "target <= %g: %s", bound,
                                  value <= bound ? "met" : "MISSED");
                }
                else if (lower != s.counters.end())
                {
                    // A floor (frames per second) holds only if every run reaches it: a
                    // median would pass a program that stutters in some runs.
                    const double bound = lower->second.front();
                    const auto shortRuns =
                        std::count_if(values.begin(), values.end(),
                                      [&](double v) { return asPrinted(v) < bound; });
                    if (shortRuns == 0)
                        std::snprintf(target, sizeof target, "target >= %g in every run: met",
                                      bound);
                    else
                        std::snprintf(target, sizeof target,
                                      "target >= %g in every run: MISSED in %td of %zu", bound,
                                      shortRuns, values.size());
                }
                line += std::string("  ") + target;
                const auto base = s.counters.find("baseline_s");
                if (counter == "ratio" && base != s.counters.end())
                {
                    const char* unit = benchmark::GetTimeUnitString(s.unit);
                    const double baseline =
                        median(base->second) * benchmark::GetTimeUnitMultiplier(s.unit);
                    line += "  [subject " + timeText(median(s.times)) + " " + unit + ", baseline " +
                            timeText(baseline) + " " + unit + "]";
                }
                std::printf("  %s\n", line.c_str());
            }
        }
    }

  private:
    std::vector<std::string> order_;
    std::map<std::string, Series> series_;
};

} // namespace

// Asked for JSON or CSV on the screen: those are left to the library's own reporters.
bool consoleFormat(int argc, char** argv)
{
    const std::string option = "--benchmark_format=";
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg.rfind(option, 0) == 0 && arg.substr(option.size()) != "console")
            return false;
    }
    return true;
}

int main(int argc, char** argv)
{
    const bool console = consoleFormat(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!console)
    {
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        return 0;
    }
    const int colour = isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Color : 0;
    SummaryReporter reporter(
        benchmark::ConsoleReporter::OutputOptions(benchmark::ConsoleReporter::OO_Tabular | colour));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary();
    benchmark::Shutdown();
    return 0;
}
