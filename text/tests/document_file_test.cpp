// Loading and saving document files: the two roads of a load, atomic saves,
// and the designed failures with their exact messages.
#include "text/document_file.h"

#include "base/errors.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace text {
namespace {

namespace fs = std::filesystem;
using testing::joinedText;

class DocumentFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("quelmar-doc-test-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder_);
    }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    static void write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    static std::string contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path folder_;
};

Document sample()
{
    CharFormat bold;
    bold.bold = true;
    Document d;
    d.paragraphs = {testing::makeParagraph({{"Hello ", {}}, {"world", bold}}), testing::makeParagraph({{"\xD0\xAF", {}}})};
    return d;
}

TEST_F(DocumentFile, SavedUnderATxtNameItHoldsRtfAndReopensWithItsFormatting)
{
    const std::string file = path("Untitled.txt");
    saveDocumentFile(file, sample());
    EXPECT_TRUE(contents(file).starts_with("{\\rtf1"));
    EXPECT_EQ(loadDocumentFile(file), sample());
}

TEST_F(DocumentFile, BytesTheRtfReaderRejectsLoadAsPlainText)
{
    const std::string file = path("notes.rtf");
    write(file, "\xEF\xBB\xBF{\\rtf1 looks like RTF}\r\nsecond");
    const Document d = loadDocumentFile(file);
    EXPECT_EQ(joinedText(d), "{\\rtf1 looks like RTF}|second");
    EXPECT_EQ(d.paragraphs[0].runs.at(0).format, CharFormat{});
}

TEST_F(DocumentFile, RelativePathsResolveAgainstTheWorkingDirectoryOfTheMoment)
{
    const fs::path before = fs::current_path();
    fs::current_path(folder_);
    saveDocumentFile("Untitled.txt", sample());
    fs::current_path(before);
    EXPECT_EQ(loadDocumentFile(path("Untitled.txt")), sample());
    fs::current_path(folder_);
    const Document back = loadDocumentFile("./Untitled.txt");
    fs::current_path(before);
    EXPECT_EQ(back, sample());
}

TEST_F(DocumentFile, LoadFailures)
{
    fs::create_directory(path("folder"));
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {path("missing.rtf"), "Cannot open file \"" + path("missing.rtf") + "\". No such file or directory"},
        {path("folder"), "Cannot open file \"" + path("folder") + "\". Is a directory"},
        {path("none/x.rtf"), "Cannot open file \"" + path("none/x.rtf") + "\". No such file or directory"},
    };
    for (const auto& c : cases) {
        try {
            loadDocumentFile(c.path);
            ADD_FAILURE() << c.path;
        } catch (const EFOpenError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST_F(DocumentFile, SaveFailures)
{
    fs::create_directory(path("folder"));
    // Root may write anywhere it has permission bits for; a read-only file
    // system refuses even root.
    fs::create_directory(path("locked"));
    fs::permissions(path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    const std::string locked = ::geteuid() == 0 ? "/sys/quelmar-test.rtf" : path("locked/x.rtf");
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {path("none/x.rtf"), "Cannot create file \"" + path("none/x.rtf") + "\". No such file or directory"},
        {path("folder"), "Cannot create file \"" + path("folder") + "\". Is a directory"},
        {locked, "Cannot create file \"" + locked + "\". Permission denied"},
    };
    for (const auto& c : cases) {
        try {
            saveDocumentFile(c.path, sample());
            ADD_FAILURE() << c.path;
        } catch (const EFCreateError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
    EXPECT_TRUE(fs::is_empty(path("folder")));
}

TEST_F(DocumentFile, FailingWriteLeavesTheOldFileWholeAndNoTemporary)
{
    const std::string file = path("doc.rtf");
    write(file, "old contents");
    Document big;
    big.paragraphs = {testing::makeParagraph({{std::string(200000, 'x'), {}}})};
    // A file size limit makes the write fail part-way, as a full disk would.
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::string message;
    try {
        saveDocumentFile(file, big);
    } catch (const EOutOfResources& e) {
        message = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(message, "Failed to Save Stream");
    EXPECT_EQ(contents(file), "old contents");
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder_))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1u);
}

} // namespace
} // namespace text
