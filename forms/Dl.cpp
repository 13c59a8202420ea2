#include "forms/Dl.h"

#include "forms/Unit2.h"
#include "forms/Unit3.h"
#include "media/picture_qt/image.h"
#include "platform/file_dialogs.h"
#include "platform/message_boxes.h"
#include "platform/screen.h"
#include "text/area/text_area.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>

QString CurrentFilePath;
TForm1* Form1 = nullptr;

namespace {

constexpr uint32_t kDesignColor = 13495261; // 0x00CDEBDD
constexpr int kAreaTop = 125;
constexpr int kLabelTop = 106;

QColor colorValue(uint32_t bgr) { return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)); }

QFont tahoma(int pixels)
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(pixels);
    return f;
}

const QString kLongCaption = QStringLiteral("Quelmar \u2014 ");
const QString kShortCaption = QStringLiteral("Quelmar - ");

platform::FileDialog makeDialog(platform::FileDialog::Kind kind, const QString& filter)
{
    platform::FileDialog d;
    d.kind = kind;
    d.filter = filter;
    d.defaultExt = QStringLiteral("TXT");
    return d;
}

} // namespace

QString NamePart(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char(':')));
    return path.mid(cut + 1);
}

TForm1::TForm1()
    : QWidget(nullptr, Qt::FramelessWindowHint),
      OpenDialog1(makeDialog(platform::FileDialog::Kind::Open,
                             QStringLiteral("Rich text format (*.rtf)|*.rtf|Text files (*.txt)|*.txt|All files (*.*)|*.*"))),
      SaveDialog1(makeDialog(platform::FileDialog::Kind::Save,
                             QStringLiteral("Rich text format (*.txt)|*.txt|All files (*.*)|*.*")))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quelmar"));
    resize(1680, 1050);
    setAutoFillBackground(true);

    // Created first, so it lies below everything else.
    Image1 = new picture_qt::TImage(this);
    Image1->setGeometry(0, 0, 1680, 1050);
    Image1->setStretch(true);
    Image1->setCenter(true);
    connect(Image1, &picture_qt::TImage::clicked, this, &TForm1::Image1Click);

    Label1 = new QLabel(QStringLiteral("Text area:"), this);
    Label1->setFont(tahoma(12));
    Label1->setStyleSheet(QStringLiteral("color: #808080; background: transparent;"));
    Label1->move(490, kLabelTop);
    Label1->adjustSize();
    Label1->hide();

    Label2 = new QLabel(this);
    Label2->setFont(tahoma(19));
    Label2->setStyleSheet(QStringLiteral("color: white; background: #4e4e4e;"));
    Label2->setGeometry(24, 24, 0, 23);
    Label2->hide();

    Memo1 = new text::TextArea(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    SetColor(kDesignColor);
    // The ambient sound repeats for as long as the writer writes.
    MediaPlayer1.OnNotify = [this](sound::TMediaPlayer& sender) { MediaPlayer1Notify(sender); };

    PopupMenu1 = new QMenu(this);
    New1 = addCommand(QStringLiteral("New file"), QKeySequence(Qt::CTRL | Qt::Key_N), &TForm1::New1Click);
    Openfile1 = addCommand(QStringLiteral("Open file"), QKeySequence(Qt::CTRL | Qt::Key_O), &TForm1::Openfile1Click);
    Savefile1 = addCommand(QStringLiteral("Save file"), QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::Savefile1Click);
    Savefileas1 = addCommand(QStringLiteral("Save file as"), QKeySequence(Qt::CTRL | Qt::Key_D), &TForm1::Savefileas1Click);
    Settings1 = addCommand(QStringLiteral("Settings"), QKeySequence(Qt::Key_F2), &TForm1::Settings1Click);
    About1 = addCommand(QStringLiteral("About"), QKeySequence(Qt::Key_F1), &TForm1::About1Click);
    Exit1 = addCommand(QStringLiteral("Exit"), QKeySequence(Qt::CTRL | Qt::Key_Q), &TForm1::Exit1Click);

    // A change of resolution re-centres the text area.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::geometryChanged, this, [this] { FormResize(); });
}

TForm1::~TForm1() = default;

QAction* TForm1::addCommand(const QString& caption, const QKeySequence& shortcut, void (TForm1::*handler)())
{
    auto* action = new QAction(caption, this);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, handler);
    PopupMenu1->addAction(action);
    addAction(action); // the shortcut works without the menu open
    return action;
}

