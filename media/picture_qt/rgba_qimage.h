// The one conversion between the readers' image type and Qt's.
#pragma once

#include "media/picture/rgba_image.h"

#include <QImage>

#include <cstring>

namespace picture_qt {

// A deep copy: the QImage owns its pixels, in straight-alpha RGBA order.
inline QImage toQImage(const picture::RgbaImage& image)
{
    if (image.empty())
        return {};
    QImage out(image.width, image.height, QImage::Format_RGBA8888);
    const size_t rowBytes = static_cast<size_t>(image.width) * 4;
    for (int32_t y = 0; y < image.height; ++y)
        std::memcpy(out.scanLine(y), image.row(y), rowBytes);
    return out;
}

} // namespace picture_qt
