// A profile (INI) file held as its lines, so that changing one value
// rewrites one line and every other byte stays as it was written: unknown
// keys and sections, comments, blank lines, line breaks, the byte-order mark.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// How the file's bytes encode its text; a rewrite keeps the same one.
enum class ProfileEncoding { Utf8, Utf8WithBom, Utf16Le, Utf16Be };

// Syntax, on reading: "[name]" opens a section; "key=value" is a key of the
// section above it; a line whose first non-blank character is ';' or '#' is
// a comment; any other line is kept and ignored. Names and values lose the
// spaces and tabs around them, and a value loses one pair of enclosing
// double quotes, which is how a value with its own outer spaces or quotes is
// stored. Names compare without regard to ASCII case. A section named twice
// is one section; the first line of a key counts. Line breaks are "\r\n",
// "\n" or a lone "\r".
class ProfileFile {
public:
    // Never fails: any bytes are a profile file, possibly with no keys.
    // Text is UTF-8 unless a UTF-16 byte-order mark says otherwise.
    static ProfileFile parse(std::string_view bytes);

    // The value (UTF-8) of `key` in `section`; nullopt when either is missing.
    std::optional<std::string_view> find(std::string_view section, std::string_view key) const;

    // Replaces the key's value where it stands, or appends the key after the
    // last key of its section, or appends the section at the end of the file.
    // The names must pass isStorableName and the value isStorableValue.
    void set(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes in its own encoding; parse(bytes).bytes() gives back
    // the same bytes for any UTF-8 input.
    std::string bytes() const;

    ProfileEncoding encoding() const { return encoding_; }

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        std::string text; // UTF-8, without its line break
        std::string lineBreak;
        Kind kind = Kind::Other;
        size_t nameBegin = 0, nameEnd = 0; // section and key lines: the trimmed name
        size_t valueBegin = 0;             // key lines: just after the '='

        std::string_view name() const { return std::string_view(text).substr(nameBegin, nameEnd - nameBegin); }
    };

    static Line parseLine(std::string text, std::string lineBreak);
    void splitLines(std::string_view text);
    size_t sectionEnd(size_t header) const;
    void insertLine(size_t at, std::string text);
    std::string defaultLineBreak() const;

    std::vector<Line> lines_;
    ProfileEncoding encoding_ = ProfileEncoding::Utf8;
};

// A section or key name a line can hold unambiguously: not empty, no line
// break or NUL, no surrounding blanks, no '=' in a key, no ']' in a section,
// and a key that cannot be taken for a header or a comment.
bool isStorableName(std::string_view name, bool isSection);

// A value a line can hold: no line break and no NUL.
bool isStorableValue(std::string_view value);

} // namespace settings
