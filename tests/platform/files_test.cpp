#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/files.h"
#include "platform/testing/write_faults.h"
#include "test_folder.h"

namespace {

class FaultReset
{
  public:
    ~FaultReset() { kwz::testing::failWritesAfter(-1); }
};

} // namespace

TEST(Files, CreateWriteReadReportByteCounts)
{
    TestFolder folder;
    const std::string path = folder.file("a.bin");
    EXPECT_EQ(kwz::createFile(path, kwz::FileAccess::Read, kwz::FileDisposition::OpenExisting),
              INVALID_HANDLE_VALUE);

    HANDLE out = kwz::createFile(path, kwz::FileAccess::Write, kwz::FileDisposition::CreateAlways);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    uint32_t done = 0;
    EXPECT_TRUE(kwz::writeFile(out, "hello", 5, &done));
    EXPECT_EQ(done, 5u);
    EXPECT_TRUE(kwz::writeFile(out, " world", 6, &done));
    EXPECT_EQ(kwz::fileSize(out), 11);
    EXPECT_TRUE(kwz::closeHandle(out));

    HANDLE in = kwz::createFile(path, kwz::FileAccess::Read, kwz::FileDisposition::OpenExisting);
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    char buffer[8] = {};
    EXPECT_TRUE(kwz::readFile(in, buffer, 6, &done));
    EXPECT_EQ(done, 6u);
    EXPECT_EQ(std::string(buffer, 6), "hello ");
    // Reading past the end succeeds with the bytes that were left.
    EXPECT_TRUE(kwz::readFile(in, buffer, 8, &done));
    EXPECT_EQ(done, 5u);
    EXPECT_TRUE(kwz::readFile(in, buffer, 8, &done));
    EXPECT_EQ(done, 0u);
    // Writing through a read handle fails.
    EXPECT_FALSE(kwz::writeFile(in, "x", 1, &done));
    EXPECT_TRUE(kwz::closeHandle(in));

    // Create-always truncates.
    out = kwz::createFile(path, kwz::FileAccess::Write, kwz::FileDisposition::CreateAlways);
    EXPECT_EQ(kwz::fileSize(out), 0);
    kwz::closeHandle(out);
}

TEST(Files, MemoryFileReadsBackWhatWasWrittenAfterASeek)
{
    HANDLE file = kwz::createMemoryFile();
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    uint32_t done = 0;
    EXPECT_TRUE(kwz::writeFile(file, "stream", 6, &done));
    EXPECT_EQ(kwz::fileSize(file), 6);
    EXPECT_EQ(kwz::seekFile(file, 0, SEEK_SET), 0);
    char buffer[8] = {};
    EXPECT_TRUE(kwz::readFile(file, buffer, 8, &done));
    EXPECT_EQ(std::string(buffer, done), "stream");
    EXPECT_TRUE(kwz::closeHandle(file));
}

TEST(Files, InvalidHandlesAreRefused)
{
    uint32_t done = 7;
    char byte;
    EXPECT_FALSE(kwz::readFile(INVALID_HANDLE_VALUE, &byte, 1, &done));
    EXPECT_EQ(done, 0u);
    EXPECT_FALSE(kwz::writeFile(nullptr, &byte, 1, &done));
    EXPECT_FALSE(kwz::closeHandle(INVALID_HANDLE_VALUE));
    EXPECT_EQ(kwz::fileSize(nullptr), -1);
    TestFolder folder;
    // A folder is not a file.
    EXPECT_EQ(kwz::createFile(folder.path().string(), kwz::FileAccess::Read,
                              kwz::FileDisposition::OpenExisting),
              INVALID_HANDLE_VALUE);
}

TEST(Files, FoldersDeleteAndFind)
{
    TestFolder folder;
    const std::string sub = folder.file("Rulers");
    EXPECT_TRUE(kwz::createDirectory(sub));
    EXPECT_FALSE(kwz::createDirectory(sub));
    EXPECT_FALSE(kwz::createDirectory(folder.file("missing/child")));
    EXPECT_TRUE(kwz::directoryExists(sub));
    EXPECT_FALSE(kwz::fileExists(sub));

    for (const char* name : {"b.ruler", "a.RULER", "c.ruler.bak", "notes.txt"})
        writeBytes(sub + "/" + name, "x");
    EXPECT_TRUE(kwz::createDirectory(sub + "/d.ruler"));
    EXPECT_EQ(kwz::findFiles(sub + "/*.ruler"), (std::vector<std::string>{"a.RULER", "b.ruler"}));
    EXPECT_EQ(kwz::findFiles(sub + "/?.ruler").size(), 2u);
    EXPECT_TRUE(kwz::findFiles(folder.file("none/*.ruler")).empty());

    EXPECT_TRUE(kwz::deleteFile(sub + "/b.ruler"));
    EXPECT_FALSE(kwz::deleteFile(sub + "/b.ruler"));
    EXPECT_FALSE(kwz::deleteFile(sub + "/d.ruler"));
    EXPECT_EQ(kwz::findFiles(sub + "/*.ruler"), (std::vector<std::string>{"a.RULER"}));
}

