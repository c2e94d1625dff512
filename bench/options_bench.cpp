// CPU time of one step of a volume slider drag in the options: the value stored in the active
// player's profile, the whole profile file (the common profile and ten players with a played-through
// campaign's lists) written anew and renamed over the old one, and the sound settings applied.
// Target: well under one 10 ms update step, so that a drag never holds the game up.

#include "app/GGame.h"
#include "app/GGameClasses.h"
#include "app/GGameSettings.h"
#include "app/GOptionsScene.h"
#include "content/CContentManager.h"
#include "core/CNodeFactory.h"
#include "core/CPropertyContainer.h"
#include "core/NodeCasts.h"
#include "platform/CDeviceStub.h"
#include "platform/CEngineDeviceSingleton.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CProfile.h"
#include "platform/CProfileManager.h"
#include "platform/IAudioDriver.h"
#include "widgets/CEventValueChanged.h"
#include "widgets/SceneManager.h"
#include "widgets/SliderNode.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/WidgetServices.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace fw;

namespace
{
struct SOptionsRig
{
	GGame* game = nullptr;
	GOptionsScene* options = nullptr;
	const char* error = nullptr;
};

// The game headless on throw-away data folders, ten players, the options open over a plain scene.
SOptionsRig& rig()
{
	static SOptionsRig made = []
	{
		SOptionsRig r;
		const std::string data = (std::filesystem::temp_directory_path() / "qb-options-bench").string();
		std::filesystem::remove_all(data);
		setenv("XDG_DATA_HOME", data.c_str(), 1);
		setenv("XDG_STATE_HOME", data.c_str(), 1);
		if (chdir(QB_STAGE_DIR) != 0)
		{
			r.error = "no staged folder";
			return r;
		}
		CDeviceStub::setAudioDriverType(DEVICE_AUDIO_NULL);
		registerWidgetServices();
		CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice();
		device->getSettings()->setInt(SETTING_VIDEO_DRIVER, DEVICE_DRIVER_NULL);
		r.game = new GGame;
		if (!r.game->init())
		{
			r.error = "the game does not start headless from the staged folder";
			return r;
		}
		registerGameClassesWith(CNodeFactorySingleton::Instance());
		CRefHolder<CContent> templates = adoptRef(
			r.game->getContentManager()->getContent(CONTENT_TYPE_SCENE_NODE, "scenes/TemplateCollection.oscn", true));
		r.game->getSceneManager()->setTemplateCollection(
			nodeCast<TemplateCollectionNode>(dynamic_cast<BaseNode*>(templates.get())));

		CProfileManager& profiles = CProfileManagerSingleton::Instance();
		core::array<s32> scores;
		for (s32 level = 0; level < 40; ++level)
			scores.push_back(100000 + level * 3217);
		for (s32 i = 0; i < 10; ++i)
		{
			profiles.addProfile(core::stringw(L"Player ") + core::stringw(i));
			CProfile* player = profiles.getProfile(static_cast<u32>(i));
			player->setString(PROFILE_SCORES, joinIntList(scores));
			player->setString(PROFILE_TIMES, joinIntList(scores));
			player->setString(PROFILE_BOUGHT_UPGRADES, "Paint;Lamps;Garden;Fountain;Sign;Elevator;Pool;Bar");
			player->setString(PROFILE_ACHIEVEMENTS_PROGRESS, "12;3;40;7;1;0;250000;9;2;0;5;1");
		}
		profiles.setActiveProfile(9);
		profiles.saveUserProfiles();

		// Named after a file of the asset folder, so that what it opens is found beside it.
		CRefHolder<SceneNode> below =
			adoptRef(new SceneNode(ContentReference(r.game->getContentManager(), "scenes/MainMenuScene.oscn"), nullptr,
				nullptr));
		r.game->getSceneManager()->setActiveScene(below.get());
		r.options = nodeCast<GOptionsScene>(below->openSceneFile("scenes/OptionsScene.oscn", true));
		for (s32 i = 0; i < 100; ++i)
			device->postEvent(adoptRef(new CEventSystemFlowUpdate(10)).get());
		if (!r.options || !r.options->getSoundSlider())
			r.error = "the options scene or its sound slider is missing";
		return r;
	}();
	return made;
}

void BM_SliderDragStepWithTenPlayers(benchmark::State& state)
{
	SOptionsRig& r = rig();
	if (r.error)
	{
		state.SkipWithError(r.error);
		return;
	}
	SliderNode* slider = r.options->getSoundSlider();
	const CRefHolder<CEvent> moved = adoptRef<CEvent>(new CEventNodeValueChanged(slider));
	f32 value = 0.f;
	for (auto _ : state)
	{
		value = value >= 100.f ? 0.f : value + 1.f;
		slider->setValue(value);
		r.options->onEvent(moved.get());
	}
	state.counters["profile_bytes"] = static_cast<double>(
		std::filesystem::file_size(std::string(std::getenv("XDG_DATA_HOME")) + "/Fennlark/Quillbrook/profile.dat"));
}
BENCHMARK(BM_SliderDragStepWithTenPlayers)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
} // namespace
