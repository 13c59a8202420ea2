// Text edits set up like the text area (word wrap at the widget's width, no
// scroll bars, a one-pixel ring as document margin) and the formatted
// paragraphs the comparisons with Qt's own layout run over.
#pragma once

#include <QTextEdit>
#include <memory>

class QTextDocument;

namespace text::testing {

enum class LayoutKind { Ours, Qts };

// A shown edit of the given width (the text area's height), holding its
// own document, with our layout or Qt's.
std::unique_ptr<QTextEdit> makeEdit(LayoutKind kind, int width = 700, int height = 550);

// Paragraphs covering every character and paragraph format the text area
// shows: faces, sizes, bold, italic, underline, strike-out, alignment
// including justified, indents, spacing, line heights and a picture.
void fillFormatted(QTextDocument* doc, int repeat = 1);
// Plain paragraphs of varying length, a little like prose.
void fillPlain(QTextDocument* doc, int paragraphs);

// Lets pending layout, size and paint work run.
void settle();

}  // namespace text::testing
