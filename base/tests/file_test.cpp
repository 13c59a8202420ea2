#include "base/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("base-file-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override
    {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    static void put(const std::string& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }
    static std::string get(const std::string& p) { return base::readFile(p); }
    static std::string replace(const std::string& p, const std::string& bytes)
    {
        base::AtomicFile file(p);
        if (int e = file.open())
            return "open " + base::systemErrorText(e);
        if (!file.write(bytes))
            return "write";
        if (int e = file.commit())
            return "commit " + base::systemErrorText(e);
        return "ok";
    }
    fs::path dir_;
};

TEST_F(FileTest, ReadFailuresCarryTheExpandedPathAndSystemText)
{
    fs::current_path(dir_);
    try {
        base::readFile("missing.txt");
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + path("missing.txt") + "\". No such file or directory");
    }
    try {
        base::readFile("./.");
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + dir_.string() + "\". Is a directory");
    }
}

TEST_F(FileTest, AtomicReplaceKeepsModeLinkAndNoTemporary)
{
    put(path("doc.rtf"), "old");
    fs::permissions(path("doc.rtf"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(path("doc.rtf"), path("link.rtf"));
    EXPECT_EQ(replace(path("link.rtf"), "new"), "ok");
    EXPECT_TRUE(fs::is_symlink(path("link.rtf")));
    EXPECT_EQ(get(path("doc.rtf")), "new");
    EXPECT_EQ(fs::status(path("doc.rtf")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(FileTest, FailuresLeaveTheOldFileWhole)
{
    put(path("doc.rtf"), "old");
    {
        base::AtomicFile abandoned(path("doc.rtf"));
        ASSERT_EQ(abandoned.open(), 0);
        ASSERT_TRUE(abandoned.write("half"));
    }
    EXPECT_EQ(get(path("doc.rtf")), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

    EXPECT_EQ(replace(path("nofolder/doc.rtf"), "x"), "open No such file or directory");
    EXPECT_EQ(replace(dir_.string(), "x"), "open Is a directory");
    if (::geteuid() != 0) {
        fs::permissions(path("doc.rtf"), fs::perms::owner_read);
        EXPECT_EQ(replace(path("doc.rtf"), "x"), "open Permission denied");
    }
}

} // namespace
