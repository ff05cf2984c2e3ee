#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/testing/write_faults.h"
#include "profo.h"

extern "C" int profoHeaderCompilesAsC(void);

namespace {

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class Profo : public testing::Test
{
  protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "profo.XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        path_ = (folder_ / "MeasureTool.ini").string();
        ASSERT_EQ(PFInitialize(path_.c_str(), &store_), 0);
    }
    void TearDown() override
    {
        kwz::testing::failWritesAfter(-1);
        PFUnInitialize(&store_);
        std::error_code ignored;
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(folder_, ignored);
    }

    std::string get(const char* section, const char* key, const char* fallback = "<none>")
    {
        char buffer[PF_VALUE_BUFFER_SIZE];
        std::memset(buffer, 'z', sizeof buffer);
        int result = PFGetString(store_, section, key, fallback, buffer);
        return result == 0 ? std::string(buffer) : "<31:" + std::string(buffer) + ">";
    }

    int getInt(const char* section, const char* key, int fallback)
    {
        int value = 12345;
        EXPECT_EQ(PFGetDWORD(store_, section, key, fallback, &value), 0);
        return value;
    }

    std::filesystem::path folder_;
    std::string path_;
    void* store_ = nullptr;
};

} // namespace

TEST(ProfoHandles, NullHandlesAndOutputsGiveTheirCodes)
{
    EXPECT_EQ(profoHeaderCompilesAsC(), 1);
    char buffer[PF_VALUE_BUFFER_SIZE];
    int value = 0;
    EXPECT_EQ(PFSetString(nullptr, "s", "k", "v"), 1);
    EXPECT_EQ(PFSetInt(nullptr, "s", "k", 1), 1);
    EXPECT_EQ(PFSetBOOL(nullptr, "s", "k", 1), 1);
    EXPECT_EQ(PFGetString(nullptr, "s", "k", "d", buffer), 1);
    EXPECT_EQ(PFGetBOOL(nullptr, "s", "k", 0, &value), 1);
    EXPECT_EQ(PFGetDWORD(nullptr, "s", "k", 0, &value), 1);
    EXPECT_EQ(PFInitialize("x.ini", nullptr), 1);
    EXPECT_EQ(PFUnInitialize(nullptr), 1);

    void* store = reinterpret_cast<void*>(1);
    EXPECT_EQ(PFInitialize(nullptr, &store), 31);
    EXPECT_EQ(store, nullptr);
    EXPECT_EQ(PFUnInitialize(&store), 1);
    // A cut path would name another file, so a path of 260 bytes is refused.
    EXPECT_EQ(PFInitialize(std::string(260, 'a').c_str(), &store), 31);
    EXPECT_EQ(PFInitialize(std::string(259, 'a').c_str(), &store), 0);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(PFGetString(store, "s", "k", "d", nullptr), 31);
    EXPECT_EQ(PFGetBOOL(store, "s", "k", 0, nullptr), 31);
    EXPECT_EQ(PFGetDWORD(store, "s", "k", 0, nullptr), 31);
    EXPECT_EQ(PFUnInitialize(&store), 0);
    EXPECT_EQ(store, nullptr);
}

TEST_F(Profo, TwoStoresOnOneFileSeeEachOthersWritesAtOnce)
{
    void* other = nullptr;
    ASSERT_EQ(PFInitialize(path_.c_str(), &other), 0);
    EXPECT_EQ(PFSetString(store_, "Main", "strName", "first"), 0);
    char buffer[PF_VALUE_BUFFER_SIZE];
    EXPECT_EQ(PFGetString(other, "Main", "strName", nullptr, buffer), 0);
    EXPECT_STREQ(buffer, "first");
    EXPECT_EQ(PFSetString(other, "Main", "strName", "second"), 0);
    EXPECT_EQ(get("Main", "strName"), "second");
    PFUnInitialize(&other);
}

