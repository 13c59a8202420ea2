#include "media/picture/format_registry.h"

#include "base/errors.h"

#include <gtest/gtest.h>

namespace picture {
namespace {

struct LookupCase {
    const char* fileName;
    const char* description; // nullptr: unregistered
    const char* message;
};

TEST(FormatRegistry, LooksUpByExtensionFromNewestEntry)
{
    const LookupCase cases[] = {
        {"photo.jpg", "JPEG Image File", nullptr},
        {"PHOTO.JPG", "JPEG Image File", nullptr},
        {"scan.jpeg", "JPEG Image File", nullptr},
        {"icon.png", "Portable Network Graphics (QM)", nullptr},
        {"backup.tar.png", "Portable Network Graphics (QM)", nullptr},
        {"C:\\pictures\\drawing.Wmf", "Metafiles", nullptr},
        {"drawing.emf", "Enhanced Metafiles", nullptr},
        {"a.ico", "Icons", nullptr},
        {"a.bmp", "Bitmaps", nullptr},
        {"anim.Gif", nullptr, "Unknown picture file extension (.Gif)"},
        {"Backdrop", nullptr, "Unknown picture file extension (.)"},
        {"trailing.", nullptr, "Unknown picture file extension (.)"},
        {"C:\\my.pictures\\Backdrop", nullptr, "Unknown picture file extension (.)"},
        {"D:name", nullptr, "Unknown picture file extension (.)"},
        {"/home/me/my.pictures/Backdrop", nullptr, "Unknown picture file extension (.)"},
        {"/home/me/.config/x.TIFF", nullptr, "Unknown picture file extension (.TIFF)"},
    };
    const FormatRegistry& registry = pictureFormats();
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.fileName);
        if (c.description) {
            EXPECT_EQ(registry.formatForFile(c.fileName).description, c.description);
            continue;
        }
        try {
            registry.formatForFile(c.fileName);
            ADD_FAILURE() << "no error";
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(FormatRegistry, LaterEntryShadowsEarlierOneInAnyCase)
{
    FormatRegistry registry = FormatRegistry::withBuiltIns();
    EXPECT_EQ(registry.formatForFile("x.bmp").kind, GraphicKind::Bitmap);
    registry.addPictureFormat("BMP", "Other bitmaps", GraphicKind::PngImage);
    EXPECT_EQ(registry.formatForFile("x.Bmp").description, "Other bitmaps");
    EXPECT_THROW(registry.formatForFile("x.jpg"), EInvalidGraphic);
}

} // namespace
} // namespace picture
