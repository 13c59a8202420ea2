// JSON lines of the document model.
#include "dump_json.h"

#include "base/utf.h"

#include <cstdio>

namespace tools {

namespace {

std::string quoted(std::u16string_view text)
{
    const std::string utf8 = base::utf16ToUtf8(text);
    std::string out = "\"";
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

const char* alignmentName(text::Alignment alignment)
{
    switch (alignment) {
    case text::Alignment::Left: return "left";
    case text::Alignment::Center: return "center";
    case text::Alignment::Right: return "right";
    case text::Alignment::Justify: return "justify";
    }
    return "left";
}

const char* pictureKind(text::Picture::Kind kind)
{
    switch (kind) {
    case text::Picture::Kind::Png: return "png";
    case text::Picture::Kind::Jpeg: return "jpeg";
    case text::Picture::Kind::Other: return "other";
    }
    return "other";
}

void dumpRun(std::ostream& out, std::u16string_view text, const text::Run& run)
{
    const text::CharFormat& f = run.format;
    out << "{\"run\":" << quoted(text) << ",\"font\":" << f.font << ",\"size\":" << f.sizeHalfPoints;
    if (f.hasColor) {
        char color[16];
        std::snprintf(color, sizeof color, "\"#%02x%02x%02x\"", f.color & 0xFF, (f.color >> 8) & 0xFF, (f.color >> 16) & 0xFF);
        out << ",\"color\":" << color;
    } else {
        out << ",\"color\":null";
    }
    out << ",\"bold\":" << f.bold << ",\"italic\":" << f.italic << ",\"underline\":" << f.underline
        << ",\"strike\":" << f.strikeOut;
    if (run.picture != text::Run::kNoPicture)
        out << ",\"picture\":" << run.picture;
    out << "}\n";
}

} // namespace

void dumpJson(std::ostream& out, const text::Document& document)
{
    out << std::boolalpha;
    for (size_t i = 0; i < document.fonts.size(); ++i) {
        out << "{\"font\":" << i << ",\"face\":" << quoted(document.fonts[i].face)
            << ",\"charset\":" << int(document.fonts[i].charset) << "}\n";
    }
    for (size_t i = 0; i < document.pictures.size(); ++i) {
        const text::Picture& p = document.pictures[i];
        out << "{\"picture\":" << i << ",\"kind\":\"" << pictureKind(p.kind) << "\",\"bytes\":" << p.data.size()
            << ",\"width\":" << p.width << ",\"height\":" << p.height << ",\"widthGoal\":" << p.widthGoal
            << ",\"heightGoal\":" << p.heightGoal << "}\n";
    }
    for (const text::Paragraph& p : document.paragraphs) {
        const text::ParagraphFormat& f = p.format;
        out << "{\"paragraph\":\"" << alignmentName(f.alignment) << "\",\"leftIndent\":" << f.leftIndent
            << ",\"rightIndent\":" << f.rightIndent << ",\"firstLineIndent\":" << f.firstLineIndent
            << ",\"spaceBefore\":" << f.spaceBefore << ",\"spaceAfter\":" << f.spaceAfter
            << ",\"lineSpacing\":" << f.lineSpacing << ",\"lineSpacingMultiple\":" << f.lineSpacingMultiple << "}\n";
        size_t offset = 0;
        for (const text::Run& run : p.runs) {
            const size_t length = std::min<size_t>(run.length, p.text.size() - offset);
            dumpRun(out, std::u16string_view(p.text).substr(offset, length), run);
            offset += length;
        }
    }
}

} // namespace tools
