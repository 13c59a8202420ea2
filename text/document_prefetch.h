// Reading the document that will be loaded next ahead of time, on a worker
// thread, so that its read and parse overlap the work before the load. The
// read-ahead reports nothing: a load that cannot use it reads the file
// itself, with its own failures.
#pragma once

#include "text/document.h"

#include <cstddef>
#include <optional>
#include <string>

namespace text {

// Starts reading and parsing `path` (expanded against the working directory
// of this moment) on a worker; a read-ahead still pending is dropped first.
void prefetchDocumentFile(const std::string& path);

// The read-ahead's document when it was of `expandedPath`, parsed, and the
// file is still the one it read (same device, inode, size and times, and for
// a file changed within the last second the same bytes). Waits
// for the worker. Any read-ahead pending is gone afterwards, used or not.
std::optional<Document> takePrefetchedDocument(const std::string& expandedPath);

// Drops a read-ahead that no load will take, so its document does not stay.
void dropPrefetchedDocument();

// How many loads a read-ahead has served since the program started.
std::size_t prefetchedDocumentsTaken();

} // namespace text
