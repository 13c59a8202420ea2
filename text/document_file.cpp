// Loading and saving document files.
#include "text/document_file.h"

#include "base/errors.h"
#include "base/file.h"
#include "text/document_prefetch.h"

#include <new>

namespace text {

Document loadDocumentFile(const std::string& path)
{
    if (std::optional<Document> ahead = takePrefetchedDocument(base::expandPath(path)))
        return std::move(*ahead);
    const std::string bytes = base::readFile(path);
    if (auto rtf = readRtf(bytes))
        return std::move(*rtf);
    if (auto plain = readPlainText(bytes))
        return std::move(*plain);
    throw EOutOfResources("Failed to Load Stream");
}

void saveDocumentFile(const std::string& path, const Document& document)
{
    saveDocumentFile(path, [&document] { return writeRtfFile(document); });
}

void saveDocumentFile(const std::string& path, const std::function<RtfFile()>& writeFile)
{
    base::AtomicFile file(path);
    if (const int error = file.open())
        throw EFCreateError(base::formatMessage(base::kCannotCreateFile, base::expandPath(path), base::systemErrorText(error)));
    RtfFile rtf;
    try {
        rtf = writeFile();
    } catch (const std::bad_alloc&) {
        throw EOutOfResources("Failed to Save Stream");
    }
    if (!file.write(rtf.bytes()) || file.commit() != 0)
        throw EOutOfResources("Failed to Save Stream");
}

} // namespace text
