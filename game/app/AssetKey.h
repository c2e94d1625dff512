#pragma once

// The key of the game's encrypted asset archive: the start-up code sets it as the device setting
// "AssetsCryptKey", and the packing tool enciphers the archive with it. Changing it makes every
// archive packed before unreadable.
constexpr const char GAME_ASSET_KEY[] = "Qb#7fenn!Lark-Mill^Wheel2Otter*Ink;Lantern9+Crooked_Pines~4";
static_assert(sizeof(GAME_ASSET_KEY) - 1 == 59, "the asset key has 59 characters");
