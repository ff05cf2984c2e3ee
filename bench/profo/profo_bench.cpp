// What a settings or language value costs through Profo, against reading the whole file once
// (every Profo call reads it, by design: no cache); a change that is written, against the
// least a durable replacement of the file must do. Timed in turns in the same run.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bench/common/ratio.h"
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

// The fastest honest read of the whole file: open, size, read, close, into a buffer that is
// already there.
void readWholeFile(const std::string& path, std::string& text)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info
    {
    };
    if (fd < 0 || fstat(fd, &info) != 0)
        std::abort();
    text.resize(size_t(info.st_size));
    size_t done = 0;
    while (done < text.size())
    {
        const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            std::abort();
        done += size_t(n);
    }
    ::close(fd);
    benchmark::DoNotOptimize(text.data());
    benchmark::ClobberMemory();
}

// The least a durable change must do: read the file, then write it whole beside itself with
// its permissions, flush it to the disk and rename it over the original.
void replaceWholeFile(const std::string& path, std::string& text)
{
    readWholeFile(path, text);
    std::string temp = path + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0 || fchmod(fd, 0644) != 0 ||
        ::write(fd, text.data(), text.size()) != ssize_t(text.size()) || fdatasync(fd) != 0 ||
        ::close(fd) != 0 || std::rename(temp.c_str(), path.c_str()) != 0)
        std::abort();
}

// Each call of Profo against reading the whole file once, timed in turns.
template <class Call> void versusRead(benchmark::State& state, Call call)
{
    std::string text;
    kwzbench::compare(
        state, call, [&] { readWholeFile(file().path(), text); }, kwzbench::kNoTarget, 8);
}

// The last key of the language table's section: the whole file is scanned.
void getStringLastKey(benchmark::State& state)
{
    char buffer[PF_VALUE_BUFFER_SIZE];
    const std::string key = "STRTEXT" + std::to_string(kKeys - 1);
    if (PFGetString(file().store(), "text", key.c_str(), nullptr, buffer) != 0 ||
        std::string(buffer) != "\xD6\xD0\xCE\xC4 text number " + std::to_string(kKeys - 1))
    {
        state.SkipWithError("the last key was not found");
        return;
    }
    versusRead(state, [&] {
        benchmark::DoNotOptimize(PFGetString(file().store(), "text", key.c_str(), nullptr, buffer));
    });
}

void getDwordFirstKey(benchmark::State& state)
{
    int value = 0;
    versusRead(state, [&] {
        benchmark::DoNotOptimize(PFGetDWORD(file().store(), "Language", "nIndex", 0, &value));
    });
}

// The value written is the one already there: nothing to write back.
void setIntUnchanged(benchmark::State& state)
{
    PFSetInt(file().store(), "Language", "nIndex", 0);
    versusRead(state, [&] {
        benchmark::DoNotOptimize(PFSetInt(file().store(), "Language", "nIndex", 0));
    });
}

// Every call changes the value, so the file is replaced on the disk each time; against the
// least a durable change must do.
void setIntChanged(benchmark::State& state)
{
    int value = 0;
    std::string text;
    kwzbench::compare(
        state,
        [&] {
            benchmark::DoNotOptimize(PFSetInt(file().store(), "Language", "nIndex", ++value % 3));
        },
        [&] { replaceWholeFile(file().path(), text); }, kwzbench::kNoTarget);
}

} // namespace

BENCHMARK(getStringLastKey)->Name("PFGetString/LastKey")->UseManualTime();
BENCHMARK(getDwordFirstKey)->Name("PFGetDWORD/FirstKey")->UseManualTime();
BENCHMARK(setIntUnchanged)->Name("PFSetInt/Unchanged")->UseManualTime();
BENCHMARK(setIntChanged)->Name("PFSetInt/Changed")->UseManualTime()->Unit(benchmark::kMicrosecond);
