// What a settings or language value costs through Profo, as a ratio to reading the whole
// file once (every Profo call reads it, by design: no cache).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "profo.h"

namespace {

constexpr int kKeys = 153; // the language table's slots

class LanguageFile
{
  public:
    LanguageFile()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "bench_profo.XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        path_ = (folder_ / "Language.ini").string();
        std::ofstream out(path_, std::ios::binary);
        out << "; texts\r\n[Language]\r\nnIndex=0\r\n[Text]\r\n";
        for (int i = 0; i < kKeys; ++i)
            out << "strText" << i << "=\xD6\xD0\xCE\xC4 text number " << i << "\r\n";
        out.close();
        PFInitialize(path_.c_str(), &store_);
    }
    ~LanguageFile()
    {
        PFUnInitialize(&store_);
        std::filesystem::remove_all(folder_);
    }
    const std::string& path() const { return path_; }
    void* store() const { return store_; }

  private:
    std::filesystem::path folder_;
    std::string path_;
    void* store_ = nullptr;
};

LanguageFile& file()
{
    static LanguageFile instance;
    return instance;
}

void BM_ReadWholeFileBaseline(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::ifstream in(file().path(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_ReadWholeFileBaseline);

void BM_GetStringLastKey(benchmark::State& state)
{
    char buffer[PF_VALUE_BUFFER_SIZE];
    const std::string key = "STRTEXT" + std::to_string(kKeys - 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(PFGetString(file().store(), "text", key.c_str(), nullptr, buffer));
}
BENCHMARK(BM_GetStringLastKey);

void BM_GetDwordFirstKey(benchmark::State& state)
{
    int value = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(PFGetDWORD(file().store(), "Language", "nIndex", 0, &value));
}
BENCHMARK(BM_GetDwordFirstKey);

void BM_SetIntUnchanged(benchmark::State& state)
{
    PFSetInt(file().store(), "Language", "nIndex", 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(PFSetInt(file().store(), "Language", "nIndex", 0));
}
BENCHMARK(BM_SetIntUnchanged);

void BM_SetIntChanged(benchmark::State& state)
{
    int value = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(PFSetInt(file().store(), "Language", "nIndex", ++value % 3));
}
BENCHMARK(BM_SetIntChanged)->Unit(benchmark::kMicrosecond);

// Collects each benchmark's time per iteration to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
  public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
        {
            if (run.iterations > 0)
                perIteration_[run.benchmark_name()] =
                    run.real_accumulated_time / double(run.iterations);
        }
    }

    void printRatios(const std::string& baseline) const
    {
        auto base = perIteration_.find(baseline);
        if (base == perIteration_.end() || base->second <= 0)
            return;
        std::printf("\nratio to %s (%.2f us):\n", baseline.c_str(), base->second * 1e6);
        for (const auto& [name, seconds] : perIteration_)
            std::printf("  %-28s %8.2f\n", name.c_str(), seconds / base->second);
    }

  private:
    std::map<std::string, double> perIteration_;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios("BM_ReadWholeFileBaseline");
    benchmark::Shutdown();
    return 0;
}
