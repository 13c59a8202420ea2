// The document model as JSON lines, for scripts and for comparing readers.
#pragma once

#include "text/document.h"

#include <ostream>

namespace tools {

// One line per font, per picture, per paragraph (its format) and per run
// (its text and format), in document order.
void dumpJson(std::ostream& out, const text::Document& document);

} // namespace tools
