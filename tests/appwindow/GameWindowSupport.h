#pragma once

// The game started from the staged folder on fresh data folders, with no players, in a window of
// the X server; the folders go with the test.

#include "window/WindowTestSupport.h"

#include "app/GGame.h"
#include "platform/CEngineDeviceSingleton.h"
#include "platform/CProfileManager.h"
#include "widgets/WidgetServices.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fw
{
namespace wintest
{
class CGameWindowTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		std::string pattern = (std::filesystem::temp_directory_path() / "qb window.XXXXXX").string();
		ASSERT_NE(nullptr, mkdtemp(&pattern[0]));
		data = pattern;
		setenv("XDG_DATA_HOME", (data + "/data").c_str(), 1);
		setenv("XDG_STATE_HOME", (data + "/state").c_str(), 1);
		ASSERT_EQ(0, chdir(QB_STAGE_DIR));
		registerWidgetServices();
		CProfileManager& profiles = CProfileManagerSingleton::Instance();
		while (profiles.getProfileCount() > 0)
			profiles.removeProfile(0);
		game = adoptRef(new GGame);
		ASSERT_TRUE(game->init()) << "no X display: run the window tests under xvfb-run";
		device = CEngineDeviceSingleton::Instance().getDevice();
	}

	void TearDown() override
	{
		if (game)
			game->shutdown();
		game.release();
		std::error_code error;
		std::filesystem::remove_all(data, error);
	}

	std::string data;
	CRefHolder<GGame> game;
	CDeviceStub* device = nullptr;
};
} // namespace wintest
} // namespace fw
