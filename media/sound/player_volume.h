// The settings window's two volume helpers (unit Unit2), kept beside the
// player they drive. Neither checks for an open device nor reports a
// failure: a volume for no device goes to device 0 and is dropped.
#pragma once

#include "media/sound/media_player.h"

#include <cstdint>

// Hands `value` to the player's device unchanged; the device may refuse it.
void SetPlayerVolume(sound::TMediaPlayer& player, std::int32_t value);

// The device's volume, or 0 when it does not answer.
std::int32_t GetPlayerVolume(sound::TMediaPlayer& player);
