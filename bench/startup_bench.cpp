// CPU time of each start-up step of the intro scene, on the null video driver, with the staged
// assets. Target: each step within one 30 ms timer beat, so that the bar keeps moving. Every
// iteration starts from an empty content cache, as the real start-up does.

#include "app/GGame.h"
#include "app/GGameSettings.h"
#include "app/GIntroScene.h"
#include "content/CContentManager.h"
#include "core/CPropertyContainer.h"
#include "platform/CDeviceStub.h"
#include "platform/CEngineDeviceSingleton.h"
#include "platform/IAudioDriver.h"
#include "widgets/WidgetServices.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace fw;

namespace
{
// The game started once for every step's benchmark, headless, on throw-away data folders.
GGame* startedGame()
{
	static GGame* game = []
	{
		const std::string data = (std::filesystem::temp_directory_path() / "qb-startup-bench").string();
		setenv("XDG_DATA_HOME", data.c_str(), 1);
		setenv("XDG_STATE_HOME", data.c_str(), 1);
		if (chdir(QB_STAGE_DIR) != 0)
			return static_cast<GGame*>(nullptr);
		CDeviceStub::setAudioDriverType(DEVICE_AUDIO_NULL);
		registerWidgetServices();
		CEngineDeviceSingleton::Instance().getDevice()->getSettings()->setInt(SETTING_VIDEO_DRIVER, DEVICE_DRIVER_NULL);
		GGame* made = new GGame;
		if (!made->init())
			return static_cast<GGame*>(nullptr);
		return made;
	}();
	return game;
}

void BM_StartupStep(benchmark::State& state)
{
	GGame* game = startedGame();
	if (!game)
	{
		state.SkipWithError("the game does not start headless from the staged folder");
		return;
	}
	const GIntroScene::SStep& step = GIntroScene::getSteps()[state.range(0)];
	state.SetLabel(step.name);
	CRefHolder<GIntroScene> intro = adoptRef(new GIntroScene(ContentReference(), nullptr, nullptr));
	for (auto _ : state)
	{
		state.PauseTiming();
		game->getContentManager()->clear();
		state.ResumeTiming();
		(intro.get()->*step.operation)();
	}
}
BENCHMARK(BM_StartupStep)->DenseRange(0, GIntroScene::STEP_COUNT - 1)->Unit(benchmark::kMillisecond);
} // namespace
