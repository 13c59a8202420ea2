#include "text/document_release.h"

#include <memory>
#include <mutex>
#include <thread>

namespace text {
namespace {

// One worker at a time; the one before is joined first, which only waits
// when two loads follow within the time of one release.
struct Releaser {
    std::mutex mutex;
    std::thread worker;

    ~Releaser()
    {
        if (worker.joinable())
            worker.join();
    }
};

Releaser& releaser()
{
    static Releaser r;
    return r;
}

} // namespace

void releaseInBackground(Document&& document) noexcept
{
    try {
        auto owned = std::make_unique<Document>(std::move(document));
        Releaser& r = releaser();
        std::lock_guard lock(r.mutex);
        if (r.worker.joinable())
            r.worker.join();
        r.worker = std::thread([doomed = std::move(owned)]() mutable { doomed.reset(); });
    } catch (...) {
        // No memory or no thread: the document is freed on this thread,
        // where it stands (the caller's, or the lambda's that never ran).
    }
}

} // namespace text
