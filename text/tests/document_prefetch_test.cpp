// The read-ahead of a document file: a load takes it only while the file is
// the one it read, a stale or foreign read-ahead never wins, and a failed one
// leaves the load its own failure.
#include "text/document_file.h"
#include "text/document_prefetch.h"

#include "base/errors.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <unistd.h>

namespace text {
namespace {

namespace fs = std::filesystem;
using testing::joinedText;

void write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

struct Case {
    const char* name;
    // What happens between the read-ahead and the load, in the test folder.
    std::function<void(const fs::path& folder)> between;
    const char* loaded; // the file the load asks for
    const char* text;   // what the load must give
    bool taken;         // whether the read-ahead served it
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class DocumentPrefetch : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        fs::create_directories(folder_);
        write(folder_ / "novel.rtf", R"({\rtf1 Old text\par})");
        write(folder_ / "other.txt", "Other file");
        previous_ = fs::current_path();
        fs::current_path(folder_);
    }
    void TearDown() override
    {
        dropPrefetchedDocument();
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }

    const fs::path folder_ = fs::temp_directory_path() / ("quelmar-prefetch-test-" + std::to_string(::getpid()));
    fs::path previous_;
};

// Gives the worker time to finish with the old file, so the change comes
// after a complete read-ahead.
void settle() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }

const Case kCases[] = {
    {"Unchanged", [](const fs::path&) { settle(); }, "novel.rtf", "Old text", true},
    {"SameFileByAnotherSpelling", [](const fs::path&) {}, "./sub/../novel.rtf", "Old text", true},
    {"RewrittenInPlaceAtTheSameSize",
     [](const fs::path& f) {
         settle();
         write(f / "novel.rtf", R"({\rtf1 New text\par})");
     },
     "novel.rtf", "New text", false},
    {"ReplacedByRename",
     [](const fs::path& f) {
         settle();
         write(f / "fresh.rtf", R"({\rtf1 Replaced\par})");
         fs::rename(f / "fresh.rtf", f / "novel.rtf");
     },
     "novel.rtf", "Replaced", false},
    {"AnotherPathLoaded", [](const fs::path&) {}, "other.txt", "Other file", false},
    {"WorkingFolderChanged",
     [](const fs::path& f) {
         fs::create_directories(f / "sub");
         write(f / "sub" / "novel.rtf", R"({\rtf1 In sub\par})");
         fs::current_path(f / "sub");
     },
     "novel.rtf", "In sub", false},
    {"Dropped", [](const fs::path&) { dropPrefetchedDocument(); }, "novel.rtf", "Old text", false},
};

TEST_P(DocumentPrefetch, LoadTakesOnlyAReadAheadOfTheFileAsItIs)
{
    const Case& c = GetParam();
    fs::create_directories(folder_ / "sub");
    prefetchDocumentFile("novel.rtf");
    c.between(folder_);
    const std::size_t before = prefetchedDocumentsTaken();
    EXPECT_EQ(joinedText(loadDocumentFile(c.loaded)), c.text);
    EXPECT_EQ(prefetchedDocumentsTaken() - before, c.taken ? 1u : 0u);
    // Used or not, it is gone: the next load reads the file itself.
    EXPECT_EQ(joinedText(loadDocumentFile("novel.rtf")), joinedText(loadDocumentFile(fs::current_path() / "novel.rtf")));
    EXPECT_EQ(prefetchedDocumentsTaken() - before, c.taken ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, DocumentPrefetch, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& c) { return std::string(c.param.name); });

// A read-ahead that could not read the file says nothing; the load reports
// the failure with its own message.
TEST_F(DocumentPrefetch, FailedReadAheadLeavesTheLoadItsOpenError)
{
    prefetchDocumentFile("missing.rtf");
    try {
        loadDocumentFile("missing.rtf");
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_STREQ(e.what(), ("Cannot open file \"" + (folder_ / "missing.rtf").string()
                                + "\". No such file or directory").c_str());
    }
}

// A folder is not read ahead; the load reports it as it always has.
TEST_F(DocumentPrefetch, FolderIsLeftToTheLoad)
{
    fs::create_directories(folder_ / "sub");
    prefetchDocumentFile("sub");
    EXPECT_THROW(loadDocumentFile("sub"), EFOpenError);
}

} // namespace
} // namespace text