void TForm1::FormCreate()
{
    resize(platform::screen().width(), platform::screen().height());
    CurrentFilePath = QStringLiteral("Untitled.txt");
    SetCaption(kLongCaption + NamePart(CurrentFilePath));
    MediaPlayer1.FileName = QStringLiteral("ambience.mp3");
    MediaPlayer1.Open();
    MediaPlayer1.Play();
    Image1->Picture().LoadPictureFile("Backdrop.jpg");
    Image1->setGeometry(0, 0, width(), height());
}

void TForm1::FormResize()
{
    // Integer division truncates toward zero, as the layout rule wants.
    const int left = (platform::screen().width() - Memo1->GetAreaWidth()) / 2;
    Memo1->SetAreaLeft(left);
    Label1->move(left, kLabelTop);
}

void TForm1::PlaceSmallWindow(QWidget* window)
{
    const QSize outer = window->frameGeometry().size();
    window->move((platform::screen().width() - outer.width()) / 2, (platform::screen().height() - outer.height()) / 3);
}

void TForm1::FormActivate() { Memo1->FocusText(); }

void TForm1::Image1Click() { Memo1->FocusText(); }

void TForm1::MediaPlayer1Notify(sound::TMediaPlayer& sender)
{
    // Play rewinds first: at the end the position equals the length.
    if (sender.completion() == sound::TMPNotifyValues::nvSuccessful)
        sender.Play();
}

void TForm1::SetColor(uint32_t color)
{
    color_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, colorValue(color));
    setPalette(p);
    Memo1->setBackgroundColor(colorValue(color));
}

void TForm1::ShowAreaLabel(bool visible) { Label1->setVisible(visible); }

void TForm1::ShowCaptionBadge()
{
    Label2->setText(QLatin1Char(' ') + caption_ + QLatin1Char(' '));
    Label2->resize(Label2->sizeHint().width(), 23);
    Label2->show();
}

void TForm1::HideCaptionBadge() { Label2->hide(); }

platform::Answer TForm1::askUnsaved(const QString& what)
{
    return platform::messageBoxes().confirm(this, QStringLiteral("Confirm"),
                                            QStringLiteral("There is an unsaved data in ") + NamePart(CurrentFilePath)
                                                + QStringLiteral(", are you sure you want to ") + what + QLatin1Char('?'));
}

void TForm1::New1Click()
{
    if (Memo1->IsTextModified() && askUnsaved(QStringLiteral("discard it")) != platform::Answer::Yes)
        return;
    Memo1->ClearDocument();
}

void TForm1::Openfile1Click()
{
    if (Memo1->IsTextModified() && askUnsaved(QStringLiteral("discard it")) != platform::Answer::Yes)
        return;
    if (!OpenDialog1.Execute(this))
        return;
    CurrentFilePath = OpenDialog1.fileName;
    Memo1->LoadDocument(CurrentFilePath.toStdString());
    SetCaption(kShortCaption + NamePart(CurrentFilePath));
}

void TForm1::Savefile1Click()
{
    Memo1->SaveDocument(CurrentFilePath.toStdString());
    Memo1->ClearModified();
}

void TForm1::Savefileas1Click()
{
    if (!SaveDialog1.Execute(this))
        return;
    CurrentFilePath = SaveDialog1.fileName;
    Memo1->SaveDocument(CurrentFilePath.toStdString());
    SetCaption(kLongCaption + NamePart(CurrentFilePath));
    Memo1->ClearModified();
}

void TForm1::Settings1Click()
{
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
}

void TForm1::About1Click()
{
    Form3->show();
    Form3->raise();
    Form3->activateWindow();
}

void TForm1::Exit1Click() { close(); }

void TForm1::FormClose(TCloseAction& action)
{
    if (!Memo1->IsTextModified())
        return;
    action = askUnsaved(QStringLiteral("exit")) == platform::Answer::Yes ? TCloseAction::caFree : TCloseAction::caNone;
}

void TForm1::closeEvent(QCloseEvent* e)
{
    // Vetoed until the handler agrees: a failing handler keeps the window,
    // and with it the writer's text.
    e->ignore();
    TCloseAction action = TCloseAction::caHide;
    FormClose(action);
    if (action == TCloseAction::caNone)
        return;
    e->accept();
    QCoreApplication::quit();
}

void TForm1::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QWidget::changeEvent(e);
}

void TForm1::contextMenuEvent(QContextMenuEvent* e) { PopupMenu1->popup(e->globalPos()); }

void TForm1::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    FormResize();
}
