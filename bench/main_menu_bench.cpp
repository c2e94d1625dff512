// A main-menu frame with its street busy: 40 movers (the rider, 10 cars, 15 walkers, 14 clouds,
// each with its picture) on the menu's own paths, stepped at 100 updates a second. One frame is one
// 10 ms update of the scene's clock and one drawing pass (the render list collected and sorted, as
// the scene manager does before it hands the entries to the batch). Movers that reach the end of
// their routes leave, so the street is built again every 1,000 frames, outside the timing.
#include "app/GMainMenuScene.h"
#include "app/GMainMenuTraffic.h"
#include "content/CAtlasTexture.h"
#include "core/CRefHolder.h"
#include "core/CXMLReader.h"
#include "level/data/GLevelPaths.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"
#include "platform/CVirtualFile.h"
#include "widgets/SceneManager.h"
#include "widgets/SpriteNode.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace
{
using namespace fw;

const u32 FRAMES_PER_STREET = 1000;

std::string pathsText()
{
	std::ifstream file(QB_STAGE_DIR "/assets/scenes/BgTrafficPaths.xml");
	std::stringstream text;
	text << file.rdbuf();
	return text.str();
}

// The menu, the levels between it and its movers, and the movers.
class CStreet
{
public:
	CStreet() :
		manager(adoptRef(new SceneManager)), menu(adoptRef(new GMainMenuScene(ContentReference(), nullptr, nullptr)))
	{
		const std::string text = pathsText();
		CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile("BgTrafficPaths.xml", 0));
		file->write(text.data(), static_cast<u32>(text.size()));
		file->seek(0);
		CRefHolder<IXMLReader> reader = adoptRef<IXMLReader>(new CXMLReader(file.get()));
		menu->getLevelPaths()->load(reader.get());
		manager->setActiveScene(menu.get());
		timers = dynamic_cast<CTimerManager*>(manager->getSceneTimerManager(menu.get()));
		BaseNode* parent = menu.get();
		for (CRefHolder<BaseNode>& level : levels)
		{
			level = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
			parent->addChild(level.get());
			parent = level.get();
		}
		add<GMainMenuBikeNode>(1, 2);
		add<GMainMenuCarNode>(10, 3);
		add<GMainMenuPedestrianNode>(15, 3);
		add<GMainMenuCloudNode>(14, 3);
		draw();
	}
	~CStreet() { manager->setActiveScene(nullptr); }

	void draw()
	{
		manager->updateAbsoluteTransformation();
		manager->updateAbsoluteColor();
		list.set_used(0);
		menu->collectRenderables(list);
		if (list.size() >= 2)
			list.sort();
	}

	template <class T>
	void add(u32 count, u32 level)
	{
		for (u32 i = 0; i < count; ++i)
		{
			CRefHolder<T> mover = adoptRef(new T(ContentReference(), nullptr, nullptr));
			CRefHolder<SpriteNode> body = adoptRef(new SpriteNode(ContentReference(), nullptr, nullptr));
			body->setName("Body");
			body->setAtlasTexture(picture.get());
			mover->addChild(body.get());
			mover->onInit();
			levels[level]->addChild(mover.get());
		}
	}

	u32 movers() const { return levels[2]->getChildren().size() - 1 + levels[3]->getChildren().size(); }

	// A picture without a texture: the sprites lay out their quads with nothing to draw.
	CRefHolder<CAtlasTexture> picture = adoptRef(new CAtlasTexture(ContentReference(), nullptr,
		core::rect<f32>(0.f, 0.f, 1.f, 1.f), core::vector2df(64.f, 64.f), core::vector2df(64.f, 64.f)));
	CRefHolder<SceneManager> manager;
	CRefHolder<GMainMenuScene> menu;
	CRefHolder<BaseNode> levels[4];
	CTimerManager* timers = nullptr;
	RenderList list;
};

void BM_MainMenuFrameWith40Movers(benchmark::State& state)
{
	CRandomGeneratorSingleton::Instance().seed(7);
	std::unique_ptr<CStreet> street(new CStreet);
	u32 frames = 0;
	double movers = 0.;
	double entries = 0.;
	for (auto _ : state)
	{
		if (frames > 0 && frames % FRAMES_PER_STREET == 0)
		{
			state.PauseTiming();
			street.reset(new CStreet);
			state.ResumeTiming();
		}
		street->timers->update(10);
		street->draw();
		benchmark::DoNotOptimize(street->list.size());
		movers += street->movers();
		entries += street->list.size();
		++frames;
	}
	state.counters["movers"] = frames ? movers / frames : 0.;
	state.counters["entries"] = frames ? entries / frames : 0.;
}
BENCHMARK(BM_MainMenuFrameWith40Movers)->Unit(benchmark::kMicrosecond);
} // namespace
