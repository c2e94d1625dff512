// 2,000 textured quads a frame, drawn through the framework's quad batch and through the engine's
// own per-image 2D drawing, on the null driver and on OpenGL in a window (under Xvfb), with one
// texture, with four textures in runs of 500 quads, and with four textures taking turns at every
// quad. The time is the submitting thread's CPU time: Mesa rasterizes on threads of its own, the
// same for both ways of drawing, which would hide the difference in the process's time. The draw
// calls and texture runs per frame are counted in a separate frame through a recording driver, so
// that the recording costs nothing in the measured frames.
#include "../tests/video/CRecordingVideoDriver.h"

#include "content/CDeviceTexture.h"
#include "content/CImage.h"
#include "content/CTextureContent.h"
#include "content/video/CQuadBatch.h"
#include "core/CRefHolder.h"
#include "platform/CDeviceLinux.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace
{
using namespace fw;

const u32 QUADS = 2000;
const s32 QUAD_SIZE = 16;
const u32 TEXTURES = 4;

enum ELayout
{
	ONE_TEXTURE = 0,
	FOUR_IN_RUNS = 1,
	FOUR_INTERLEAVED = 2
};

// A device of the driver type and four textures, each as framework material and engine texture.
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
		driver = device->getVideoDriver();
		if (driverType == DEVICE_DRIVER_OPENGL && driver->getDriverType() != video::EDT_OPENGL)
		{
			driver = nullptr;
			return;
		}
		recorder = adoptRef(new test::CRecordingVideoDriver(driver));
		recorder->keepDraws = false;

		for (u32 t = 0; t < TEXTURES; ++t)
		{
			images[t] =
				adoptRef(new CImage(ContentReference(), video::ECF_A8R8G8B8, core::dimension2du(QUAD_SIZE, QUAD_SIZE)));
			images[t]->fill(video::SColor(200, 250 - 40 * t, 180, 40 + 50 * t));
			// The null driver makes no texture the framework can use; the engine's path gets the
			// engine's own placeholder there, so both paths pass a texture.
			deviceTextures[t] = adoptRef(createDeviceTexture(driver, images[t].get()));
			const core::stringc name = core::stringc("placeholder") + core::stringc(t);
			engineTextures[t].assign(deviceTextures[t] ? deviceTextures[t]->getTexture()
													   : driver->addTexture(name, images[t]->getEngineImage()));
			textures[t] = adoptRef(new CTextureContent(ContentReference(), "quad", deviceTextures[t].get()));

			video2d::SMaterial& material = materials[t];
			material.MaterialType = video2d::MATERIAL_2D_MODULATE;
			material.UsedLayers = 1;
			material.TextureLayer[0].Texture = textures[t].get();
			material.Lighting = 0;
			material.ZBuffer = 0;
			material.ZWriteEnable = 0;
			material.BackfaceCulling = 0;
		}
	}

	~SScene()
	{
		// Everything made by the driver goes before the device drops it.
		for (u32 t = 0; t < TEXTURES; ++t)
		{
			textures[t].release();
			deviceTextures[t].release();
			engineTextures[t].release();
		}
		recorder.release();
		device.release();
	}

	bool ready() const
	{
		for (u32 t = 0; t < TEXTURES; ++t)
			if (!engineTextures[t])
				return false;
		return driver != nullptr;
	}

	static core::position2d<s32> position(u32 i) { return core::position2d<s32>((i * 37) % 1000, (i * 11) % 740); }

	static u32 textureOf(u32 quad, ELayout layout)
	{
		switch (layout)
		{
		case FOUR_IN_RUNS:
			return quad / (QUADS / TEXTURES);
		case FOUR_INTERLEAVED:
			return quad % TEXTURES;
		default:
			return 0;
		}
	}

	static u32 runsOf(ELayout layout) { return layout == ONE_TEXTURE ? 1 : layout == FOUR_IN_RUNS ? TEXTURES : QUADS; }

	CRefHolder<CDeviceStub> device;
	video::IVideoDriver* driver = nullptr;
	CRefHolder<test::CRecordingVideoDriver> recorder;
	CRefHolder<CImage> images[TEXTURES];
	CRefHolder<CDeviceTexture> deviceTextures[TEXTURES];
	CRefHolder<video::ITexture> engineTextures[TEXTURES];
	CRefHolder<CTextureContent> textures[TEXTURES];
	video2d::SMaterial materials[TEXTURES];
};

