// Ending a device at every moment of a play: closing it, opening the file
// again over it, or dropping the whole service (program exit), with the
// project's mp3 on the default output and with short tones whose rounds end,
// join and drain inside the test.
#include "platform/fakes/sound_fixtures.h"
#include "platform/gst_media_service.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <utility>
#include <optional>
#include <vector>

namespace platform {
namespace {

constexpr auto kSuccessful = static_cast<std::uint32_t>(MediaNotice::Successful);
constexpr auto kAborted = static_cast<std::uint32_t>(MediaNotice::Aborted);
// Far above any close; only a hang in a state change or a join gets there.
constexpr int kHangMs = 5000;

const QString kAmbience = QStringLiteral(QUELMAR_ASSETS_DIR "/ambience.mp3");

enum class Ending { Close, Reopen, DropService };

struct Service {
    explicit Service(std::unique_ptr<MediaService> s) : service(std::move(s)) {}

    std::unique_ptr<MediaService> service;
    QObject receiver;
    std::vector<std::uint32_t> notices;
    // Runs inside a notice, as a player's handler would.
    std::function<void(std::uint32_t)> onNotice;

    NoticeTarget target()
    {
        return {&receiver, [this](std::uint32_t outcome, MediaDevice) {
                    notices.push_back(outcome);
                    if (onNotice)
                        onNotice(outcome);
                }};
    }

    MediaDevice open(const QString& file)
    {
        const MediaOpenReply reply = service->open(file);
        EXPECT_EQ(reply.result, 0u) << file.toStdString();
        return reply.device;
    }

    // Ends `device` the way the test row says; returns how long it took.
    qint64 end(Ending ending, MediaDevice device, const QString& file)
    {
        QElapsedTimer clock;
        clock.start();
        switch (ending) {
        case Ending::Close: EXPECT_EQ(service->close(device), 0u); break;
        case Ending::Reopen:
            EXPECT_EQ(service->close(device), 0u);
            EXPECT_EQ(service->play(open(file), target()), 0u);
            break;
        case Ending::DropService: service.reset(); break;
        }
        return clock.elapsed();
    }
};

const Ending kEndings[] = {Ending::Close, Ending::Reopen, Ending::DropService};

const char* name(Ending e)
{
    switch (e) {
    case Ending::Close: return "close";
    case Ending::Reopen: return "reopen";
    case Ending::DropService: return "drop the service";
    }
    return "";
}

// The writing window's sound on the output the program uses: each ending
// at a few points of a play that is far from its end.
TEST(MediaCloseTest, EndingTheAmbienceMp3WhilePlayingOrPausedIsClean)
{
    struct Moment {
        const char* name;
        int playMs; // -1: never played
        bool pause;
    };
    const Moment moments[] = {
        {"opened, never played", -1, false},
        {"just after play", 0, false},
        {"while playing", 300, false},
        {"while paused", 200, true},
    };
    for (const Moment& m : moments)
        for (const Ending ending : kEndings) {
            SCOPED_TRACE(std::string(m.name) + ", " + name(ending));
            Service s{makeGstMediaService()};
            const MediaDevice device = s.open(kAmbience);
            ASSERT_NE(device, 0);
            if (m.playMs >= 0) {
                ASSERT_EQ(s.service->play(device, s.target()), 0u);
                QTest::qWait(m.playMs);
            }
            if (m.pause) {
                ASSERT_EQ(s.service->pause(device), 0u);
            }
            EXPECT_LT(s.end(ending, device, kAmbience), kHangMs);
            QTest::qWait(50);
            if (m.playMs >= 0 && !m.pause) {
                EXPECT_EQ(s.notices, std::vector<std::uint32_t>{kAborted}) << "the cut play is aborted, once";
            }
            // The reopened device plays on after the old one is gone.
            if (ending == Ending::Reopen) {
                EXPECT_EQ(s.service->status(device + 1, MediaStatusItem::Mode).value,
                          static_cast<std::uint32_t>(MediaMode::Playing));
            }
        }
}

// A short tone reaches its end inside the test: the device is ended inside
// the completion notice, right after a rewind there has queued the next
// round behind the tail, and while the tail drains with no round queued.
class MediaCloseAtTheEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(writeToneWav(tone_, 300));
    }

    QTemporaryDir dir_;
    QString tone_ = dir_.filePath(QStringLiteral("tone.wav"));
    RecordingSink sink_;
};

TEST_F(MediaCloseAtTheEndTest, EndingTheDeviceAroundItsCompletionIsClean)
{
    struct Moment {
        const char* name;
        bool rewindInNotice; // queues the next round behind the tail
        bool inNotice;       // ended inside the notice, else once the notice ran
    };
    const Moment moments[] = {
        {"inside the notice", false, true},
        {"inside the notice, the next round joined", true, true},
        {"while the tail drains", false, false},
    };
    for (const bool defaultOutput : {false, true})
        for (const Moment& m : moments)
            for (const Ending ending : kEndings) {
                SCOPED_TRACE(std::string(m.name) + ", " + name(ending) + (defaultOutput ? ", default output" : ""));
                Service s{defaultOutput ? makeGstMediaService() : makeGstMediaService(sink_.factory())};
                const MediaDevice device = s.open(tone_);
                ASSERT_NE(device, 0);
                std::optional<qint64> took;
                s.onNotice = [&](std::uint32_t outcome) {
                    if (outcome != kSuccessful || took)
                        return;
                    if (m.rewindInNotice) {
                        EXPECT_EQ(s.service->seekToStart(device), 0u);
                    }
                    if (m.inNotice)
                        took = s.end(ending, device, tone_);
                };
                ASSERT_EQ(s.service->play(device, s.target()), 0u);
                ASSERT_TRUE(QTest::qWaitFor([&] { return !s.notices.empty(); }, 3000));
                if (!took)
                    took = s.end(ending, device, tone_);
                EXPECT_LT(*took, kHangMs);
                // Timers of the gone device (the joined round's cancel, the
                // settle after the tail) must find nothing to touch.
                QTest::qWait(300);
                EXPECT_EQ(s.notices.front(), kSuccessful);
            }
}

} // namespace
} // namespace platform
