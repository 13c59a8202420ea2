// The writing window: the full-screen main window with the background
// picture, the centred text area, the popup menu that holds every command,
// and the marks it shows while the settings window is open.
#pragma once

#include "forms/close_action.h"
#include "media/sound/media_player.h"
#include "platform/file_dialogs.h"
#include "platform/message_boxes.h"

#include <QWidget>

class QAction;
class QLabel;
class QMenu;

namespace text {
class TextArea;
}
namespace picture_qt {
class TImage;
}

// The path of the current document, for the whole run.
extern QString CurrentFilePath;

// The text after the last backslash or colon; the whole path without them.
QString NamePart(const QString& path);

class TForm1 : public QWidget {
    Q_OBJECT
public:
    TForm1();
    ~TForm1() override;

    void FormCreate();
    void FormResize();
    void FormActivate();
    void FormClose(TCloseAction& action);
    void Image1Click();
    void MediaPlayer1Notify(sound::TMediaPlayer& sender);

    void New1Click();
    void Openfile1Click();
    void Savefile1Click();
    void Savefileas1Click();
    void Settings1Click();
    void About1Click();
    void Exit1Click();

    // What the settings and about windows use.
    void SetColor(uint32_t color);
    uint32_t Color() const { return color_; }
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption) { caption_ = caption; }
    void ShowAreaLabel(bool visible);
    void ShowCaptionBadge();
    void HideCaptionBadge();
    // Places a small window: centred across, one third down the free space.
    static void PlaceSmallWindow(QWidget* window);

    picture_qt::TImage* Image1;
    QLabel* Label1;
    QLabel* Label2;
    text::TextArea* Memo1;
    sound::TMediaPlayer MediaPlayer1; // destroyed with the window: closes the device
    QMenu* PopupMenu1;
    QAction* New1;
    QAction* Openfile1;
    QAction* Savefile1;
    QAction* Savefileas1;
    QAction* Settings1;
    QAction* About1;
    QAction* Exit1;
    // Each remembers its last file name and file type for the run.
    platform::FileDialog OpenDialog1;
    platform::FileDialog SaveDialog1;

protected:
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    platform::Answer askUnsaved(const QString& what);
    QAction* addCommand(const QString& caption, const QKeySequence& shortcut, void (TForm1::*handler)());

    uint32_t color_ = 0;
    QString caption_ = QStringLiteral("Quelmar");
};

extern TForm1* Form1;
