// Inline pictures: their size and drawing, from the image the document holds
// as a resource under the picture's name (Qt's own handler is private to
// Qt's layout).
#pragma once

#include <QObject>
#include <QTextObjectInterface>

namespace text {

class ImageHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    explicit ImageHandler(QObject* parent) : QObject(parent) {}

    QSizeF intrinsicSize(QTextDocument* doc, int posInDocument, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int posInDocument,
                    const QTextFormat& format) override;
};

}  // namespace text
