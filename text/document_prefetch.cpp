// One read-ahead slot behind a mutex. The worker owns its result until it
// is joined; only then is the result read, so the two never share it live.
#include "text/document_prefetch.h"

#include "base/file.h"
#include "text/plain_text.h"
#include "text/rtf_reader.h"

#include <atomic>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace text {
namespace {

// What tells one version of a file from another without reading it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    explicit FileIdentity(const struct stat& st)
        : device(st.st_dev), inode(st.st_ino), size(st.st_size), modified(st.st_mtim), changed(st.st_ctim)
    {
    }

    bool operator==(const FileIdentity& other) const
    {
        return device == other.device && inode == other.inode && size == other.size
               && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec
               && changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

struct ReadAhead {
    std::string expandedPath;
    std::thread worker;
    // Written by the worker only, read after the join.
    std::optional<FileIdentity> identity;
    std::optional<Document> document;
    // Kept only for a file changed a moment before it was read: file times
    // move in clock ticks, so a second write within the same tick, at the
    // same size, would leave the identity as it was.
    std::optional<std::string> recentBytes;

    ~ReadAhead()
    {
        if (worker.joinable())
            worker.join();
    }
};

// Well above any file system's time step.
constexpr long long kRecentNanoseconds = 1'000'000'000;

long long nanoseconds(const timespec& t) { return static_cast<long long>(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

bool changedRecently(const struct stat& st)
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now) - nanoseconds(st.st_ctim) < kRecentNanoseconds;
}

std::optional<std::string> readRegularFile(int fd, std::optional<FileIdentity>& identity, bool& recent)
{
    struct stat before {};
    if (::fstat(fd, &before) != 0 || !S_ISREG(before.st_mode))
        return std::nullopt;
    recent = changedRecently(before);
    std::string bytes;
    bytes.reserve(static_cast<size_t>(before.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    struct stat after {};
    if (::fstat(fd, &after) != 0 || !(FileIdentity(before) == FileIdentity(after)))
        return std::nullopt; // written to while read
    identity.emplace(before);
    return bytes;
}

// The load's own order of readers: RTF, else plain text, else nothing.
void readAhead(ReadAhead& job) noexcept
{
    try {
        const int fd = ::open(job.expandedPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        bool recent = false;
        std::optional<std::string> bytes = readRegularFile(fd, job.identity, recent);
        ::close(fd);
        if (!bytes)
            return;
        if (auto rtf = readRtf(*bytes))
            job.document = std::move(*rtf);
        else if (auto plain = readPlainText(*bytes))
            job.document = std::move(*plain);
        if (recent && job.document)
            job.recentBytes = std::move(bytes);
    } catch (...) {
        job.document.reset(); // out of memory: the load reads it itself
    }
}

// Its destructor joins a worker still running when the program ends.
struct Slot {
    std::mutex mutex;
    std::unique_ptr<ReadAhead> pending;

    std::unique_ptr<ReadAhead> take()
    {
        std::lock_guard lock(mutex);
        return std::move(pending);
    }
};

bool sameContents(const std::string& path, const std::string& bytes)
{
    try {
        return base::readFile(path) == bytes;
    } catch (...) {
        return false; // the load reads it again and reports its own failure
    }
}

Slot& slot()
{
    static Slot s;
    return s;
}

std::atomic<std::size_t> taken{0};

} // namespace

void prefetchDocumentFile(const std::string& path)
{
    dropPrefetchedDocument();
    try {
        auto job = std::make_unique<ReadAhead>();
        job->expandedPath = base::expandPath(path);
        job->worker = std::thread(readAhead, std::ref(*job));
        std::lock_guard lock(slot().mutex);
        slot().pending = std::move(job);
    } catch (...) {
        // No memory or no thread: there is simply no read-ahead.
    }
}

std::optional<Document> takePrefetchedDocument(const std::string& expandedPath)
{
    std::unique_ptr<ReadAhead> job = slot().take();
    if (!job || job->expandedPath != expandedPath)
        return std::nullopt;
    job->worker.join();
    struct stat now {};
    if (!job->document || ::stat(expandedPath.c_str(), &now) != 0 || !(FileIdentity(now) == *job->identity))
        return std::nullopt;
    if (job->recentBytes && !sameContents(expandedPath, *job->recentBytes))
        return std::nullopt;
    ++taken;
    return std::move(job->document);
}

void dropPrefetchedDocument() { slot().take().reset(); }

std::size_t prefetchedDocumentsTaken() { return taken.load(); }

} // namespace text
