#include "platform/shell.h"

#include <QDesktopServices>

namespace platform {

namespace {

class DesktopShell final : public Shell {
public:
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

Shell* installed = nullptr;

} // namespace

Shell& shell()
{
    static DesktopShell desktop;
    return installed ? *installed : desktop;
}

void installShell(Shell* fake) { installed = fake; }

} // namespace platform
