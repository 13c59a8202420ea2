// Loading a picture file: extension → registry → empty graphic → read the
// whole file → let the graphic read it → replace and notify.
#include "media/picture_qt/picture.h"

#include "base/file.h"

namespace picture_qt {

void TPicture::LoadPictureFile(const std::string& fileName)
{
    const picture::PictureFormat& format = picture::pictureFormats().formatForFile(fileName);
    std::unique_ptr<TGraphic> graphic = createGraphic(format.kind);
    graphic->LoadFromBytes(base::readFile(fileName));
    setGraphic(std::move(graphic));
}

void TPicture::setGraphic(std::unique_ptr<TGraphic> graphic)
{
    graphic_ = std::move(graphic);
    if (onChange_)
        onChange_();
}

} // namespace picture_qt
