// Twenty particle systems of 500 live particles each (10,000 quads), each step emitting, ageing,
// moving and rebuilding all of them and then drawing the frame, on the null driver (through the
// recording driver, whose textures have a size) and on OpenGL in a window (under Xvfb). Beside it,
// in the same run, the same steps with the systems hidden (ticking without drawing) and with the
// systems taken out of the scene (the empty step). Reports the CPU time per step, of the whole
// process (Mesa rasterizes on threads of its own) and of the stepping thread alone, the draw calls
// per frame and what the particles add as a fraction of the application's 10 ms step.
//
// The particles are the interface atlas's 16-pixel star at scale 1 shrinking to 0.5, the size of the
// menus' sparkles. The second argument scales them: at 6 % the same triangles cover almost no
// pixels, which separates what a software rasterizer spends per pixel from what it spends per
// triangle.
#include "../tests/video/CRecordingVideoDriver.h"

#include "content/AtlasTextureCollection.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/ParticleEmitters.h"
#include "core/CNodeFactory.h"
#include "core/CRefHolder.h"
#include "core/SceneNode.h"
#include "platform/CDeviceLinux.h"
#include "platform/CFileSystem.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"
#include "widgets/ParticleSystemNode.h"
#include "widgets/SceneManager.h"
#include "widgets/WidgetServices.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <vector>

namespace
{
using namespace fw;

const u32 SYSTEMS = 20;
const f64 STEP_MS = 10.0;

struct SStage
{
	SStage(s32 driverType, f32 size)
	{
		if (driverType == DEVICE_DRIVER_OPENGL && !std::getenv("DISPLAY"))
			return;
		registerWidgetServices();
		CRandomGeneratorSingleton::Instance().seed(3);
		SDeviceCreationParameters params;
		params.VideoDriver = driverType;
		params.WindowSize = core::dimension2d<s32>(1024, 768);
		params.ColorBits = 32;
		device = adoptRef(createDevice(params));
		if (!device || !device->getVideoDriver())
			return;
		if (driverType == DEVICE_DRIVER_OPENGL && device->getVideoDriver()->getDriverType() != video::EDT_OPENGL)
			return;
		driver = adoptRef(new test::CRecordingVideoDriver(device->getVideoDriver()));
		driver->keepDraws = false;
		// The null driver makes no textures the framework can measure; the recording driver's have a size.
		driver->makeTextures = driverType != DEVICE_DRIVER_OPENGL;
		fileSystem = adoptRef(createFileSystem());
		if (!fileSystem->addFileArchive(QB_STAGED_ASSETS, false, false))
			return;
		factory = adoptRef(new CNodeFactory);
		processors = adoptRef(new CContentProcessorsManager(driver.get(), fileSystem.get(), factory.get()));
		manager = adoptRef(new CContentManager(driver.get(), fileSystem.get(), processors.get()));
		CContent* content = manager->getContent(CONTENT_TYPE_ATLAS_COLLECTION, "atlases/MainMenu.xml", false);
		collection = adoptRef(dynamic_cast<AtlasTextureCollection*>(content));
		content = manager->getContent(CONTENT_TYPE_ATLAS_TEXTURE, "art/MainMenu/ParticleStar.png", false);
		star = adoptRef(dynamic_cast<CAtlasTexture*>(content));
		if (!collection || !star)
			return;

		// Lives of 1 to 1.5 s at 600 a second: every pool stays full, and each step some leave and
		// as many are born.
		PointEmitter* emitter = new PointEmitter(ContentReference(manager.get(), ""));
		emitter->setName("BenchFountain");
		emitter->setPPSRange(600.f, 600.f);
		emitter->setLifeTimeRange(1000.f, 1500.f);
		emitter->setRadiusRange(core::vector2df(0.f, 6.f));
		emitter->setVelocityXRange(core::vector2df(-60.f, 60.f));
		emitter->setVelocityYRange(core::vector2df(-220.f, -160.f));
		emitter->setAccelYRange(core::vector2df(200.f, 200.f));
		emitter->setAngVelocityRange(core::vector2df(-180.f, 180.f));
		emitter->setColorEnd(video::SColor(0, 255, 255, 255));
		emitter->setScaleRange(core::vector2df(size, 0.5f * size));
		manager->addContent(ContentReference(manager.get(), "BenchFountain"), emitter);
		emitter->drop();

		scenes = adoptRef(new SceneManager);
		scenes->setSortingEnabled(true);
		scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
		for (u32 i = 0; i < SYSTEMS; ++i)
		{
			ParticleSystemNode* node =
				new ParticleSystemNode(ContentReference(manager.get(), ""), scene.get(), nullptr);
			node->setPosition(core::vector3df(60.f + (i % 5) * 220.f, 300.f + (i / 5) * 150.f, 0.f));
			node->setEmitterName("BenchFountain");
			node->setAtlasTexture(star.get());
			systems.push_back(node);
			node->drop();
		}
		scenes->setActiveScene(scene.get());
		timers = dynamic_cast<CTimerManager*>(scene->getTimerManager());
		// Two seconds to fill the pools.
		for (u32 i = 0; i < 200; ++i)
			step();
	}

	~SStage()
	{
		if (scenes)
		{
			scenes->setActiveScene(nullptr);
			scenes->processMessageQueue();
		}
		systems.clear();
		scene.release();
		scenes.release();
		star.release();
		collection.release();
		manager.release();
		processors.release();
		driver.release();
		device.release();
	}

