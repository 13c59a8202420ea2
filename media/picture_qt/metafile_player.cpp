// The drawing state shared by both metafile forms, and the entry point that
// sets up the mapping from the metafile's own units to the target.
#include "media/picture_qt/metafile_player.h"

#include "base/exception.h"
#include "media/picture/bmp_reader.h"
#include "media/picture_qt/rgba_qimage.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace picture_qt {

namespace {

// Limits that keep a hostile file from stalling the painter: object slots,
// saved states, and font sizes in target pixels.
constexpr uint32_t kMaxObjects = 65536;
constexpr size_t kMaxSavedStates = 1024;
constexpr double kMaxFontPixels = 4096;

enum MapMode { kText = 1, kLoMetric, kHiMetric, kLoEnglish, kHiEnglish, kTwips, kIsotropic, kAnisotropic };

double millimetresPerUnit(int mode)
{
    switch (mode) {
    case kLoMetric: return 0.1;
    case kHiMetric: return 0.01;
    case kLoEnglish: return 0.254;
    case kHiEnglish: return 0.0254;
    case kTwips: return 25.4 / 1440;
    default: return 0;
    }
}

Qt::PenStyle penStyle(uint32_t style)
{
    switch (style & 0x0F) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case 5: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

Qt::BrushStyle hatchStyle(uint32_t hatch)
{
    switch (hatch) {
    case 0: return Qt::HorPattern;
    case 1: return Qt::VerPattern;
    case 2: return Qt::FDiagPattern;
    case 3: return Qt::BDiagPattern;
    case 4: return Qt::CrossPattern;
    default: return Qt::DiagCrossPattern;
    }
}

} // namespace

MetafilePlayer::MetafilePlayer(QPainter& painter, const QTransform& deviceToTarget)
    : painter_(painter), deviceToTarget_(deviceToTarget)
{
    state_.font.setPixelSize(12);
}

GdiObject MetafilePlayer::makeFont(double height, int weight, bool italic, bool underline, bool strikeOut,
                                   const QString& face)
{
    GdiObject o;
    o.kind = GdiObject::Kind::Font;
    o.font.setFamily(face.isEmpty() ? QStringLiteral("Arial") : face);
    o.font.setWeight(static_cast<QFont::Weight>(std::clamp(weight == 0 ? 400 : weight, 100, 900)));
    o.font.setItalic(italic);
    o.font.setUnderline(underline);
    o.font.setStrikeOut(strikeOut);
    o.fontHeight = std::abs(height) > 0 ? std::abs(height) : 12;
    return o;
}

GdiObject MetafilePlayer::makePen(uint32_t style, double width, QColor color)
{
    GdiObject o;
    o.kind = GdiObject::Kind::Pen;
    o.pen = QPen(color, std::max(0.0, width), penStyle(style));
    return o;
}

GdiObject MetafilePlayer::makeBrush(uint32_t style, QColor color, uint32_t hatch)
{
    GdiObject o;
    o.kind = GdiObject::Kind::Brush;
    if (style == 1)
        o.brush = QBrush(Qt::NoBrush);
    else if (style == 2)
        o.brush = QBrush(color, hatchStyle(hatch));
    else
        o.brush = QBrush(color);
    return o;
}

void MetafilePlayer::addObject(GdiObject object)
{
    auto free = std::find_if(objects_.begin(), objects_.end(), [](const auto& o) { return !o.has_value(); });
    if (free != objects_.end())
        *free = std::move(object);
    else if (objects_.size() < kMaxObjects)
        objects_.push_back(std::move(object));
}

void MetafilePlayer::setObject(uint32_t index, GdiObject object)
{
    if (index >= kMaxObjects)
        return;
    if (index >= objects_.size())
        objects_.resize(index + 1);
    objects_[index] = std::move(object);
}

void MetafilePlayer::selectObject(uint32_t index)
{
    if (index >= objects_.size() || !objects_[index])
        return;
    const GdiObject& o = *objects_[index];
    switch (o.kind) {
    case GdiObject::Kind::Pen: state_.pen = o.pen; break;
    case GdiObject::Kind::Brush: state_.brush = o.brush; break;
    case GdiObject::Kind::Font:
        state_.font = o.font;
        state_.fontHeight = o.fontHeight;
        break;
    case GdiObject::Kind::Other: break;
    }
}

void MetafilePlayer::selectStockObject(uint32_t index)
{
    static const int grays[] = {255, 192, 128, 64, 0};
    if (index <= 4)
        state_.brush = QBrush(QColor(grays[index], grays[index], grays[index]));
    else if (index == 5)
        state_.brush = QBrush(Qt::NoBrush);
    else if (index == 6 || index == 7)
        state_.pen = QPen(index == 6 ? Qt::white : Qt::black, 0);
    else if (index == 8)
        state_.pen = QPen(Qt::NoPen);
}

void MetafilePlayer::deleteObject(uint32_t index)
{
    if (index < objects_.size())
        objects_[index].reset();
}

void MetafilePlayer::setWindowExt(double cx, double cy)
{
    if (cx != 0 && cy != 0)
        state_.windowExt = {cx, cy};
}

void MetafilePlayer::setViewportExt(double cx, double cy)
{
    if (cx != 0 && cy != 0)
        state_.viewportExt = {cx, cy};
}

void MetafilePlayer::setMetricScale(double pixelsPerMillimetreX, double pixelsPerMillimetreY)
{
    metricX_ = pixelsPerMillimetreX;
    metricY_ = pixelsPerMillimetreY;
}

void MetafilePlayer::save()
{
    if (saved_.size() < kMaxSavedStates)
        saved_.push_back(state_);
}

void MetafilePlayer::restore(int relative)
{
    // -1 is the last saved state; a positive value counts from the first.
    const int64_t size = static_cast<int64_t>(saved_.size());
    const int64_t index = relative < 0 ? size + relative : int64_t{relative} - 1;
    if (index < 0 || index >= size)
        return;
    state_ = saved_[static_cast<size_t>(index)];
    saved_.resize(static_cast<size_t>(index));
}

QTransform MetafilePlayer::logicalToTarget() const
{
    const State& s = state_;
    double sx = 1, sy = 1;
    if (s.mapMode == kIsotropic || s.mapMode == kAnisotropic) {
        sx = s.viewportExt.width() / s.windowExt.width();
        sy = s.viewportExt.height() / s.windowExt.height();
    } else if (const double mm = millimetresPerUnit(s.mapMode); mm > 0) {
        sx = mm * metricX_;
        sy = -mm * metricY_;
    }
    const QTransform page = QTransform::fromTranslate(-s.windowOrg.x(), -s.windowOrg.y())
                            * QTransform::fromScale(sx, sy)
                            * QTransform::fromTranslate(s.viewportOrg.x(), s.viewportOrg.y());
    return s.world * page * deviceToTarget_;
}

void MetafilePlayer::applyTransform()
{
    painter_.setTransform(logicalToTarget());
    painter_.setPen(state_.pen);
    painter_.setBrush(state_.brush);
}

void MetafilePlayer::draw(const QPainterPath& shape, bool fill)
{
    if (inPath_) {
        path_.addPath(shape);
        return;
    }
    applyTransform();
    if (!fill)
        painter_.setBrush(Qt::NoBrush);
    painter_.drawPath(shape);
}

void MetafilePlayer::lineTo(QPointF p)
{
    if (inPath_) {
        if (path_.elementCount() == 0)
            path_.moveTo(state_.position);
        path_.lineTo(p);
    } else {
        applyTransform();
        painter_.drawLine(state_.position, p);
    }
    state_.position = p;
}

void MetafilePlayer::polyline(const QPolygonF& points, bool fromCurrent)
{
    if (points.isEmpty())
        return;
    QPainterPath shape;
    shape.moveTo(fromCurrent ? state_.position : points.front());
    for (qsizetype i = fromCurrent ? 0 : 1; i < points.size(); ++i)
        shape.lineTo(points[i]);
    if (fromCurrent)
        state_.position = points.back();
    draw(shape, false);
}

void MetafilePlayer::polygons(const std::vector<QPolygonF>& list)
{
    QPainterPath shape;
    shape.setFillRule(state_.windingFill ? Qt::WindingFill : Qt::OddEvenFill);
    for (const QPolygonF& polygon : list) {
        if (polygon.size() < 2)
            continue;
        shape.addPolygon(polygon);
        shape.closeSubpath();
    }
    draw(shape, true);
}

void MetafilePlayer::polyBezier(const QPolygonF& points, bool fromCurrent)
{
    qsizetype i = 0;
    QPainterPath shape;
    if (fromCurrent) {
        shape.moveTo(state_.position);
    } else {
        if (points.isEmpty())
            return;
        shape.moveTo(points[i++]);
    }
    for (; i + 2 < points.size(); i += 3)
        shape.cubicTo(points[i], points[i + 1], points[i + 2]);
    state_.position = shape.currentPosition();
    draw(shape, false);
}

void MetafilePlayer::rectangle(const QRectF& r)
{
    QPainterPath shape;
    shape.addRect(r.normalized());
    draw(shape, true);
}

void MetafilePlayer::roundRect(const QRectF& r, QSizeF corner)
{
    QPainterPath shape;
    shape.addRoundedRect(r.normalized(), std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
    draw(shape, true);
}

void MetafilePlayer::ellipse(const QRectF& r)
{
    QPainterPath shape;
    shape.addEllipse(r.normalized());
    draw(shape, true);
}

void MetafilePlayer::fillRect(const QRectF& r)
{
    applyTransform();
    painter_.fillRect(r.normalized(), state_.brush);
}

void MetafilePlayer::beginPath()
{
    inPath_ = true;
    path_ = QPainterPath();
    path_.setFillRule(state_.windingFill ? Qt::WindingFill : Qt::OddEvenFill);
}

void MetafilePlayer::fillPath(bool fill, bool stroke)
{
    inPath_ = false;
    applyTransform();
    painter_.setPen(stroke ? state_.pen : QPen(Qt::NoPen));
    painter_.setBrush(fill ? state_.brush : QBrush(Qt::NoBrush));
    painter_.drawPath(path_);
    path_ = QPainterPath();
}

void MetafilePlayer::image(const QRectF& target, const QImage& picture, const QRectF& source)
{
    if (picture.isNull())
        return;
    applyTransform();
    painter_.drawImage(target, picture, source.isValid() ? source : QRectF(picture.rect()));
}

void MetafilePlayer::text(QPointF reference, const QString& string, const QRectF* opaqueRect)
{
    // Text stays upright whatever the mapping: the reference point is
    // mapped, and the font is scaled by the vertical scale alone.
    const QTransform t = logicalToTarget();
    const bool useCurrent = (state_.textAlign & 1) != 0;
    const QPointF anchor = t.map(useCurrent ? state_.position : reference);
    const double scale = std::hypot(t.m12(), t.m22());
    QFont font = state_.font;
    font.setPixelSize(std::clamp(static_cast<int>(std::lround(state_.fontHeight * scale)), 1, static_cast<int>(kMaxFontPixels)));
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(string);
    QPointF origin = anchor;
    const uint32_t horizontal = state_.textAlign & 6, vertical = state_.textAlign & 24;
    origin.rx() -= horizontal == 6 ? width / 2 : horizontal == 2 ? width : 0;
    origin.ry() += vertical == 24 ? 0 : vertical == 8 ? -metrics.descent() : metrics.ascent();
    painter_.setTransform(QTransform());
    if (opaqueRect && state_.backgroundOpaque)
        painter_.fillRect(t.mapRect(opaqueRect->normalized()), state_.backgroundColor);
    else if (state_.backgroundOpaque)
        painter_.fillRect(QRectF(origin.x(), origin.y() - metrics.ascent(), width, metrics.height()), state_.backgroundColor);
    painter_.setFont(font);
    painter_.setPen(state_.textColor);
    painter_.drawText(origin, string);
    if (useCurrent)
        state_.position = t.inverted().map(QPointF(anchor.x() + width, anchor.y()));
}

QImage decodeDib(std::string_view info, std::string_view bits) { return decodeBitmapFile(picture::bitmapFileFromDib(info, bits)); }

QImage decodeBitmapFile(const std::string& file)
{
    if (file.empty())
        return {};
    try {
        return toQImage(picture::readBmp(file));
    } catch (const base::Exception&) {
        return {}; // a broken embedded bitmap is skipped like an unknown record
    }
}

void playMetafile(const picture::Metafile& metafile, QPainter& painter, const QRectF& target)
{
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    if (metafile.format == picture::MetafileFormat::Windows) {
        MetafilePlayer player(painter, QTransform());
        player.setMapMode(kAnisotropic);
        player.setViewportOrg(target.left(), target.top());
        player.setViewportExt(target.width(), target.height());
        player.setWindowOrg(metafile.left, metafile.top);
        player.setWindowExt(metafile.right - metafile.left, metafile.bottom - metafile.top);
        playWindowsRecords(metafile, player);
    } else {
        const QRectF frame(QPointF(metafile.left, metafile.top), QPointF(metafile.right, metafile.bottom));
        QTransform toTarget;
        if (frame.width() != 0 && frame.height() != 0)
            toTarget = QTransform::fromTranslate(-frame.left(), -frame.top())
                       * QTransform::fromScale(target.width() / frame.width(), target.height() / frame.height())
                       * QTransform::fromTranslate(target.left(), target.top());
        MetafilePlayer player(painter, toTarget);
        playEnhancedRecords(metafile, player);
    }
    painter.restore();
}

} // namespace picture_qt
