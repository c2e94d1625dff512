// A point fountain and a rectangle emitter, each drawn by a particle system node of a scene in a
// real window with the star of the generated interface atlas: each system is one draw call, and
// the pixels read back from the back buffer show each one's colour inside the area its emitter
// and the particles' motion allow, and nowhere else.

#include "StagedContentSupport.h"

#include "video/CRecordingVideoDriver.h"

#include "content/AtlasTextureCollection.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/ParticleEmitters.h"
#include "core/CNodeFactory.h"
#include "core/SceneNode.h"
#include "platform/CFileSystem.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"
#include "widgets/ParticleSystemNode.h"
#include "widgets/SceneManager.h"
#include "widgets/WidgetServices.h"

#include <GL/gl.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace fw;
using namespace fw::wintest;

namespace
{
const s32 SCREEN_WIDTH = 1024;
const s32 SCREEN_HEIGHT = 768;

// Which emitter's colour a pixel shows, if any: the fountain is red, the rectangle green.
enum EPixel
{
	BACKGROUND_PIXEL,
	RED_PIXEL,
	GREEN_PIXEL,
	OTHER_PIXEL
};

EPixel classify(video::SColor c)
{
	// The background is (10, 10, 10); the stars' soft edges blend into it.
	if (c.getRed() < 16 && c.getGreen() < 16 && c.getBlue() < 16)
		return BACKGROUND_PIXEL;
	if (c.getRed() > c.getGreen())
		return RED_PIXEL;
	if (c.getGreen() > c.getRed())
		return GREEN_PIXEL;
	return OTHER_PIXEL;
}

class ParticlesWindowTest : public ::testing::Test, protected CStagedContent
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(haveDisplay());
		registerWidgetServices();
		device = adoptRef(new CWindowDevice(openGLParameters()));
		ASSERT_NE(nullptr, device->getVideoDriver());
		ASSERT_EQ(video::EDT_OPENGL, device->getVideoDriver()->getDriverType());
		// Counts the draw calls on their way to OpenGL.
		driver = adoptRef(new test::CRecordingVideoDriver(device->getVideoDriver()));
		driver->keepDraws = false;
		ASSERT_TRUE(openStagedContent(driver.get()));
		CContent* content = manager->getContent(CONTENT_TYPE_ATLAS_COLLECTION, "atlases/MainMenu.xml", false);
		collection = adoptRef(dynamic_cast<AtlasTextureCollection*>(content));
		ASSERT_TRUE(collection);
		content = manager->getContent(CONTENT_TYPE_ATLAS_TEXTURE, "art/MainMenu/ParticleStar.png", false);
		star = adoptRef(dynamic_cast<CAtlasTexture*>(content));
		ASSERT_TRUE(star);
		scenes = adoptRef(new SceneManager);
		scenes->setSortingEnabled(true);
		scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
	}

	void TearDown() override
	{
		if (scenes)
		{
			scenes->setActiveScene(nullptr);
			scenes->processMessageQueue();
		}
		scene.release();
		scenes.release();
		star.release();
		collection.release();
		closeStagedContent();
		driver.release();
		device.release();
	}

	void cache(BaseEmitter* emitter)
	{
		manager->addContent(ContentReference(manager.get(), emitter->getName()), emitter);
		emitter->drop();
	}

	ParticleSystemNode* addSystem(const char* emitterName, f32 x, f32 y)
	{
		ParticleSystemNode* node = new ParticleSystemNode(ContentReference(manager.get(), ""), scene.get(), nullptr);
		node->drop();
		node->setPosition(core::vector3df(x, y, 0.f));
		node->setEmitterName(emitterName);
		node->setAtlasTexture(star.get());
		return node;
	}

	CRefHolder<CWindowDevice> device;
	CRefHolder<test::CRecordingVideoDriver> driver;
	CRefHolder<AtlasTextureCollection> collection;
	CRefHolder<CAtlasTexture> star;
	CRefHolder<SceneManager> scenes;
	CRefHolder<SceneNode> scene;
};
} // namespace