	bool ready() const { return timers && star; }

	// One 10 ms step of the application: the timers' update, then the frame.
	void step()
	{
		timers->update(static_cast<u32>(STEP_MS));
		device->getVideoDriver()->beginScene(true, false, video::SColor(255, 20, 20, 30));
		scenes->drawAll(driver.get());
		device->getVideoDriver()->endScene();
	}

	u32 liveParticles() const
	{
		u32 count = 0;
		for (ParticleSystemNode* system : systems)
			count += system->getParticles().size();
		return count;
	}

	CRefHolder<CDeviceStub> device;
	CRefHolder<test::CRecordingVideoDriver> driver;
	CRefHolder<CFileSystem> fileSystem;
	CRefHolder<CNodeFactory> factory;
	CRefHolder<CContentProcessorsManager> processors;
	CRefHolder<CContentManager> manager;
	CRefHolder<AtlasTextureCollection> collection;
	CRefHolder<CAtlasTexture> star;
	CRefHolder<SceneManager> scenes;
	CRefHolder<SceneNode> scene;
	CTimerManager* timers = nullptr;
	std::vector<ParticleSystemNode*> systems; // the scene holds them
};

f64 cpuMs(clockid_t clock)
{
	timespec now;
	clock_gettime(clock, &now);
	return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

// CPU milliseconds per step over a number of steps: the whole process's (Mesa's rasterizer threads
// included) and the stepping thread's own (what the game's thread spends).
struct SStepCost
{
	f64 process = 0;
	f64 thread = 0;
};

SStepCost timeSteps(SStage& stage, u32 steps)
{
	const f64 process = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
	const f64 thread = cpuMs(CLOCK_THREAD_CPUTIME_ID);
	for (u32 i = 0; i < steps; ++i)
		stage.step();
	SStepCost cost;
	cost.process = (cpuMs(CLOCK_PROCESS_CPUTIME_ID) - process) / steps;
	cost.thread = (cpuMs(CLOCK_THREAD_CPUTIME_ID) - thread) / steps;
	return cost;
}

// The same steps with the systems hidden: their timers keep running (emitting, ageing, rebuilding
// the quads) but nothing is drawn.
SStepCost timeHiddenSteps(SStage& stage, u32 steps)
{
	for (ParticleSystemNode* system : stage.systems)
		system->setVisible(false);
	const SStepCost hidden = timeSteps(stage, steps);
	for (ParticleSystemNode* system : stage.systems)
		system->setVisible(true);
	return hidden;
}

// The same steps with the systems out of the scene and their timers stopped.
SStepCost timeEmptySteps(SStage& stage, u32 steps)
{
	std::vector<CRefHolder<ParticleSystemNode>> held;
	for (ParticleSystemNode* system : stage.systems)
	{
		held.emplace_back(system);
		system->setEnabled(false);
		system->setEmitterEnabled(false);
		stage.scene->removeChild(system);
	}
	const SStepCost empty = timeSteps(stage, steps);
	for (const CRefHolder<ParticleSystemNode>& system : held)
	{
		stage.scene->addChild(system.get());
		system->setEnabled(true);
		system->setEmitterEnabled(true);
	}
	return empty;
}

void BM_TwentyParticleSystems(benchmark::State& state)
{
	const s32 driverType = static_cast<s32>(state.range(0));
	SStage stage(driverType, static_cast<f32>(state.range(1)) / 100.f);
	if (!stage.ready())
	{
		state.SkipWithError("no driver of this type (OpenGL needs an X display), or no staged atlas");
		return;
	}
	u32 calls = 0;
	for (auto _ : state)
	{
		stage.driver->primitiveListDraws = 0;
		stage.step();
		calls += stage.driver->primitiveListDraws;
	}
	state.counters["draw_calls"] = benchmark::Counter(calls, benchmark::Counter::kAvgIterations);
	state.counters["particles"] = stage.liveParticles();
	// Beside an empty step of the same run: what the particles add, against the 10 ms step; and of
	// that, what ticking alone adds (the rest is drawing).
	const u32 steps = 300;
	const SStepCost full = timeSteps(stage, steps);
	const SStepCost hidden = timeHiddenSteps(stage, steps);
	const SStepCost empty = timeEmptySteps(stage, steps);
	state.counters["step_ms"] = full.process;
	state.counters["tick_step_ms"] = hidden.process;
	state.counters["empty_step_ms"] = empty.process;
	state.counters["fraction_of_step"] = (full.process - empty.process) / STEP_MS;
	state.counters["tick_fraction_of_step"] = (hidden.process - empty.process) / STEP_MS;
	state.counters["thread_step_ms"] = full.thread;
	state.counters["thread_tick_step_ms"] = hidden.thread;
	state.counters["thread_empty_step_ms"] = empty.thread;
	state.counters["thread_fraction_of_step"] = (full.thread - empty.thread) / STEP_MS;
	state.counters["thread_tick_fraction_of_step"] = (hidden.thread - empty.thread) / STEP_MS;
}

// Driver 0: the null driver; 3: OpenGL. Particle size in percent of the star's.
BENCHMARK(BM_TwentyParticleSystems)
	->ArgNames({"driver", "size"})
	->Args({DEVICE_DRIVER_NULL, 100})
	->Args({DEVICE_DRIVER_OPENGL, 100})
	->Args({DEVICE_DRIVER_OPENGL, 6})
	->MeasureProcessCPUTime()
	->Unit(benchmark::kMicrosecond);
} // namespace
