// Document files: the load (RTF first, plain text second) and the atomic
// save as RTF, with the designed failures. The readers and the writer are
// declared here too, for callers that hold the bytes themselves.
#pragma once

#include "text/document.h"
#include "text/plain_text.h"
#include "text/rtf_reader.h"
#include "text/rtf_writer.h"

#include <functional>
#include <string>

namespace text {

// EFOpenError "Cannot open file \"%s\". %s" when the file cannot be read
// (the path expanded against the working directory, the system's text);
// EOutOfResources "Failed to Load Stream" when neither road can read it.
Document loadDocumentFile(const std::string& path);

// Replaces the file whole or not at all. EFCreateError "Cannot create file
// \"%s\". %s" when it cannot be created; EOutOfResources "Failed to Save
// Stream" when writing fails. On any failure the old file stays as it was.
void saveDocumentFile(const std::string& path, const Document& document);

// The same save, for a caller that writes the RTF itself: `writeFile` gives
// the file and is called once the file could be created.
void saveDocumentFile(const std::string& path, const std::function<RtfFile()>& writeFile);

} // namespace text
