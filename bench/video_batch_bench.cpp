// 2,000 textured quads a frame, drawn through the framework's quad batch and through the engine's
// own per-image 2D drawing, on the null driver and on OpenGL in a window (under Xvfb). Reports the
// CPU time per frame (all threads of the process: Mesa rasterizes on threads of its own) and the
// draw calls per frame of each.
#include "../tests/video/CRecordingVideoDriver.h"

#include "content/CDeviceTexture.h"
#include "content/CImage.h"
#include "content/video/CQuadBatch.h"
#include "content/CTextureContent.h"
#include "core/CRefHolder.h"
#include "platform/CDeviceLinux.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace
{
using namespace fw;

const u32 QUADS = 2000;
const s32 QUAD_SIZE = 16;

// A device of the driver type, the driver wrapped to count its draw calls, and one texture.
struct SScene
{
	explicit SScene(s32 driverType)
	{
		SDeviceCreationParameters params;
		params.VideoDriver = driverType;
		params.WindowSize = core::dimension2d<s32>(1024, 768);
		params.ColorBits = 32;
		if (driverType == DEVICE_DRIVER_OPENGL && !std::getenv("DISPLAY"))
			return;
		device = adoptRef(createDevice(params));
		if (!device || !device->getVideoDriver())
			return;
		if (driverType == DEVICE_DRIVER_OPENGL && device->getVideoDriver()->getDriverType() != video::EDT_OPENGL)
			return;
		driver = adoptRef(new test::CRecordingVideoDriver(device->getVideoDriver()));
		driver->keepDraws = false;

		image = adoptRef(new CImage(ContentReference(), video::ECF_A8R8G8B8, core::dimension2du(QUAD_SIZE, QUAD_SIZE)));
		image->fill(video::SColor(200, 250, 180, 40));
		// The null driver makes no texture the framework can use; the engine's path gets the
		// engine's own placeholder there, so both paths pass a texture.
		deviceTexture = adoptRef(createDeviceTexture(driver.get(), image.get()));
		engineTexture.assign(deviceTexture ? deviceTexture->getTexture()
										   : driver->addTexture("placeholder", image->getEngineImage()));
		texture = adoptRef(new CTextureContent(ContentReference(), "quad", deviceTexture.get()));

		material.MaterialType = video2d::MATERIAL_2D_MODULATE;
		material.UsedLayers = 1;
		material.TextureLayer[0].Texture = texture.get();
		material.Lighting = 0;
		material.ZBuffer = 0;
		material.ZWriteEnable = 0;
		material.BackfaceCulling = 0;
	}

	~SScene()
	{
		// Everything made by the driver goes before the device drops it.
		texture.release();
		deviceTexture.release();
		engineTexture.release();
		driver.release();
		device.release();
	}

	bool ready() const { return driver && engineTexture; }

	core::position2d<s32> position(u32 i) const { return core::position2d<s32>((i * 37) % 1000, (i * 11) % 740); }

	CRefHolder<CDeviceStub> device;
	CRefHolder<test::CRecordingVideoDriver> driver;
	CRefHolder<CImage> image;
	CRefHolder<CDeviceTexture> deviceTexture;
	CRefHolder<video::ITexture> engineTexture;
	CRefHolder<CTextureContent> texture;
	video2d::SMaterial material;
};

void reportDrawCalls(benchmark::State& state, u32 calls)
{
	state.counters["draw_calls"] = benchmark::Counter(calls, benchmark::Counter::kAvgIterations);
	state.counters["quads"] = QUADS;
}

void BM_QuadBatch(benchmark::State& state)
{
	SScene scene(static_cast<s32>(state.range(0)));
	if (!scene.ready())
	{
		state.SkipWithError("no driver of this type (OpenGL needs an X display)");
		return;
	}
	video::IVideoDriver* driver = scene.driver.get();
	CQuadBatch* batch = getQuadBatch(driver);
	const video::SColor white(0xFFFFFFFF);
	const f32 size = static_cast<f32>(QUAD_SIZE);
	const core::vector2df end = scene.texture->getTextureCoords(size, size);
	u32 calls = 0;
	for (auto _ : state)
	{
		driver->beginScene(true, false, video::SColor(255, 30, 30, 30));
		scene.driver->primitiveListDraws = 0;
		batch->flush();
		batch->begin();
		for (u32 i = 0; i < QUADS; ++i)
		{
			const core::position2d<s32> at = scene.position(i);
			const f32 x = static_cast<f32>(at.X);
			const f32 y = static_cast<f32>(at.Y);
			SQuad quad;
			quad.Material = &scene.material;
			quad.Vertices[0] = video2d::S2DVertex(x, y, 0.f, white, 0.f, 0.f);
			quad.Vertices[1] = video2d::S2DVertex(x + size, y, 0.f, white, end.X, 0.f);
			quad.Vertices[2] = video2d::S2DVertex(x + size, y + size, 0.f, white, end.X, end.Y);
			quad.Vertices[3] = video2d::S2DVertex(x, y + size, 0.f, white, 0.f, end.Y);
			batch->addQuad(quad);
		}
		batch->end();
		calls += scene.driver->primitiveListDraws;
		driver->endScene();
	}
	reportDrawCalls(state, calls);
}

void BM_EnginePerImage(benchmark::State& state)
{
	SScene scene(static_cast<s32>(state.range(0)));
	if (!scene.ready())
	{
		state.SkipWithError("no driver of this type (OpenGL needs an X display)");
		return;
	}
	video::IVideoDriver* driver = scene.driver.get();
	const core::rect<s32> source(0, 0, QUAD_SIZE, QUAD_SIZE);
	const video::SColor white(0xFFFFFFFF);
	u32 calls = 0;
	for (auto _ : state)
	{
		driver->beginScene(true, false, video::SColor(255, 30, 30, 30));
		scene.driver->imageDraws = 0;
		for (u32 i = 0; i < QUADS; ++i)
			driver->draw2DImage(scene.engineTexture.get(), scene.position(i), source, nullptr, white, true);
		calls += scene.driver->imageDraws;
		driver->endScene();
	}
	reportDrawCalls(state, calls);
}

// 0: the null driver; 3: OpenGL.
BENCHMARK(BM_QuadBatch)
	->ArgName("driver")
	->Arg(DEVICE_DRIVER_NULL)
	->Arg(DEVICE_DRIVER_OPENGL)
	->MeasureProcessCPUTime()
	->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnginePerImage)
	->ArgName("driver")
	->Arg(DEVICE_DRIVER_NULL)
	->Arg(DEVICE_DRIVER_OPENGL)
	->MeasureProcessCPUTime()
	->Unit(benchmark::kMicrosecond);
} // namespace
