// The picture control's placement rule and its scale-once cache.
#include "media/picture_qt/image.h"

#include <QMouseEvent>
#include <QPainter>

#include <exception>

namespace picture_qt {

namespace {

// Fits w × h inside cw × ch keeping the aspect ratio, filling the control
// along the picture's longer side first.
QSize fitProportionally(int w, int h, int cw, int ch)
{
    const double aspect = static_cast<double>(w) / h;
    int rw = 0, rh = 0;
    if (w > h) {
        rw = cw;
        rh = static_cast<int>(cw / aspect);
        if (rh > ch) {
            rh = ch;
            rw = static_cast<int>(ch * aspect);
        }
    } else {
        rh = ch;
        rw = static_cast<int>(ch * aspect);
        if (rw > cw) {
            rw = cw;
            rh = static_cast<int>(cw / aspect);
        }
    }
    return {rw, rh};
}

} // namespace

QRect destinationRect(int w, int h, int cw, int ch, ImagePlacement placement)
{
    QSize size(w, h);
    if (placement.stretch || (placement.proportional && (w > cw || h > ch))) {
        if (placement.proportional && w > 0 && h > 0)
            size = fitProportionally(w, h, cw, ch);
        else
            size = QSize(cw, ch);
    }
    QRect rect(QPoint(0, 0), size);
    if (placement.center)
        rect.translate((cw - size.width()) / 2, (ch - size.height()) / 2);
    return rect;
}

TImage::TImage(QWidget* parent) : QWidget(parent)
{
    picture_.setOnChange([this] { pictureChanged(); });
}

void TImage::setStretch(bool on)
{
    placement_.stretch = on;
    dropCache();
}

void TImage::setCenter(bool on)
{
    placement_.center = on;
    updateOpaqueness();
    update();
}

void TImage::setProportional(bool on)
{
    placement_.proportional = on;
    dropCache();
}

void TImage::setAutoSize(bool on)
{
    autoSize_ = on;
    pictureChanged();
}

void TImage::setTransparent(bool on)
{
    transparent_ = on;
    pictureChanged();
}

QRect TImage::destinationRect() const
{
    return picture_qt::destinationRect(picture_.Width(), picture_.Height(), width(), height(), placement_);
}

void TImage::pictureChanged()
{
    if (TGraphic* graphic = picture_.Graphic())
        graphic->setTransparent(transparent_);
    if (autoSize_ && picture_.Width() > 0 && picture_.Height() > 0)
        resize(picture_.Width(), picture_.Height());
    dropCache();
}

void TImage::dropCache()
{
    cache_ = QImage();
    cacheValid_ = false;
    updateOpaqueness();
    update();
}

// An opaque picture covering the whole control hides what is behind it, so
// Qt need not paint the window underneath first: a repaint is one copy.
// When that changes, the whole control is painted again with its
// background.
void TImage::updateOpaqueness()
{
    const TGraphic* graphic = picture_.Graphic();
    const bool covers = graphic && graphic->Opaque() && !graphic->Empty() && destinationRect().contains(rect());
    if (covers != testAttribute(Qt::WA_OpaquePaintEvent)) {
        setAttribute(Qt::WA_OpaquePaintEvent, covers);
        update();
    }
}

void TImage::resizeEvent(QResizeEvent* event)
{
    updateOpaqueness();
    QWidget::resizeEvent(event);
}

// The graphic drawn once at `size`. The cache is only marked valid after a
// complete draw: a graphic that raises (a JPEG with bad data) leaves the
// control without a cache and its painter closed.
const QImage& TImage::cachedPicture(QSize size)
{
    if (cacheValid_ && cache_.size() == size)
        return cache_;
    cacheValid_ = false;
    TGraphic* graphic = picture_.Graphic();
    QImage image = graphic->AsDrawn(size);
    if (image.isNull()) {
        image = QImage(size, graphic->Opaque() ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        graphic->Draw(painter, QRect(QPoint(0, 0), size));
    }
    cache_ = std::move(image);
    cacheValid_ = true;
    ++cacheRenders_;
    return cache_;
}

namespace {

// Runs `onFailure` when the scope is left by an exception: a picture that
// fails while painting (a JPEG with bad data) has stopped being opaque, and
// the control must not keep claiming to cover what lies behind it.
template <typename F>
class FailureGuard {
public:
    explicit FailureGuard(F onFailure) : onFailure_(onFailure), exceptions_(std::uncaught_exceptions()) {}
    ~FailureGuard()
    {
        if (std::uncaught_exceptions() > exceptions_)
            onFailure_();
    }

private:
    F onFailure_;
    int exceptions_;
};

} // namespace

void TImage::paintEvent(QPaintEvent*)
{
    TGraphic* graphic = picture_.Graphic();
    const QRect rect = destinationRect();
    if (!graphic || graphic->Empty() || rect.isEmpty())
        return;
    const FailureGuard guard([this] { updateOpaqueness(); });
    const QImage& picture = cachedPicture(rect.size());
    QPainter painter(this);
    painter.drawImage(rect.topLeft(), picture);
}

void TImage::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QWidget::mouseReleaseEvent(event);
}

} // namespace picture_qt
