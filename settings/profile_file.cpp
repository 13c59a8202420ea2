// Profile file: bytes → text in UTF-8 → lines, each classified once; a change
// edits or inserts whole lines and bytes() joins them again.
#include "settings/profile_file.h"

#include "base/utf.h"

#include <algorithm>

namespace settings {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool isQuoted(std::string_view s) { return s.size() >= 2 && s.front() == '"' && s.back() == '"'; }

char foldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return foldCase(x) == foldCase(y); });
}

// The stored form of a value: quoted when reading would otherwise strip
// something from it, so every value reads back as it was written.
std::string storedValue(std::string_view value)
{
    if (value.empty() || (!isBlank(value.front()) && !isBlank(value.back()) && !isQuoted(value)))
        return std::string(value);
    return "\"" + std::string(value) + "\"";
}

std::u16string decodeUtf16(std::string_view bytes, bool bigEndian)
{
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text += static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
    }
    return text;
}

std::string encodeUtf16(std::string_view utf8, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : base::utf8ToUtf16(utf8)) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

} // namespace

ProfileFile ProfileFile::parse(std::string_view bytes)
{
    ProfileFile file;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        const bool bigEndian = bytes[0] == '\xFE';
        file.encoding_ = bigEndian ? ProfileEncoding::Utf16Be : ProfileEncoding::Utf16Le;
        file.splitLines(base::utf16ToUtf8(decodeUtf16(bytes.substr(2), bigEndian)));
    } else if (bytes.starts_with("\xEF\xBB\xBF")) {
        file.encoding_ = ProfileEncoding::Utf8WithBom;
        file.splitLines(bytes.substr(3));
    } else {
        file.splitLines(bytes);
    }
    return file;
}

void ProfileFile::splitLines(std::string_view text)
{
    lines_.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    while (!text.empty()) {
        const size_t end = std::min(text.find_first_of("\r\n"), text.size());
        size_t breakLength = end < text.size() ? 1 : 0;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            breakLength = 2;
        lines_.push_back(parseLine(std::string(text.substr(0, end)), std::string(text.substr(end, breakLength))));
        text.remove_prefix(end + breakLength);
    }
}

ProfileFile::Line ProfileFile::parseLine(std::string text, std::string lineBreak)
{
    Line line{std::move(text), std::move(lineBreak)};
    const std::string_view view = line.text;
    const std::string_view content = trim(view);
    if (content.empty() || content.front() == ';' || content.front() == '#')
        return line;
    const auto offset = [&](std::string_view part) { return static_cast<size_t>(part.data() - view.data()); };
    if (content.front() == '[') {
        const size_t close = content.find(']');
        if (close == std::string_view::npos)
            return line;
        const std::string_view name = trim(content.substr(1, close - 1));
        line.kind = Kind::Section;
        line.nameBegin = name.empty() ? 0 : offset(name);
        line.nameEnd = line.nameBegin + name.size();
        return line;
    }
    const size_t equals = view.find('=');
    if (equals == std::string_view::npos)
        return line;
    const std::string_view name = trim(view.substr(0, equals));
    if (name.empty())
        return line;
    line.kind = Kind::Key;
    line.nameBegin = offset(name);
    line.nameEnd = line.nameBegin + name.size();
    line.valueBegin = equals + 1;
    return line;
}

std::optional<std::string_view> ProfileFile::find(std::string_view section, std::string_view key) const
{
    bool inSection = false;
    for (const Line& line : lines_) {
        if (line.kind == Kind::Section)
            inSection = sameName(line.name(), section);
        else if (inSection && line.kind == Kind::Key && sameName(line.name(), key)) {
            std::string_view value = trim(std::string_view(line.text).substr(line.valueBegin));
            if (isQuoted(value))
                value = value.substr(1, value.size() - 2);
            return value;
        }
    }
    return std::nullopt;
}

void ProfileFile::set(std::string_view section, std::string_view key, std::string_view value)
{
    std::optional<size_t> firstHeader;
    bool inSection = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        if (line.kind == Kind::Section) {
            inSection = sameName(line.name(), section);
            if (inSection && !firstHeader)
                firstHeader = i;
        } else if (inSection && line.kind == Kind::Key && sameName(line.name(), key)) {
            // Keep what precedes the old value, its spacing included.
            const std::string_view old = std::string_view(line.text).substr(line.valueBegin);
            const std::string_view oldValue = trim(old);
            const size_t keep = line.valueBegin + (oldValue.empty() ? 0 : static_cast<size_t>(oldValue.data() - old.data()));
            line.text = line.text.substr(0, keep) + storedValue(value);
            return;
        }
    }
    const std::string keyLine = std::string(key) + "=" + storedValue(value);
    if (firstHeader) {
        insertLine(sectionEnd(*firstHeader), keyLine);
        return;
    }
    insertLine(lines_.size(), "[" + std::string(section) + "]");
    insertLine(lines_.size(), keyLine);
}

// Just after the last key of the section whose header is at `header`, or just
// after the header when it has none; comments and blank lines that follow
// the last key belong to what comes next.
size_t ProfileFile::sectionEnd(size_t header) const
{
    size_t end = header + 1;
    for (size_t i = header + 1; i < lines_.size() && lines_[i].kind != Kind::Section; ++i) {
        if (lines_[i].kind == Kind::Key)
            end = i + 1;
    }
    return end;
}

void ProfileFile::insertLine(size_t at, std::string text)
{
    const std::string lineBreak = defaultLineBreak();
    if (at > 0 && lines_[at - 1].lineBreak.empty())
        lines_[at - 1].lineBreak = lineBreak;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), parseLine(std::move(text), lineBreak));
}

// New lines end the way the file's first line does; a new file uses "\n".
std::string ProfileFile::defaultLineBreak() const
{
    for (const Line& line : lines_) {
        if (!line.lineBreak.empty())
            return line.lineBreak;
    }
    return "\n";
}

std::string ProfileFile::bytes() const
{
    std::string text;
    for (const Line& line : lines_)
        text += line.text + line.lineBreak;
    switch (encoding_) {
    case ProfileEncoding::Utf8: return text;
    case ProfileEncoding::Utf8WithBom: return "\xEF\xBB\xBF" + text;
    case ProfileEncoding::Utf16Le: return encodeUtf16(text, false);
    case ProfileEncoding::Utf16Be: return encodeUtf16(text, true);
    }
    return text;
}

bool isStorableValue(std::string_view value) { return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos; }

bool isStorableName(std::string_view name, bool isSection)
{
    if (name.empty() || !isStorableValue(name) || trim(name).size() != name.size())
        return false;
    if (isSection)
        return name.find(']') == std::string_view::npos;
    return name.find('=') == std::string_view::npos && name.front() != '[' && name.front() != ';' && name.front() != '#';
}

} // namespace settings
