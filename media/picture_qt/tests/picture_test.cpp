// Loading picture files through the holder: the order of its steps, its
// errors, and a failed load leaving the previous graphic.
#include "media/picture_qt/picture.h"

#include "base/errors.h"
#include "media/picture/jpeg_reader.h"
#include "media/picture/tests/jpeg_builder.h"
#include "media/picture/tests/metafile_builder.h"

#include <QTemporaryDir>

#include <fstream>
#include <gtest/gtest.h>

namespace picture_qt {
namespace {

class TPictureTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes)
    {
        const std::string path = dir_.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string pngBytes(int w, int h)
    {
        QImage image(w, h, QImage::Format_RGBA8888);
        image.fill(QColor(10, 20, 30, 128));
        const QString path = dir_.filePath(QStringLiteral("made.png"));
        image.save(path, "PNG");
        std::ifstream in(path.toStdString(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    QTemporaryDir dir_;
    TPicture picture_;
    int changes_ = 0;
};

TEST_F(TPictureTest, LoadsEachKindByExtension)
{
    picture_.setOnChange([this] { ++changes_; });
    const std::string jpeg = picture::testing::buildUniformJpeg({.width = 5, .height = 3}, {1, 2, 3});
    struct Case {
        const char* name;
        std::string bytes;
        int width, height;
    } cases[] = {
        {"Backdrop.JPG", jpeg, 5, 3},
        {"photo.jpeg", jpeg, 5, 3},
        {"icon.tar.png", pngBytes(4, 2), 4, 2},
        {"drawing.wmf", picture::testing::placeableWmf({}), 96, 48},
        {"drawing.emf", picture::testing::emfHeader({}), 96, 48},
        {"empty.jpg", "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        picture_.LoadPictureFile(write(c.name, c.bytes));
        ASSERT_NE(picture_.Graphic(), nullptr);
        EXPECT_EQ(picture_.Width(), c.width);
        EXPECT_EQ(picture_.Height(), c.height);
    }
    EXPECT_EQ(changes_, 6);
    EXPECT_NE(dynamic_cast<TQMPNGObject*>((picture_.LoadPictureFile(write("a.png", pngBytes(1, 1))), picture_.Graphic())), nullptr);
}

TEST_F(TPictureTest, FailedLoadKeepsThePreviousGraphic)
{
    picture_.LoadPictureFile(write("good.jpg", picture::testing::buildUniformJpeg({}, {9, 9, 9})));
    TGraphic* previous = picture_.Graphic();
    picture_.setOnChange([this] { ++changes_; });
    const std::string missing = dir_.filePath(QStringLiteral("Backdrop.jpg")).toStdString();
    struct Case {
        std::string fileName;
        std::string message;
    } cases[] = {
        {write("anim.Gif", "GIF89a"), "Unknown picture file extension (.Gif)"},
        {write("Backdrop", "x"), "Unknown picture file extension (.)"},
        {missing, "Cannot open file \"" + missing + "\". No such file or directory"},
        {write("bad.jpg", "not a jpeg"), "JPEG error #53"},
        {write("bad.wmf", "not a metafile at all, not at all"), "Metafile is not valid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileName);
        try {
            picture_.LoadPictureFile(c.fileName);
            ADD_FAILURE() << "loaded";
        } catch (const base::Exception& e) {
            EXPECT_EQ(e.message(), c.message);
        }
        EXPECT_EQ(picture_.Graphic(), previous);
    }
    EXPECT_EQ(changes_, 0);
}

TEST_F(TPictureTest, RelativeNameIsExpandedAgainstTheWorkingDirectory)
{
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    try {
        picture_.LoadPictureFile("Backdrop.jpg");
        ADD_FAILURE() << "loaded";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.message(), "Cannot open file \"" + dir_.path().toStdString()
                                   + "/Backdrop.jpg\". No such file or directory");
    }
    QDir::setCurrent(old);
}

TEST_F(TPictureTest, JpegKeepsOnlyItsHeaderUntilTheFirstDraw)
{
    picture_.LoadPictureFile(write("late.jpg", picture::testing::buildUniformJpeg({.width = 16, .height = 16}, {250, 0, 0})));
    auto* jpeg = dynamic_cast<TJPEGImage*>(picture_.Graphic());
    ASSERT_NE(jpeg, nullptr);
    EXPECT_FALSE(jpeg->Decoded());
    QImage target(4, 4, QImage::Format_ARGB32);
    QPainter painter(&target);
    jpeg->Draw(painter, target.rect());
    painter.end();
    EXPECT_TRUE(jpeg->Decoded());
    EXPECT_GT(qRed(target.pixel(2, 2)), 240);
}

TEST_F(TPictureTest, JpegWithBadImageDataRaisesOnTheFirstDrawOnly)
{
    std::string file = picture::testing::buildUniformJpeg({}, {1, 2, 3});
    file[picture::testing::findMarker(file, 0xDA) + 6] = 0x33; // scan names an undefined table
    picture_.LoadPictureFile(write("broken.jpg", file));
    QImage target(8, 8, QImage::Format_ARGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    try {
        picture_.Graphic()->Draw(painter, target.rect());
        ADD_FAILURE() << "drawn";
    } catch (const EJPEG& e) {
        EXPECT_STREQ(e.what(), "JPEG error #50");
    }
    EXPECT_NO_THROW(picture_.Graphic()->Draw(painter, target.rect()));
    painter.end();
    EXPECT_EQ(target.pixel(4, 4), qRgb(255, 255, 255));
}

// A second load of the same bytes shares the first one's decode; each
// picture still counts on its own: the pixels, or the error once each.
TEST_F(TPictureTest, JpegLoadedTwiceDrawsOrFailsInEachPicture)
{
    std::string broken = picture::testing::buildUniformJpeg({}, {1, 2, 3});
    broken[picture::testing::findMarker(broken, 0xDA) + 6] = 0x33;
    const struct {
        const char* name;
        std::string bytes;
        bool fails;
    } cases[] = {
        {"good.jpg", picture::testing::buildUniformJpeg({.width = 16, .height = 16}, {0, 0, 250}), false},
        {"broken.jpg", broken, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = write(c.name, c.bytes);
        TPicture first, second;
        first.LoadPictureFile(name);
        second.LoadPictureFile(name);
        for (TPicture* picture : {&second, &first}) {
            QImage target(4, 4, QImage::Format_ARGB32);
            target.fill(Qt::white);
            QPainter painter(&target);
            bool raised = false;
            try {
                picture->Graphic()->Draw(painter, target.rect());
            } catch (const EJPEG& e) {
                raised = true;
                EXPECT_STREQ(e.what(), "JPEG error #50");
            }
            EXPECT_EQ(raised, c.fails);
            EXPECT_NO_THROW(picture->Graphic()->Draw(painter, target.rect()));
            painter.end();
            EXPECT_EQ(qBlue(target.pixel(2, 2)), c.fails ? 255 : 250) << "drawn with the pixels";
            EXPECT_EQ(qRed(target.pixel(2, 2)), c.fails ? 255 : 0);
        }
    }
}

} // namespace
} // namespace picture_qt
