// Answers file dialogs from a script: each entry is the path the user picks,
// or an empty string for Cancel. Records the dialog as it was shown.
#pragma once

#include "platform/file_dialogs.h"

#include <deque>
#include <vector>

namespace platform {

class FakeFileDialogs final : public FileDialogs {
public:
    bool execute(FileDialog& d, QWidget*) override
    {
        shown.push_back(d);
        if (picks.empty())
            return false;
        const QString pick = picks.front();
        picks.pop_front();
        if (pick.isEmpty())
            return false;
        d.fileName = pick;
        return true;
    }

    std::deque<QString> picks;
    std::vector<FileDialog> shown;
};

class ScopedFileDialogs {
public:
    ScopedFileDialogs() { installFileDialogs(&fake); }
    ~ScopedFileDialogs() { installFileDialogs(nullptr); }
    FakeFileDialogs fake;
};

} // namespace platform
