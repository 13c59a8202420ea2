#include "forms/Unit2_controls.h"

#include "forms/step_runner.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>

#include <utility>

namespace forms {

namespace {

constexpr uint32_t kSystemColorFlag = 0xFF000000u;
constexpr uint32_t kButtonTextIndex = 18;

// The toolkit's style with another slider thumb length.
class ThumbLengthStyle final : public QProxyStyle {
public:
    explicit ThumbLengthStyle(int pixels) : pixels_(pixels) {}
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        return metric == PM_SliderLength ? pixels_ : QProxyStyle::pixelMetric(metric, option, widget);
    }

private:
    int pixels_;
};

} // namespace

QColor shownColor(uint32_t color)
{
    if ((color & kSystemColorFlag) == kSystemColorFlag)
        return QPalette().color((color & 0xFFu) == kButtonTextIndex ? QPalette::ButtonText : QPalette::WindowText);
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

void ControlEvent::fire()
{
    if (!handler_)
        return;
    if (codeDepth_ == 0) {
        runHandler(handler_);
        return;
    }
    // Inside a toolkit signal: the failure waits until the toolkit's setter
    // has returned, then byCode raises it in the code that made the change.
    try {
        handler_();
    } catch (...) {
        if (!failure_)
            failure_ = std::current_exception();
    }
}

void ControlEvent::byCode(const std::function<void()>& change)
{
    std::exception_ptr outer = std::exchange(failure_, nullptr);
    ++codeDepth_;
    change();
    --codeDepth_;
    std::exception_ptr failure = std::exchange(failure_, outer);
    if (failure)
        std::rethrow_exception(failure);
}

TEdit::TEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this] { OnChange.fire(); });
}

void TEdit::SetText(const QString& text)
{
    OnChange.byCode([&] { setText(text); });
}

bool TEdit::acceptsTyped(QChar c) const
{
    if (digitsOnly_ && (c < QLatin1Char('0') || c > QLatin1Char('9')))
        return false;
    return typedLimit_ == 0 || text().size() - selectedText().size() < typedLimit_;
}

void TEdit::keyPressEvent(QKeyEvent* e)
{
    const QString typed = e->text();
    if (typed.size() == 1) {
        const QChar c = typed.front();
        if (OnKeyPress)
            runHandler([&] { OnKeyPress(c); });
        // Control characters (Backspace, Enter, Ctrl+V...) are never refused.
        if (c.unicode() >= 0x20 && !acceptsTyped(c)) {
            e->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

TCheckBox::TCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent)
{
    connect(this, &QCheckBox::toggled, this, [this] { OnClick.fire(); });
}

void TCheckBox::SetChecked(bool on)
{
    OnClick.byCode([&] { setChecked(on); });
}

TComboBox::TComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    // The list is fixed: Enter adds nothing to it, and typing completes nothing.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { OnChange.fire(); });
    connect(this, &QComboBox::activated, this, [this] { OnChange.fire(); });
}

TTrackBar::TTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setTickPosition(QSlider::NoTicks);
    connect(this, &QSlider::valueChanged, this, [this] { OnChange.fire(); });
}

void TTrackBar::setThumbLength(int pixels)
{
    auto* style = new ThumbLengthStyle(pixels);
    style->setParent(this); // a widget does not own the style it is given
    setStyle(style);
}

void TTrackBar::SetRange(int min, int max)
{
    OnChange.byCode([&] { setRange(min, max); });
}

void TTrackBar::SetPosition(int position)
{
    OnChange.byCode([&] { setValue(position); });
}

TPanel::TPanel(QWidget* parent, uint32_t color) : QWidget(parent), color_(color)
{
    setFocusPolicy(Qt::NoFocus);
}

void TPanel::SetColor(uint32_t color)
{
    color_ = color;
    update();
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), shownColor(color_));
}

// A press on a panel is the panel's, never the start of a window drag.
void TPanel::mousePressEvent(QMouseEvent* e) { e->accept(); }

void TPanel::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && OnClick)
        runHandler(OnClick);
    e->accept();
}

} // namespace forms
