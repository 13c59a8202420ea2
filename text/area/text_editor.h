// The editing surface inside the text area: a QTextEdit with no scroll bars,
// word wrap at its width, Tab moving the focus, the window's shortcuts never
// taken for editing, no context menu of its own, and the selection hidden
// while it lacks the focus.
#pragma once

#include <QTextEdit>

namespace text {

class TextEditor : public QTextEdit {
    Q_OBJECT
public:
    explicit TextEditor(QWidget* parent = nullptr);

protected:
    bool event(QEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool isWindowShortcut(const QKeyEvent* key) const;

    // The selection while the editor lacks the focus: kept here and taken
    // off the cursor so that nothing shows it.
    int hiddenAnchor_ = -1;
    int hiddenPosition_ = -1;
};

} // namespace text
