#pragma once

// The game started headless: the staged folder as the working directory, fresh data folders, the
// null video driver asked for through the settings, and time moved by hand through update events.

#include "app/GGame.h"
#include "app/GGameSettings.h"
#include "core/CNameTable.h"
#include "core/CPropertyContainer.h"
#include "core/SceneNode.h"
#include "platform/CDeviceStub.h"
#include "platform/CDictionary.h"
#include "platform/CEngineDeviceSingleton.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CProfileManager.h"
#include "widgets/SceneManager.h"
#include "widgets/WidgetServices.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace apptest
{
using namespace fw;

inline s32 id(const char* name)
{
	return CNameTableSingleton::Instance().intern(name);
}

// A fresh folder under the system's temporary folder, removed with the object.
class CTemporaryFolder
{
public:
	CTemporaryFolder()
	{
		std::string pattern = (std::filesystem::temp_directory_path() / "qb app.XXXXXX").string();
		path = mkdtemp(&pattern[0]) ? pattern : std::string();
	}
	~CTemporaryFolder()
	{
		std::error_code error;
		std::filesystem::remove_all(path, error);
	}
	CTemporaryFolder(const CTemporaryFolder&) = delete;
	CTemporaryFolder& operator=(const CTemporaryFolder&) = delete;

	std::string path;
};

class HeadlessGame : public ::testing::Test
{
protected:
	void SetUp() override
	{
		registerWidgetServices();
		ASSERT_FALSE(data.path.empty());
		setenv("XDG_DATA_HOME", (data.path + "/data").c_str(), 1);
		setenv("XDG_STATE_HOME", (data.path + "/state").c_str(), 1);
		ASSERT_EQ(0, chdir(workingFolder().c_str())) << workingFolder();
		device = CEngineDeviceSingleton::Instance().getDevice();
		ASSERT_NE(nullptr, device);
		device->getSettings()->setInt(SETTING_VIDEO_DRIVER, DEVICE_DRIVER_NULL);
		device->getDictionary()->clear();
		// Players of an earlier test in the same process are not this test's.
		CProfileManager& profiles = CProfileManagerSingleton::Instance();
		while (profiles.getProfileCount() > 0)
			profiles.removeProfile(0);
		beforeInit();
		game = adoptRef(new GGame);
		ASSERT_TRUE(game->init());
	}

	void TearDown() override
	{
		if (game)
			game->shutdown();
		game.release();
	}

	// What a test changes before the game starts.
	virtual void beforeInit() {}
	// Where the game starts: the staged folder, whose assets/ it mounts.
	virtual std::string workingFolder() { return QB_STAGE_DIR; }

	// One update event of ms milliseconds, as the main loop posts them.
	void step(u32 ms) { device->postEvent(adoptRef(new CEventSystemFlowUpdate(ms)).get()); }
	// Updates of 10 ms until ms have passed.
	void advance(u32 ms)
	{
		for (u32 done = 0; done < ms; done += 10)
			step(10);
	}
	// Updates of 10 ms until the condition holds; false after limit ms.
	template <class F>
	bool advanceUntil(F condition, u32 limit = 60000)
	{
		for (u32 done = 0; done <= limit; done += 10)
		{
			if (condition())
				return true;
			step(10);
		}
		return false;
	}

	SceneNode* activeScene() const { return game->getSceneManager()->getActiveScene(); }

	std::string profileFile() const { return data.path + "/data/Fennlark/Quillbrook/profile.dat"; }
	// The file is UTF-16LE with a byte-order mark; its keys are ASCII. Empty when there is none.
	std::string readProfile() const
	{
		std::ifstream in(profileFile(), std::ios::binary);
		std::stringstream bytes;
		bytes << in.rdbuf();
		const std::string raw = bytes.str();
		std::string text;
		for (size_t i = raw.compare(0, 2, "\xFF\xFE") == 0 ? 2 : 0; i + 1 < raw.size(); i += 2)
			text += raw[i];
		return text;
	}

	CTemporaryFolder data;
	CDeviceStub* device = nullptr;
	CRefHolder<GGame> game;
};
} // namespace apptest
