#include "forms/Unit3.h"

#include "forms/Dl.h"

TForm3* Form3 = nullptr;

TForm3::TForm3() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("About Quelmar"));
    resize(500, 234);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x25, 0x25, 0x25));
    setPalette(p);
}

void TForm3::FormCreate() { TForm1::PlaceSmallWindow(this); }
