#include "text/area/text_editor.h"

#include "text/layout/document_layout.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QTextCursor>

namespace text {

TextEditor::TextEditor(QWidget* parent) : QTextEdit(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
    setAcceptRichText(true);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    // The ring around the text is the text area's own; changing the margin
    // is an edit of the root frame, which would mark a new text as changed.
    document()->setDocumentMargin(0);
    document()->setModified(false);
    // A whole book stays fast: only what an edit touches is laid out again.
    installDocumentLayout(this);
}

bool TextEditor::isWindowShortcut(const QKeyEvent* key) const
{
    const QKeySequence pressed(key->keyCombination());
    for (const QAction* action : window()->actions())
        if (action->isEnabled() && action->shortcut() == pressed)
            return true;
    return false;
}

bool TextEditor::event(QEvent* e)
{
    // Leaving the override unaccepted lets the window's shortcut win over
    // the editor's own key bindings.
    if (e->type() == QEvent::ShortcutOverride && isWindowShortcut(static_cast<QKeyEvent*>(e))) {
        e->ignore();
        return true;
    }
    return QTextEdit::event(e);
}

void TextEditor::keyPressEvent(QKeyEvent* e)
{
    // Tab is for moving the focus; with nowhere to move it, it still types
    // nothing.
    const bool tab = e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab;
    if (tab && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        e->ignore();
        return;
    }
    QTextEdit::keyPressEvent(e);
}

void TextEditor::contextMenuEvent(QContextMenuEvent* e)
{
    // The window's popup menu opens instead, wherever the click lands.
    e->ignore();
}

void TextEditor::focusOutEvent(QFocusEvent* e)
{
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
        hiddenAnchor_ = cursor.anchor();
        hiddenPosition_ = cursor.position();
        cursor.clearSelection();
        setTextCursor(cursor);
    }
    QTextEdit::focusOutEvent(e);
}

void TextEditor::focusInEvent(QFocusEvent* e)
{
    if (hiddenAnchor_ >= 0) {
        QTextCursor cursor = textCursor();
        // Only a selection still ending at the caret is brought back: a load
        // or a click in between replaced it.
        if (cursor.position() == hiddenPosition_ && !cursor.hasSelection()) {
            const int end = document()->characterCount() - 1;
            cursor.setPosition(std::min(hiddenAnchor_, end));
            cursor.setPosition(std::min(hiddenPosition_, end), QTextCursor::KeepAnchor);
            setTextCursor(cursor);
        }
        hiddenAnchor_ = hiddenPosition_ = -1;
    }
    QTextEdit::focusInEvent(e);
}

} // namespace text
