// The media service over GStreamer, playing generated tones into a fake sink
// that keeps real time.
#include "platform/fakes/sound_fixtures.h"
#include "platform/gst_media_service.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <vector>

namespace platform {
namespace {

using namespace media_error;

constexpr auto kSuccessful = static_cast<std::uint32_t>(MediaNotice::Successful);
constexpr auto kAborted = static_cast<std::uint32_t>(MediaNotice::Aborted);

class MediaServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(writeToneWav(tone_, 300));
    }

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    MediaDevice openTone()
    {
        const MediaOpenReply reply = service_->open(tone_);
        EXPECT_EQ(reply.result, 0u);
        sink_.clear();
        return reply.device;
    }

    // Records each notice and whether it ran on the UI thread; `then` runs
    // inside the notice, as a player's handler would.
    NoticeTarget target(std::function<void(std::uint32_t)> then = {})
    {
        return {&receiver_, [this, then](std::uint32_t outcome, MediaDevice) {
                    notices_.push_back(outcome);
                    onUiThread_ = onUiThread_ && QThread::currentThread() == qApp->thread();
                    if (then)
                        then(outcome);
                }};
    }

    bool waitForNotices(size_t count, int ms = 3000)
    {
        return QTest::qWaitFor([&] { return notices_.size() >= count; }, ms);
    }

    std::uint32_t query(MediaDevice device, MediaStatusItem item)
    {
        const MediaStatusReply reply = service_->status(device, item);
        EXPECT_EQ(reply.result, 0u);
        return reply.value;
    }

    std::uint32_t mode(MediaDevice device) { return query(device, MediaStatusItem::Mode); }
    static std::uint32_t code(MediaMode m) { return static_cast<std::uint32_t>(m); }

    QTemporaryDir dir_;
    QString tone_ = dir_.filePath(QStringLiteral("tone.wav"));
    QObject receiver_;
    std::vector<std::uint32_t> notices_;
    bool onUiThread_ = true;
    RecordingSink sink_;
    std::unique_ptr<MediaService> service_ = makeGstMediaService(sink_.factory());
};

TEST_F(MediaServiceTest, OpenPrerollsStoppedAtTheStartWithTheLength)
{
    const MediaDevice device = openTone();
    ASSERT_NE(device, 0);
    EXPECT_EQ(query(device, MediaStatusItem::Length), 300u);
    EXPECT_EQ(query(device, MediaStatusItem::Position), 0u);
    EXPECT_EQ(mode(device), code(MediaMode::Stopped));
    EXPECT_EQ(query(device, MediaStatusItem::Volume), 1000u);
}

