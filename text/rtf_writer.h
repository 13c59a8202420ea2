// The RTF writer: the document model as an RTF 1.x file that this reader and
// other word processors read back to the same text and formatting.
#pragma once

#include "text/document.h"

#include <string>

namespace text {

// Plain ASCII output: every other character as \uN with a '?' fallback. No
// byte-order mark, nothing before "{\rtf1" or after the closing brace.
std::string writeRtf(const Document& document);

} // namespace text
