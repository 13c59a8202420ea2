#include "forms/Unit2.h"

#include "forms/Dl.h"
#include "text/area/text_area.h"

#include <QCloseEvent>

TForm2* Form2 = nullptr;

TForm2::TForm2() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
{
    setObjectName(QStringLiteral("Form2"));
    resize(279, 346);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void TForm2::FormCreate() { TForm1::PlaceSmallWindow(this); }

void TForm2::FormActivate()
{
    Form1->Memo1->SetFrameVisible(true);
    Form1->ShowAreaLabel(true);
    Form1->ShowCaptionBadge();
}

void TForm2::FormClose()
{
    Form1->Memo1->SetFrameVisible(false);
    Form1->ShowAreaLabel(false);
    Form1->HideCaptionBadge();
    Form1->Memo1->FocusText();
}

void TForm2::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QWidget::changeEvent(e);
}

// Closing only hides the window; destroying it at exit runs no handler.
void TForm2::closeEvent(QCloseEvent* e)
{
    FormClose();
    e->accept();
}
