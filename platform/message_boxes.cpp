#include "platform/message_boxes.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {

class DesktopMessageBoxes final : public MessageBoxes {
public:
    void showError(QWidget* owner, const QString& caption, const QString& text) override
    {
        QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
        box.setWindowModality(Qt::ApplicationModal);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
        box.exec();
    }

    Answer confirm(QWidget* owner, const QString& caption, const QString& text) override
    {
        QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::NoButton, owner);
        box.setWindowModality(Qt::ApplicationModal);
        QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        // Escape and the window's close button dismiss without an answer;
        // the hidden escape button only marks that outcome.
        QPushButton* dismiss = box.addButton(QMessageBox::Cancel);
        dismiss->hide();
        box.setEscapeButton(dismiss);
        box.exec();
        if (box.clickedButton() == yes)
            return Answer::Yes;
        if (box.clickedButton() == no)
            return Answer::No;
        return Answer::Dismissed;
    }
};

MessageBoxes* installed = nullptr;

} // namespace

MessageBoxes& messageBoxes()
{
    static DesktopMessageBoxes desktop;
    return installed ? *installed : desktop;
}

void installMessageBoxes(MessageBoxes* fake) { installed = fake; }

} // namespace platform
