// The program's picture format registry and the extension rule.
#include "media/picture/format_registry.h"

#include "base/errors.h"
#include "base/message.h"

#include <algorithm>
#include <cctype>

namespace picture {

namespace {

std::string toLower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

FormatRegistry& programRegistry()
{
    static FormatRegistry registry = [] {
        FormatRegistry r = FormatRegistry::withBuiltIns();
        // The readers' own entries, in the order they join at start-up; the
        // second PNG reader comes last so it reads every ".png" file.
        r.addPictureFormat("jpeg", "JPEG Image File", GraphicKind::JpegImage);
        r.addPictureFormat("jpg", "JPEG Image File", GraphicKind::JpegImage);
        r.addPictureFormat("png", "Portable Network Graphics", GraphicKind::PngImage);
        r.addPictureFormat("png", "Portable Network Graphics (QM)", GraphicKind::QmPngObject);
        return r;
    }();
    return registry;
}

} // namespace

FormatRegistry FormatRegistry::withBuiltIns()
{
    FormatRegistry r;
    r.addPictureFormat("wmf", "Metafiles", GraphicKind::Metafile);
    r.addPictureFormat("emf", "Enhanced Metafiles", GraphicKind::Metafile);
    r.addPictureFormat("ico", "Icons", GraphicKind::Icon);
    r.addPictureFormat("bmp", "Bitmaps", GraphicKind::Bitmap);
    return r;
}

void FormatRegistry::addPictureFormat(std::string_view extension, std::string_view description, GraphicKind kind)
{
    entries_.push_back({toLower(extension), std::string(description), kind});
}

const PictureFormat& FormatRegistry::formatForFile(std::string_view fileName) const
{
    const std::string_view extension = pictureExtension(fileName);
    const std::string lower = toLower(extension);
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (it->extension == lower)
            return *it;
    }
    throw EInvalidGraphic(base::formatMessage("Unknown picture file extension (.%s)", extension));
}

std::string_view pictureExtension(std::string_view fileName)
{
    // '/' counts as a separator too: on this platform it is the one that
    // matters, and a dot in a folder name must not make an extension.
    const size_t separator = fileName.find_last_of("\\:/");
    const size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart)
        return {};
    return fileName.substr(dot + 1);
}

const FormatRegistry& pictureFormats() { return programRegistry(); }

void AddPictureFormat(std::string_view extension, std::string_view description, GraphicKind kind)
{
    programRegistry().addPictureFormat(extension, description, kind);
}

} // namespace picture
