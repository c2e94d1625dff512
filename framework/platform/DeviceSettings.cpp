#include "platform/DeviceSettings.h"

#include "core/CPropertyContainer.h"

namespace fw
{
const c8* const SETTING_PUBLISHER_NAME = "PublisherName";
const c8* const SETTING_TITLE_NAME = "TitleName";
const c8* const SETTING_TITLE_CAPTION = "TitleCaption";
const c8* const SETTING_PROFILES_CRYPT_KEY = "ProfilesCryptKey";
const c8* const SETTING_ASSETS_CRYPT_KEY = "AssetsCryptKey";
const c8* const SETTING_ASSETS_FOLDER = "AssetsFolder";

CPropertyContainer* createDeviceSettings()
{
	CPropertyContainer* settings = new CPropertyContainer(nullptr);
	settings->add(SETTING_PUBLISHER_NAME, createPropertyDataStringW(L"Parrowind"));
	settings->add(SETTING_TITLE_NAME, createPropertyDataStringW(L"Ostrel Sample"));
	settings->add(SETTING_TITLE_CAPTION, createPropertyDataStringW(L"Ostrel Sample"));
	settings->add(SETTING_PROFILES_CRYPT_KEY, createPropertyDataStringW(L""));
	settings->add(SETTING_ASSETS_CRYPT_KEY, createPropertyDataStringW(L""));
	settings->add(SETTING_ASSETS_FOLDER, createPropertyDataStringW(L"assets"));
	return settings;
}
} // namespace fw
