// The enhanced-metafile record walker: 32-bit fields in natural order,
// objects in the slot each record names, stock objects by their high bit.
#include "media/picture_qt/metafile_player.h"

#include <cmath>
#include <cstring>

namespace picture_qt {

namespace {

using picture::readI16;
using picture::readI32;
using picture::readU16;
using picture::readU32;

QRectF rectFrom(std::string_view p, size_t at) // left, top, right, bottom
{
    return QRectF(QPointF(readI32(p, at), readI32(p, at + 4)), QPointF(readI32(p, at + 8), readI32(p, at + 12)));
}

size_t fitting(std::string_view p, size_t at, size_t count, size_t each)
{
    return std::min(count, (p.size() > at ? p.size() - at : 0) / each);
}

// Points as 32-bit pairs, or 16-bit ones in the "16" records.
QPolygonF pointsFrom(std::string_view p, size_t at, size_t count, bool small)
{
    const size_t each = small ? 4 : 8;
    count = fitting(p, at, count, each);
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(count));
    for (size_t i = 0; i < count; ++i) {
        const size_t q = at + i * each;
        points.append(small ? QPointF(readI16(p, q), readI16(p, q + 2)) : QPointF(readI32(p, q), readI32(p, q + 4)));
    }
    return points;
}

// bounds, count, points
QPolygonF polyFrom(std::string_view p, bool small) { return pointsFrom(p, 20, readU32(p, 16), small); }

// bounds, polygon count, total points, the counts, then every point
std::vector<QPolygonF> polyPolyFrom(std::string_view p, bool small)
{
    const size_t polygons = fitting(p, 24, readU32(p, 16), 4);
    size_t at = 24 + polygons * 4;
    std::vector<QPolygonF> list;
    for (size_t i = 0; i < polygons && at < p.size(); ++i) {
        const size_t count = fitting(p, at, readU32(p, 24 + i * 4), small ? 4 : 8);
        list.push_back(pointsFrom(p, at, count, small));
        at += count * (small ? 4 : 8);
    }
    return list;
}

QTransform xformFrom(std::string_view p, size_t at)
{
    float f[6];
    for (int i = 0; i < 6; ++i) {
        const uint32_t bits = readU32(p, at + static_cast<size_t>(i) * 4);
        std::memcpy(&f[i], &bits, 4);
        if (!std::isfinite(f[i]))
            return {};
    }
    return QTransform(f[0], f[1], f[2], f[3], f[4], f[5]);
}

void modifyWorldTransform(std::string_view p, MetafilePlayer& player)
{
    const QTransform t = xformFrom(p, 0);
    switch (readU32(p, 24)) {
    case 1: player.setWorldTransform(QTransform()); break;
    case 2: player.setWorldTransform(t * player.worldTransform()); break;
    case 3: player.setWorldTransform(player.worldTransform() * t); break;
    case 4: player.setWorldTransform(t); break;
    default: break;
    }
}

// Offsets inside a record count from its start, eight bytes before `p`.
std::string_view slice(std::string_view p, uint32_t offset, uint32_t size)
{
    if (offset < 8 || offset - 8 > p.size() || size > p.size() - (offset - 8))
        return {};
    return p.substr(offset - 8, size);
}

GdiObject fontFrom(std::string_view p)
{
    // ihFont, then the logical font: height, width, escapement, orientation,
    // weight, italic, underline, strike-out, four more bytes, the face name.
    QString face;
    for (size_t i = 0; i < 32; ++i) {
        const uint16_t c = readU16(p, 32 + i * 2);
        if (c == 0)
            break;
        face += QChar(c);
    }
    return MetafilePlayer::makeFont(readI32(p, 4), readI32(p, 20), p.size() > 24 && p[24], p.size() > 25 && p[25],
                                    p.size() > 26 && p[26], face);
}

void extTextOut(std::string_view p, MetafilePlayer& player)
{
    // bounds, graphics mode, x and y scale, then the text block: reference,
    // count, string offset, options, rectangle, spacing offset
    const QPointF reference(readI32(p, 28), readI32(p, 32));
    const uint32_t count = readU32(p, 36);
    const std::string_view chars = slice(p, readU32(p, 40), count <= p.size() / 2 ? count * 2 : 0);
    QString string;
    for (size_t i = 0; i + 1 < chars.size(); i += 2)
        string += QChar(readU16(chars, i));
    const QRectF rect = rectFrom(p, 48);
    const bool opaque = (readU32(p, 44) & 0x2) != 0;
    player.text(reference, string, opaque ? &rect : nullptr);
}

void bitmapRecord(std::string_view p, MetafilePlayer& player, size_t bitmapAt, QRectF target, QRectF source)
{
    const std::string_view info = slice(p, readU32(p, bitmapAt), readU32(p, bitmapAt + 4));
    const std::string_view bits = slice(p, readU32(p, bitmapAt + 8), readU32(p, bitmapAt + 12));
    if (info.empty())
        player.fillRect(target); // no bitmap: a pattern fill with the brush
    else
        player.image(target, decodeDib(info, bits), source);
}

void stretchDibits(std::string_view p, MetafilePlayer& player)
{
    const QRectF source(readI32(p, 24), readI32(p, 28), readI32(p, 32), readI32(p, 36));
    const QRectF target(readI32(p, 16), readI32(p, 20), readI32(p, 64), readI32(p, 68));
    bitmapRecord(p, player, 40, target, source);
}

void stretchBlt(std::string_view p, MetafilePlayer& player, bool stretched)
{
    const QRectF target(readI32(p, 16), readI32(p, 20), readI32(p, 24), readI32(p, 28));
    const QSizeF sourceSize = stretched ? QSizeF(readI32(p, 92), readI32(p, 96)) : target.size();
    const QRectF source(QPointF(readI32(p, 36), readI32(p, 40)), sourceSize);
    bitmapRecord(p, player, 76, target, source);
}

void stockOrObject(uint32_t index, MetafilePlayer& player)
{
    if (index & 0x80000000u)
        player.selectStockObject(index & 0x7FFFFFFFu);
    else
        player.selectObject(index);
}

void playRecord(uint32_t type, std::string_view p, MetafilePlayer& player)
{
    switch (type) {
    case 2: player.polyBezier(polyFrom(p, false), false); break;
    case 3: player.polygons({polyFrom(p, false)}); break;
    case 4: player.polyline(polyFrom(p, false), false); break;
    case 5: player.polyBezier(polyFrom(p, false), true); break;
    case 6: player.polyline(polyFrom(p, false), true); break;
    case 7: for (const QPolygonF& line : polyPolyFrom(p, false)) player.polyline(line, false); break;
    case 8: player.polygons(polyPolyFrom(p, false)); break;
    case 9: player.setWindowExt(readI32(p, 0), readI32(p, 4)); break;
    case 10: player.setWindowOrg(readI32(p, 0), readI32(p, 4)); break;
    case 11: player.setViewportExt(readI32(p, 0), readI32(p, 4)); break;
    case 12: player.setViewportOrg(readI32(p, 0), readI32(p, 4)); break;
    case 17: player.setMapMode(readI32(p, 0)); break;
    case 18: player.setBackgroundOpaque(readU32(p, 0) == 2); break;
    case 19: player.setWindingFill(readU32(p, 0) == 2); break;
    case 22: player.setTextAlign(readU32(p, 0)); break;
    case 24: player.setTextColor(colorRef(readU32(p, 0))); break;
    case 25: player.setBackgroundColor(colorRef(readU32(p, 0))); break;
    case 27: player.moveTo(QPointF(readI32(p, 0), readI32(p, 4))); break;
    case 33: player.save(); break;
    case 34: player.restore(readI32(p, 0)); break;
    case 35: player.setWorldTransform(xformFrom(p, 0)); break;
    case 36: modifyWorldTransform(p, player); break;
    case 37: stockOrObject(readU32(p, 0), player); break;
    case 38: player.setObject(readU32(p, 0), MetafilePlayer::makePen(readU32(p, 4), readI32(p, 8), colorRef(readU32(p, 16)))); break;
    case 39: player.setObject(readU32(p, 0), MetafilePlayer::makeBrush(readU32(p, 4), colorRef(readU32(p, 8)), readU32(p, 12))); break;
    case 40: player.deleteObject(readU32(p, 0)); break;
    case 42: player.ellipse(rectFrom(p, 0)); break;
    case 43: player.rectangle(rectFrom(p, 0)); break;
    case 44: player.roundRect(rectFrom(p, 0), QSizeF(readI32(p, 16), readI32(p, 20))); break;
    case 54: player.lineTo(QPointF(readI32(p, 0), readI32(p, 4))); break;
    case 59: player.beginPath(); break;
    case 60: player.endPath(); break;
    case 61: player.closeFigure(); break;
    case 62: player.fillPath(true, false); break;
    case 63: player.fillPath(true, true); break;
    case 64: player.fillPath(false, true); break;
    case 76: stretchBlt(p, player, false); break;
    case 77: stretchBlt(p, player, true); break;
    case 81: stretchDibits(p, player); break;
    case 82: player.setObject(readU32(p, 0), fontFrom(p)); break;
    case 84: extTextOut(p, player); break;
    case 85: player.polyBezier(polyFrom(p, true), false); break;
    case 86: player.polygons({polyFrom(p, true)}); break;
    case 87: player.polyline(polyFrom(p, true), false); break;
    case 88: player.polyBezier(polyFrom(p, true), true); break;
    case 89: player.polyline(polyFrom(p, true), true); break;
    case 90: for (const QPolygonF& line : polyPolyFrom(p, true)) player.polyline(line, false); break;
    case 91: player.polygons(polyPolyFrom(p, true)); break;
    // ihPen, bitmap offsets and sizes, then style, width, brush style, colour
    case 95: player.setObject(readU32(p, 0), MetafilePlayer::makePen(readU32(p, 20), readU32(p, 24), colorRef(readU32(p, 32)))); break;
    default: break;
    }
}

} // namespace

void playEnhancedRecords(const picture::Metafile& metafile, MetafilePlayer& player)
{
    if (metafile.records.empty())
        return;
    // The header's reference device gives the scale of the metric modes.
    const std::string_view header = metafile.params(metafile.records.front());
    const double devX = readI32(header, 64), devY = readI32(header, 68);
    const double mmX = readI32(header, 72), mmY = readI32(header, 76);
    if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0)
        player.setMetricScale(devX / mmX, devY / mmY);
    for (const picture::MetafileRecord& record : metafile.records)
        playRecord(record.type, metafile.params(record), player);
}

} // namespace picture_qt
