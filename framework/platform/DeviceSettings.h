#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class CPropertyContainer;

// Keys of the device's settings: wide texts, held in memory only.
extern const c8* const SETTING_PUBLISHER_NAME;     // the data folders' first level
extern const c8* const SETTING_TITLE_NAME;         // the data folders' second level
extern const c8* const SETTING_TITLE_CAPTION;      // the window's class name and caption
extern const c8* const SETTING_PROFILES_CRYPT_KEY; // empty: the profile file is plain
extern const c8* const SETTING_ASSETS_CRYPT_KEY;   // the encrypted asset archive's key
extern const c8* const SETTING_ASSETS_FOLDER;      // mounted with the archive named after it

// A new container with the six settings at their defaults, in the order above; count 1.
CPropertyContainer* createDeviceSettings();
} // namespace fw
