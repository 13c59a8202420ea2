// One pass over a QTextDocument's paragraphs and runs in reading order, with
// every format resolved to the model's: what both reading the document back
// into the model and writing it straight to RTF are built on.
#pragma once

#include "text/area/qt_document.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace text {

class QtDocumentSink {
public:
    virtual ~QtDocumentSink() = default;
    virtual void beginParagraph(const ParagraphFormat& format) = 0;
    // Consecutive calls may carry equal formats. `formatId` names the
    // format: the same number always comes with the same format.
    virtual void text(std::u16string_view text, const CharFormat& format, uint32_t formatId) = 0;
    // One image character. `loaded` is the index of its picture among the
    // pictures of the last load, or -1 for one that came from elsewhere.
    virtual void picture(int loaded, const CharFormat& format) = 0;
    virtual void endParagraph() = 0;
};

// Faces met are added to `fonts`, which the formats given to the sink index.
void walkQtDocument(const QTextDocument& source, const DefaultFont& font, int dotsPerInch, std::vector<Font>& fonts,
                    QtDocumentSink& sink);

// Whether the walk reads the fragments of `source` in one pass over Qt's
// array of them, as it does for a document loaded and not yet cut into.
bool walksFragmentsInArrayOrder(const QTextDocument& source);

} // namespace text
