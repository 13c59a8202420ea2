// The text area: the one place where the writer writes. A frame of one
// optional sunken pixel and a one-pixel ring in the background colour
// surround the editing surface; the operations below are the only way the
// rest of the program touches the text.
#pragma once

#include "text/area/qt_document.h"

#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

namespace text {

class TextEditor;

// The window-text colour as a colour value: a system colour reference.
inline constexpr uint32_t kWindowTextColor = 0xFF000008;

class TextArea : public QWidget {
    Q_OBJECT
public:
    explicit TextArea(QWidget* parent = nullptr);

    void LoadDocument(const std::string& path);
    void SaveDocument(const std::string& path) const;
    void ClearDocument();
    bool IsTextModified() const;
    void ClearModified();

    // Returns the name as given; the control itself takes at most the
    // first 31 characters. An empty name changes nothing.
    void SetFontName(const QString& name);
    QString GetFontName() const { return fontName_; }
    void SetFontSize(int points);
    int GetFontSize() const;
    void SetFontColor(uint32_t color);
    uint32_t GetFontColor() const { return fontColor_; }

    void SetAreaWidth(int pixels);
    int GetAreaWidth() const { return width(); }
    void SetAreaHeight(int pixels);
    int GetAreaHeight() const { return height(); }
    void SetAreaLeft(int pixels);
    void SetFrameVisible(bool visible);
    bool IsFrameVisible() const { return frameVisible_; }
    void FocusText();

    // Follows the window's colour; the text area has none of its own.
    void setBackgroundColor(const QColor& color);

    TextEditor* editor() const { return editor_; }
    DefaultFont defaultFont() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void applyFont();
    void placeEditor();
    int dotsPerInch() const;

    TextEditor* editor_;
    QString fontName_ = QStringLiteral("Calibri");
    int fontHeight_ = 19; // pixels: the size is kept as a character height
    uint32_t fontColor_ = kWindowTextColor;
    QColor background_;
    bool frameVisible_ = false;
    std::vector<Picture> pictures_; // those of the last load, for saving them back
};

} // namespace text
