#include "platform/color_dialog.h"

#include <QColorDialog>

namespace platform {

namespace {

QColor toQColor(uint32_t bgr) { return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)); }

uint32_t toColorValue(const QColor& c)
{
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

class DesktopColorDialogs final : public ColorDialogs {
public:
    bool execute(ColorDialog& d, QWidget* owner) override
    {
        // Only the low three bytes are a colour: the dialog never hands back
        // a system colour reference.
        const QColor chosen = QColorDialog::getColor(toQColor(d.color & 0x00FFFFFFu), owner);
        if (!chosen.isValid())
            return false;
        d.color = toColorValue(chosen);
        return true;
    }
};

ColorDialogs* installed = nullptr;

} // namespace

bool ColorDialog::Execute(QWidget* owner) { return colorDialogs().execute(*this, owner); }

ColorDialogs& colorDialogs()
{
    static DesktopColorDialogs desktop;
    return installed ? *installed : desktop;
}

void installColorDialogs(ColorDialogs* fake) { installed = fake; }

} // namespace platform
