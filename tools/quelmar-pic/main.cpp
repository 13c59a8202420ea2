// quelmar-pic: decodes a picture file the way the program does, for scripts
// and for comparing our readers with other decoders.
//   quelmar-pic info FILE      prints WIDTHxHEIGHT, after a full decode
//   quelmar-pic pam FILE OUT   writes the decoded RGBA pixels as a PAM file
// Files are dispatched by extension as the program does (plus ".dib").
// Exit 0 on success, 1 with the failure's message on standard error, 2 on
// wrong usage. Pixel formats need no display; metafiles are sized from
// their header and drawn offscreen only for "pam".
#include "base/checked.h"
#include "base/errors.h"
#include "base/file.h"
#include "base/message.h"
#include "media/picture/bmp_reader.h"
#include "media/picture/format_registry.h"
#include "media/picture/ico_reader.h"
#include "media/picture/jpeg_reader.h"
#include "media/picture/metafile_reader.h"
#include "media/picture/png_reader.h"
#include "media/picture_qt/metafile_player.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using picture::GraphicKind;

picture::RgbaImage decodePixels(GraphicKind kind, const std::string& bytes)
{
    switch (kind) {
    case GraphicKind::Bitmap: return picture::readBmp(bytes);
    case GraphicKind::Icon: return picture::readIcon(bytes);
    case GraphicKind::JpegImage: return picture::decodeJpeg(bytes);
    case GraphicKind::PngImage:
    case GraphicKind::QmPngObject: return picture::readPng(bytes);
    case GraphicKind::Metafile: break;
    }
    return {};
}

// Draws the metafile at its own size on the offscreen platform.
picture::RgbaImage renderMetafile(const picture::Metafile& metafile)
{
    const auto pixels = base::checkedMul<uint64_t>(static_cast<uint64_t>(metafile.width),
                                                   static_cast<uint64_t>(metafile.height));
    if (!pixels || *pixels > picture::kMaxPixels)
        throw EOutOfMemory(base::kOutOfMemory);
    picture::RgbaImage out;
    if (*pixels == 0)
        return out;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Standard error carries only the failure's message.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    int argc = 1;
    char name[] = "quelmar-pic";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    QImage image(metafile.width, metafile.height, QImage::Format_RGBA8888);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        picture_qt::playMetafile(metafile, painter, QRectF(0, 0, metafile.width, metafile.height));
    }
    out.width = metafile.width;
    out.height = metafile.height;
    out.pixels.resize(*pixels * 4);
    for (int y = 0; y < out.height; ++y)
        std::memcpy(out.row(y), image.constScanLine(y), static_cast<size_t>(out.width) * 4);
    return out;
}

void writePam(const std::string& path, const picture::RgbaImage& image)
{
    const std::string header = base::formatMessage("P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                                                   image.width, image.height);
    base::AtomicFile file(path);
    int error = file.open();
    if (error == 0 && !(file.write(header) && file.write({reinterpret_cast<const char*>(image.pixels.data()), image.pixels.size()})))
        error = errno != 0 ? errno : EIO;
    if (error == 0)
        error = file.commit();
    if (error != 0)
        throw EFCreateError(base::formatMessage(base::kCannotCreateFile, base::expandPath(path), base::systemErrorText(error)));
}

// The program's registry, plus ".dib" for bare device-independent bitmaps
// (clipboard dumps, test suites); the program itself offers no such entry.
const picture::FormatRegistry& toolFormats()
{
    static const picture::FormatRegistry formats = [] {
        picture::FormatRegistry r = picture::pictureFormats();
        r.addPictureFormat("dib", "Device-independent bitmaps", GraphicKind::Bitmap);
        return r;
    }();
    return formats;
}

int run(const std::string& command, const std::string& file, const char* out)
{
    const picture::PictureFormat& format = toolFormats().formatForFile(file);
    const GraphicKind kind = format.kind;
    std::string bytes = base::readFile(file);
    // A ".dib" may hold the packed form, without the file header.
    if (format.extension == "dib" && !bytes.empty() && bytes.rfind("BM", 0) != 0) {
        if (std::string wrapped = picture::bitmapFileFromPackedDib(bytes); !wrapped.empty())
            bytes = std::move(wrapped);
    }
    if (kind == GraphicKind::Metafile) {
        const picture::Metafile metafile = picture::readMetafile(std::move(bytes));
        if (command == "info")
            std::printf("%dx%d\n", metafile.width, metafile.height);
        else
            writePam(out, renderMetafile(metafile));
        return 0;
    }
    const picture::RgbaImage image = decodePixels(kind, bytes);
    if (command == "info")
        std::printf("%dx%d\n", image.width, image.height);
    else
        writePam(out, image);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (!((command == "info" && argc == 3) || (command == "pam" && argc == 4))) {
        std::fprintf(stderr, "usage: quelmar-pic info FILE\n       quelmar-pic pam FILE OUT.pam\n");
        return 2;
    }
    try {
        return run(command, argv[2], argc > 3 ? argv[3] : nullptr);
    } catch (const base::Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "Out of memory\n");
        return 1;
    }
}
