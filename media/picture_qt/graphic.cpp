// The graphic kinds: each hands its bytes to a core reader and draws the
// result with QPainter.
#include "media/picture_qt/graphic.h"

#include "media/picture/bmp_reader.h"
#include "media/picture/ico_reader.h"
#include "media/picture/jpeg_reader.h"
#include "media/picture/png_reader.h"
#include "media/picture_qt/metafile_player.h"
#include "media/picture_qt/rgba_qimage.h"

namespace picture_qt {

namespace {

void drawNearest(QPainter& painter, const QRect& rect, const QImage& image)
{
    if (image.isNull() || rect.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect, image);
    painter.restore();
}

} // namespace

void TRasterGraphic::Draw(QPainter& painter, const QRect& rect) { drawNearest(painter, rect, image_); }

void TRasterGraphic::setImage(QImage image)
{
    image_ = std::move(image);
    opaque_ = true;
    for (int y = 0; y < image_.height() && opaque_; ++y) {
        const uchar* line = image_.constScanLine(y);
        for (int x = 0; x < image_.width(); ++x)
            opaque_ = opaque_ && line[x * 4 + 3] == 255;
    }
}

void TBitmap::LoadFromBytes(std::string bytes) { setImage(toQImage(picture::readBmp(bytes))); }

void TBitmap::Draw(QPainter& painter, const QRect& rect)
{
    if (!transparent_ || image_.isNull()) {
        drawNearest(painter, rect, image_);
        return;
    }
    if (masked_.isNull()) {
        masked_ = image_.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = masked_.pixel(0, masked_.height() - 1);
        for (int y = 0; y < masked_.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(masked_.scanLine(y));
            for (int x = 0; x < masked_.width(); ++x)
                line[x] = line[x] == key ? 0 : line[x];
        }
    }
    drawNearest(painter, rect, masked_);
}

void TIcon::LoadFromBytes(std::string bytes) { setImage(toQImage(picture::readIcon(bytes))); }

void TPngImage::LoadFromBytes(std::string bytes) { setImage(toQImage(picture::readPng(bytes))); }

void TQMPNGObject::LoadFromBytes(std::string bytes) { setImage(toQImage(picture::readPng(bytes))); }

void TJPEGImage::LoadFromBytes(std::string bytes)
{
    const picture::JpegHeader header = picture::readJpegHeader(bytes);
    bytes_ = std::move(bytes);
    width_ = header.width;
    height_ = header.height;
    grayscale_ = header.grayscale;
    progressive_ = header.progressive;
}

void TJPEGImage::Draw(QPainter& painter, const QRect& rect)
{
    if (!decoded_ && !failed_) {
        // Marked first: if decoding raises, this draw is the only one that does.
        failed_ = true;
        image_ = toQImage(picture::decodeJpeg(bytes_));
        failed_ = false;
        decoded_ = true;
        bytes_ = std::string(); // the pixels are all later draws need
    }
    drawNearest(painter, rect, image_);
}

void TMetafile::LoadFromBytes(std::string bytes) { metafile_ = picture::readMetafile(std::move(bytes)); }

void TMetafile::Draw(QPainter& painter, const QRect& rect)
{
    if (!rect.isEmpty())
        playMetafile(metafile_, painter, QRectF(rect));
}

std::unique_ptr<TGraphic> createGraphic(picture::GraphicKind kind)
{
    switch (kind) {
    case picture::GraphicKind::Metafile: return std::make_unique<TMetafile>();
    case picture::GraphicKind::Icon: return std::make_unique<TIcon>();
    case picture::GraphicKind::Bitmap: return std::make_unique<TBitmap>();
    case picture::GraphicKind::JpegImage: return std::make_unique<TJPEGImage>();
    case picture::GraphicKind::PngImage: return std::make_unique<TPngImage>();
    case picture::GraphicKind::QmPngObject: return std::make_unique<TQMPNGObject>();
    }
    return nullptr;
}

} // namespace picture_qt
