// The 2D video layer on the engine's OpenGL driver in a real window: blended pixels of both 2D
// materials, the pixel grid of the 2D mode, fans drawn through the batch, and textures that come
// back after the driver is re-created. Frames are read from the back buffer before the swap.

#include "WindowTestSupport.h"

#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/CDeviceTexture.h"
#include "content/CImage.h"
#include "content/CImageProcessor.h"
#include "content/CTextureContent.h"
#include "content/CTextureProcessor.h"
#include "content/ContentTestSupport.h"
#include "content/ImageTestSupport.h"
#include "content/video/CQuadBatch.h"
#include "content/video/CVideoDriver2D.h"
#include "platform/CEventDevice.h"

#include <GL/gl.h>

#include <cstdlib>

using namespace fw;
using namespace fw::wintest;

namespace
{
const video::SColor BACKGROUND(255, 40, 80, 120);

CRefHolder<CImage> uniformImage(video::SColor color, u32 width = 8, u32 height = 8)
{
	CRefHolder<CImage> image =
		adoptRef(new CImage(ContentReference(), video::ECF_A8R8G8B8, core::dimension2du(width, height)));
	image->fill(color);
	return image;
}

video2d::SMaterial spriteMaterial(video2d::ITextureContent* texture, u32 type)
{
	video2d::SMaterial material;
	material.MaterialType = type;
	material.UsedLayers = 1;
	material.TextureLayer[0].Texture = texture;
	material.TextureLayer[0].BilinearFilter = 0;
	material.Lighting = 0;
	material.ZBuffer = 0;
	material.ZWriteEnable = 0;
	material.BackfaceCulling = 0;
	return material;
}

SQuad quad(const video2d::SMaterial* material, f32 x, f32 y, f32 size, video::SColor color, f32 depth = 0.f)
{
	SQuad result;
	result.Material = material;
	result.Vertices[0] = video2d::S2DVertex(x, y, depth, color, 0.f, 0.f);
	result.Vertices[1] = video2d::S2DVertex(x + size, y, depth, color, 1.f, 0.f);
	result.Vertices[2] = video2d::S2DVertex(x + size, y + size, depth, color, 1.f, 1.f);
	result.Vertices[3] = video2d::S2DVertex(x, y + size, depth, color, 0.f, 1.f);
	return result;
}

u8 clampAdd(u32 a, u32 b)
{
	return static_cast<u8>(a + b > 255 ? 255 : a + b);
}

// source x alpha + background x (1 - alpha), per channel.
video::SColor blend(u32 red, u32 green, u32 blue, f32 alpha)
{
	const auto mix = [alpha](u32 source, u32 target)
	{ return static_cast<u32>(source * alpha + target * (1.f - alpha) + 0.5f); };
	return video::SColor(255, mix(red, BACKGROUND.getRed()), mix(green, BACKGROUND.getGreen()),
		mix(blue, BACKGROUND.getBlue()));
}

// Makes each new driver refuse textures whose sides are not powers of two, before anything builds
// textures on it.
class CPowerOfTwoOnly : public CEventReceiver
{
public:
	CPowerOfTwoOnly() { setEventMask(EVENT_CATEGORY_DEVICE); }
	bool onEvent(CEvent* event) override
	{
		if (event->getTypeId() == CEventDeviceVideoDriverCreated::TypeId)
		{
			video::IVideoDriver* driver = static_cast<CEventDeviceVideoDriverCreated*>(event)->getDriver();
			driver->disableFeature(video::EVDF_TEXTURE_NPOT, true);
		}
		return false;
	}
};

class Video2DWindowTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		Display* display = XOpenDisplay(nullptr);
		ASSERT_NE(nullptr, display) << "no X display: run the window tests under xvfb-run";
		XCloseDisplay(display);
		device = adoptRef(new CWindowDevice(openGLParameters()));
		ASSERT_NE(nullptr, device->getVideoDriver());
		ASSERT_EQ(video::EDT_OPENGL, device->getVideoDriver()->getDriverType());
	}

	video::IVideoDriver* driver() const { return device->getVideoDriver(); }

	CRefHolder<CTextureContent> textureOf(const CRefHolder<CImage>& image)
	{
		const CRefHolder<CDeviceTexture> texture = adoptRef(createDeviceTexture(driver(), image.get()));
		EXPECT_TRUE(texture);
		return adoptRef(new CTextureContent(ContentReference(), "uniform", texture.get()));
	}

	CRefHolder<CWindowDevice> device;
};

