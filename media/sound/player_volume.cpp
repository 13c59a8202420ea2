#include "media/sound/player_volume.h"

void SetPlayerVolume(sound::TMediaPlayer& player, std::int32_t value)
{
    // The device takes the 32-bit pattern as it is; a negative value arrives
    // as a large one and is refused.
    platform::mediaService().setVolume(player.deviceId(), static_cast<std::uint32_t>(value));
}

std::int32_t GetPlayerVolume(sound::TMediaPlayer& player)
{
    // The reply's value is 0 when the device does not answer; the result
    // itself is not looked at.
    return static_cast<std::int32_t>(
        platform::mediaService().status(player.deviceId(), platform::MediaStatusItem::Volume).value);
}
