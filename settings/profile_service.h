// The profile service: reads and writes single values of a profile (INI)
// file by path, the way the settings-file object needs them. Use it from
// one thread at a time (the UI thread).
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace settings {

// A value travels through a buffer of this many characters, one of them the
// terminator: a longer stored value reads as its first 2047 characters.
inline constexpr size_t kProfileBufferSize = 2048;

// Consecutive look-ups on one file share one reading of it while they
// follow each other within this time and no write or flush came between, so
// reading a dozen keys is one file read and one parse, not a dozen. Whatever
// changed on disk is seen by the first look-up after the window.
inline constexpr std::chrono::milliseconds kSharedReadWindow{100};

// The stored value of `key` in `section` of the file at `path`, or
// `defaultValue` when the file, the section or the key is missing or the
// file cannot be read; at most kProfileBufferSize - 1 characters either way.
// Never fails.
std::u16string readProfileString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view defaultValue, const std::string& path);

// Stores `value` for `key` in `section`, creating the file, the section or
// the key as needed and keeping every other line as it was. The file is
// replaced atomically (temporary beside it, flushed, renamed over it), so a
// failure leaves it whole. False when the write fails: the folder or file is
// not writable, the file exists but cannot be read, the disk is full, or a
// name or the value cannot be held on one line (line break, NUL, lone
// surrogate).
bool writeProfileString(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                        const std::string& path);

// Ends the current run of shared look-ups on `path`: the next look-up reads
// the file again. Writes reach the disk at once, so nothing else is pending.
void flushProfile(const std::string& path);

} // namespace settings
