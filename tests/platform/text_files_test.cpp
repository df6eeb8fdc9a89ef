#include "platform/fake_text_files.h"

#include <gtest/gtest.h>

namespace {

const std::string kPath = "D:\\导出\\设置.txt";
const std::string kFirstTemporary = kPath + "~.tmp";

class WriteFileReplacingTest : public ::testing::Test {
protected:
    FakeTextFiles files;
    void SetUp() override { files.files[kPath] = "old"; }
    // Only the named files, with these contents, and nothing else.
    void ExpectFiles(const std::map<std::string, std::string>& expected) { EXPECT_EQ(files.files, expected); }
};

TEST_F(WriteFileReplacingTest, TheBytesReplaceTheOldContentAndNoTemporaryFileStays) {
    EXPECT_TRUE(WriteFileReplacing(files, kPath, "new bytes"));
    ExpectFiles({{kPath, "new bytes"}});

    files.files.clear();
    EXPECT_TRUE(WriteFileReplacing(files, kPath, "")) << "an empty file is a file";
    ExpectFiles({{kPath, ""}});
}

TEST_F(WriteFileReplacingTest, AFailureAtAnyStepLeavesTheOldContentAndNoTemporaryFile) {
    files.writeLimit = 4;  // the write stops halfway
    EXPECT_FALSE(WriteFileReplacing(files, kPath, "new bytes"));
    ExpectFiles({{kPath, "old"}});

    files.writeLimit = 9;  // exactly enough
    EXPECT_TRUE(WriteFileReplacing(files, kPath, "new bytes"));
    ExpectFiles({{kPath, "new bytes"}});

    files.writeLimit = -1;
    files.denyMove = true;
    EXPECT_FALSE(WriteFileReplacing(files, kPath, "newer"));
    ExpectFiles({{kPath, "new bytes"}});

    files.denyMove = false;
    files.denyCreate = true;
    files.files.clear();
    EXPECT_FALSE(WriteFileReplacing(files, kPath, "newer"));
    ExpectFiles({});  // no file appears under the name
}

TEST_F(WriteFileReplacingTest, TakenTemporaryNamesArePassedOverAndLeftAlone) {
    files.files[kFirstTemporary] = "someone's";
    files.files[kPath + "~1.tmp"] = "another";
    EXPECT_TRUE(WriteFileReplacing(files, kPath, "new"));
    ExpectFiles({{kPath, "new"}, {kFirstTemporary, "someone's"}, {kPath + "~1.tmp", "another"}});

    files.writeLimit = 1;  // the failure removes only its own file
    EXPECT_FALSE(WriteFileReplacing(files, kPath, "newer"));
    ExpectFiles({{kPath, "new"}, {kFirstTemporary, "someone's"}, {kPath + "~1.tmp", "another"}});
}

TEST_F(WriteFileReplacingTest, AHundredTakenNamesEndTheSearch) {
    files.files[kFirstTemporary] = "";
    for (int i = 1; i < 99; ++i) files.files[kPath + "~" + std::to_string(i) + ".tmp"] = "";
    EXPECT_TRUE(WriteFileReplacing(files, kPath, "new")) << "the hundredth name is still free";
    files.files[kPath + "~99.tmp"] = "";
    EXPECT_FALSE(WriteFileReplacing(files, kPath, "newer"));
    EXPECT_EQ(files.files[kPath], "new");
    EXPECT_EQ(files.files.count(kPath + "~100.tmp"), 0u);
}

TEST(FakeFileSystemTest, ReadsWholeFilesAndFailsOnMissingOrDenied) {
    FakeTextFiles files;
    files.files["a.txt"] = std::string("x\0y", 3);
    EXPECT_EQ(files.ReadWholeFile("a.txt"), std::string("x\0y", 3));
    EXPECT_EQ(files.ReadWholeFile("b.txt"), std::nullopt);
    files.denyRead = true;
    EXPECT_EQ(files.ReadWholeFile("a.txt"), std::nullopt);
}

}  // namespace
