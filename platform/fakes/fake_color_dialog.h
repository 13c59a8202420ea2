// Answers colour dialogs from a script: each entry is the colour the user
// confirms, or nullopt for Cancel (also once the script runs out). Records
// the colour each dialog opened with.
#pragma once

#include "platform/color_dialog.h"

#include <deque>
#include <optional>
#include <vector>

namespace platform {

class FakeColorDialogs final : public ColorDialogs {
public:
    bool execute(ColorDialog& d, QWidget*) override
    {
        openedWith.push_back(d.color);
        if (picks.empty())
            return false;
        const std::optional<uint32_t> pick = picks.front();
        picks.pop_front();
        if (!pick)
            return false;
        d.color = *pick;
        return true;
    }

    std::deque<std::optional<uint32_t>> picks;
    std::vector<uint32_t> openedWith;
};

class ScopedColorDialogs {
public:
    ScopedColorDialogs() { installColorDialogs(&fake); }
    ~ScopedColorDialogs() { installColorDialogs(nullptr); }
    FakeColorDialogs fake;
};

} // namespace platform
