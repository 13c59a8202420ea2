// The picture holder: loads a file by its extension into a graphic of the
// registered kind and owns it; a failed load keeps the previous graphic.
#pragma once

#include "media/picture_qt/graphic.h"

#include <functional>
#include <memory>
#include <string>

namespace picture_qt {

class TPicture {
public:
    // Raises EInvalidGraphic for an unregistered extension, EFOpenError
    // naming the expanded path, or the reader's own error.
    void LoadPictureFile(const std::string& fileName);
    TGraphic* Graphic() const { return graphic_.get(); }
    void setGraphic(std::unique_ptr<TGraphic> graphic);
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    // Called after each change of graphic (the picture control repaints).
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

private:
    std::unique_ptr<TGraphic> graphic_;
    std::function<void()> onChange_;
};

} // namespace picture_qt
