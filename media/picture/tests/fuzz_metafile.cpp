// Fuzz target for both metafile forms: the header and record reader, then
// the player drawing every record into a small picture. The last input
// byte picks the target's shape, so mapping and clipping vary too.
#include "base/exception.h"
#include "media/picture/metafile_reader.h"
#include "media/picture_qt/metafile_player.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz_metafile";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}); // font notes per input
        new QGuiApplication(argc, argv); // lives for the whole run
    }
}

} // namespace

// Fontconfig keeps its font caches for the life of the process; that is
// not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureApplication();
    const int shape = size > 0 ? data[size - 1] % 3 : 0;
    try {
        const picture::Metafile metafile = picture::readMetafile(std::string(reinterpret_cast<const char*>(data), size));
        QImage target(shape == 1 ? 17 : 64, shape == 2 ? 5 : 48, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::white);
        QPainter painter(&target);
        picture_qt::playMetafile(metafile, painter, QRectF(target.rect()));
    } catch (const base::Exception&) {
    }
    return 0;
}
