// The settings window as designed: its strips, tabs, controls and dialogs,
// the tab order, Escape as "Cancel", which event runs which handler, the
// drag by the window's background, and the activation and close events.
#include "forms/Unit2.h"

#include "forms/step_runner.h"
#include "media/picture_qt/image.h"

#include <QCloseEvent>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRubberBand>
#include <QKeyEvent>
#include <QTabWidget>

namespace {

constexpr uint32_t kStripColor = 13882323;      // 0x00D3D3D3, light grey
constexpr uint32_t kBackgroundColor = 13429469; // 0x00CCEADD
constexpr uint32_t kButtonTextColor = 0xFF000012; // the system's button-text colour

QFont tahoma13()
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(13);
    return f;
}

QLabel* label(const QString& text, QWidget* page, int left, int top)
{
    auto* l = new QLabel(text, page);
    l->move(left, top);
    l->adjustSize();
    return l;
}

QPushButton* button(const QString& text, QWidget* parent, QRect place)
{
    auto* b = new QPushButton(text, parent);
    b->setGeometry(place);
    // Enter presses a button that has the focus; no button is the default.
    b->setAutoDefault(true);
    return b;
}

forms::TEdit* sizeField(QWidget* page, QRect place, const QString& text)
{
    auto* e = new forms::TEdit(page);
    e->setGeometry(place);
    e->setDigitsOnly(true);
    e->setTypedLimit(4);
    e->SetText(text);
    return e;
}

forms::TCheckBox* checkBox(const QString& text, QWidget* page, QRect place)
{
    auto* c = new forms::TCheckBox(text, page);
    c->setGeometry(place);
    c->setChecked(true);
    return c;
}

forms::TPanel* strip(QWidget* parent, QRect place)
{
    auto* p = new forms::TPanel(parent, kStripColor);
    p->setGeometry(place);
    return p;
}

} // namespace

void TForm2::buildWindow()
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Settings"));
    setFixedSize(279, 346);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    setFont(tahoma13());

    Panel1 = strip(this, {0, 0, 1, 346});
    Panel2 = strip(this, {278, 0, 1, 346});
    Panel4 = strip(this, {0, 0, 282, 1});
    Panel5 = strip(this, {0, 345, 282, 1});

    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(24, 21, 233, 249);
    // Presses on the pages are theirs; only the margin drags the window.
    PageControl1->setAttribute(Qt::WA_NoMousePropagation);
    buildTextPage();
    buildBackgroundPage();
    buildSoundPage();
    PageControl1->setCurrentWidget(TabSheet4);

    Button4 = button(QStringLiteral("OK"), this, {24, 292, 58, 25});
    Button2 = button(QStringLiteral("Apply"), this, {88, 292, 58, 25});
    Button1 = button(QStringLiteral("Cancel"), this, {199, 292, 58, 25});

    OpenPictureDialog1.filter = QStringLiteral(
        "All (*.png;*.png;*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.png;*.png;*.gif;*.jpg;*.jpeg;*.bmp;"
        "|Portable Network Graphics (QM) (*.png)|*.png|Portable Network Graphics (*.png)|*.png"
        "|GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg"
        "|Bitmaps (*.bmp)|*.bmp");
    OpenPictureDialog1.preview = true;
    OpenDialog1.filter = QStringLiteral("All Files (*.*)|*.mp3; *.wav; *.wma; *.mid;|MP3 Files (*.mp3)|*.mp3"
                                        "|WAV Files (*.wav)|*.wav|WMA Files (*.wma)|*.wma|MIDI Files (*.mid)|*.mid");

    setTabOrders();
}

// The window's own order, then each page's; the strips and the swatches
// take no focus.
void TForm2::setTabOrders()
{
    QWidget* const chain[] = {Button1, Button2,   Button4, PageControl1, Edit1,     ComboBox1, ComboBox2, Edit2,
                              CheckBox3, Edit3,   Button3, CheckBox2,    CheckBox1, Edit4,     Button5,   ScrollBar1};
    for (QWidget* w : chain)
        w->setFocusPolicy(w == PageControl1 ? Qt::TabFocus : Qt::StrongFocus);
    for (size_t i = 0; i + 1 < std::size(chain); ++i)
        setTabOrder(chain[i], chain[i + 1]);
}

void TForm2::buildTextPage()
{
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Text"));
    Label4 = label(QStringLiteral("Change color and the font:"), TabSheet4, 23, 19);
    Panel3 = new forms::TPanel(TabSheet4, kButtonTextColor);
    Panel3->setGeometry(23, 43, 25, 25);
    ComboBox1 = new forms::TComboBox(TabSheet4);
    ComboBox1->setGeometry(56, 43, 92, 24);
    ComboBox1->addItems({"Arial", "Calibri", "Courier New", "Lucida Console", "MS Sans Serif", "Tahoma", "Verdana"});
    ComboBox1->setCurrentIndex(ComboBox1->findText(QStringLiteral("Calibri")));
    ComboBox2 = new forms::TComboBox(TabSheet4);
    ComboBox2->setGeometry(156, 43, 44, 24);
    for (int size = 8; size <= 24; ++size)
        ComboBox2->addItem(QString::number(size));
    ComboBox2->setCurrentIndex(ComboBox2->findText(QStringLiteral("14")));
    Label2 = label(QStringLiteral("Text area size:"), TabSheet4, 23, 84);
    Edit1 = sizeField(TabSheet4, {23, 108, 74, 24}, QStringLiteral("700"));
    Label1 = label(QStringLiteral("\u00d7"), TabSheet4, 104, 111);
    Edit2 = sizeField(TabSheet4, {122, 108, 74, 24}, QStringLiteral("550"));
    CheckBox3 = checkBox(QStringLiteral("Load last file on startup"), TabSheet4, {23, 173, 178, 33});
}

