// SetPlayerVolume and GetPlayerVolume: the value reaches the player's device
// unchanged, whatever device that is, and nothing is recorded or raised.
#include "media/sound/player_volume.h"
#include "platform/fakes/fake_media_service.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

TEST(PlayerVolumeTest, SetPassesTheValueUnchangedToTheDevice)
{
    const struct {
        std::int32_t value;
        const char* sent;
    } cases[] = {
        {0, "setaudio 1 volume 0"},
        {1000, "setaudio 1 volume 1000"},
        {900, "setaudio 1 volume 900"},
        {-1, "setaudio 1 volume 4294967295"},
    };
    platform::ScopedMediaService service;
    sound::TMediaPlayer player;
    player.FileName = QStringLiteral("a.mp3");
    player.Open();
    for (const auto& c : cases) {
        service.fake.log.clear();
        SetPlayerVolume(player, c.value);
        EXPECT_EQ(service.fake.log, Log{c.sent});
    }
    EXPECT_EQ(GetPlayerVolume(player), 900) << "the refused value left the volume alone";
    EXPECT_EQ(service.fake.log.back(), "status 1 volume");
    EXPECT_EQ(player.lastResult(), 0u) << "neither helper records its result";
}

TEST(PlayerVolumeTest, WithNoDeviceBothGoToDeviceZeroAndReportNothing)
{
    platform::ScopedMediaService service;
    sound::TMediaPlayer player;
    SetPlayerVolume(player, 500);
    EXPECT_EQ(GetPlayerVolume(player), 0);
    EXPECT_EQ(service.fake.log, (Log{"setaudio 0 volume 500", "status 0 volume"}));
    EXPECT_EQ(player.lastResult(), 0u);
}

} // namespace
