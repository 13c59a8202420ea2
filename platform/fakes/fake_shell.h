// Records the addresses the program asks the desktop to open.
#pragma once

#include "platform/shell.h"

#include <vector>

namespace platform {

class FakeShell final : public Shell {
public:
    FakeShell() { installShell(this); }
    ~FakeShell() override { installShell(nullptr); }
    bool openUrl(const QUrl& url) override
    {
        opened.push_back(url);
        return true;
    }
    std::vector<QUrl> opened;
};

} // namespace platform