void TForm2::buildBackgroundPage()
{
    Background = new QWidget;
    Background->setObjectName(QStringLiteral("Background"));
    PageControl1->addTab(Background, QStringLiteral("Background"));
    CheckBox2 = checkBox(QStringLiteral("Background picture:"), Background, {23, 19, 168, 19});
    Panel19 = new forms::TPanel(Background, kBackgroundColor);
    Panel19->setGeometry(23, 43, 25, 25);
    Edit3 = new forms::TEdit(Background);
    Edit3->setGeometry(56, 43, 112, 24);
    Button3 = button(QStringLiteral("\u2026"), Background, {175, 43, 26, 25});
}

void TForm2::buildSoundPage()
{
    Sound = new QWidget;
    Sound->setObjectName(QStringLiteral("Sound"));
    PageControl1->addTab(Sound, QStringLiteral("Sound"));
    CheckBox1 = checkBox(QStringLiteral("Sound:"), Sound, {23, 20, 86, 17});
    Edit4 = new forms::TEdit(Sound);
    Edit4->setGeometry(23, 43, 145, 24);
    Button5 = button(QStringLiteral("\u2026"), Sound, {174, 43, 26, 25});
    Label3 = label(QStringLiteral("Sound volume:"), Sound, 23, 83);
    ScrollBar1 = new forms::TTrackBar(Sound);
    ScrollBar1->setGeometry(18, 105, 155, 17);
    ScrollBar1->setRange(0, 1000);
    ScrollBar1->setPageStep(1);
    ScrollBar1->setThumbLength(10);
    ScrollBar1->setValue(0);
    Image1 = new picture_qt::TImage(Sound);
    Image1->move(181, 103);
    Image1->setAutoSize(true);
}

void TForm2::connectHandlers()
{
    // Clicks and Escape are the user's: each runs as an event handler of its own.
    const auto onClick = [this](QPushButton* b, void (TForm2::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, handler] { forms::runHandler([this, handler] { (this->*handler)(); }); });
    };
    onClick(Button1, &TForm2::Button1Click);
    onClick(Button2, &TForm2::Button2Click);
    onClick(Button3, &TForm2::Button3Click);
    onClick(Button4, &TForm2::Button4Click);
    onClick(Button5, &TForm2::Button5Click);
    // Escape anywhere in this window; keys of an open drop-down list go to
    // the list's own window, which closes on Escape.
    qApp->installEventFilter(this);

    CheckBox1->OnClick.setHandler([this] { CheckBox1Click(); });
    CheckBox2->OnClick.setHandler([this] { CheckBox2Click(); });
    ComboBox1->OnChange.setHandler([this] { ComboBox1Change(); });
    ComboBox2->OnChange.setHandler([this] { ComboBox2Change(); });
    Edit1->OnChange.setHandler([this] { Edit1Change(); });
    Edit2->OnChange.setHandler([this] { Edit2Change(); });
    Edit3->OnKeyPress = [this](QChar key) { Edit3KeyPress(key); };
    Edit4->OnKeyPress = [this](QChar key) { Edit4KeyPress(key); };
    Panel3->OnClick = [this] { Panel3Click(); };
    Panel19->OnClick = [this] { Panel19Click(); };
    ScrollBar1->OnChange.setHandler([this] { ScrollBar1Change(); });
}

bool TForm2::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() != QEvent::KeyPress || !watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != this)
        return false;
    const auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() != Qt::Key_Escape || (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
        return false;
    forms::runHandler([this] { Button1Click(); });
    return true;
}

void TForm2::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        forms::runHandler([this] { FormActivate(); });
    QWidget::changeEvent(e);
}

// Closing only hides the window; destroying it at exit runs no handler.
void TForm2::closeEvent(QCloseEvent* e)
{
    forms::runHandler([this] { FormClose(); });
    e->accept();
}

// The margin around the tabs and the buttons drags the window: an outline
// follows the mouse and the window moves there on release.
void TForm2::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(e);
    dragOffset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
    if (!dragOutline_)
        dragOutline_ = new QRubberBand(QRubberBand::Rectangle);
    dragOutline_->setGeometry(frameGeometry());
    dragOutline_->show();
    e->accept();
}

void TForm2::mouseMoveEvent(QMouseEvent* e)
{
    if (!dragOutline_ || !dragOutline_->isVisible())
        return QWidget::mouseMoveEvent(e);
    dragOutline_->move(e->globalPosition().toPoint() - dragOffset_);
}

void TForm2::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !dragOutline_ || !dragOutline_->isVisible())
        return QWidget::mouseReleaseEvent(e);
    dragOutline_->hide();
    move(e->globalPosition().toPoint() - dragOffset_);
}
