#include <climits>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/profile.h"
#include "test_folder.h"

TEST(ProfileText, NamesMatchWithoutCaseAndBlanksAroundAreIgnored)
{
    kwz::ProfileText text("; settings\r\n[Main]\r\n  nWidth = 3 \r\n[main]\r\nnWidth=9\r\n");
    ASSERT_NE(text.value("MAIN", "NWIDTH"), nullptr);
    // The first section of a name counts, as on Windows.
    EXPECT_EQ(*text.value("MAIN", "NWIDTH"), "3");
    EXPECT_EQ(text.value("Main", "nHeight"), nullptr);
    EXPECT_EQ(text.value("Other", "nWidth"), nullptr);
}

TEST(ProfileText, CaseFoldingNeverMergesDifferentGbkNames)
{
    // The trail bytes 0x41 and 0x61 are 'A' and 'a' in ASCII but different characters here.
    kwz::ProfileText text("[s]\n\x81\x41=upper\n\x81\x61=lower\n");
    EXPECT_EQ(*text.value("s", "\x81\x61"), "lower");
    EXPECT_EQ(*text.value("S", "\x81\x41"), "upper");
}

TEST(ProfileText, CommentsAndOddLinesAreNeitherKeysNorLost)
{
    const std::string original = "\xEF\xBB\xBF[a]\n;k=comment\n#k=hash\nno equals\nk=real\n";
    kwz::ProfileText text(original);
    EXPECT_EQ(*text.value("a", "k"), "real");
    EXPECT_EQ(text.value("a", ";k"), nullptr);
    ASSERT_TRUE(text.set("a", "k", "changed"));
    EXPECT_EQ(text.text(), "\xEF\xBB\xBF[a]\n;k=comment\n#k=hash\nno equals\nk=changed\n");
}

TEST(ProfileText, WritesKeepTheFileShapeAndLineBreaks)
{
    kwz::ProfileText text("[One]\r\nKey=1\r\n\r\n[Two]\r\nx=2");
    ASSERT_TRUE(text.set("one", "KEY", "10"));  // the file's spelling of the key stays
    ASSERT_TRUE(text.set("ONE", "added", "a")); // after the section's last filled line
    ASSERT_TRUE(text.set("two", "y", "3"));     // the last line had no break
    ASSERT_TRUE(text.set("Three", "z", ""));    // new section at the end
    EXPECT_EQ(text.text(),
              "[One]\r\nKey=10\r\nadded=a\r\n\r\n[Two]\r\nx=2\r\ny=3\r\n[Three]\r\nz=\r\n");
    EXPECT_EQ(*text.value("three", "z"), "");

    kwz::ProfileText unix("[a]\nk=1\n");
    ASSERT_TRUE(unix.set("b", "k", "2"));
    EXPECT_EQ(unix.text(), "[a]\nk=1\n[b]\nk=2\n");
    kwz::ProfileText empty("");
    ASSERT_TRUE(empty.set("s", "k", "v"));
    EXPECT_EQ(empty.text(), "[s]\r\nk=v\r\n");
}

TEST(ProfileText, RefusesNamesAndValuesThatWouldAddLines)
{
    kwz::ProfileText text("[s]\nk=1\n");
    EXPECT_FALSE(text.set("s", "k", "1\r\n[evil]"));
    EXPECT_FALSE(text.set("s]x", "k", "1"));
    EXPECT_FALSE(text.set("s", "a=b", "1"));
    EXPECT_FALSE(text.set("s", ";k", "1"));
    EXPECT_FALSE(text.set("s", " ", "1"));
    EXPECT_FALSE(text.set("", "k", "1"));
    EXPECT_EQ(text.text(), "[s]\nk=1\n");
}

TEST(ProfileText, RemovesKeysAndSections)
{
    kwz::ProfileText text("[a]\nk=1\nj=2\n[b]\nk=3\n");
    EXPECT_TRUE(text.remove("A", "K"));
    EXPECT_FALSE(text.remove("a", "k"));
    EXPECT_EQ(text.text(), "[a]\nj=2\n[b]\nk=3\n");
    EXPECT_TRUE(text.remove("a", std::string_view()));
    EXPECT_EQ(text.text(), "[b]\nk=3\n");
}

TEST(ProfileFile, ReadsStringsAndIntegersWithTheirRules)
{
    TestFolder folder;
    const std::string path = folder.file("t.ini");
    writeBytes(path, "[s]\nneg=-3\nmixed=12abc\nletters=abc\nempty=\nplus=+5\nhuge=99999999999\n"
                     "low=-99999999999\nminus=-\nlong=" +
                         std::string(300, 'x') + "\n");
    struct IntCase
    {
        const char* key;
        int expected;
    };
    for (IntCase c : {IntCase{"neg", -3}, IntCase{"mixed", 12}, IntCase{"letters", 0},
                      IntCase{"empty", 77}, IntCase{"missing", 77}, IntCase{"plus", 0},
                      IntCase{"huge", INT_MAX}, IntCase{"low", INT_MIN}, IntCase{"minus", 0}})
        EXPECT_EQ(kwz::getProfileInt("s", c.key, 77, path), c.expected) << c.key;
    EXPECT_EQ(kwz::getProfileInt("s", "neg", 77, folder.file("none.ini")), 77);

    char buffer[260];
    EXPECT_EQ(kwz::getProfileString("S", "LONG", "d", buffer, sizeof buffer, path), 259u);
    EXPECT_EQ(std::string(buffer), std::string(259, 'x'));
    EXPECT_EQ(kwz::getProfileString("s", "missing", "dflt", buffer, 3, path), 2u);
    EXPECT_STREQ(buffer, "df");
    EXPECT_EQ(kwz::getProfileString("s", "missing", nullptr, buffer, sizeof buffer, path), 0u);
    EXPECT_STREQ(buffer, "");
}

TEST(ProfileFile, WritesCreateFilesAndRefuseWithoutTouchingTheFile)
{
    TestFolder folder;
    const std::string path = folder.file("new.ini");
    EXPECT_TRUE(kwz::writeProfileString("Main", "strPath", "/tmp/x", path));
    EXPECT_EQ(readBytes(path), "[Main]\r\nstrPath=/tmp/x\r\n");
    EXPECT_TRUE(kwz::writeProfileString("Main", "strPath", nullptr, path));
    EXPECT_TRUE(kwz::writeProfileString("Main", "gone", nullptr, path));
    EXPECT_EQ(readBytes(path), "[Main]\r\n");

    // Writing back what is there leaves the very same file in place.
    EXPECT_TRUE(kwz::writeProfileString("Main", "strPath", "/tmp/y", path));
    struct stat before
    {
    };
    stat(path.c_str(), &before);
    EXPECT_TRUE(kwz::writeProfileString("main", "STRPATH", "/tmp/y", path));
    struct stat after
    {
    };
    stat(path.c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_TRUE(kwz::writeProfileString("Main", "strPath", nullptr, path));

    EXPECT_FALSE(kwz::writeProfileString("Main", "k", "v", folder.file("missing/x.ini")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("missing")));

    // An existing file that cannot be read is not replaced by one holding only the new key.
    writeBytes(path, "[Main]\r\nkeep=1\r\n");
    chmod(path.c_str(), 0200);
    if (readBytes(path).empty())
    {
        EXPECT_FALSE(kwz::writeProfileString("Main", "k", "v", path));
        chmod(path.c_str(), 0600);
        EXPECT_EQ(readBytes(path), "[Main]\r\nkeep=1\r\n");
    }
}
