// Freeing a novel's model takes longer than a frame: tens of thousands of
// paragraphs, each with allocations of its own. A load that has copied the
// model into the text area hands it here, so the writer does not wait for it.
#pragma once

#include "text/document.h"

namespace text {

// Frees `document` on a worker thread; on this one when no thread can be had.
// The program waits for the worker at exit.
void releaseInBackground(Document&& document) noexcept;

} // namespace text
