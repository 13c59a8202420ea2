// The running program's folder from the kernel's link to its image.
#include "platform/executable_dir.h"

#include "base/file.h"

#include <climits>
#include <sys/auxv.h>
#include <unistd.h>

namespace platform {

namespace {

// The kernel's link to the running image has no length limit of its own, so
// the buffer grows until the whole path fits.
std::string runningImagePath()
{
    std::string buffer(PATH_MAX, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            break;
        if (static_cast<size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<size_t>(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
    // Without /proc: the name the program was started by, made absolute.
    const auto* started = reinterpret_cast<const char*>(::getauxval(AT_EXECFN));
    return started ? base::expandPath(started) : std::string();
}

class RunningProgramFolder final : public ExecutableFolder {
public:
    std::string path() const override
    {
        // A replaced image reads "/dir/name (deleted)": the folder is still right.
        const std::string image = runningImagePath();
        const size_t separator = image.rfind('/');
        return separator == std::string::npos ? std::string("./") : image.substr(0, separator + 1);
    }
};

ExecutableFolder* installed = nullptr;

} // namespace

ExecutableFolder& executableFolder()
{
    static RunningProgramFolder running;
    return installed ? *installed : running;
}

void installExecutableFolder(ExecutableFolder* fake) { installed = fake; }

std::string executableDir() { return executableFolder().path(); }

} // namespace platform