TEST_F(Profo, NamesWrittenInOtherLetterCasesAreFound)
{
    ASSERT_EQ(PFSetInt(store_, "VideoSettings", "nCaptureSizeIndex", 2), 0);
    EXPECT_EQ(getInt("videosettings", "NCAPTURESIZEINDEX", -1), 2);
    ASSERT_EQ(PFSetInt(store_, "VIDEOSETTINGS", "ncapturesizeindex", 3), 0);
    EXPECT_EQ(readBytes(path_), "[VideoSettings]\r\nnCaptureSizeIndex=3\r\n");
}

TEST_F(Profo, StringsAreCutEmptyMeansDefaultAndBytesPassThrough)
{
    const std::string longValue(300, 'v');
    ASSERT_EQ(PFSetString(store_, "s", "long", longValue.c_str()), 0);
    EXPECT_EQ(get("s", "long"), longValue.substr(0, 259));
    // The whole value stays in the file; only the read is cut.
    EXPECT_NE(readBytes(path_).find(longValue), std::string::npos);

    ASSERT_EQ(PFSetString(store_, "s", "empty", ""), 0);
    EXPECT_EQ(get("s", "empty", "fallback"), "fallback");
    EXPECT_EQ(get("s", "empty", nullptr), "<31:>");
    EXPECT_EQ(get("s", "missing", nullptr), "<31:>");
    EXPECT_EQ(get("s", "missing", std::string(300, 'd').c_str()), std::string(259, 'd'));

    const char* gbk = "\xCE\xA2\xC3\xD7 \x81\x30\x85\x38m"; // 微米 µm
    ASSERT_EQ(PFSetString(store_, "\xD3\xEF\xD1\xD4", "strUnit", gbk), 0);
    EXPECT_EQ(get("\xD3\xEF\xD1\xD4", "STRUNIT"), gbk);
}

TEST_F(Profo, IntegersAndFlagsFollowTheTextRules)
{
    ASSERT_EQ(PFSetBOOL(store_, "s", "bFive", 5), 0);
    ASSERT_EQ(PFSetBOOL(store_, "s", "bZero", 0), 0);
    ASSERT_EQ(PFSetInt(store_, "s", "nNeg", -3), 0);
    ASSERT_EQ(PFSetInt(store_, "s", "nMin", INT_MIN), 0);
    EXPECT_EQ(get("s", "bFive"), "1");
    EXPECT_EQ(get("s", "bZero"), "0");
    EXPECT_EQ(get("s", "nNeg"), "-3");
    EXPECT_EQ(getInt("s", "nNeg", 0), -3);
    EXPECT_EQ(getInt("s", "nMin", 0), INT_MIN);

    ASSERT_EQ(PFSetString(store_, "s", "mixed", "12abc"), 0);
    ASSERT_EQ(PFSetString(store_, "s", "letters", "abc"), 0);
    ASSERT_EQ(PFSetString(store_, "s", "blank", ""), 0);
    EXPECT_EQ(getInt("s", "mixed", 99), 12);
    EXPECT_EQ(getInt("s", "letters", 99), 0);
    EXPECT_EQ(getInt("s", "blank", 99), 99);
    EXPECT_EQ(getInt("s", "missing", 99), 99);

    int flag = -1;
    EXPECT_EQ(PFGetBOOL(store_, "s", "bFive", 0, &flag), 0);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(PFGetBOOL(store_, "s", "letters", 1, &flag), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(PFGetBOOL(store_, "s", "missing", 7, &flag), 0);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(PFGetBOOL(store_, "s", "missing", 0, &flag), 0);
    EXPECT_EQ(flag, 0);
}

TEST_F(Profo, MissingFileReadsAsDefaultsAndWritesCreateIt)
{
    EXPECT_EQ(getInt("s", "k", 5), 5);
    EXPECT_FALSE(std::filesystem::exists(path_));
    writeBytes(path_, "; kept comment\n[Other]\nx=1\n");
    ASSERT_EQ(PFSetString(store_, "New", "k", "v"), 0);
    EXPECT_EQ(readBytes(path_), "; kept comment\n[Other]\nx=1\n[New]\nk=v\n");
    // A null value removes the key.
    ASSERT_EQ(PFSetString(store_, "Other", "x", nullptr), 0);
    EXPECT_EQ(readBytes(path_), "; kept comment\n[Other]\n[New]\nk=v\n");
}

TEST_F(Profo, RefusedWritesReturn31AndLeaveTheFileByteIdentical)
{
    const std::string original = "[Main]\r\nnWidth=3\r\n; note\r\n";
    writeBytes(path_, original);
    // Values that would add lines, and names that cannot be stored.
    EXPECT_EQ(PFSetString(store_, "Main", "nWidth", "4\r\n[Evil]\r\nx=1"), 31);
    EXPECT_EQ(PFSetString(store_, "Main", "a=b", "4"), 31);
    EXPECT_EQ(PFSetString(store_, "Ma]in", "k", "4"), 31);
    EXPECT_EQ(PFSetString(store_, nullptr, "k", "4"), 31);
    EXPECT_EQ(PFSetInt(store_, "Main", nullptr, 4), 31);
    EXPECT_EQ(PFSetString(store_, "Main", "", "4"), 31);
    EXPECT_EQ(readBytes(path_), original);

    chmod(path_.c_str(), 0444);
    EXPECT_EQ(PFSetInt(store_, "Main", "nWidth", 4), 31);
    EXPECT_EQ(PFSetInt(store_, "Main", "nWidth", 3), 31); // even when nothing would change
    EXPECT_EQ(PFSetBOOL(store_, "Main", "bNew", 1), 31);
    EXPECT_EQ(readBytes(path_), original);
    EXPECT_EQ(getInt("Main", "nWidth", 0), 3);

    void* elsewhere = nullptr;
    const std::string missing = (folder_ / "no such folder" / "a.ini").string();
    ASSERT_EQ(PFInitialize(missing.c_str(), &elsewhere), 0);
    EXPECT_EQ(PFSetString(elsewhere, "s", "k", "v"), 31);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "no such folder"));
    PFUnInitialize(&elsewhere);
}

