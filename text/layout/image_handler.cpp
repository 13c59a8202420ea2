// A picture is shown at the width and height its format gives; a missing
// one follows from the other through the image's proportions, both missing
// give the image's own size, as in Qt's layout.
#include "text/layout/image_handler.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace text {

namespace {

QImage imageOf(QTextDocument* doc, const QTextImageFormat& format)
{
    const QVariant data = doc->resource(QTextDocument::ImageResource, QUrl(format.name()));
    if (data.userType() == QMetaType::QImage)
        return data.value<QImage>();
    if (data.userType() == QMetaType::QPixmap)
        return data.value<QPixmap>().toImage();
    QImage image;
    if (data.userType() == QMetaType::QByteArray)
        image.loadFromData(data.toByteArray());
    return image;
}

}  // namespace

QSizeF ImageHandler::intrinsicSize(QTextDocument* doc, int posInDocument, const QTextFormat& format)
{
    Q_UNUSED(posInDocument);
    const QTextImageFormat f = format.toImageFormat();
    const bool hasWidth = f.hasProperty(QTextFormat::ImageWidth);
    const bool hasHeight = f.hasProperty(QTextFormat::ImageHeight);
    QSizeF size(qRound(f.width()), qRound(f.height()));
    QImage image;
    if (!hasWidth || !hasHeight) {
        image = imageOf(doc, f);
        const QSizeF own = image.deviceIndependentSize();
        if (!hasWidth)
            size.setWidth(hasHeight && own.height() > 0 ? qRound(size.height() * own.width() / own.height()) : own.width());
        if (!hasHeight)
            size.setHeight(hasWidth && own.width() > 0 ? qRound(size.width() * own.height() / own.width()) : own.height());
    }
    if (const QPaintDevice* device = doc->documentLayout()->paintDevice()) {
        if (image.isNull())
            image = imageOf(doc, f);
        if (!image.isNull())
            size *= device->logicalDpiY() / 96.0;
    }
    return size;
}

void ImageHandler::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int posInDocument,
                              const QTextFormat& format)
{
    Q_UNUSED(posInDocument);
    const QImage image = imageOf(doc, format.toImageFormat());
    if (!image.isNull())
        painter->drawImage(rect, image);
}

}  // namespace text
