// The colour dialog. A dialog object remembers the colour last chosen in it
// and opens with that colour (black the first time), whatever the control
// that asked for it shows; the installed service shows it.
#pragma once

#include <cstdint>

class QWidget;

namespace platform {

struct ColorDialog {
    // A plain RGB value, 0x00BBGGRR: in, the colour the dialog opens with;
    // out, the colour chosen.
    uint32_t color = 0;

    // True with `color` set to the chosen colour; false when cancelled,
    // leaving `color` as it was.
    bool Execute(QWidget* owner);
};

class ColorDialogs {
public:
    virtual ~ColorDialogs() = default;
    // Shows the dialog opening with dialog.color; on acceptance sets it.
    virtual bool execute(ColorDialog& dialog, QWidget* owner) = 0;
};

ColorDialogs& colorDialogs();
// Installs `fake` (not owned); nullptr puts the real dialog back.
void installColorDialogs(ColorDialogs* fake);

} // namespace platform
