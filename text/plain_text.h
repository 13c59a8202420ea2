// Plain-text decoding, the second road of a load: a byte-order mark chooses
// UTF-16 LE, UTF-16 BE or UTF-8, otherwise the system's ANSI code page.
#pragma once

#include "text/document.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace text {

// The mark is not part of the text; CR LF, a lone CR and a lone LF each end
// a paragraph. Runs carry the unset format, so the text takes the text
// area's font. nullopt when the text cannot be held (a paragraph longer
// than a run's length can count).
std::optional<Document> readPlainText(std::string_view bytes);

// The same with the ANSI code page given. Without a mark, bytes that are
// valid UTF-8 are read as UTF-8; only others go through the code page.
std::optional<Document> readPlainText(std::string_view bytes, uint32_t ansiCodePage);

} // namespace text
