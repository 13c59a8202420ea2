// TMediaPlayer over the real media service, into a fake sink that keeps
// real time: the writing window's repeat, the Pause toggle, a missing file
// and the volume helpers on a real device.
#include "media/sound/media_player.h"
#include "media/sound/player_volume.h"
#include "platform/fakes/scratch_folder.h"
#include "platform/fakes/sound_fixtures.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

namespace sound {
namespace {

using platform::MediaMode;

class PlayerOverGStreamerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(platform::writeToneWav(tone_, 300));
        platform::installMediaService(service_.get());
        player_.FileName = tone_;
    }

    void TearDown() override
    {
        player_.Close();
        platform::installMediaService(nullptr);
    }

    static std::uint32_t code(MediaMode m) { return static_cast<std::uint32_t>(m); }

    QTemporaryDir dir_;
    QString tone_ = dir_.filePath(QStringLiteral("tone.wav"));
    platform::RecordingSink sink_;
    std::unique_ptr<platform::MediaService> service_ = platform::makeGstMediaService(sink_.factory());
    TMediaPlayer player_;
};

// MediaPlayer1Notify: a successful end plays the sound again, and Play
// rewinds because the position has reached the length.
TEST_F(PlayerOverGStreamerTest, PlayingAgainFromTheNoticeRepeatsWithoutAGap)
{
    int rounds = 0;
    player_.OnNotify = [&](TMediaPlayer& sender) {
        if (sender.completion() == TMPNotifyValues::nvSuccessful && ++rounds < 4)
            sender.Play();
    };
    player_.Open();
    sink_.clear();
    QElapsedTimer clock;
    clock.start();
    player_.Play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rounds >= 4; }, 4000));
    EXPECT_GE(clock.elapsed(), 4 * 300 - 70);
    ASSERT_GT(sink_.spans().size(), 10u);
    EXPECT_LT(sink_.largestJumpNs(), 1000000) << "a gap or a restart between rounds";
}

TEST_F(PlayerOverGStreamerTest, PauseTwicePausesThenResumes)
{
    player_.Open();
    player_.Play();
    QTest::qWait(80);
    player_.Pause();
    EXPECT_EQ(player_.mode(), code(MediaMode::Paused));
    const std::uint32_t held = player_.position();
    QTest::qWait(100);
    EXPECT_NEAR(player_.position(), held, 2u);
    player_.Pause();
    EXPECT_EQ(player_.mode(), code(MediaMode::Playing));
    EXPECT_EQ(player_.completion(), TMPNotifyValues::nvAborted) << "the pause cut the first play short";
    ASSERT_TRUE(QTest::qWaitFor([&] { return player_.completion() == TMPNotifyValues::nvSuccessful; }, 2000));
    EXPECT_EQ(player_.mode(), code(MediaMode::Stopped));
    EXPECT_EQ(player_.position(), player_.length());
}

TEST_F(PlayerOverGStreamerTest, AMissingFileRaisesAndLeavesThePlayerClosed)
{
    player_.FileName = dir_.filePath(QStringLiteral("ambience.mp3"));
    try {
        player_.Open();
        FAIL() << "no error raised";
    } catch (const EMCIDeviceError& e) {
        EXPECT_STREQ(e.what(), "The sound file cannot be found. Check its folder and name.");
    }
    EXPECT_FALSE(player_.isOpen());
    EXPECT_THROW(player_.Play(), EMCIDeviceError);
}

TEST_F(PlayerOverGStreamerTest, TheVolumeHelpersSetAndReadTheOpenDevice)
{
    player_.Open();
    EXPECT_EQ(GetPlayerVolume(player_), 1000);
    SetPlayerVolume(player_, 900);
    EXPECT_EQ(GetPlayerVolume(player_), 900);
    SetPlayerVolume(player_, 1001);
    EXPECT_EQ(GetPlayerVolume(player_), 900);
    player_.Open();
    EXPECT_EQ(GetPlayerVolume(player_), 1000) << "a new device starts at full volume";
}

// The writing window opens and plays its sound by the relative name, the
// settings window opens and plays it again over the playing device, and
// the program ends with it playing: on the output the program uses.
TEST(PlayerReopenTest, ReopeningAndDestroyingAPlayingPlayerOnTheDefaultOutput)
{
    const platform::ScratchFolder folder({QStringLiteral("ambience.mp3")});
    const std::unique_ptr<platform::MediaService> service = platform::makeGstMediaService();
    platform::installMediaService(service.get());
    {
        TMediaPlayer player;
        std::vector<TMPNotifyValues> heard;
        player.OnNotify = [&](TMediaPlayer& sender) { heard.push_back(sender.completion()); };
        player.FileName = QStringLiteral("ambience.mp3");
        player.Open();
        player.Play();
        QTest::qWait(200);
        const platform::MediaDevice first = player.deviceId();
        player.FileName = QStringLiteral("ambience.mp3");
        player.Open();
        player.Play();
        EXPECT_NE(player.deviceId(), first);
        EXPECT_NEAR(player.length(), 150000u, 500u);
        QTest::qWait(200);
        EXPECT_EQ(player.mode(), static_cast<std::uint32_t>(MediaMode::Playing));
        EXPECT_GT(player.position(), 100u);
        EXPECT_EQ(heard, std::vector<TMPNotifyValues>{TMPNotifyValues::nvAborted});
    }
    platform::installMediaService(nullptr);
}

} // namespace
} // namespace sound
