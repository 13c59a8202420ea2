// The settings window: a small borderless window over the writing window
// that previews every change at once and stores the settings.
#pragma once

#include <QWidget>

class TForm2 : public QWidget {
    Q_OBJECT
public:
    TForm2();

    void FormCreate();
    void FormActivate();
    void FormClose();

protected:
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
};

extern TForm2* Form2;
