// 500 ambient nodes of mixed kinds (balloons, picture effects, spirals, shield stars and effects,
// lake waves, selection grids) in one scene on the null device with the recording driver: the cost
// of one 20 ms step (the scene's timers, then the frame) beside the same step with an empty scene,
// as a fraction of the step, and the heap allocations per step once everything runs.
#include "../tests/video/CRecordingVideoDriver.h"

#include "CountingAllocator.h"

#include "core/CRefHolder.h"
#include "core/SceneNode.h"
#include "minigames/GAmbientEffects.h"
#include "minigames/GLakeWaveNode.h"
#include "minigames/GSelectGridNode.h"
#include "minigames/GShieldNodes.h"
#include "platform/CDeviceLinux.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"
#include "widgets/SceneManager.h"
#include "widgets/WidgetServices.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

namespace
{
using namespace fw;
using core::vector2df;
using core::vector3df;

const u32 NODES = 500;
const u32 STEP_MS = 20;
// Lives far longer than any run: the set of nodes stays the same while it is measured.
const s32 LONG_LIFE = 1 << 30;

BaseNode* makeNode(u32 i)
{
	const vector3df at(static_cast<f32>((i * 37) % 1000), static_cast<f32>((i * 53) % 700), 0.f);
	BaseNode* node = nullptr;
	switch (i % 7)
	{
	case 0:
	{
		GBaloonNode* n = new GBaloonNode(ContentReference(), nullptr, nullptr);
		n->setWidthRange(vector2df(20.f, 60.f));
		n->setXVelocityRange(vector2df(10.f, 30.f));
		n->setYVelocityRange(vector2df(-20.f, -5.f));
		n->setLifeTime(LONG_LIFE);
		node = n;
		break;
	}
	case 1:
	{
		GPicEffectNode* n = new GPicEffectNode(ContentReference(), nullptr, nullptr);
		n->setWidthRange(vector2df(5.f, 15.f));
		n->setYVelocityRange(vector2df(-3.f, 3.f));
		n->setLifeTime(LONG_LIFE);
		node = n;
		break;
	}
	case 2:
	{
		GSpiralMovableNode* n = new GSpiralMovableNode(ContentReference(), nullptr, nullptr);
		n->setRRange(vector2df(10.f, 40.f));
		n->setAngleVelocityRange(vector2df(0.5f, 2.f));
		n->setRotVelocityRange(vector2df(-90.f, 90.f));
		n->setLifeTime(LONG_LIFE);
		node = n;
		break;
	}
	case 3:
	{
		GShieldStarNode* n = new GShieldStarNode(ContentReference(), nullptr, nullptr);
		n->setVelocityAngleRange(vector2df(0.f, 360.f));
		n->setVelocityRange(vector2df(1.f, 3.f));
		n->setAngularVelocityRange(vector2df(-60.f, 60.f));
		n->setLifeTime(LONG_LIFE);
		node = n;
		break;
	}
	case 4:
	{
		GShieldEffectNode* n = new GShieldEffectNode(ContentReference(), nullptr, nullptr);
		n->setArea1Rect1Size(vector2df(200.f, 150.f));
		n->setArea1Rect2Size(vector2df(100.f, 80.f));
		n->setMovingTime(LONG_LIFE);
		node = n;
		break;
	}
	case 5:
	{
		GLakeWaveNode* n = new GLakeWaveNode(ContentReference(), nullptr, nullptr);
		n->setVelocity(vector3df(1.f, 0.f, 0.f));
		node = n;
		break;
	}
	default:
	{
		GSelectGridNode* n = new GSelectGridNode(ContentReference(), nullptr, nullptr);
		n->setBounds(vector3df(120.f, 80.f, 0.f));
		n->setGridColor(video::SColor(0x80FFFFFF));
		n->setFillColor(video::SColor(0x20000000));
		node = n;
		break;
	}
	}
	node->setPosition(at);
	return node;
}

struct SStage
{
	SStage()
	{
		registerWidgetServices();
		CRandomGeneratorSingleton::Instance().seed(9);
		SDeviceCreationParameters params;
		params.VideoDriver = DEVICE_DRIVER_NULL;
		params.WindowSize = core::dimension2d<s32>(1024, 768);
		device = adoptRef(createDevice(params));
		if (!device || !device->getVideoDriver())
			return;
		driver = adoptRef(new test::CRecordingVideoDriver(device->getVideoDriver()));
		driver->keepDraws = false;
		scenes = adoptRef(new SceneManager);
		scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
		scenes->setActiveScene(scene.get());
		timers = dynamic_cast<CTimerManager*>(scene->getTimerManager());
		for (u32 i = 0; i < NODES; ++i)
		{
			const CRefHolder<BaseNode> node = adoptRef(makeNode(i));
			nodes.push_back(node);
		}
	}
	~SStage()
	{
		if (scenes)
		{
			scene->removeAllChildren();
			scenes->setActiveScene(nullptr);
			scenes->processMessageQueue();
		}
		nodes.clear();
		scene.release();
		scenes.release();
		driver.release();
		device.release();
	}

	bool ready() const { return timers != nullptr; }
	void populate(bool on)
	{
		scene->removeAllChildren();
		if (on)
			for (const CRefHolder<BaseNode>& node : nodes)
				scene->addChild(node.get());
	}
	void step()
	{
		timers->update(STEP_MS);
		scenes->drawAll(driver.get());
	}

	CRefHolder<CDeviceStub> device;
	CRefHolder<test::CRecordingVideoDriver> driver;
	CRefHolder<SceneManager> scenes;
	CRefHolder<SceneNode> scene;
	CTimerManager* timers = nullptr;
	std::vector<CRefHolder<BaseNode>> nodes;
};

f64 msPerStep(SStage& stage, u32 steps)
{
	const auto start = std::chrono::steady_clock::now();
	for (u32 i = 0; i < steps; ++i)
		stage.step();
	return std::chrono::duration<f64, std::milli>(std::chrono::steady_clock::now() - start).count() / steps;
}

void BM_FiveHundredAmbientNodes(benchmark::State& state)
{
	SStage stage;
	if (!stage.ready())
	{
		state.SkipWithError("no null device");
		return;
	}
	stage.populate(true);
	// Started, and every buffer grown.
	for (u32 i = 0; i < 50; ++i)
		stage.step();
	const long before = g_allocations.load();
	for (auto _ : state)
		stage.step();
	state.counters["allocs/step"] =
		benchmark::Counter(static_cast<double>(g_allocations.load() - before), benchmark::Counter::kAvgIterations);
	const f64 perStep = static_cast<f64>(g_allocations.load() - before) / static_cast<f64>(state.iterations());
	const u32 steps = 500;
	const f64 full = msPerStep(stage, steps);
	stage.populate(false);
	stage.step();
	const long emptyBefore = g_allocations.load();
	const f64 empty = msPerStep(stage, steps);
	const f64 emptyPerStep = static_cast<f64>(g_allocations.load() - emptyBefore) / steps;
	state.counters["empty_allocs/step"] = emptyPerStep;
	// What the nodes add to the frame's own allocations.
	state.counters["node_allocs/step"] = perStep - emptyPerStep;
	stage.populate(true);
	state.counters["step_ms"] = full;
	state.counters["empty_step_ms"] = empty;
	state.counters["fraction_of_step"] = (full - empty) / STEP_MS;
	state.counters["nodes"] = static_cast<double>(stage.scene->getChildren().size());
}
BENCHMARK(BM_FiveHundredAmbientNodes)->Unit(benchmark::kMicrosecond);
} // namespace
