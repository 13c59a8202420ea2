// Profile service over ProfileFile: look-ups through a short-lived shared
// reading of the file, writes as a whole-file atomic replacement.
#include "settings/profile_service.h"

#include "base/file.h"
#include "base/utf.h"
#include "settings/profile_file.h"

#include <cerrno>
#include <optional>
#include <sys/stat.h>

namespace settings {

namespace {

// The one file read most recently, with the moment of its reading.
struct SharedRead {
    std::string path;
    ProfileFile file;
    std::chrono::steady_clock::time_point readAt;
};

std::optional<SharedRead>& sharedRead()
{
    static std::optional<SharedRead> read;
    return read;
}

// A missing or unreadable file reads as an empty one.
const ProfileFile& currentFile(const std::string& path)
{
    auto& shared = sharedRead();
    const auto now = std::chrono::steady_clock::now();
    if (shared && shared->path == path && now - shared->readAt < kSharedReadWindow)
        return shared->file;
    std::string bytes;
    try {
        bytes = base::readFile(path);
    } catch (const EFOpenError&) {
    }
    shared = SharedRead{path, ProfileFile::parse(bytes), now};
    return shared->file;
}

// Lone surrogates have no UTF-8 form and would not read back.
bool hasLoneSurrogate(std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            ++i;
        else if (text[i] >= 0xD800 && text[i] <= 0xDFFF)
            return true;
    }
    return false;
}

// The file as it stands: empty when it does not exist yet, nullopt when it
// exists but cannot be read (writing then would lose its content).
std::optional<ProfileFile> fileToChange(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? std::optional(ProfileFile::parse({})) : std::nullopt;
    try {
        return ProfileFile::parse(base::readFile(path));
    } catch (const EFOpenError&) {
        return std::nullopt;
    }
}

bool replaceFile(const std::string& path, std::string_view bytes)
{
    base::AtomicFile file(path);
    return file.open() == 0 && file.write(bytes) && file.commit() == 0;
}

} // namespace

std::u16string readProfileString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view defaultValue, const std::string& path)
{
    const auto found = currentFile(path).find(base::utf16ToUtf8(section), base::utf16ToUtf8(key));
    std::u16string value = found ? base::utf8ToUtf16(*found) : std::u16string(defaultValue);
    if (value.size() >= kProfileBufferSize) {
        value.resize(kProfileBufferSize - 1);
        // Half a surrogate pair is no character.
        if (value.back() >= 0xD800 && value.back() <= 0xDBFF)
            value.pop_back();
    }
    return value;
}

bool writeProfileString(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                        const std::string& path)
{
    if (hasLoneSurrogate(section) || hasLoneSurrogate(key) || hasLoneSurrogate(value))
        return false;
    const std::string sectionName = base::utf16ToUtf8(section);
    const std::string keyName = base::utf16ToUtf8(key);
    const std::string text = base::utf16ToUtf8(value);
    if (!isStorableName(sectionName, true) || !isStorableName(keyName, false) || !isStorableValue(text))
        return false;
    flushProfile(path);
    std::optional<ProfileFile> file = fileToChange(path);
    if (!file)
        return false;
    file->set(sectionName, keyName, text);
    return replaceFile(path, file->bytes());
}

void flushProfile(const std::string& path)
{
    auto& shared = sharedRead();
    if (shared && shared->path == path)
        shared.reset();
}

} // namespace settings
