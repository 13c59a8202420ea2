// The graphic kinds a picture holder can own. Each reads itself from a
// file's bytes, reports its size and draws itself stretched into a
// rectangle; decoding is the core readers', drawing is QPainter's.
#pragma once

#include "media/picture/format_registry.h"
#include "media/picture/metafile_reader.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <string>

namespace picture_qt {

class TGraphic {
public:
    virtual ~TGraphic() = default;
    // Raises the format's error; the graphic is then not to be used.
    virtual void LoadFromBytes(std::string bytes) = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
    // Draws into `rect`, stretching to fit; pixel pictures sample the
    // nearest pixel. May raise the format's error (a JPEG decodes here).
    virtual void Draw(QPainter& painter, const QRect& rect) = 0;
    // A transparent bitmap leaves out the colour of its bottom-left pixel;
    // other kinds carry their own transparency.
    virtual void setTransparent(bool) {}
    // True when every pixel it draws is opaque, so a cache of it needs no
    // alpha channel and copies straight to the screen.
    virtual bool Opaque() const { return false; }
    // The picture as Draw would leave a `size` image, when that is its own
    // opaque pixels as they stand: shared, not drawn again. Null otherwise.
    virtual QImage AsDrawn(QSize) { return {}; }
};

// Bitmaps, icons and PNG pictures: decoded whole at load.
class TRasterGraphic : public TGraphic {
public:
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    void Draw(QPainter& painter, const QRect& rect) override;
    bool Opaque() const override { return opaque_; }
    const QImage& image() const { return image_; }

protected:
    void setImage(QImage image);

    QImage image_;
    bool opaque_ = false;
};

class TBitmap : public TRasterGraphic {
public:
    void LoadFromBytes(std::string bytes) override;
    void Draw(QPainter& painter, const QRect& rect) override;
    void setTransparent(bool on) override { transparent_ = on; }
    bool Opaque() const override { return opaque_ && !transparent_; }

private:
    bool transparent_ = false;
    QImage masked_; // made on the first transparent draw
};

class TIcon : public TRasterGraphic {
public:
    void LoadFromBytes(std::string bytes) override;
};

class TPngImage : public TRasterGraphic {
public:
    void LoadFromBytes(std::string bytes) override;
};

class TQMPNGObject : public TRasterGraphic {
public:
    void LoadFromBytes(std::string bytes) override;
};

struct JpegDecodeJob;

// Reads only its header at load and counts as decoded from the first draw,
// which takes the pixels (kept) or raises the decode's EJPEG once; the
// picture then draws nothing, so a repaint after the error box does not
// raise the same error again. The decode itself starts on a worker thread
// at load, so a picture loaded well before it is shown is ready when it is,
// and loading the same bytes again shares the one decode.
class TJPEGImage : public TGraphic {
public:
    void LoadFromBytes(std::string bytes) override;
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(QPainter& painter, const QRect& rect) override;
    bool Grayscale() const { return grayscale_; }
    bool ProgressiveEncoding() const { return progressive_; }
    bool Decoded() const { return decoded_; }
    bool Opaque() const override { return !failed_; }
    QImage AsDrawn(QSize size) override;

private:
    void decode();

    std::shared_ptr<JpegDecodeJob> job_;
    int width_ = 0, height_ = 0;
    bool grayscale_ = false, progressive_ = false;
    bool decoded_ = false, failed_ = false;
    QImage image_;
};

// Both metafile forms, replayed by our own player on each draw.
class TMetafile : public TGraphic {
public:
    void LoadFromBytes(std::string bytes) override;
    int Width() const override { return metafile_.width; }
    int Height() const override { return metafile_.height; }
    void Draw(QPainter& painter, const QRect& rect) override;
    bool Enhanced() const { return metafile_.format == picture::MetafileFormat::Enhanced; }

private:
    picture::Metafile metafile_;
};

// An empty graphic of the registry's kind.
std::unique_ptr<TGraphic> createGraphic(picture::GraphicKind kind);

} // namespace picture_qt
