// The step costs of the level's self-running nodes: a hint node full at 4,096 particles and a
// weather node full at 2,048 (one 30 ms timer step each: update, emission, quads), a thousand
// cars on one 10 ms tick of their scene's clock, and a head start of 120,000 ms along a long route
// at speeds that pass more and more of its segments. The step counters report the heap
// allocations made per step once the nodes are full.
#include "content/CAtlasTexture.h"
#include "core/BaseNode.h"
#include "core/CRefHolder.h"
#include "core/ISceneManager.h"
#include "level/nodes/GAmbientMovers.h"
#include "level/nodes/GCarNode.h"
#include "level/nodes/GHOHintParticlesNode.h"
#include "level/nodes/GWeatherParticlesNode.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"

#include "CountingAllocator.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

namespace
{
// Gives the nodes of its one scene the timer manager; the scene is known by an address only.
class CBenchSceneManager : public fw::ISceneManager
{
public:
	void queueMessage(fw::CEventReceiver*, fw::s32, fw::CEvent*) override {}
	fw::ITimerManager* getSceneTimerManager(const fw::SceneNode* scene) const override
	{
		return scene == sceneToken() ? timers.get() : nullptr;
	}
	static fw::SceneNode* sceneToken()
	{
		static char place;
		return reinterpret_cast<fw::SceneNode*>(&place);
	}
	// The nodes draw from the program's generator, which the benchmarks seed.
	const fw::SServices& getServices() const override { return services; }
	fw::CRefHolder<fw::CTimerManager> timers = fw::adoptRef(new fw::CTimerManager);
	fw::SServices services = []
	{
		fw::SServices random;
		random.random = &fw::CRandomGeneratorSingleton::Instance();
		return random;
	}();
};

// A frame without a texture: the nodes step and build their quads, with nothing to draw.
fw::CRefHolder<fw::CAtlasTexture> benchFrame()
{
	return fw::adoptRef(new fw::CAtlasTexture(fw::ContentReference(), nullptr,
		fw::core::rect<fw::f32>(0.f, 0.f, 1.f, 1.f), fw::core::vector2df(0.f, 0.f), fw::core::vector2df(0.f, 0.f)));
}

template <class Node>
void stepFullNode(benchmark::State& state, Node& node)
{
	// Filled and stepped once, so that the buffers have grown.
	node.emit(100000);
	node.onTimer(30);
	const long before = g_allocations.load();
	for (auto _ : state)
		benchmark::DoNotOptimize(node.onTimer(30));
	state.counters["particles"] = node.getLiveCount();
	state.counters["allocs/step"] =
		benchmark::Counter(static_cast<double>(g_allocations.load() - before), benchmark::Counter::kAvgIterations);
}

void BM_HintParticlesStep(benchmark::State& state)
{
	fw::CRandomGeneratorSingleton::Instance().seed(1);
	const fw::CRefHolder<fw::CAtlasTexture> frame = benchFrame();
	CBenchSceneManager manager;
	GHOHintParticlesNode* node = new GHOHintParticlesNode(fw::ContentReference(), nullptr, &manager);
	node->setAtlasTexture(frame.get());
	GHOHintParticlesDescription& d = node->description;
	d.PPS = 20;
	d.ParticlesDensity = fw::core::vector2df(40.f, 60.f);
	d.EmitRadiusXRange = fw::core::vector2df(40.f, 60.f);
	d.EmitRadiusYRange = fw::core::vector2df(20.f, 30.f);
	d.ParticlesVelRange = fw::core::vector2df(10.f, 20.f);
	// Long lives: the node stays full while it is measured.
	d.ParticlesLifetimeRange = fw::core::vector2df(1e9f, 1e9f);
	for (const GParticleKey& key : {GParticleKey{0.f, 0.f}, GParticleKey{0.2f, 1.f}, GParticleKey{1.f, 0.f}})
		d.ColorA.push_back(key);
	d.Scale.push_back(GParticleKey{0.f, 0.5f});
	d.Scale.push_back(GParticleKey{1.f, 1.5f});
	d.AngularVelocity.push_back(GParticleKey{0.f, 120.f});
	stepFullNode(state, *node);
	node->drop();
}
BENCHMARK(BM_HintParticlesStep)->Unit(benchmark::kMicrosecond);

void BM_WeatherParticlesStep(benchmark::State& state)
{
	fw::CRandomGeneratorSingleton::Instance().seed(2);
	const fw::CRefHolder<fw::CAtlasTexture> frame = benchFrame();
	CBenchSceneManager manager;
	GWeatherParticlesNode* node = new GWeatherParticlesNode(fw::ContentReference(), nullptr, &manager);
	node->setAtlasTexture(frame.get());
	GWeatherParticlesDescription& d = node->description;
	d.PPS = 200;
	d.ParticleLifetimeRange = fw::core::vector2df(1e9f, 1e9f);
	d.ParticleAngularVelocityRange = fw::core::vector2df(-60.f, 60.f);
	d.ParticleNormalDeltaRange = fw::core::vector2df(5.f, 20.f);
	d.ParticleNormalDeltaPeriodRange = fw::core::vector2df(2000.f, 4000.f);
	for (const GParticleKey& key : {GParticleKey{0.f, 0.f}, GParticleKey{0.1f, 0.9f}, GParticleKey{1.f, 0.f}})
		d.ColorA.push_back(key);
	d.ScaleX.push_back(GParticleKey{0.f, 1.f});
	d.ScaleY.push_back(GParticleKey{0.f, 1.f});
	stepFullNode(state, *node);
	node->drop();
}
BENCHMARK(BM_WeatherParticlesStep)->Unit(benchmark::kMicrosecond);

void BM_MoversTick(benchmark::State& state)
{
	const int count = static_cast<int>(state.range(0));
	fw::CRandomGeneratorSingleton::Instance().seed(3);
	CBenchSceneManager manager;
	fw::CRefHolder<fw::BaseNode> root = fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
	root->attachToScene(&manager, CBenchSceneManager::sceneToken());
	fw::core::array<fw::core::vector2df> route;
	for (int corner = 0; corner < 8; ++corner)
		route.push_back(
			fw::core::vector2df(static_cast<fw::f32>((corner % 4) * 200), static_cast<fw::f32>((corner / 2) * 90)));
	for (int i = 0; i < count; ++i)
	{
		GCarNode* car = new GCarNode(fw::ContentReference(), root.get(), nullptr);
		car->drop();
		car->setVelocity(50.f + static_cast<fw::f32>(i % 50));
		// Looping, so that none leaves while it is measured.
		car->start(route, -1, false, true);
	}
	fw::RenderList list;
	root->collectRenderables(list);
	for (auto _ : state)
		manager.timers->update(GCarNode::INTERVAL);
	state.counters["movers"] = count;
	state.counters["timers"] = manager.timers->getTimerCount();
	root->removeAllChildren();
}
BENCHMARK(BM_MoversTick)->Arg(1000)->Unit(benchmark::kMicrosecond);

// A route of 20,000 unit segments, loop on; velocity chosen so that the head start passes the
// given number of segments.
void BM_HeadStartOnALongRoute(benchmark::State& state)
{
	const fw::f32 passed = static_cast<fw::f32>(state.range(0));
	fw::core::array<fw::core::vector2df> route;
	for (int i = 0; i < 20000; ++i)
		route.push_back(fw::core::vector2df(static_cast<fw::f32>(i % 2), static_cast<fw::f32>(i)));
	fw::CRefHolder<GPathMovableNode> mover =
		fw::adoptRef(new GPathMovableNode(fw::ContentReference(), nullptr, nullptr));
	mover->setVelocity(passed / 120.f / std::sqrt(2.f));
	for (auto _ : state)
	{
		state.PauseTiming();
		mover->start(route, -1, false, true);
		state.ResumeTiming();
		mover->update(120000);
	}
	state.counters["segments"] = passed;
}
BENCHMARK(BM_HeadStartOnALongRoute)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
} // namespace
