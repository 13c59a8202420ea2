// Opening a web address through the desktop's own handler. Tests install a
// fake that records the addresses.
#pragma once

#include <QUrl>

namespace platform {

class Shell {
public:
    virtual ~Shell() = default;
    // The handler's result is the handler's business: callers ignore it.
    virtual bool openUrl(const QUrl& url) = 0;
};

Shell& shell();
void installShell(Shell* fake);

} // namespace platform
