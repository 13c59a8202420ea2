#include "platform/screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {

namespace {

class PrimaryScreen final : public Screen {
public:
    int width() const override { return geometry().width(); }
    int height() const override { return geometry().height(); }
    int dotsPerInch() const override
    {
        const QScreen* primary = QGuiApplication::primaryScreen();
        return primary ? qRound(primary->logicalDotsPerInchY()) : 96;
    }

private:
    static QRect geometry()
    {
        const QScreen* primary = QGuiApplication::primaryScreen();
        return primary ? primary->geometry() : QRect(0, 0, 1680, 1050);
    }
};

Screen* installed = nullptr;

} // namespace

Screen& screen()
{
    static PrimaryScreen primary;
    return installed ? *installed : primary;
}

void installScreen(Screen* fake) { installed = fake; }

} // namespace platform
