// The Windows-metafile record walker: 16-bit coordinates, most fields in
// reverse order, objects in the lowest free slot of the table.
#include "media/picture_qt/metafile_player.h"

namespace picture_qt {

namespace {

using picture::readI16;
using picture::readU16;
using picture::readU32;

QRectF rectFrom(std::string_view p, size_t at) // bottom, right, top, left
{
    return QRectF(QPointF(readI16(p, at + 6), readI16(p, at + 4)), QPointF(readI16(p, at + 2), readI16(p, at)));
}

QPolygonF pointsFrom(std::string_view p, size_t at, size_t count)
{
    count = std::min(count, (p.size() > at ? p.size() - at : 0) / 4);
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(count));
    for (size_t i = 0; i < count; ++i)
        points.append(QPointF(readI16(p, at + i * 4), readI16(p, at + i * 4 + 2)));
    return points;
}

std::vector<QPolygonF> polyPolygonFrom(std::string_view p)
{
    const size_t polygons = readU16(p, 0);
    std::vector<QPolygonF> list;
    size_t at = 2 + polygons * 2;
    for (size_t i = 0; i < polygons && at < p.size(); ++i) {
        const size_t count = readU16(p, 2 + i * 2);
        list.push_back(pointsFrom(p, at, count));
        at += count * 4;
    }
    return list;
}

QString ansiText(std::string_view p, size_t at, size_t count)
{
    if (at >= p.size())
        return {};
    return QString::fromLatin1(p.data() + at, static_cast<qsizetype>(std::min(count, p.size() - at)));
}

GdiObject fontFrom(std::string_view p)
{
    const size_t faceAt = 18;
    std::string_view face = faceAt < p.size() ? p.substr(faceAt, 32) : std::string_view();
    face = face.substr(0, face.find('\0'));
    return MetafilePlayer::makeFont(readI16(p, 0), readI16(p, 8), p.size() > 10 && p[10], p.size() > 11 && p[11],
                                    p.size() > 12 && p[12], QString::fromLatin1(face.data(), static_cast<qsizetype>(face.size())));
}

void extTextOut(std::string_view p, MetafilePlayer& player)
{
    const QPointF reference(readI16(p, 2), readI16(p, 0));
    const size_t count = readU16(p, 4);
    const uint16_t options = readU16(p, 6);
    const bool hasRect = (options & 0x6) != 0;
    const QRectF rect(QPointF(readI16(p, 8), readI16(p, 10)), QPointF(readI16(p, 12), readI16(p, 14)));
    const bool opaque = (options & 0x2) != 0;
    player.text(reference, ansiText(p, hasRect ? 16 : 8, count), opaque ? &rect : nullptr);
}

// The packed bitmap follows the fixed fields.
QImage dibFrom(std::string_view p, size_t at)
{
    return at < p.size() ? decodeBitmapFile(picture::bitmapFileFromPackedDib(p.substr(at))) : QImage();
}

void stretchDib(std::string_view p, MetafilePlayer& player, bool withUsage)
{
    const size_t base = withUsage ? 6 : 4; // raster operation, then colour usage
    const QRectF source(readI16(p, base + 6), readI16(p, base + 4), readI16(p, base + 2), readI16(p, base));
    const QRectF target(readI16(p, base + 14), readI16(p, base + 12), readI16(p, base + 10), readI16(p, base + 8));
    player.image(target, dibFrom(p, base + 16), source);
}

void playRecord(uint32_t function, std::string_view p, MetafilePlayer& player)
{
    switch (function) {
    case 0x0201: player.setBackgroundColor(colorRef(readU32(p, 0))); break;
    case 0x0102: player.setBackgroundOpaque(readU16(p, 0) == 2); break;
    case 0x0106: player.setWindingFill(readU16(p, 0) == 2); break;
    case 0x012E: player.setTextAlign(readU16(p, 0)); break;
    case 0x0209: player.setTextColor(colorRef(readU32(p, 0))); break;
    case 0x020B: player.setWindowOrg(readI16(p, 2), readI16(p, 0)); break;
    case 0x020C: player.setWindowExt(readI16(p, 2), readI16(p, 0)); break;
    case 0x0213: player.lineTo(QPointF(readI16(p, 2), readI16(p, 0))); break;
    case 0x0214: player.moveTo(QPointF(readI16(p, 2), readI16(p, 0))); break;
    case 0x041B: player.rectangle(rectFrom(p, 0)); break;
    case 0x061C: player.roundRect(rectFrom(p, 4), QSizeF(readI16(p, 2), readI16(p, 0))); break;
    case 0x0418: player.ellipse(rectFrom(p, 0)); break;
    case 0x0324: player.polygons({pointsFrom(p, 2, readU16(p, 0))}); break;
    case 0x0325: player.polyline(pointsFrom(p, 2, readU16(p, 0)), false); break;
    case 0x0538: player.polygons(polyPolygonFrom(p)); break;
    case 0x0521: {
        const size_t count = readU16(p, 0);
        const size_t at = 2 + ((count + 1) & ~size_t{1});
        player.text(QPointF(readI16(p, at + 2), readI16(p, at)), ansiText(p, 2, count), nullptr);
        break;
    }
    case 0x0A32: extTextOut(p, player); break;
    case 0x001E: player.save(); break;
    case 0x0127: player.restore(readI16(p, 0)); break;
    case 0x012D: player.selectObject(readU16(p, 0)); break;
    case 0x01F0: player.deleteObject(readU16(p, 0)); break;
    case 0x02FA: player.addObject(MetafilePlayer::makePen(readU16(p, 0), readI16(p, 2), colorRef(readU32(p, 6)))); break;
    case 0x02FC: player.addObject(MetafilePlayer::makeBrush(readU16(p, 0), colorRef(readU32(p, 2)), readU16(p, 6))); break;
    case 0x02FB: player.addObject(fontFrom(p)); break;
    // Objects this player does not draw with still take their slot, so the
    // handles of later objects stay right.
    case 0x00F7: case 0x01F9: case 0x0142: case 0x06FF: player.addObject(GdiObject{}); break;
    case 0x0F43: stretchDib(p, player, true); break;
    case 0x0B41: stretchDib(p, player, false); break;
    default: break;
    }
}

} // namespace

void playWindowsRecords(const picture::Metafile& metafile, MetafilePlayer& player)
{
    for (const picture::MetafileRecord& record : metafile.records)
        playRecord(record.type, metafile.params(record), player);
}

} // namespace picture_qt
