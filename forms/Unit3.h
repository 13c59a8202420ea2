// The about window: the artwork, built into the program, with a link area
// over the home page's line that opens it in the desktop's browser.
#pragma once

#include <QWidget>

namespace picture_qt {
class TImage;
}

class QCloseEvent;

// The maker's home page, named in the artwork's link line.
inline const char* const kHomePage = "https://quelmar.app";

class TForm3 : public QWidget {
    Q_OBJECT
public:
    TForm3();

    void FormCreate();
    void FormClose();
    void Image1Click();
    void Image2Click();

    picture_qt::TImage* Image1;
    QWidget* Image2; // the link area: draws nothing, takes the clicks

protected:
    void closeEvent(QCloseEvent* e) override;
};

extern TForm3* Form3;