TEST_F(Profo, AWriteThatFailsPartWayLeavesThePreviousFileWhole)
{
    std::string original = "[Main]\r\n";
    for (int i = 0; i < 50; ++i)
        original += "nKey" + std::to_string(i) + "=" + std::to_string(i * 7) + "\r\n";
    writeBytes(path_, original);
    for (int64_t budget : {int64_t(0), int64_t(1), int64_t(100), int64_t(original.size()) - 1})
    {
        kwz::testing::failWritesAfter(budget);
        EXPECT_EQ(PFSetString(store_, "Main", "nKey3", "changed"), 31) << budget;
        kwz::testing::failWritesAfter(-1);
        EXPECT_EQ(readBytes(path_), original) << budget;
    }
    // Nothing is left behind beside the file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);
    EXPECT_EQ(PFSetString(store_, "Main", "nKey3", "changed"), 0);
    EXPECT_EQ(get("Main", "nKey3"), "changed");
}

TEST_F(Profo, AProcessKilledInTheMiddleOfAWriteNeverLeavesATruncatedFile)
{
    std::string original = "[Main]\r\n";
    for (int i = 0; i < 50; ++i)
        original +=
            "strPath" + std::to_string(i) + "=/home/user/Captures/" + std::to_string(i) + "\r\n";
    writeBytes(path_, original);
    for (int64_t budget :
         {int64_t(0), int64_t(10), int64_t(original.size()) / 2, int64_t(original.size())})
    {
        EXPECT_EXIT(
            {
                kwz::testing::exitWritesAfter(budget, 9);
                PFSetString(store_, "Main", "strPath7", "/media/a/much/longer/value/than/before");
                std::_Exit(0); // reached only if the write never hit the limit
            },
            testing::ExitedWithCode(9), "")
            << budget;
        EXPECT_EQ(readBytes(path_), original) << budget;
    }
    // The killed writers' temporary files are hidden; the settings still read and write.
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
    {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "MeasureTool.ini" || name.rfind(".MeasureTool.ini.", 0) == 0) << name;
    }
    EXPECT_EQ(PFSetString(store_, "Main", "strPath7", "/new"), 0);
    EXPECT_EQ(get("main", "strpath7"), "/new");
    EXPECT_EQ(get("Main", "strPath8"), "/home/user/Captures/8");
}