TEST_F(MediaServiceTest, OpenFailsWithTheCodeOfItsFault)
{
    QFile text(path("notes.mp3"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("Dear diary, today I wrote nothing.\n");
    text.close();
    ASSERT_TRUE(QFile::copy(tone_, path("tone.txt")));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.wav")));

    const struct {
        QString name;
        MediaResult expected;
    } cases[] = {
        {path("missing.mp3"), kFileNotFound},
        {path("notes.mp3"), kCannotDecode},
        {QString(), kNoFileName},
        // The content is a good wave; the name maps to no device.
        {path("tone.txt"), kUnknownExtension},
        {path("tone"), kUnknownExtension},
        {path("folder.wav"), kCannotReadFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const MediaOpenReply reply = service_->open(c.name);
        EXPECT_EQ(reply.result, c.expected);
        EXPECT_TRUE(service_->errorText(reply.result).has_value());
    }
    EXPECT_NE(openTone(), 0) << "a failed open leaves the service usable";
}

TEST_F(MediaServiceTest, PlaysToTheEndInRealTimeAndNotifiesOnTheUiThread)
{
    const MediaDevice device = openTone();
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(service_->play(device, target()), 0u);
    EXPECT_EQ(mode(device), code(MediaMode::Playing));
    ASSERT_TRUE(waitForNotices(1));
    // The notice goes out at most 50 ms before the last sample is heard.
    EXPECT_GE(clock.elapsed(), 230);
    EXPECT_EQ(notices_, std::vector<std::uint32_t>{kSuccessful});
    EXPECT_TRUE(onUiThread_);
    EXPECT_EQ(mode(device), code(MediaMode::Stopped));
    EXPECT_EQ(query(device, MediaStatusItem::Position), 300u);
}

TEST_F(MediaServiceTest, PauseHoldsThePositionAndResumePlaysOnToTheEnd)
{
    const MediaDevice device = openTone();
    EXPECT_EQ(service_->resume(device, target()), kNotPaused);
    ASSERT_EQ(service_->play(device, target()), 0u);
    QTest::qWait(100);
    ASSERT_EQ(service_->pause(device), 0u);
    EXPECT_EQ(mode(device), code(MediaMode::Paused));
    const std::uint32_t held = query(device, MediaStatusItem::Position);
    EXPECT_GT(held, 50u);
    QTest::qWait(150);
    EXPECT_NEAR(query(device, MediaStatusItem::Position), held, 2u);

    ASSERT_EQ(service_->resume(device, target()), 0u);
    EXPECT_EQ(mode(device), code(MediaMode::Playing));
    ASSERT_TRUE(waitForNotices(2));
    EXPECT_EQ(notices_, (std::vector<std::uint32_t>{kAborted, kSuccessful}));
    EXPECT_EQ(query(device, MediaStatusItem::Position), 300u);
}

// What the writing window does on each completion: rewind and play again.
TEST_F(MediaServiceTest, RewindAndPlayFromTheNoticeRepeatWithoutAGap)
{
    const MediaDevice device = openTone();
    std::function<void(std::uint32_t)> again = [&](std::uint32_t outcome) {
        if (outcome == kSuccessful && notices_.size() < 3) {
            service_->seekToStart(device);
            service_->play(device, target(again));
        }
    };
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(service_->play(device, target(again)), 0u);
    ASSERT_TRUE(waitForNotices(3));
    EXPECT_GE(clock.elapsed(), 3 * 300 - 70);
    EXPECT_EQ(notices_, std::vector<std::uint32_t>(3, kSuccessful));
    // Every buffer starts where the previous one ended: no gap, no restart.
    ASSERT_GT(sink_.spans().size(), 10u);
    EXPECT_LT(sink_.largestJumpNs(), 1000000);
}

TEST_F(MediaServiceTest, ARewindAtTheEndWithNoPlayStaysStoppedAtTheStart)
{
    const MediaDevice device = openTone();
    ASSERT_EQ(service_->play(device, target([&](std::uint32_t) { service_->seekToStart(device); })), 0u);
    ASSERT_TRUE(waitForNotices(1));
    QTest::qWait(200);
    EXPECT_EQ(mode(device), code(MediaMode::Stopped));
    EXPECT_EQ(query(device, MediaStatusItem::Position), 0u);

    ASSERT_EQ(service_->play(device, target()), 0u);
    ASSERT_TRUE(waitForNotices(2));
    EXPECT_EQ(notices_.back(), kSuccessful);
}

// The player's Open closes its device and opens the file again; whatever
// state the closed device was in, the new one must be what a fresh open
// gives, and only an unchanged file may reuse the closed pipeline.
class MediaReopenTest : public MediaServiceTest {
protected:
    void SetUp() override
    {
        MediaServiceTest::SetUp();
        ASSERT_TRUE(settle(tone_));
        service_ = makeGstMediaService([this, make = sink_.factory()] {
            ++sinksMade_;
            return make();
        });
    }

    void expectFresh(MediaDevice device)
    {
        EXPECT_EQ(query(device, MediaStatusItem::Length), 300u);
        EXPECT_EQ(query(device, MediaStatusItem::Position), 0u);
        EXPECT_EQ(mode(device), code(MediaMode::Stopped));
        EXPECT_EQ(query(device, MediaStatusItem::Volume), 1000u);
    }

    // A file modified a moment ago may change again unseen, so it is never
    // reused; these are dated long ago, all to the same moment.
    static bool settle(const QString& name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadWrite) &&
               file.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(12, 0)), QFileDevice::FileModificationTime);
    }

    int sinksMade_ = 0;
};

