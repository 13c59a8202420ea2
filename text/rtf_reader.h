// The RTF reader: bytes of an RTF file into the document model.
#pragma once

#include "text/document.h"

#include <optional>
#include <string_view>

namespace text {

// Nesting deeper than this is skipped rather than followed, so a hostile
// file cannot grow the state stack without end.
inline constexpr size_t kMaxGroupDepth = 1000;
// Font and colour table entries beyond these are ignored.
inline constexpr size_t kMaxTableEntries = 16384;
inline constexpr size_t kMaxFaceLength = 256;

// nullopt when the bytes do not begin as RTF ("{\rtf"), so the caller reads
// them as plain text. Anything that does begin so is read to the end: an
// unbalanced or truncated file gives what it holds.
std::optional<Document> readRtf(std::string_view bytes);

} // namespace text
