// The picture control: placement, nearest-pixel stretching, drawing once
// per size, auto-size, right-clicks passing through, and a picture that
// fails while painting.
#include "media/picture_qt/image.h"

#include "media/picture/jpeg_reader.h"
#include "media/picture/tests/jpeg_builder.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QTemporaryDir>

#include <fstream>
#include <gtest/gtest.h>

namespace picture_qt {
namespace {

// Stands in for the program's application object, which shows the error
// box for whatever escapes an event handler.
class CatchingApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const base::Exception& e) {
            caught.push_back(e.message());
            return false;
        }
    }
    std::vector<std::string> caught;
};

CatchingApplication* application() { return static_cast<CatchingApplication*>(qApp); }

TEST(DestinationRect, PlacesThePictureByTheControlsProperties)
{
    struct Case {
        int w, h, cw, ch;
        ImagePlacement placement;
        QRect expected;
    } cases[] = {
        {500, 234, 1680, 1050, {.stretch = true, .center = true}, QRect(0, 0, 1680, 1050)},
        {500, 234, 1680, 1050, {}, QRect(0, 0, 500, 234)},
        {500, 234, 1680, 1050, {.center = true}, QRect(590, 408, 500, 234)},
        {500, 234, 1680, 1050, {.proportional = true}, QRect(0, 0, 500, 234)},
        {500, 234, 1680, 1050, {.stretch = true, .proportional = true}, QRect(0, 0, 1680, 786)},
        {3000, 1000, 600, 400, {.proportional = true}, QRect(0, 0, 600, 200)},
        {1000, 3000, 600, 400, {.center = true, .proportional = true}, QRect(233, 0, 133, 400)},
        {700, 700, 600, 400, {.proportional = true}, QRect(0, 0, 400, 400)},
        {800, 100, 400, 400, {.center = true}, QRect(-200, 150, 800, 100)},
        {0, 0, 300, 200, {.stretch = true, .proportional = true}, QRect(0, 0, 300, 200)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " in " << c.cw << "x" << c.ch);
        EXPECT_EQ(destinationRect(c.w, c.h, c.cw, c.ch, c.placement), c.expected);
    }
}

class TImageTest : public ::testing::Test {
protected:
    void load(const std::string& name, const std::string& bytes)
    {
        const std::string path = dir_.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        image_.Picture().LoadPictureFile(path);
    }
    QImage shot() { return image_.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    QTemporaryDir dir_;
    TImage image_;
};

std::string twoColumnBitmap()
{
    // 2 x 1, 24-bit: blue then red (BMP stores blue, green, red), the row
    // padded to eight bytes.
    return std::string("BM\x3E\0\0\0\0\0\0\0\x36\0\0\0" "\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0"
                       "\x08\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0" "\xFF\0\0" "\0\0\xFF" "\0\0", 62);
}

TEST_F(TImageTest, StretchesWithNearestPixelsAndScalesOncePerSize)
{
    image_.setStretch(true);
    image_.resize(8, 2);
    load("two.bmp", twoColumnBitmap());
    QImage first = shot();
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(first.pixel(x, 1), x < 4 ? qRgb(0, 0, 255) : qRgb(255, 0, 0)) << x;
    shot();
    EXPECT_EQ(image_.cacheRenders(), 1);
    image_.resize(6, 3);
    EXPECT_EQ(shot().pixel(5, 2), qRgb(255, 0, 0));
    EXPECT_EQ(image_.cacheRenders(), 2);
}

// A JPEG the control's size is shown as decoded, without being drawn again;
// at any other size it is drawn stretched. Both must show its pixels.
TEST_F(TImageTest, JpegShowsTheSameAtItsOwnSizeAndStretched)
{
    image_.setStretch(true);
    load("blue.jpg", picture::testing::buildUniformJpeg({.width = 16, .height = 12}, {20, 40, 230}));
    for (const QSize size : {QSize(16, 12), QSize(24, 18), QSize(16, 12)}) {
        image_.resize(size);
        const QImage s = shot();
        for (const QPoint p : {QPoint(0, 0), QPoint(size.width() - 1, size.height() - 1)}) {
            EXPECT_LT(qRed(s.pixel(p)), 40) << size.width();
            EXPECT_GT(qBlue(s.pixel(p)), 200) << size.width();
        }
    }
    EXPECT_EQ(image_.cacheRenders(), 3);
}

TEST_F(TImageTest, SkipsPaintingTheWindowBehindOnlyWhenThePictureCoversIt)
{
    // Wrongly opaque, the control would show stale pixels around the picture.
    image_.resize(8, 2);
    load("two.bmp", twoColumnBitmap());
    EXPECT_FALSE(image_.testAttribute(Qt::WA_OpaquePaintEvent)); // 2 x 1 in 8 x 2
    image_.setStretch(true);
    EXPECT_TRUE(image_.testAttribute(Qt::WA_OpaquePaintEvent));
    image_.setTransparent(true);
    EXPECT_FALSE(image_.testAttribute(Qt::WA_OpaquePaintEvent));
}

TEST_F(TImageTest, AutoSizeTakesThePicturesSize)
{
    image_.setAutoSize(true);
    image_.resize(50, 50);
    load("two.bmp", twoColumnBitmap());
    EXPECT_EQ(image_.size(), QSize(2, 1));
    load("empty.jpg", "");
    EXPECT_EQ(image_.size(), QSize(2, 1)); // an empty picture keeps the size
}

TEST_F(TImageTest, RightClickReachesTheWindowUnderneath)
{
    struct Window : QWidget {
        void contextMenuEvent(QContextMenuEvent* e) override
        {
            ++menus;
            e->accept();
        }
        int menus = 0;
    } window;
    TImage* child = new TImage(&window);
    child->resize(100, 100);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), QPoint(10, 10));
    QApplication::sendEvent(child, &event);
    EXPECT_EQ(window.menus, 1);
}

TEST_F(TImageTest, JpegFailingInPaintRaisesOnceAndLeavesTheControlUsable)
{
    std::string bad = picture::testing::buildUniformJpeg({}, {1, 2, 3});
    bad[picture::testing::findMarker(bad, 0xDA) + 6] = 0x33;
    image_.setStretch(true);
    image_.resize(16, 16);
    load("bad.jpg", bad);
    EXPECT_TRUE(image_.testAttribute(Qt::WA_OpaquePaintEvent));
    application()->caught.clear();
    shot();
    EXPECT_FALSE(image_.testAttribute(Qt::WA_OpaquePaintEvent)); // it no longer covers the window
    shot();
    ASSERT_EQ(application()->caught.size(), 1u);
    EXPECT_EQ(application()->caught[0], "JPEG error #50");
    EXPECT_EQ(image_.cacheRenders(), 1); // the second paint drew the empty result

    load("good.jpg", picture::testing::buildUniformJpeg({}, {0, 250, 0}));
    EXPECT_GT(qGreen(shot().pixel(8, 8)), 240);
    EXPECT_EQ(application()->caught.size(), 1u);
}

} // namespace
} // namespace picture_qt

int main(int argc, char** argv)
{
    picture_qt::CatchingApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
