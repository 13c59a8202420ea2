// The settings window: a small borderless window over the writing window
// that previews every change at once, stores the settings ("Apply", "OK")
// and applies the stored ones again ("Cancel"). Its creation handler is the
// settings loader, which sets up the program's look and sound at start.
// The unit also holds the two volume helpers of the sound player.
#pragma once

#include "forms/Unit2_controls.h"
#include "media/sound/player_volume.h"
#include "platform/color_dialog.h"
#include "platform/file_dialogs.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QRubberBand;
class QTabWidget;

namespace picture_qt {
class TImage;
}

namespace settings {
class TCustomIniFile;
}

class TForm2 : public QWidget {
    Q_OBJECT
public:
    TForm2();
    ~TForm2() override;

    // Starts reading the document the loader will load, when the stored
    // settings name one; silent, changes nothing, and the loader's own load
    // takes the result only while the file is still the one read.
    static void ReadLastDocumentAhead();

    void FormCreate();
    void FormActivate();
    void FormClose();

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void CheckBox1Click();
    void CheckBox2Click();
    void ComboBox1Change();
    void ComboBox2Change();
    void Edit1Change();
    void Edit2Change();
    void Edit3KeyPress(QChar key);
    void Edit4KeyPress(QChar key);
    void Panel3Click();
    void Panel19Click();
    void ScrollBar1Change();

    forms::TPanel* Panel1;
    forms::TPanel* Panel2;
    forms::TPanel* Panel4;
    forms::TPanel* Panel5;
    QTabWidget* PageControl1;
    QPushButton* Button4;
    QPushButton* Button2;
    QPushButton* Button1;

    QWidget* TabSheet4;
    QLabel* Label4;
    forms::TPanel* Panel3;
    forms::TComboBox* ComboBox1;
    forms::TComboBox* ComboBox2;
    QLabel* Label2;
    forms::TEdit* Edit1;
    QLabel* Label1;
    forms::TEdit* Edit2;
    forms::TCheckBox* CheckBox3;

    QWidget* Background;
    forms::TCheckBox* CheckBox2;
    forms::TPanel* Panel19;
    forms::TEdit* Edit3;
    QPushButton* Button3;

    QWidget* Sound;
    forms::TCheckBox* CheckBox1;
    forms::TEdit* Edit4;
    QPushButton* Button5;
    QLabel* Label3;
    forms::TTrackBar* ScrollBar1;
    picture_qt::TImage* Image1;

    platform::FileDialog OpenPictureDialog1;
    platform::FileDialog OpenDialog1;
    platform::ColorDialog ColorDialog1;
    platform::ColorDialog ColorDialog2;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    // The window as designed (Unit2_layout.cpp).
    void buildWindow();
    void buildTextPage();
    void buildBackgroundPage();
    void buildSoundPage();
    void setTabOrders();
    void connectHandlers();

    // The loader's steps that "Cancel" repeats (Unit2.cpp).
    void applyStoredWidth(const settings::TCustomIniFile& ini);
    void applyStoredHeight(const settings::TCustomIniFile& ini);
    void applyStoredFontColor(const settings::TCustomIniFile& ini);
    void applyStoredFontName(const settings::TCustomIniFile& ini);
    void applyStoredFontSize(const settings::TCustomIniFile& ini);
    void applyStoredBackgroundColor(const settings::TCustomIniFile& ini);
    void applyStoredVolume(const settings::TCustomIniFile& ini);
    void followPictureSwitch();
    void loadLastDocument(const settings::TCustomIniFile& ini);
    void switchSoundControls(bool on);
    void switchPictureControls(bool on);

    QRubberBand* dragOutline_ = nullptr;
    QPoint dragOffset_;
};

extern TForm2* Form2;
