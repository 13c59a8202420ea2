// Screen metrics: the primary display's size in pixels and its resolution,
// read afresh at each use. Tests install a fake to set the size.
#pragma once

namespace platform {

class Screen {
public:
    virtual ~Screen() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Logical dots per inch, for converting points to pixels.
    virtual int dotsPerInch() const = 0;
};

// The installed screen: the real one unless a test installed another.
Screen& screen();
// Installs `fake` (not owned); nullptr puts the real screen back.
void installScreen(Screen* fake);

} // namespace platform