TEST_F(ParticlesWindowTest, AFountainAndARectangleDrawTheirParticlesInOneCallEachWhereTheyMayBe)
{
	CRandomGeneratorSingleton::Instance().seed(9);
	PointEmitter* fountain = new PointEmitter(ContentReference(manager.get(), ""));
	fountain->setName("TestFountain");
	fountain->setPPSRange(80.f, 80.f);
	fountain->setLifeTimeRange(600.f, 900.f);
	fountain->setRadiusRange(core::vector2df(0.f, 4.f));
	fountain->setVelocityXRange(core::vector2df(-40.f, 40.f));
	fountain->setVelocityYRange(core::vector2df(-240.f, -180.f));
	fountain->setAccelYRange(core::vector2df(100.f, 100.f));
	fountain->setColorStart(video::SColor(255, 255, 40, 40));
	fountain->setColorEnd(video::SColor(255, 255, 40, 40));
	cache(fountain);
	RectangleEmitter* band = new RectangleEmitter(ContentReference(manager.get(), ""));
	band->setName("TestBand");
	band->setPPSRange(120.f, 120.f);
	band->setLifeTimeRange(800.f, 800.f);
	band->setXRange(core::vector2df(60.f, 120.f));
	band->setYRange(core::vector2df(30.f, 60.f));
	band->setAngleRange(core::vector2df(0.f, 90.f));
	band->setColorStart(video::SColor(255, 40, 255, 40));
	band->setColorEnd(video::SColor(255, 40, 255, 40));
	cache(band);

	ParticleSystemNode* fountainNode = addSystem("TestFountain", 250.f, 500.f);
	ParticleSystemNode* bandNode = addSystem("TestBand", 700.f, 400.f);
	ASSERT_TRUE(fountainNode->getEmitter() && bandNode->getEmitter());
	ASSERT_TRUE(scenes->setActiveScene(scene.get()));
	CTimerManager* timers = dynamic_cast<CTimerManager*>(scene->getTimerManager());
	ASSERT_NE(nullptr, timers);
	// Half a second of simulated time, a frame before every step, as the main loop runs them.
	for (int step = 0; step < 17; ++step)
	{
		ASSERT_TRUE(device->getVideoDriver()->beginScene(true, true, video::SColor(255, 10, 10, 10)));
		scenes->drawAll(driver.get());
		device->getVideoDriver()->endScene();
		timers->update(30);
	}
	ASSERT_GT(fountainNode->getParticles().size(), 20u);
	ASSERT_GT(bandNode->getParticles().size(), 20u);

	ASSERT_TRUE(device->getVideoDriver()->beginScene(true, true, video::SColor(255, 10, 10, 10)));
	driver->primitiveListDraws = 0;
	scenes->drawAll(driver.get());
	EXPECT_EQ(2u, driver->primitiveListDraws) << "one draw call per particle system";
	const std::vector<video::SColor> frame = readFrame(SCREEN_WIDTH, SCREEN_HEIGHT);
	device->getVideoDriver()->endScene();
	keepSnapshot(driver.get(), frame, SCREEN_WIDTH, SCREEN_HEIGHT, "particles");

	// Where a particle's star (16 pixels, unscaled, turned) may reach: the emitter's area and the
	// motion over at most 900 ms, with half a diagonal of the star around it.
	const s32 reach = 12;
	const core::recti fountainArea(250 - 4 - 40 - reach, 500 - 4 - 240 - reach, 250 + 4 + 40 + reach,
		500 + 4 + 40 + reach);
	const core::recti bandArea(700 - 120 - reach, 400 - 60 - reach, 700 + 120 + reach, 400 + 60 + reach);
	// The band's inner frame, which no particle is born in and none moves into.
	const core::recti bandHole(700 - 60 + reach, 400 - 30 + reach, 700 + 60 - reach, 400 + 30 - reach);
	u32 red = 0;
	u32 green = 0;
	u32 stray = 0;
	for (s32 y = 0; y < SCREEN_HEIGHT; ++y)
		for (s32 x = 0; x < SCREEN_WIDTH; ++x)
		{
			const EPixel kind = classify(frame[static_cast<size_t>(y) * SCREEN_WIDTH + x]);
			const core::vector2di at(x, y);
			if (kind == RED_PIXEL && fountainArea.isPointInside(at))
				++red;
			else if (kind == GREEN_PIXEL && bandArea.isPointInside(at) && !bandHole.isPointInside(at))
				++green;
			else if (kind != BACKGROUND_PIXEL)
				++stray;
		}
	EXPECT_GT(red, 200u) << "the fountain's particles show";
	EXPECT_GT(green, 200u) << "the band's particles show";
	EXPECT_EQ(0u, stray) << "no particle outside its area";
}
