// quelmar-doc: command-line access to the document readers and writer.
//   quelmar-doc text FILE     the text as UTF-8, one paragraph a line
//   quelmar-doc rtf IN OUT    load IN as the editor does and save it as RTF
//   quelmar-doc dump FILE     the model as JSON lines
// A failure prints its message on standard error and exits with 1.
#include "dump_json.h"

#include "base/exception.h"
#include "base/utf.h"
#include "text/document_file.h"

#include <cstdio>
#include <iostream>
#include <string_view>

namespace {

// Pictures have no text; a line break inside a paragraph ends the line.
std::string plainText(const text::Document& document)
{
    std::u16string all;
    for (const text::Paragraph& p : document.paragraphs) {
        for (const char16_t c : p.text) {
            if (c == u'\u2028')
                all += u'\n';
            else if (c != u'\uFFFC')
                all += c;
        }
        all += u'\n';
    }
    return base::utf16ToUtf8(all);
}

int usage()
{
    std::fputs("usage: quelmar-doc text FILE | rtf IN OUT | dump FILE\n", stderr);
    return 2;
}

int run(int argc, char** argv)
{
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "text" && argc == 3) {
        const std::string out = plainText(text::loadDocumentFile(argv[2]));
        std::fwrite(out.data(), 1, out.size(), stdout);
    } else if (command == "rtf" && argc == 4) {
        text::saveDocumentFile(argv[3], text::loadDocumentFile(argv[2]));
    } else if (command == "dump" && argc == 3) {
        tools::dumpJson(std::cout, text::loadDocumentFile(argv[2]));
    } else {
        return usage();
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const base::Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
