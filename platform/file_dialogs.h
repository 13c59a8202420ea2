// The document, picture and sound file dialogs. A dialog object holds what
// the program sets and reads (filter, default extension, the file name and
// file type it remembers between uses); the installed service shows it.
#pragma once

#include <QString>

class QWidget;

namespace platform {

struct FileDialog {
    enum class Kind { Open, Save };

    Kind kind = Kind::Open;
    // "Description|patterns|Description|patterns...", patterns split by ";".
    QString filter;
    QString defaultExt;
    QString fileName;  // in: shown again; out: the full path chosen
    int filterIndex = 1; // 1-based, remembered like the name
    bool preview = false; // a picture preview beside the list

    // True with fileName set to the full path chosen; false when cancelled.
    // A name typed without an extension gets the default one, in lower case.
    bool Execute(QWidget* owner);
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Shows the dialog; on acceptance sets fileName and filterIndex.
    virtual bool execute(FileDialog& dialog, QWidget* owner) = 0;
};

FileDialogs& fileDialogs();
void installFileDialogs(FileDialogs* fake);

} // namespace platform
