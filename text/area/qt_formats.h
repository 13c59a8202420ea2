// Formats between the document model and QTextDocument: paragraph formats,
// character formats and our own properties on Qt's formats.
#pragma once

#include "text/area/qt_document.h"

#include <QHash>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <vector>

namespace text {

// Properties of ours on Qt formats: what Qt has no field for.
constexpr int kCharsetProperty = QTextFormat::UserProperty + 1;
constexpr int kPictureProperty = QTextFormat::UserProperty + 2;

// Twips as layout pixels at the screen's resolution, unrounded.
double twipsToLayoutPixels(int32_t twips, int dotsPerInch);

QTextBlockFormat toQtBlockFormat(const ParagraphFormat& p, int dotsPerInch);
ParagraphFormat fromQtBlockFormat(const QTextBlockFormat& f, int dotsPerInch);

// Model character formats as Qt formats: what equals the default font is
// left unset, so such text keeps following the font setting.
class QtCharFormats {
public:
    QtCharFormats(const std::vector<Font>& fonts, const DefaultFont& font) : fonts_(fonts), font_(font) {}
    QTextCharFormat toQt(const CharFormat& c) const;

private:
    const std::vector<Font>& fonts_;
    const DefaultFont& font_;
};

// Qt character formats as model ones, resolved against the default font so
// that a saved file looks the same in any other program. Faces are added to
// `fonts` as they are met.
class ModelCharFormats {
public:
    ModelCharFormats(std::vector<Font>& fonts, const DefaultFont& font) : fonts_(fonts), font_(font) {}
    CharFormat fromQt(const QTextCharFormat& f);

private:
    int32_t fontIndex(const QString& face, uint8_t charset);

    std::vector<Font>& fonts_;
    const DefaultFont& font_;
    QHash<QString, int32_t> fontMap_;
};

} // namespace text
