#include "forms/Unit3.h"

#include "forms/Dl.h"
#include "forms/resources.h"
#include "media/picture_qt/graphic.h"
#include "media/picture_qt/image.h"
#include "platform/shell.h"
#include "text/area/text_area.h"

#include <QCloseEvent>
#include <QFile>
#include <QMouseEvent>

TForm3* Form3 = nullptr;

namespace {

// A transparent area that reports clicks.
class LinkArea : public QWidget {
public:
    LinkArea(QWidget* parent, std::function<void()> onClick) : QWidget(parent), onClick_(std::move(onClick))
    {
        setCursor(Qt::PointingHandCursor);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
            onClick_();
    }

private:
    std::function<void()> onClick_;
};

std::string artwork()
{
    InitResources();
    QFile file(QStringLiteral(":/about.jpg"));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

} // namespace

TForm3::TForm3() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("About Quelmar"));
    resize(500, 234);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x25, 0x25, 0x25)); // 2434341
    setPalette(p);

    Image1 = new picture_qt::TImage(this);
    Image1->setAutoSize(true);
    auto jpeg = std::make_unique<picture_qt::TJPEGImage>();
    jpeg->LoadFromBytes(artwork());
    Image1->Picture().setGraphic(std::move(jpeg));
    connect(Image1, &picture_qt::TImage::clicked, this, &TForm3::Image1Click);

    Image2 = new LinkArea(this, [this] { Image2Click(); });
    Image2->setGeometry(128, 184, 137, 25);
}

void TForm3::FormCreate() { TForm1::PlaceSmallWindow(this); }

void TForm3::Image1Click() { close(); }

void TForm3::Image2Click() { platform::shell().openUrl(QUrl(QString::fromLatin1(kHomePage))); }

// Without a window manager nothing else brings the writing window back.
void TForm3::FormClose()
{
    Form1->activateWindow();
    Form1->Memo1->FocusText();
}

void TForm3::closeEvent(QCloseEvent* e)
{
    FormClose();
    e->accept();
}