TEST_F(Video2DWindowTest, TwoDRenderersFollowTheEnginesOwnOnOpenGL)
{
	ASSERT_NE(nullptr, video2d::CVideoDriver2D::get(driver()));
	EXPECT_EQ(26u, driver()->getMaterialRendererCount());
	EXPECT_STREQ("2D modulate", driver()->getMaterialRendererName(video2d::MATERIAL_2D_MODULATE));
	EXPECT_STREQ("2D add", driver()->getMaterialRendererName(video2d::MATERIAL_2D_ADD));
}

TEST_F(Video2DWindowTest, BothMaterialsBlendOverTheBackground)
{
	const video::SColor texel(255, 200, 100, 50);
	const video::SColor halfTexel(128, 200, 100, 50);
	const CRefHolder<CTextureContent> opaque = textureOf(uniformImage(texel));
	const CRefHolder<CTextureContent> half = textureOf(uniformImage(halfTexel));
	const video2d::SMaterial modulateOpaque = spriteMaterial(opaque.get(), video2d::MATERIAL_2D_MODULATE);
	const video2d::SMaterial modulateHalf = spriteMaterial(half.get(), video2d::MATERIAL_2D_MODULATE);
	const video2d::SMaterial addOpaque = spriteMaterial(opaque.get(), video2d::MATERIAL_2D_ADD);
	const video2d::SMaterial addHalf = spriteMaterial(half.get(), video2d::MATERIAL_2D_ADD);

	struct SCase
	{
		const char* name;
		const video2d::SMaterial* material;
		video::SColor vertex;
		video::SColor expected;
	};
	const f32 halfAlpha = 128.f / 255.f;
	const f32 quarterAlpha = halfAlpha * (64.f / 255.f);
	const SCase cases[] = {
		{"modulate, opaque", &modulateOpaque, video::SColor(255, 255, 255, 255), texel},
		{"modulate, tinted", &modulateOpaque, video::SColor(255, 255, 128, 0),
			video::SColor(255, 200, (100 * 128 + 127) / 255, 0)},
		{"modulate, half-transparent vertex", &modulateOpaque, video::SColor(128, 255, 255, 255),
			blend(200, 100, 50, halfAlpha)},
		{"modulate, half-transparent texture", &modulateHalf, video::SColor(255, 255, 255, 255),
			blend(200, 100, 50, halfAlpha)},
		{"modulate, both alphas multiply", &modulateHalf, video::SColor(64, 255, 255, 255),
			blend(200, 100, 50, quarterAlpha)},
		{"add, opaque", &addOpaque, video::SColor(255, 30, 100, 180), video::SColor(255, 230, 200, 230)},
		{"add, black vertex keeps the texture", &addOpaque, video::SColor(255, 0, 0, 0), texel},
		{"add, clamped", &addOpaque, video::SColor(255, 100, 200, 250),
			video::SColor(255, 255, clampAdd(100, 200), 255)},
		{"add, half-transparent texture", &addHalf, video::SColor(255, 30, 100, 180), blend(230, 200, 230, halfAlpha)},
		{"add, tinted half-transparent vertex", &addOpaque, video::SColor(128, 50, 0, 0),
			blend(250, 100, 50, halfAlpha)},
	};

	CQuadBatch* batch = getQuadBatch(driver());
	ASSERT_NE(nullptr, batch);
	ASSERT_TRUE(driver()->beginScene(true, true, BACKGROUND));
	batch->flush();
	batch->begin();
	for (u32 i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
		batch->addQuad(quad(cases[i].material, 20.f + 40.f * i, 20.f, 20.f, cases[i].vertex));
	batch->end();
	for (u32 i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
		EXPECT_TRUE(near(cases[i].expected, readPixel(driver(), 30 + 40 * i, 30))) << cases[i].name;
	EXPECT_TRUE(near(BACKGROUND, readPixel(driver(), 5, 5)));
	driver()->endScene();
}

TEST_F(Video2DWindowTest, TwoDModeIsTheWindowsPixelGridWithYDown)
{
	const CRefHolder<CTextureContent> white = textureOf(uniformImage(video::SColor(255, 255, 255, 255)));
	const video2d::SMaterial material = spriteMaterial(white.get(), video2d::MATERIAL_2D_MODULATE);
	const video::SColor red(255, 255, 0, 0);
	const video::SColor green(255, 0, 255, 0);

	CQuadBatch* batch = getQuadBatch(driver());
	ASSERT_TRUE(driver()->beginScene(true, true, BACKGROUND));
	batch->begin();
	batch->addQuad(quad(&material, 10.f, 10.f, 20.f, red));
	// Depths at both ends of the range are inside it.
	batch->addQuad(quad(&material, 100.f, 700.f, 10.f, green, 9999.f));
	batch->addQuad(quad(&material, 1000.f, 50.f, 10.f, green, -9999.f));
	batch->end();

	EXPECT_TRUE(near(red, readPixel(driver(), 10, 10)));
	EXPECT_TRUE(near(red, readPixel(driver(), 29, 29)));
	EXPECT_TRUE(near(BACKGROUND, readPixel(driver(), 9, 10)));
	EXPECT_TRUE(near(BACKGROUND, readPixel(driver(), 10, 9)));
	EXPECT_TRUE(near(BACKGROUND, readPixel(driver(), 30, 29)));
	EXPECT_TRUE(near(BACKGROUND, readPixel(driver(), 29, 30)));
	EXPECT_TRUE(near(green, readPixel(driver(), 105, 705)));
	EXPECT_TRUE(near(green, readPixel(driver(), 1005, 55)));
	driver()->endScene();
}

TEST_F(Video2DWindowTest, FansAndMeshBuffersAreDrawnWithIndexLists)
{
	const CRefHolder<CTextureContent> white = textureOf(uniformImage(video::SColor(255, 255, 255, 255)));
	const video::SColor blue(255, 0, 0, 255);
	const CRefHolder<video2d::CMeshBuffer> fan = adoptRef(new video2d::CMeshBuffer);
	fan->Material = spriteMaterial(white.get(), video2d::MATERIAL_2D_MODULATE);
	fan->PrimitiveType = irr::scene::EPT_TRIANGLE_FAN;
	const f32 corners[][2] = {{200, 200}, {150, 150}, {250, 150}, {250, 250}, {150, 250}, {150, 150}};
	for (const auto& corner : corners)
		fan->Vertices.push_back(video2d::S2DVertex(corner[0], corner[1], 0.f, blue, 0.5f, 0.5f));
	fan->PrimitiveCount = 4;

	CQuadBatch* batch = getQuadBatch(driver());
	ASSERT_TRUE(driver()->beginScene(true, true, BACKGROUND));
	batch->begin();
	batch->addMeshBuffer(fan.get());
	batch->addMeshBuffer(fan.get());
	batch->end();
	EXPECT_TRUE(near(blue, readPixel(driver(), 160, 200)));
	EXPECT_TRUE(near(blue, readPixel(driver(), 240, 240)));
	EXPECT_TRUE(near(BACKGROUND, readPixel(driver(), 260, 200)));
	driver()->endScene();
}

TEST_F(Video2DWindowTest, TexturesDrawTheSamePixelsAfterTheDriverIsRecreated)
{
	// Files in memory, the processors and the content manager at the device's priorities.
	const CRefHolder<contenttest::CMemoryFileSystem> files = adoptRef(new contenttest::CMemoryFileSystem);
	const CRefHolder<CImage> picture = imagetest::makePatternImage(100, 60);
	files->files["picture.png"] = imagetest::encodeImage(picture.get(), "picture.png");
	const CRefHolder<CNodeFactory> factory = contenttest::makeTestFactory();
	const CRefHolder<CContentProcessorsManager> processors =
		adoptRef(new CContentProcessorsManager(driver(), files.get(), factory.get()));
	const CRefHolder<CContentManager> manager = adoptRef(new CContentManager(driver(), files.get(), processors.get()));
	device->addEventReceiver(processors.get(), CDeviceStub::PROCESSORS_MANAGER_PRIORITY);
	device->addEventReceiver(manager.get(), 1);

	CContent* content = manager->getContent(CONTENT_TYPE_TEXTURE, "picture.png", false);
	const CRefHolder<CTextureContent> texture = adoptRef(dynamic_cast<CTextureContent*>(content));
	ASSERT_TRUE(texture);
	video2d::SMaterial material = spriteMaterial(texture.get(), video2d::MATERIAL_2D_MODULATE);

	// The image drawn 1:1, each pixel sampled at its centre.
	const auto draw = [&](std::vector<video::SColor>& seen)
	{
		CQuadBatch* batch = getQuadBatch(driver());
		ASSERT_TRUE(driver()->beginScene(true, true, BACKGROUND));
		batch->begin();
		const core::vector2df end = texture->getTextureCoords(100.f, 60.f);
		batch->addTexturedQuad(&material, core::vector2df(300, 300), core::vector2df(400, 300),
			core::vector2df(400, 360), core::vector2df(300, 360), core::vector2df(0.f, 0.f),
			core::vector2df(end.X, 0.f), end, core::vector2df(0.f, end.Y), 0.f, video::SColor(0xFFFFFFFF));
		batch->end();
		seen.clear();
		for (u32 y = 0; y < 60; y += 11)
			for (u32 x = 0; x < 100; x += 13)
				seen.push_back(readPixel(driver(), 300 + x, 300 + y));
		driver()->endScene();
	};

	std::vector<video::SColor> before;
	draw(before);
	u32 index = 0;
	for (u32 y = 0; y < 60; y += 11)
		for (u32 x = 0; x < 100; x += 13, ++index)
		{
			const video::SColor source = picture->getPixel(x, y);
			const video::SColor expected = source.getAlpha() ? source : BACKGROUND;
			EXPECT_TRUE(near(expected, before[index])) << x << "," << y;
		}

	// A new driver: the same content draws the same pixels.
	ASSERT_TRUE(device->reinitialize(openGLParameters()));
	ASSERT_NE(nullptr, texture->getTexture());
	EXPECT_EQ(driver(), texture->getTexture()->getDriver());
	EXPECT_EQ(core::dimension2du(100, 60), texture->getSize());
	std::vector<video::SColor> after;
	draw(after);
	EXPECT_EQ(before, after);

	// Once more, on a driver that takes only powers of two: the texture is padded and the
	// coordinates follow its new size.
	const CRefHolder<CPowerOfTwoOnly> powerOfTwo = adoptRef(new CPowerOfTwoOnly);
	device->addEventReceiver(powerOfTwo.get(), CDeviceStub::PROCESSORS_MANAGER_PRIORITY - 1);
	ASSERT_TRUE(device->reinitialize(openGLParameters()));
	ASSERT_NE(nullptr, texture->getTexture());
	EXPECT_EQ(core::dimension2du(128, 64), texture->getSize());
	EXPECT_EQ(core::dimension2du(100, 60), texture->getOriginalSize());
	draw(after);
	EXPECT_EQ(before, after);

	device->removeEventReceiver(powerOfTwo.get());
	device->removeEventReceiver(manager.get());
	device->removeEventReceiver(processors.get());
}
} // namespace
