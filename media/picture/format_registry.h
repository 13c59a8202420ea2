// The picture formats known to the program: extension, description and the
// graphic kind that reads it. Lookups go from the newest entry back, so a
// later reader of an extension shadows an earlier one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace picture {

enum class GraphicKind { Metafile, Icon, Bitmap, JpegImage, PngImage, QmPngObject };

struct PictureFormat {
    std::string extension; // lower case, no dot
    std::string description;
    GraphicKind kind;
};

class FormatRegistry {
public:
    // The four kinds the picture service knows by itself.
    static FormatRegistry withBuiltIns();

    void addPictureFormat(std::string_view extension, std::string_view description, GraphicKind kind);
    // The newest entry for the file name's extension; EInvalidGraphic
    // "Unknown picture file extension (.%s)" when there is none.
    const PictureFormat& formatForFile(std::string_view fileName) const;
    const std::vector<PictureFormat>& entries() const { return entries_; }

private:
    std::vector<PictureFormat> entries_;
};

// The extension of a file name as written, without the dot: the text after
// the last dot that follows the last path separator ('\\', ':' or '/').
std::string_view pictureExtension(std::string_view fileName);

// The program's registry: the built-in kinds followed by the JPEG reader's
// and the two PNG readers' entries, complete on first use.
const FormatRegistry& pictureFormats();

// Appends to the program's registry; only the readers call it, at start-up.
void AddPictureFormat(std::string_view extension, std::string_view description, GraphicKind kind);

} // namespace picture