void drawWithBatch(SScene& scene, video::IVideoDriver* driver, ELayout layout)
{
	CQuadBatch* batch = getQuadBatch(driver);
	const video::SColor white(0xFFFFFFFF);
	const f32 size = static_cast<f32>(QUAD_SIZE);
	const core::vector2df end = scene.textures[0]->getTextureCoords(size, size);
	driver->beginScene(true, false, video::SColor(255, 30, 30, 30));
	batch->flush();
	batch->begin();
	for (u32 i = 0; i < QUADS; ++i)
	{
		const core::position2d<s32> at = SScene::position(i);
		const f32 x = static_cast<f32>(at.X);
		const f32 y = static_cast<f32>(at.Y);
		SQuad quad;
		quad.Material = &scene.materials[SScene::textureOf(i, layout)];
		quad.Vertices[0] = video2d::S2DVertex(x, y, 0.f, white, 0.f, 0.f);
		quad.Vertices[1] = video2d::S2DVertex(x + size, y, 0.f, white, end.X, 0.f);
		quad.Vertices[2] = video2d::S2DVertex(x + size, y + size, 0.f, white, end.X, end.Y);
		quad.Vertices[3] = video2d::S2DVertex(x, y + size, 0.f, white, 0.f, end.Y);
		batch->addQuad(quad);
	}
	batch->end();
	driver->endScene();
}

void drawPerImage(SScene& scene, video::IVideoDriver* driver, ELayout layout)
{
	const core::rect<s32> source(0, 0, QUAD_SIZE, QUAD_SIZE);
	const video::SColor white(0xFFFFFFFF);
	driver->beginScene(true, false, video::SColor(255, 30, 30, 30));
	for (u32 i = 0; i < QUADS; ++i)
		driver->draw2DImage(scene.engineTextures[SScene::textureOf(i, layout)].get(), SScene::position(i), source,
			nullptr, white, true);
	driver->endScene();
}

void report(benchmark::State& state, SScene& scene, ELayout layout, bool batch)
{
	scene.recorder->clearRecords();
	if (batch)
		drawWithBatch(scene, scene.recorder.get(), layout);
	else
		drawPerImage(scene, scene.recorder.get(), layout);
	state.counters["draw_calls"] = batch ? scene.recorder->primitiveListDraws : scene.recorder->imageDraws;
	state.counters["texture_runs"] = SScene::runsOf(layout);
	state.counters["quads"] = QUADS;
}

template <bool batch>
void BM_Draw2000Quads(benchmark::State& state)
{
	SScene scene(static_cast<s32>(state.range(0)));
	const ELayout layout = static_cast<ELayout>(state.range(1));
	if (!scene.ready())
	{
		state.SkipWithError("no driver of this type (OpenGL needs an X display)");
		return;
	}
	for (auto _ : state)
	{
		if (batch)
			drawWithBatch(scene, scene.driver, layout);
		else
			drawPerImage(scene, scene.driver, layout);
	}
	report(state, scene, layout, batch);
}

void BM_QuadBatch(benchmark::State& state)
{
	BM_Draw2000Quads<true>(state);
}

void BM_EnginePerImage(benchmark::State& state)
{
	BM_Draw2000Quads<false>(state);
}

// driver 0: the null driver; 3: OpenGL. layout 0: one texture; 1: four in runs; 2: four interleaved.
BENCHMARK(BM_QuadBatch)
	->ArgNames({"driver", "layout"})
	->ArgsProduct({{DEVICE_DRIVER_NULL, DEVICE_DRIVER_OPENGL}, {ONE_TEXTURE, FOUR_IN_RUNS, FOUR_INTERLEAVED}})
	->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnginePerImage)
	->ArgNames({"driver", "layout"})
	->ArgsProduct({{DEVICE_DRIVER_NULL, DEVICE_DRIVER_OPENGL}, {ONE_TEXTURE, FOUR_IN_RUNS, FOUR_INTERLEAVED}})
	->Unit(benchmark::kMicrosecond);
} // namespace
