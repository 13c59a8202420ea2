// The picture control: a widget that draws its holder's graphic into the
// destination rectangle. The picture is scaled once per size into a cache
// and each repaint only copies the cache, so a full-screen backdrop costs a
// blit. Right-clicks pass through to the window underneath.
#pragma once

#include "media/picture_qt/picture.h"

#include <QImage>
#include <QRect>
#include <QWidget>

namespace picture_qt {

struct ImagePlacement {
    bool stretch = false;
    bool center = false;
    bool proportional = false;
};

// Where a picture of w × h goes in a control of cw × ch.
QRect destinationRect(int w, int h, int cw, int ch, ImagePlacement placement);

class TImage : public QWidget {
    Q_OBJECT

public:
    explicit TImage(QWidget* parent = nullptr);

    TPicture& Picture() { return picture_; }
    void setStretch(bool on);
    void setCenter(bool on);
    void setProportional(bool on);
    void setAutoSize(bool on);
    void setTransparent(bool on);
    bool Stretch() const { return placement_.stretch; }
    bool Center() const { return placement_.center; }
    bool Proportional() const { return placement_.proportional; }
    bool AutoSize() const { return autoSize_; }
    bool Transparent() const { return transparent_; }

    QRect destinationRect() const;
    // How often the picture was drawn into the cache (tests and benchmarks).
    int cacheRenders() const { return cacheRenders_; }

Q_SIGNALS:
    // A left click on the control (the writing window's Image1Click).
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void pictureChanged();
    void dropCache();
    void updateOpaqueness();
    const QImage& cachedPicture(QSize size);

    TPicture picture_;
    ImagePlacement placement_;
    bool autoSize_ = false;
    bool transparent_ = false;
    QImage cache_;
    bool cacheValid_ = false;
    int cacheRenders_ = 0;
};

} // namespace picture_qt
