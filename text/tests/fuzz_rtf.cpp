// Fuzz target for the RTF reader: any bytes read without a crash, the model
// keeps its invariants, and what the writer makes of it reads back the same.
#include "text/rtf_reader.h"
#include "text/rtf_writer.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void checkInvariants(const text::Document& d)
{
    if (d.paragraphs.empty())
        std::abort();
    for (const text::Paragraph& p : d.paragraphs) {
        size_t covered = 0;
        for (const text::Run& run : p.runs) {
            if (run.length == 0)
                std::abort();
            if (run.picture != text::Run::kNoPicture &&
                (run.picture < 0 || static_cast<size_t>(run.picture) >= d.pictures.size() || run.length != 1))
                std::abort();
            if (run.format.font >= 0 && static_cast<size_t>(run.format.font) >= d.fonts.size())
                std::abort();
            covered += run.length;
        }
        if (covered != p.text.size())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Most inputs would fail the header test; let a leading 0x00 byte
    // stand for "{\rtf1 " so the fuzzer spends its time inside the reader.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!bytes.empty() && bytes[0] == '\0')
        bytes.replace(0, 1, "{\\rtf1 ");
    const auto document = text::readRtf(bytes);
    if (!document)
        return 0;
    checkInvariants(*document);
    const auto again = text::readRtf(text::writeRtf(*document));
    if (!again || !(*again == *document))
        std::abort();
    return 0;
}
