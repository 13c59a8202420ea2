#include "text/area/text_area.h"

#include "text/area/text_editor.h"
#include "text/document_file.h"
#include "text/document_release.h"
#include "platform/screen.h"

#include <QContextMenuEvent>
#include <QPainter>

#include <cstdlib>

namespace text {

namespace {

constexpr int kRing = 1;
constexpr int kControlFaceLength = 31;
constexpr int kMaxPixelHeight = 4096;

// a * b / c rounded to the nearest whole number, halves away from zero.
int mulDiv(int a, int b, int c)
{
    const long long p = static_cast<long long>(a) * b;
    const long long q = (std::llabs(p) + c / 2) / c;
    return static_cast<int>(p < 0 ? -q : q);
}

QColor colorValue(uint32_t bgr) { return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)); }

} // namespace

TextArea::TextArea(QWidget* parent) : QWidget(parent), editor_(new TextEditor(this))
{
    setFocusProxy(editor_);
    setGeometry(490, 125, 700, 550);
    setBackgroundColor(palette().color(QPalette::Window));
    applyFont();
}

int TextArea::dotsPerInch() const { return platform::screen().dotsPerInch(); }

DefaultFont TextArea::defaultFont() const
{
    DefaultFont f;
    f.face = fontName_.left(kControlFaceLength);
    f.points = GetFontSize();
    f.automaticColor = (fontColor_ & 0xFF000000u) == 0xFF000000u;
    f.color = fontColor_ & 0x00FFFFFFu;
    return f;
}

void TextArea::LoadDocument(const std::string& path)
{
    Document doc = loadDocumentFile(path);
    fillQtDocument(*editor_->document(), doc, defaultFont(), dotsPerInch());
    pictures_ = std::move(doc.pictures);
    editor_->moveCursor(QTextCursor::Start);
    releaseInBackground(std::move(doc));
}

void TextArea::SaveDocument(const std::string& path) const
{
    saveDocumentFile(path, [this] { return writeQtDocumentRtf(*editor_->document(), pictures_, defaultFont(), dotsPerInch()); });
}

void TextArea::ClearDocument()
{
    editor_->clear();
    pictures_.clear();
    editor_->document()->setModified(false);
}

bool TextArea::IsTextModified() const { return editor_->document()->isModified(); }

void TextArea::ClearModified() { editor_->document()->setModified(false); }

void TextArea::SetFontName(const QString& name)
{
    if (name.isEmpty())
        return;
    fontName_ = name;
    applyFont();
}

void TextArea::SetFontSize(int points)
{
    fontHeight_ = mulDiv(points, dotsPerInch(), 72);
    applyFont();
}

int TextArea::GetFontSize() const { return mulDiv(fontHeight_, 72, dotsPerInch()); }

void TextArea::SetFontColor(uint32_t color)
{
    fontColor_ = color;
    applyFont();
}

void TextArea::applyFont()
{
    QFont font(fontName_.left(kControlFaceLength));
    font.setPixelSize(std::clamp(std::abs(fontHeight_), 1, kMaxPixelHeight));
    font.setBold(false);
    font.setItalic(false);
    editor_->setFont(font);
    QPalette p = editor_->palette();
    const bool automatic = (fontColor_ & 0xFF000000u) == 0xFF000000u;
    const QColor text = automatic ? QPalette().color(QPalette::WindowText) : colorValue(fontColor_);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Text, text);
    editor_->setPalette(p);
}

void TextArea::setBackgroundColor(const QColor& color)
{
    background_ = color;
    QPalette p = editor_->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, color);
        p.setColor(group, QPalette::Window, color);
    }
    editor_->setPalette(p);
    update();
}

void TextArea::SetAreaWidth(int pixels) { resize(pixels, height()); }

void TextArea::SetAreaHeight(int pixels) { resize(width(), pixels); }

void TextArea::SetAreaLeft(int pixels) { move(pixels, y()); }

void TextArea::SetFrameVisible(bool visible)
{
    if (frameVisible_ == visible)
        return;
    frameVisible_ = visible;
    placeEditor();
    update();
}

void TextArea::FocusText()
{
    editor_->setFocus(Qt::OtherFocusReason);
}

void TextArea::placeEditor()
{
    const int inset = kRing + (frameVisible_ ? 1 : 0);
    editor_->setGeometry(rect().adjusted(inset, inset, -inset, -inset));
}

void TextArea::resizeEvent(QResizeEvent*) { placeEditor(); }

void TextArea::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), background_);
    if (!frameVisible_ || width() < 2 || height() < 2)
        return;
    // A sunken edge: darker top and left, lighter bottom and right.
    const QPalette& pal = palette();
    const int r = width() - 1;
    const int b = height() - 1;
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(0, 0, r - 1, 0);
    p.drawLine(0, 0, 0, b - 1);
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(0, b, r, b);
    p.drawLine(r, 0, r, b);
}

void TextArea::contextMenuEvent(QContextMenuEvent* e) { e->ignore(); }

} // namespace text
