// File access shared by every reader and writer of the program: reading a
// whole file with the designed open error, and atomic replacement of a file
// (a temporary beside the target, flushed, then renamed over it).
#pragma once

#include "base/errors.h"
#include "base/message.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace base {

// The platform's text for an error code, with trailing spaces, line breaks
// and full stops removed, as the file messages show it.
inline std::string systemErrorText(int errorCode)
{
    std::string text = std::strerror(errorCode);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' || text.back() == '.'))
        text.pop_back();
    return text;
}

// The path made absolute against the working directory of the moment, with
// "." and ".." folded the way a full-path expansion does; links are kept.
inline std::string expandPath(const std::string& path)
{
    std::error_code ec;
    auto absolute = std::filesystem::absolute(std::filesystem::path(path), ec);
    if (ec)
        return path;
    std::string full = absolute.lexically_normal().string();
    if (full.size() > 1 && full.back() == '/')
        full.pop_back();
    return full;
}

// Reads the whole file; EFOpenError when it cannot be opened or is a folder.
inline std::string readFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EFOpenError(formatMessage(kCannotOpenFile, expandPath(path), systemErrorText(errno)));
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw EFOpenError(formatMessage(kCannotOpenFile, expandPath(path), systemErrorText(EISDIR)));
    }
    std::string bytes;
    if (st.st_size > 0)
        bytes.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw EFOpenError(formatMessage(kCannotOpenFile, expandPath(path), systemErrorText(error)));
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return bytes;
}

// Replaces a file as a whole or not at all. open() creates the temporary in
// the target's folder (through a symbolic link, the link's target is
// replaced and the link kept), write() appends, commit() flushes to disk and
// renames over the target, keeping its permission bits. Destroying an
// uncommitted file removes the temporary, so a failure leaves the old file.
class AtomicFile {
public:
    explicit AtomicFile(std::string target) : target_(std::move(target)) {}
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile() { discard(); }

    // 0, or the error code of the failure (the target may not be written,
    // its folder does not exist, is not writable...).
    int open()
    {
        std::error_code ec;
        resolved_ = std::filesystem::path(target_);
        if (std::filesystem::is_symlink(resolved_, ec)) {
            auto canonical = std::filesystem::weakly_canonical(resolved_, ec);
            if (!ec)
                resolved_ = canonical;
        }
        mode_ = 0666 & ~currentUmask();
        struct stat st {};
        if (::stat(resolved_.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                return EISDIR;
            if (::access(resolved_.c_str(), W_OK) != 0)
                return errno;
            mode_ = st.st_mode & 07777;
        }
        auto folder = resolved_.parent_path();
        if (folder.empty())
            folder = ".";
        temp_ = (folder / ("." + resolved_.filename().string() + ".XXXXXX")).string();
        fd_ = ::mkstemp(temp_.data());
        if (fd_ < 0) {
            const int error = errno;
            temp_.clear();
            return error;
        }
        return 0;
    }

    bool write(std::string_view bytes)
    {
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    // 0, or the error code; on failure the target is untouched.
    int commit()
    {
        int error = 0;
        if (::fchmod(fd_, mode_) != 0 || ::fsync(fd_) != 0)
            error = errno;
        if (::close(fd_) != 0 && error == 0)
            error = errno;
        fd_ = -1;
        if (error == 0 && ::rename(temp_.c_str(), resolved_.c_str()) != 0)
            error = errno;
        if (error != 0) {
            discard();
            return error;
        }
        temp_.clear();
        return 0;
    }

private:
    static mode_t currentUmask()
    {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
    }

    void discard()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        if (!temp_.empty())
            ::unlink(temp_.c_str());
        temp_.clear();
    }

    std::string target_;
    std::filesystem::path resolved_;
    std::string temp_;
    int fd_ = -1;
    mode_t mode_ = 0644;
};

} // namespace base
