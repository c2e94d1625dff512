// The scene manager draws a scene in a real window: overlapping quads at several depths come out
// in depth order, and the quad batch draws one run per texture in that order.

#include "WindowTestSupport.h"

#include "content/CDeviceTexture.h"
#include "content/CImage.h"
#include "content/CTextureContent.h"
#include "content/video/CQuadBatch.h"
#include "content/video/CVideoDriver2D.h"
#include "core/SceneNode.h"
#include "widgets/SceneManager.h"

#include <GL/gl.h>

#include <cstdlib>

using namespace fw;
using namespace fw::wintest;

namespace
{
const video::SColor BACKGROUND(255, 0, 0, 0);

// Counts the flushes that draw something.
class CCountingQuadBatch : public CQuadBatch
{
public:
	explicit CCountingQuadBatch(video::IVideoDriver* driver) : CQuadBatch(driver) {}
	void flush() override
	{
		if (getVertexCount() > 0)
			++drawingFlushes;
		CQuadBatch::flush();
	}
	u32 drawingFlushes = 0;
};

// The test's drawing node: a quad of its Bounds at its absolute position, its texture modulated by
// its absolute colour, keyed by the texture it draws with.
class CQuadNode : public BaseNode
{
public:
	CQuadNode(BaseNode* parent, const video2d::SMaterial* material, u32 key, f32 x, f32 y, f32 z, f32 size,
		video::SColor color) :
		BaseNode(ContentReference(), parent, nullptr), m_material(material), m_key(key)
	{
		setPosition(core::vector3df(x, y, z));
		setBounds(core::vector3df(size, size, 0.f));
		setTintColor(color);
	}

	void appendRenderables(RenderList& list) override
	{
		list.push_back(SRenderEntry{this, getAbsoluteTransformation()[14], m_key});
	}

	void render(const SRenderContext& context, const core::rect<f32>*) override
	{
		const core::vector3df at = getAbsoluteTransformation().getTranslation();
		const f32 size = getBounds().X;
		context.quadBatch->addTexturedQuad(m_material, core::vector2df(at.X, at.Y), core::vector2df(at.X + size, at.Y),
			core::vector2df(at.X + size, at.Y + size), core::vector2df(at.X, at.Y + size), core::vector2df(0.f, 0.f),
			core::vector2df(1.f, 0.f), core::vector2df(1.f, 1.f), core::vector2df(0.f, 1.f), at.Z, getAbsoluteColor());
	}

private:
	const video2d::SMaterial* m_material;
	u32 m_key;
};

video2d::SMaterial spriteMaterial(video2d::ITextureContent* texture)
{
	video2d::SMaterial material;
	material.MaterialType = video2d::MATERIAL_2D_MODULATE;
	material.UsedLayers = 1;
	material.TextureLayer[0].Texture = texture;
	material.TextureLayer[0].BilinearFilter = 0;
	material.Lighting = 0;
	material.ZBuffer = 0;
	material.ZWriteEnable = 0;
	material.BackfaceCulling = 0;
	return material;
}

TEST(SceneDrawingWindowTest, OverlappingNodesAreDrawnInDepthOrderOneRunPerTexture)
{
	Display* display = XOpenDisplay(nullptr);
	ASSERT_NE(nullptr, display) << "no X display: run the window tests under xvfb-run";
	XCloseDisplay(display);
	const CRefHolder<CWindowDevice> device = adoptRef(new CWindowDevice(openGLParameters()));
	video::IVideoDriver* driver = device->getVideoDriver();
	ASSERT_NE(nullptr, driver);

	video2d::CVideoDriver2D* layer = video2d::CVideoDriver2D::get(driver);
	ASSERT_NE(nullptr, layer);
	const CRefHolder<CCountingQuadBatch> batch = adoptRef(new CCountingQuadBatch(driver));
	layer->setQuadBatch(batch.get());
	ASSERT_EQ(batch.get(), getQuadBatch(driver));

	// Two white textures: what tells the nodes apart is their tint.
	const auto whiteTexture = [driver](const char* name)
	{
		CRefHolder<CImage> image =
			adoptRef(new CImage(ContentReference(), video::ECF_A8R8G8B8, core::dimension2du(8, 8)));
		image->fill(video::SColor(0xFFFFFFFF));
		const CRefHolder<CDeviceTexture> texture = adoptRef(createDeviceTexture(driver, image.get()));
		return adoptRef(new CTextureContent(ContentReference(), name, texture.get()));
	};
	const CRefHolder<CTextureContent> first = whiteTexture("first");
	const CRefHolder<CTextureContent> second = whiteTexture("second");
	const video2d::SMaterial firstMaterial = spriteMaterial(first.get());
	const video2d::SMaterial secondMaterial = spriteMaterial(second.get());

	const video::SColor red(255, 255, 0, 0), green(255, 0, 255, 0), blue(255, 0, 0, 255), yellow(255, 255, 255, 0);
	const CRefHolder<SceneManager> manager = adoptRef(new SceneManager);
	manager->setSortingEnabled(true);
	const CRefHolder<SceneNode> scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
	// Listed in an order unlike the depth order: the top node first.
	const CQuadNode* nodes[] = {
		new CQuadNode(scene.get(), &firstMaterial, 1, 100.f, 100.f, 3.f, 100.f, red),
		new CQuadNode(scene.get(), &firstMaterial, 1, 120.f, 180.f, 2.f, 60.f, blue),
		new CQuadNode(scene.get(), &secondMaterial, 2, 150.f, 150.f, 1.f, 100.f, green),
		// The same depth as the green one, with the texture keyed lower: drawn before it.
		new CQuadNode(scene.get(), &firstMaterial, 1, 220.f, 220.f, 1.f, 60.f, yellow),
	};
	for (const CQuadNode* node : nodes)
		node->drop();
	ASSERT_TRUE(manager->setActiveScene(scene.get()));

	ASSERT_TRUE(driver->beginScene(true, true, BACKGROUND));
	manager->drawAll(driver);
	struct SProbe
	{
		const char* where;
		u32 x, y;
		video::SColor expected;
	};
	const SProbe probes[] = {
		{"red over green", 170, 170, red},
		{"red over blue", 130, 190, red},
		{"blue over green", 165, 230, blue},
		{"green over yellow at equal depth", 230, 230, green},
		{"yellow alone", 270, 270, yellow},
		{"green alone", 240, 160, green},
		{"nothing", 50, 50, BACKGROUND},
	};
	for (const SProbe& probe : probes)
		EXPECT_TRUE(near(probe.expected, readPixel(driver, probe.x, probe.y))) << probe.where;
	driver->endScene();
	// Sorted: yellow (first) | green (second) | blue, red (first).
	EXPECT_EQ(3u, batch->drawingFlushes);

	batch->drawingFlushes = 0;
	manager->setSortingEnabled(false);
	ASSERT_TRUE(driver->beginScene(true, true, BACKGROUND));
	manager->drawAll(driver);
	EXPECT_TRUE(near(green, readPixel(driver, 170, 170))) << "unsorted: the last listed lies on top";
	driver->endScene();
	// In list order: red, blue (first) | green (second) | yellow (first).
	EXPECT_EQ(3u, batch->drawingFlushes);

	layer->setQuadBatch(nullptr);
	manager->setActiveScene(nullptr);
	manager->processMessageQueue();
}
} // namespace
