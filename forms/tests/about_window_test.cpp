// The about window: its artwork, the link area, placement and closing.
#include "test_main.h"

#include "forms/Dl.h"
#include "forms/Unit2.h"
#include "forms/Unit3.h"
#include "media/picture_qt/image.h"
#include "platform/fakes/fake_screen.h"
#include "platform/fakes/fake_shell.h"
#include "platform/fakes/scratch_folder.h"
#include "text/area/text_area.h"

#include <QTest>

class AboutWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        folder_ = std::make_unique<platform::ScratchFolder>(platform::ScratchFolder::allSideFiles());
        Form1 = new TForm1;
        Form1->FormCreate();
        Form3 = new TForm3;
    }

    void cleanup()
    {
        delete Form3;
        delete Form1;
        Form3 = nullptr;
        Form1 = nullptr;
        folder_.reset();
    }

    void showsTheBuiltInArtwork()
    {
        QCOMPARE(Form3->size(), QSize(500, 234));
        QCOMPARE(Form3->windowTitle(), QStringLiteral("About Quelmar"));
        QCOMPARE(Form3->Image1->geometry(), QRect(0, 0, 500, 234));
        QCOMPARE(Form3->Image2->geometry(), QRect(128, 184, 137, 25));
        QCOMPARE(Form3->Image2->cursor().shape(), Qt::PointingHandCursor);
        const QImage shot = Form3->grab().toImage();
        QCOMPARE(shot.pixelColor(2, 2).red() < 80, true); // the dark artwork, not an empty window
    }

    void placedOnceByTheSmallWindowRule_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QPoint>("place");
        QTest::newRow("1920x1080") << QSize(1920, 1080) << QPoint(710, 282);
        QTest::newRow("smaller than the window") << QSize(400, 200) << QPoint(-50, -11);
    }

    void placedOnceByTheSmallWindowRule()
    {
        QFETCH(QSize, screen);
        QFETCH(QPoint, place);
        platform::FakeScreen fake(screen.width(), screen.height());
        Form3->FormCreate();
        QCOMPARE(Form3->pos(), place);
        Form3->move(5, 5);
        Form1->About1Click();
        Form1->About1Click();
        QVERIFY(Form3->isVisible());
        QCOMPARE(Form3->pos(), QPoint(5, 5));
    }

    void linkOpensThePageAndStays()
    {
        platform::FakeShell shell;
        Form1->About1Click();
        QVERIFY(QTest::qWaitForWindowExposed(Form3));
        QTest::mouseClick(Form3->Image2, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(shell.opened.size(), size_t(1));
        QCOMPARE(shell.opened[0], QUrl(QStringLiteral("https://quelmar.app")));
        QVERIFY(Form3->isVisible());
    }

    void clickElsewhereClosesAndGivesTheTextTheFocus()
    {
        platform::FakeShell shell;
        Form1->setGeometry(0, 0, 800, 800);
        Form1->show();
        QVERIFY(QTest::qWaitForWindowActive(Form1));
        Form1->About1Click();
        QVERIFY(QTest::qWaitForWindowActive(Form3));
        QTest::mouseClick(Form3->Image1, Qt::LeftButton, {}, QPoint(400, 30));
        QVERIFY(!Form3->isVisible());
        QVERIFY(shell.opened.empty());
        QTRY_VERIFY(Form1->Memo1->focusProxy()->hasFocus());
    }

private:
    std::unique_ptr<platform::ScratchFolder> folder_;
};

FORMS_TEST(AboutWindowTest);
#include "about_window_test.moc"
