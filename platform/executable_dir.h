// The running program's own folder, where "Settings.ini" lies: found afresh
// at each use. Tests install a fake to point it at a folder of their own.
#pragma once

#include <string>

namespace platform {

class ExecutableFolder {
public:
    virtual ~ExecutableFolder() = default;
    // The folder's absolute path, ending with its separator ("/opt/quelmar/").
    virtual std::string path() const = 0;
};

// The installed folder service: the real one unless a test installed another.
ExecutableFolder& executableFolder();
// Installs `fake` (not owned); nullptr puts the real one back.
void installExecutableFolder(ExecutableFolder* fake);

// executableFolder().path(): what settings::settingsFilePath takes.
std::string executableDir();

} // namespace platform
