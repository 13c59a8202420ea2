// The modal boxes the program shows: the error box for every failure that
// escapes a handler, and the yes/no confirmation. Tests install a fake that
// records what would have been shown and answers from a script.
#pragma once

#include <QString>

class QWidget;

namespace platform {

enum class Answer { Yes, No, Dismissed };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Stop icon, one "OK"; modal for the whole program; `owner` may be null.
    virtual void showError(QWidget* owner, const QString& caption, const QString& text) = 0;
    // Information icon, "&Yes" (the default) then "&No"; Escape or closing
    // the box gives Dismissed.
    virtual Answer confirm(QWidget* owner, const QString& caption, const QString& text) = 0;
};

MessageBoxes& messageBoxes();
// Installs `fake` (not owned); nullptr puts the real boxes back.
void installMessageBoxes(MessageBoxes* fake);

} // namespace platform
