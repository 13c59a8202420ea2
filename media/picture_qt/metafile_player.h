// Replays metafile records on a QPainter: the drawing state both metafile
// forms share (object table, pen, brush, font, text settings, mapping,
// current position, paths) and the drawing calls the record walkers use.
#pragma once

#include "media/picture/metafile_reader.h"

#include <QBrush>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QTransform>

#include <optional>
#include <vector>

namespace picture_qt {

// Draws the whole metafile stretched into `target`. Unknown records are
// skipped; a record too short for its fields draws with zeros.
void playMetafile(const picture::Metafile& metafile, QPainter& painter, const QRectF& target);

struct GdiObject {
    enum class Kind { Pen, Brush, Font, Other } kind = Kind::Other;
    QPen pen;
    QBrush brush;
    QFont font;
    double fontHeight = 0;
};

class MetafilePlayer {
public:
    MetafilePlayer(QPainter& painter, const QTransform& deviceToTarget);

    // Object table: WMF takes the lowest free slot, EMF names the slot.
    void addObject(GdiObject object);
    void setObject(uint32_t index, GdiObject object);
    void selectObject(uint32_t index);
    void selectStockObject(uint32_t index);
    void deleteObject(uint32_t index);

    void setWindowOrg(double x, double y) { state_.windowOrg = {x, y}; }
    void setWindowExt(double cx, double cy);
    void setViewportOrg(double x, double y) { state_.viewportOrg = {x, y}; }
    void setViewportExt(double cx, double cy);
    void setMapMode(int mode) { state_.mapMode = mode; }
    void setWorldTransform(const QTransform& t) { state_.world = t; }
    const QTransform& worldTransform() const { return state_.world; }
    void setMetricScale(double pixelsPerMillimetreX, double pixelsPerMillimetreY);

    void setTextColor(QColor c) { state_.textColor = c; }
    void setBackgroundColor(QColor c) { state_.backgroundColor = c; }
    void setBackgroundOpaque(bool opaque) { state_.backgroundOpaque = opaque; }
    void setWindingFill(bool winding) { state_.windingFill = winding; }
    void setTextAlign(uint32_t align) { state_.textAlign = align; }
    void save();
    void restore(int relative);

    void moveTo(QPointF p) { state_.position = p; }
    void lineTo(QPointF p);
    void polyline(const QPolygonF& points, bool fromCurrent);
    void polygons(const std::vector<QPolygonF>& polygons);
    void polyBezier(const QPolygonF& points, bool fromCurrent);
    void rectangle(const QRectF& r);
    void roundRect(const QRectF& r, QSizeF corner);
    void ellipse(const QRectF& r);
    void text(QPointF reference, const QString& text, const QRectF* opaqueRect);
    void image(const QRectF& target, const QImage& image, const QRectF& source);
    void fillRect(const QRectF& r);

    void beginPath();
    void endPath() { inPath_ = false; }
    void closeFigure() { path_.closeSubpath(); }
    void fillPath(bool fill, bool stroke);

    // Cell heights are positive, character heights negative; both draw as
    // the absolute height.
    static GdiObject makeFont(double height, int weight, bool italic, bool underline, bool strikeOut, const QString& face);
    static GdiObject makePen(uint32_t style, double width, QColor color);
    static GdiObject makeBrush(uint32_t style, QColor color, uint32_t hatch);

private:
    struct State {
        QPen pen{Qt::black, 0};
        QBrush brush{Qt::white};
        QFont font;
        double fontHeight = 12;
        QColor textColor = Qt::black;
        QColor backgroundColor = Qt::white;
        bool backgroundOpaque = true;
        bool windingFill = false;
        uint32_t textAlign = 0;
        int mapMode = 1;
        QPointF windowOrg, viewportOrg;
        QSizeF windowExt{1, 1}, viewportExt{1, 1};
        QTransform world;
        QPointF position;
    };

    QTransform logicalToTarget() const;
    void applyTransform();
    void draw(const QPainterPath& path, bool fill);

    QPainter& painter_;
    QTransform deviceToTarget_;
    double metricX_ = 1, metricY_ = 1;
    State state_;
    std::vector<State> saved_;
    std::vector<std::optional<GdiObject>> objects_;
    bool inPath_ = false;
    QPainterPath path_;
};

// The record walkers, one per metafile form.
void playWindowsRecords(const picture::Metafile& metafile, MetafilePlayer& player);
void playEnhancedRecords(const picture::Metafile& metafile, MetafilePlayer& player);

// A device-independent bitmap (info header, colours, bits) as an image, or
// a null image when it cannot be read.
QImage decodeDib(std::string_view info, std::string_view bits);
QImage decodeBitmapFile(const std::string& file);

// 0x00BBGGRR as the metafiles store colours.
inline QColor colorRef(uint32_t value)
{
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

} // namespace picture_qt
