// The graphic kinds: each hands its bytes to a core reader and draws the
// result with QPainter.
#include "media/picture_qt/graphic.h"

#include "media/picture/bmp_reader.h"
#include "media/picture/ico_reader.h"
#include "media/picture/jpeg_reader.h"
#include "media/picture/png_reader.h"
#include "media/picture_qt/metafile_player.h"
#include "media/picture_qt/rgba_qimage.h"

#include <QThreadPool>

#include <condition_variable>
#include <exception>
#include <mutex>

namespace picture_qt {

// One decode of one file's bytes, run on the global thread pool, which
// the application waits for before it ends.
struct JpegDecodeJob {
    explicit JpegDecodeJob(std::string b) : bytes(std::move(b)) {}

    void run()
    {
        QImage decoded;
        std::exception_ptr failure;
        try {
            // In the screen's own format: a picture the size of the
            // screen then goes to it without a conversion on the GUI thread.
            decoded = toQImage(picture::decodeJpeg(bytes));
            decoded.convertTo(QImage::Format_RGB32); // in place: same depth
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard lock(mutex);
        image = std::move(decoded);
        error = failure;
        done = true;
        finished.notify_all();
    }

    // The pixels, or the decode's exception raised again.
    QImage take()
    {
        std::unique_lock lock(mutex);
        finished.wait(lock, [this] { return done; });
        if (error)
            std::rethrow_exception(error);
        return image;
    }

    const std::string bytes; // what a later load compares with
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    QImage image;
    std::exception_ptr error;
};

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

namespace {

// The latest decode still held by a picture: a start-up loads the backdrop
// twice before its first paint.
std::mutex latestMutex;
std::weak_ptr<JpegDecodeJob> latestJob;

std::shared_ptr<JpegDecodeJob> startDecode(std::string bytes)
{
    const std::lock_guard lock(latestMutex);
    if (std::shared_ptr<JpegDecodeJob> latest = latestJob.lock(); latest && latest->bytes == bytes)
        return latest;
    auto job = std::make_shared<JpegDecodeJob>(std::move(bytes));
    QThreadPool::globalInstance()->start([job] { job->run(); });
    latestJob = job;
    return job;
}

} // namespace

void TJPEGImage::LoadFromBytes(std::string bytes)
{
    const picture::JpegHeader header = picture::readJpegHeader(bytes);
    job_ = startDecode(std::move(bytes));
    width_ = header.width;
    height_ = header.height;
    grayscale_ = header.grayscale;
    progressive_ = header.progressive;
}

void TJPEGImage::decode()
{
    if (decoded_ || failed_)
        return;
    // Marked first: if decoding raises, this draw is the only one that does.
    failed_ = true;
    const std::shared_ptr<JpegDecodeJob> job = std::move(job_);
    image_ = job->take();
    failed_ = false;
    decoded_ = true;
}

void TJPEGImage::Draw(QPainter& painter, const QRect& rect)
{
    decode();
    drawNearest(painter, rect, image_);
}

QImage TJPEGImage::AsDrawn(QSize size)
{
    decode();
    return image_.size() == size && image_.format() == QImage::Format_RGB32 ? image_ : QImage();
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