TEST_F(MediaReopenTest, ReopeningTheSameFileGivesAFreshDeviceFromAnyState)
{
    const auto play = [this](MediaDevice d) { service_->play(d, target()); };
    const struct {
        const char* state;
        std::function<void(MediaDevice)> reach;
        std::vector<std::uint32_t> notices; // the old device's, then the new one's play
    } cases[] = {
        {"just opened", [](MediaDevice) {}, {kSuccessful}},
        {"playing",
         [&](MediaDevice d) {
             play(d);
             QTest::qWait(120);
         },
         {kAborted, kSuccessful}},
        {"paused",
         [&](MediaDevice d) {
             play(d);
             QTest::qWait(120);
             service_->pause(d);
         },
         {kAborted, kSuccessful}},
        {"played to the end",
         [&](MediaDevice d) {
             play(d);
             waitForNotices(1);
         },
         {kSuccessful, kSuccessful}},
        {"quieter, playing",
         [&](MediaDevice d) {
             service_->setVolume(d, 200);
             play(d);
             QTest::qWait(50);
         },
         {kAborted, kSuccessful}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        notices_.clear();
        const MediaDevice old = openTone();
        c.reach(old);
        const int sinksBefore = sinksMade_;
        ASSERT_EQ(service_->close(old), 0u);
        const MediaDevice device = openTone();
        EXPECT_EQ(sinksMade_, sinksBefore) << "the unchanged file reuses the closed pipeline";
        EXPECT_NE(device, old);
        EXPECT_EQ(service_->status(old, MediaStatusItem::Mode).result, kInvalidDevice);
        expectFresh(device);
        ASSERT_EQ(service_->play(device, target()), 0u);
        ASSERT_TRUE(waitForNotices(c.notices.size()));
        EXPECT_EQ(notices_, c.notices);
        EXPECT_EQ(query(device, MediaStatusItem::Position), 300u);
        ASSERT_EQ(service_->close(device), 0u);
    }
}

TEST_F(MediaReopenTest, AChangedFileOrALaterOpenBuildsANewPipeline)
{
    const QString other = path("other.wav");
    ASSERT_TRUE(writeToneWav(other, 300) && settle(other));
    const struct {
        const char* between;
        std::function<QString()> act; // returns the file opened next
        std::uint32_t length;
    } cases[] = {
        {"the file rewritten longer", [&] { return writeToneWav(tone_, 500) ? tone_ : QString(); }, 500},
        {"the file rewritten as it was", [&] { return writeToneWav(tone_, 300) ? tone_ : QString(); }, 300},
        // Only the change time tells this one apart.
        {"the file rewritten as it was and dated back",
         [&] { return writeToneWav(tone_, 300) && settle(tone_) ? tone_ : QString(); },
         300},
        {"another file", [&] { return other; }, 300},
        {"the event loop ran",
         [&] {
             QCoreApplication::processEvents();
             return tone_;
         },
         300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.between);
        ASSERT_TRUE(writeToneWav(tone_, 300) && settle(tone_));
        QCoreApplication::processEvents(); // lets the last case's device go
        sinksMade_ = 0;
        const MediaDevice old = openTone();
        service_->play(old, target());
        ASSERT_EQ(service_->close(old), 0u);
        const QString next = c.act();
        ASSERT_FALSE(next.isEmpty());
        const MediaOpenReply reply = service_->open(next);
        ASSERT_EQ(reply.result, 0u);
        EXPECT_EQ(sinksMade_, 2);
        EXPECT_EQ(query(reply.device, MediaStatusItem::Length), c.length);
        EXPECT_EQ(query(reply.device, MediaStatusItem::Position), 0u);
        ASSERT_EQ(service_->close(reply.device), 0u);
    }
}

TEST_F(MediaServiceTest, VolumeTakesZeroToAThousandAndRefusesMore)
{
    const MediaDevice device = openTone();
    for (const std::uint32_t v : {0u, 1000u, 450u}) {
        EXPECT_EQ(service_->setVolume(device, v), 0u);
        EXPECT_EQ(query(device, MediaStatusItem::Volume), v);
    }
    EXPECT_EQ(service_->setVolume(device, 1001), kVolumeOutOfRange);
    EXPECT_EQ(service_->setVolume(device, 0xFFFFFFFFu), kVolumeOutOfRange);
    EXPECT_EQ(query(device, MediaStatusItem::Volume), 450u);
}

TEST_F(MediaServiceTest, EveryCommandToAClosedDeviceFails)
{
    const MediaDevice device = openTone();
    ASSERT_EQ(service_->close(device), 0u);
    MediaService& s = *service_;
    const std::function<MediaResult(MediaDevice)> commands[] = {
        [&](MediaDevice d) { return s.close(d); },
        [&](MediaDevice d) { return s.play(d, target()); },
        [&](MediaDevice d) { return s.pause(d); },
        [&](MediaDevice d) { return s.resume(d, target()); },
        [&](MediaDevice d) { return s.stop(d); },
        [&](MediaDevice d) { return s.seekToStart(d); },
        [&](MediaDevice d) { return s.status(d, MediaStatusItem::Position).result; },
        [&](MediaDevice d) { return s.setVolume(d, 500); },
    };
    for (const auto& command : commands) {
        EXPECT_EQ(command(device), kInvalidDevice);
        EXPECT_EQ(command(0), kInvalidDevice);
    }
}

TEST_F(MediaServiceTest, OpensAnMp3FromItsContent)
{
    if (!writeToneMp3(path("tone.mp3"), 500))
        GTEST_SKIP() << "no mp3 encoder installed";
    const MediaOpenReply reply = service_->open(path("tone.mp3"));
    ASSERT_EQ(reply.result, 0u);
    // The encoder pads the start and the end.
    EXPECT_NEAR(query(reply.device, MediaStatusItem::Length), 530u, 50u);
}

TEST_F(MediaServiceTest, AMidiFileOpensOnlyWhereADecoderIsInstalled)
{
    // One track: a note on, a note off, the end of the track.
    const char midi[] = "MThd\0\0\0\6\0\0\0\1\0\x60"
                        "MTrk\0\0\0\x0c\0\x90\x3c\x40\x60\x80\x3c\x40\0\xff\x2f\0";
    QFile file(path("tune.mid"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(midi, sizeof midi - 1);
    file.close();
    bool decoder = false;
    for (const char* name : {"fluiddec", "wildmididec"})
        if (GstElementFactory* f = gst_element_factory_find(name)) {
            decoder = true;
            gst_object_unref(f);
        }
    EXPECT_EQ(service_->open(path("tune.mid")).result, decoder ? 0u : kNoDecoder);
}

// Without a sound server the default output still keeps real time.
TEST_F(MediaServiceTest, TheDefaultOutputPlaysInRealTime)
{
    const std::unique_ptr<MediaService> service = makeGstMediaService();
    const MediaOpenReply reply = service->open(tone_);
    ASSERT_EQ(reply.result, 0u);
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(service->play(reply.device, target()), 0u);
    ASSERT_TRUE(waitForNotices(1));
    EXPECT_GE(clock.elapsed(), 230);
    EXPECT_EQ(notices_, std::vector<std::uint32_t>{kSuccessful});
}

} // namespace
} // namespace platform
