#include "forms/resources.h"

#include <QtGlobal>

void InitResources()
{
    // A static library's resources must be registered by name.
    static const bool registered = [] {
        Q_INIT_RESOURCE(assets);
        return true;
    }();
    (void)registered;
}
