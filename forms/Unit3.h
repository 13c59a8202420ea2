// The about window: the artwork with the link to the home page.
#pragma once

#include <QWidget>

class TForm3 : public QWidget {
    Q_OBJECT
public:
    TForm3();

    void FormCreate();
};

extern TForm3* Form3;
