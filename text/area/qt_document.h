// Conversion between the document model and QTextDocument, both ways,
// keeping character formatting (face, size, colour, character set, bold,
// italic, underline, strike-out), paragraph formatting and inline pictures.
#pragma once

#include "text/document.h"
#include "text/rtf_output.h"

#include <QFont>
#include <QTextDocument>

#include <string>
#include <vector>

namespace text {

// The text area's font: what unset formats in the model stand for.
struct DefaultFont {
    QString face;
    double points = 14;
    uint32_t color = 0;
    bool automaticColor = true;
    uint8_t charset = 204;
};

// Replaces the whole content of `target`. Formats equal to the default font
// are left unset, so such text keeps following the font setting. Undo is off
// while building, so the load is not an undo step and the stack is empty.
void fillQtDocument(QTextDocument& target, const Document& source, const DefaultFont& font, int dotsPerInch);

// The model of `source`, every format resolved against the default font so
// that the saved file looks the same in any other program. `pictures` are
// the pictures of the last load; image characters refer to them by index.
Document readQtDocument(const QTextDocument& source, const std::vector<Picture>& pictures,
                        const DefaultFont& font, int dotsPerInch);

// The RTF file of `source`, written as it is read: the bytes
// writeRtf(readQtDocument(...)) gives, without building the model.
RtfFile writeQtDocumentRtf(const QTextDocument& source, const std::vector<Picture>& pictures,
                               const DefaultFont& font, int dotsPerInch);

} // namespace text
