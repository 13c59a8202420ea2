// The controls of the settings window and the one rule by which all of them
// run their handlers: a handler runs only when the control's value really
// changes, whether the user or code changed it. A change made by code runs
// the handler at once and hands its failure to that code, so the settings
// loader and "Cancel" end at a failing cascade; a change made by the user
// runs the handler as an event handler of its own.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QWidget>

#include <cstdint>
#include <exception>
#include <functional>

namespace forms {

class ControlEvent {
public:
    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }
    // The control's value changed: runs the handler.
    void fire();
    // Runs `change`, which sets the control from code; a handler that it
    // sets off and that fails makes this raise that failure afterwards.
    void byCode(const std::function<void()>& change);

private:
    std::function<void()> handler_;
    int codeDepth_ = 0;
    std::exception_ptr failure_;
};

// An edit field: OnChange on every change of its text; OnKeyPress for each
// character key before the field takes it.
class TEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TEdit(QWidget* parent);

    void SetText(const QString& text);
    // Typing accepts only the digits 0-9, and at most `limit` characters
    // (0: no limit). Neither limits text set by code or pasted.
    void setDigitsOnly(bool on) { digitsOnly_ = on; }
    void setTypedLimit(int limit) { typedLimit_ = limit; }

    ControlEvent OnChange;
    std::function<void(QChar)> OnKeyPress;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool acceptsTyped(QChar c) const;

    bool digitsOnly_ = false;
    int typedLimit_ = 0;
};

// A check box: OnClick on every change of its state.
class TCheckBox : public QCheckBox {
    Q_OBJECT
public:
    TCheckBox(const QString& text, QWidget* parent);
    void SetChecked(bool on);
    ControlEvent OnClick;
};

// A drop-down box with editable text: OnChange when the user edits the text
// or picks an entry; text set by code runs nothing.
class TComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBox(QWidget* parent);
    void SetText(const QString& text) { setEditText(text); }
    QString Text() const { return currentText(); }
    ControlEvent OnChange;
};

// The horizontal track bar: OnChange on every change of its position, which
// is clamped into the range first.
class TTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TTrackBar(QWidget* parent);
    void SetRange(int min, int max);
    void SetPosition(int position);
    int Position() const { return value(); }
    // The thumb's length along the bar, in pixels.
    void setThumbLength(int pixels);
    ControlEvent OnChange;
};

// A flat panel in one colour (a colour value, 0x00BBGGRR, or a reference
// to a system colour): the border strips and the clickable colour swatches.
class TPanel : public QWidget {
    Q_OBJECT
public:
    TPanel(QWidget* parent, uint32_t color);
    void SetColor(uint32_t color);
    uint32_t Color() const { return color_; }
    // A left click, run as an event handler of its own.
    std::function<void()> OnClick;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    uint32_t color_;
};

// The colour that a colour value shows: its own, or the system colour it
// refers to.
QColor shownColor(uint32_t color);

} // namespace forms
