// One 20 ms level step of the street and the sky: the traffic manager with about twenty neutral
// cars on four streets and a work vehicle driving up and down among them (so that cars hurry), the
// clouds effect, the cars' own clocks and the collecting pass that starts new cars. Cars come and
// go all the time; the step counters report the heap allocations per step, averaged over the
// cars made and destroyed meanwhile, and those of the quietest step, in which none comes.
#include "core/BaseNode.h"
#include "core/CRefHolder.h"
#include "core/CXMLReader.h"
#include "core/SceneNode.h"
#include "level/data/GLevelPaths.h"
#include "level/data/IGLevelPathsOwner.h"
#include "level/nodes/GAmbientMovers.h"
#include "level/nodes/GCarNode.h"
#include "level/scene/GCloudsEffect.h"
#include "level/scene/GTrafficManager.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"
#include "platform/CVirtualFile.h"
#include "widgets/SceneManager.h"
#include "widgets/TemplateCollectionNode.h"

#include "CountingAllocator.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace
{
// The level scene's type and its paths: what the traffic manager asks of its level.
class CBenchLevel : public fw::SceneNode, public IGLevelPathsOwner
{
public:
	FW_NODE_TYPE(NODE_TYPE_GAME_LEVEL_SCENE, fw::SceneNode)

	CBenchLevel() : fw::SceneNode(fw::ContentReference(), nullptr, nullptr) {}
	GLevelPaths* getLevelPaths() const override { return paths.get(); }

	fw::CRefHolder<GLevelPaths> paths;
};

// Four streets across the map, two each way, a car on each every 3 to 3.4 s: about twenty cars.
const char* const kPaths = "<LevelPaths><CarPaths>"
						   "<Path ID=\"NeutralCar\" Time=\"3000, 3400\" Cars=\"CarA; CarB\">"
						   "<p p=\"-80, 300\"/><p p=\"500, 300\"/><p p=\"1104, 300\"/></Path>"
						   "<Path ID=\"NeutralCar\" Time=\"3000, 3400\" Cars=\"CarA; CarB\">"
						   "<p p=\"1104, 330\"/><p p=\"-80, 330\"/></Path>"
						   "<Path ID=\"NeutralCar\" Time=\"3000, 3400\" Cars=\"CarB\">"
						   "<p p=\"-80, 600\"/><p p=\"400, 600\"/><p p=\"400, 700\"/><p p=\"1104, 700\"/></Path>"
						   "<Path ID=\"NeutralCar\" Time=\"3000, 3400\" Cars=\"CarA\">"
						   "<p p=\"1104, 630\"/><p p=\"-80, 630\"/></Path>"
						   "</CarPaths></LevelPaths>";

void addTemplate(fw::TemplateCollectionNode* collection, fw::BaseNode* node, const char* name)
{
	node->setName(name);
	// A body to copy and to face, as the game's templates have.
	fw::BaseNode* body = new fw::BaseNode(fw::ContentReference(), node, nullptr);
	body->setName("Body");
	body->drop();
	collection->addTemplate(node);
	node->drop();
}

void BM_TrafficAndCloudsStep(benchmark::State& state)
{
	fw::CRandomGeneratorSingleton::Instance().seed(4);
	const fw::CRefHolder<fw::SceneManager> scenes = fw::adoptRef(new fw::SceneManager);
	const fw::CRefHolder<fw::TemplateCollectionNode> templates =
		fw::adoptRef(new fw::TemplateCollectionNode(fw::ContentReference(), nullptr, nullptr));
	addTemplate(templates.get(), new GCarNode(fw::ContentReference(), nullptr, scenes.get()), "CarA");
	addTemplate(templates.get(), new GCarNode(fw::ContentReference(), nullptr, scenes.get()), "CarB");
	for (const char* cloud : {"Cloud1", "Cloud2", "Cloud3"})
		addTemplate(templates.get(), new GPathMovableNode(fw::ContentReference(), nullptr, scenes.get()), cloud);
	scenes->setTemplateCollection(templates.get());

	const fw::CRefHolder<CBenchLevel> level = fw::adoptRef(new CBenchLevel);
	const fw::CRefHolder<fw::BaseNode> cargos =
		fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
	cargos->setName("CargosNode");
	level->addChild(cargos.get());
	scenes->setActiveScene(level.get());
	fw::CTimerManager* timers = dynamic_cast<fw::CTimerManager*>(scenes->getSceneTimerManager(level.get()));

	level->paths = fw::adoptRef(new GLevelPaths);
	{
		const std::string text(kPaths);
		const fw::CRefHolder<fw::CVirtualFile> file = fw::adoptRef(new fw::CVirtualFile("paths.xml", 0));
		file->write(text.data(), static_cast<fw::u32>(text.size()));
		file->seek(0);
		const fw::CRefHolder<fw::IXMLReader> reader = fw::adoptRef<fw::IXMLReader>(new fw::CXMLReader(file.get()));
		level->paths->load(reader.get());
	}
	const fw::CRefHolder<GTrafficManager> traffic = fw::adoptRef(new GTrafficManager(level.get(), cargos.get()));
	fw::CRefHolder<GCloudsEffect> clouds = fw::adoptRef(new GCloudsEffect(cargos.get(), templates.get()));
	// A work vehicle going up and down the first street, among the cars.
	const fw::CRefHolder<GPathMovableNode> bus =
		fw::adoptRef(new GPathMovableNode(fw::ContentReference(), nullptr, nullptr));
	fw::core::array<fw::core::vector2df> busRoute;
	busRoute.push_back(fw::core::vector2df(0.f, 305.f));
	busRoute.push_back(fw::core::vector2df(1000.f, 305.f));
	bus->setVelocity(140.f);
	bus->start(busRoute, -1, false, true);
	bus->setTrafficManager(traffic.get(), true);

	fw::RenderList list;
	auto step = [&]
	{
		traffic->update(20);
		clouds->update(20);
		bus->update(20);
		timers->update(20);
		list.set_used(0);
		level->collectRenderables(list);
	};
	// A minute of level time: the streets full, the sky in its steady state.
	for (int i = 0; i < 3000; ++i)
		step();
	const long before = g_allocations.load();
	fw::u32 steps = 0;
	double vehicles = 0.0;
	long quietest = -1;
	for (auto _ : state)
	{
		const long at = g_allocations.load(std::memory_order_relaxed);
		step();
		const long made = g_allocations.load(std::memory_order_relaxed) - at;
		if (quietest < 0 || made < quietest)
			quietest = made;
		++steps;
		vehicles += static_cast<double>(traffic->getVehicles().size());
	}
	state.counters["vehicles"] = steps ? vehicles / steps : 0.0;
	state.counters["clouds"] = clouds->getCloudCount();
	// A step in which no car or cloud comes.
	state.counters["allocs/quiet step"] = static_cast<double>(quietest);
	state.counters["allocs/step"] =
		benchmark::Counter(static_cast<double>(g_allocations.load() - before), benchmark::Counter::kAvgIterations);
	// Level time per second of stepping: 20 ms a step.
	state.counters["x real time"] = benchmark::Counter(0.02 * static_cast<double>(steps), benchmark::Counter::kIsRate);

	bus->setTrafficManager(nullptr, false);
	// The clouds go with the effect, the cars with their parent.
	clouds.release();
	cargos->removeAllChildren();
	scenes->setActiveScene(nullptr);
	scenes->setTemplateCollection(nullptr);
}
BENCHMARK(BM_TrafficAndCloudsStep)->Unit(benchmark::kMicrosecond);
} // namespace