TEST(Files, InjectedFaultStopsWritesPartWay)
{
    TestFolder folder;
    FaultReset reset;
    HANDLE out = kwz::createFile(folder.file("f"), kwz::FileAccess::Write,
                                 kwz::FileDisposition::CreateAlways);
    kwz::testing::failWritesAfter(3);
    uint32_t done = 0;
    EXPECT_TRUE(kwz::writeFile(out, "ab", 2, &done));
    EXPECT_FALSE(kwz::writeFile(out, "cdef", 4, &done));
    EXPECT_EQ(done, 1u);
    EXPECT_FALSE(kwz::writeFile(out, "g", 1, &done));
    kwz::testing::failWritesAfter(-1);
    EXPECT_TRUE(kwz::writeFile(out, "h", 1, &done));
    kwz::closeHandle(out);
    EXPECT_EQ(readBytes(folder.file("f")), "abch");
}

TEST(AtomicFileWriter, CommitReplacesTheFileAndKeepsItsMode)
{
    TestFolder folder;
    const std::string path = folder.file("settings.ini");
    writeBytes(path, "old");
    chmod(path.c_str(), 0640);
    kwz::AtomicFileWriter writer(path);
    ASSERT_TRUE(writer.open());
    EXPECT_TRUE(writer.write("new contents", 12));
    // Readers still see the old file until the commit.
    EXPECT_EQ(readBytes(path), "old");
    EXPECT_TRUE(writer.commit());
    EXPECT_EQ(readBytes(path), "new contents");
    struct stat info
    {
    };
    stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(AtomicFileWriter, FailureOrAbandonLeavesTheOldFileAndNoLeftovers)
{
    TestFolder folder;
    FaultReset reset;
    const std::string path = folder.file("settings.ini");
    writeBytes(path, "old");
    {
        kwz::AtomicFileWriter writer(path);
        ASSERT_TRUE(writer.open());
        kwz::testing::failWritesAfter(4);
        EXPECT_FALSE(writer.write("new contents", 12));
        EXPECT_FALSE(writer.commit());
    }
    kwz::testing::failWritesAfter(-1);
    {
        kwz::AtomicFileWriter abandoned(path);
        ASSERT_TRUE(abandoned.open());
        abandoned.write("never committed", 15);
    }
    EXPECT_EQ(readBytes(path), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(AtomicFileWriter, RefusesReadOnlyFilesAndMissingFolders)
{
    TestFolder folder;
    const std::string path = folder.file("locked.ini");
    writeBytes(path, "old");
    chmod(path.c_str(), 0444);
    kwz::AtomicFileWriter locked(path);
    EXPECT_FALSE(locked.open());
    kwz::AtomicFileWriter nowhere(folder.file("missing/a.ini"));
    EXPECT_FALSE(nowhere.open());
    EXPECT_EQ(readBytes(path), "old");
}

TEST(AtomicFileWriter, ReplacesWhatALinkPointsTo)
{
    TestFolder folder;
    const std::string real = folder.file("real.ini");
    const std::string link = folder.file("link.ini");
    writeBytes(real, "old");
    std::filesystem::create_symlink(real, link);
    kwz::AtomicFileWriter writer(link);
    ASSERT_TRUE(writer.open());
    writer.write("new", 3);
    ASSERT_TRUE(writer.commit());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(real), "new");
}

TEST(AtomicFileWriter, NextSaveInAFolderRemovesOnlyOldLeftoversOfItsOwnPattern)
{
    TestFolder folder;
    auto make = [&](const std::string& name, bool old) {
        const std::string path = folder.file(name);
        writeBytes(path, "x");
        if (old)
        {
            struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
            utimensat(AT_FDCWD, path.c_str(), times, 0);
        }
        return path;
    };
    const std::string killedSave = make(".scan.Mea.a1B2c3", true);
    const std::string killedIni = make(".MeasureTool.ini.Zz9yX8", true);
    const std::string running = make(".other.Mea.q1w2e3", false); // a writer of now
    const std::string notOurs = make(".bashrc.backup", true);
    const std::string otherKind = make(".notes.txt.a1B2c3", true);
    const std::string visible = make("scan.Mea.a1B2c3", true);

    kwz::AtomicFileWriter writer(folder.file("new.Mea"));
    ASSERT_TRUE(writer.open());
    ASSERT_TRUE(writer.write("m", 1));
    ASSERT_TRUE(writer.commit());

    EXPECT_FALSE(std::filesystem::exists(killedSave));
    EXPECT_FALSE(std::filesystem::exists(killedIni));
    for (const std::string& kept : {running, notOurs, otherKind, visible})
        EXPECT_TRUE(std::filesystem::exists(kept)) << kept;
    // A folder is looked at once per process: a later leftover waits for the next start.
    make(".late.bmp.a1B2c3", true);
    EXPECT_EQ(kwz::removeStaleTemporaries(folder.path().string()), 0);
}

TEST(Files, TemporaryNamesAreRecognisedByTheirWholePattern)
{
    EXPECT_TRUE(kwz::isTemporaryName(".a.ruler.ABC123"));
    EXPECT_TRUE(kwz::isTemporaryName(".Capture 1.JPG.000000"));
    EXPECT_FALSE(kwz::isTemporaryName(".a.ruler.ABC12"));  // five characters
    EXPECT_FALSE(kwz::isTemporaryName(".a.ruler.ABC-23")); // not what mkostemp writes
    EXPECT_FALSE(kwz::isTemporaryName("..ruler.ABC123"));  // no name before the kind
    EXPECT_FALSE(kwz::isTemporaryName(".ruler.ABC123"));   // no kind at all
}
