// The level's drawing nodes in a real window: a quarter of the ellipse sector lies where its
// angles put it, and rain and sparkles from the generated particle art show while they live and
// leave nothing behind once they have died. Frames are read from the back buffer.

#include "StagedContentSupport.h"

#include "content/CAtlasTexture.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "core/CNodeFactory.h"
#include "core/IXMLReader.h"
#include "core/SceneNode.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/IGLevelUpgradeEffects.h"
#include "level/nodes/GEllipseSectorNode.h"
#include "level/nodes/GHOHintParticlesNode.h"
#include "level/nodes/GWeatherParticlesNode.h"
#include "level/scene/GGameLevelScene.h"
#include "level/scene/GLevelNodeClasses.h"
#include "platform/CFileSystem.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"
#include "widgets/SceneManager.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/WidgetServices.h"

#include <GL/gl.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace fw;
using namespace fw::wintest;

namespace
{
const video::SColor BACKGROUND(255, 20, 30, 60);
const s32 SCREEN_WIDTH = 1024;
const s32 SCREEN_HEIGHT = 768;

size_t countOtherThanBackground(const std::vector<video::SColor>& frame, s32 top, s32 bottom)
{
	size_t count = 0;
	for (s32 y = top; y < bottom; ++y)
		for (s32 x = 0; x < SCREEN_WIDTH; ++x)
			if (!near(BACKGROUND, frame[static_cast<size_t>(y) * SCREEN_WIDTH + x]))
				++count;
	return count;
}

class LevelEffectsWindowTest : public ::testing::Test, protected CStagedContent
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(haveDisplay());
		registerWidgetServices();
		device = adoptRef(new CWindowDevice(openGLParameters()));
		ASSERT_NE(nullptr, driver());
		ASSERT_EQ(video::EDT_OPENGL, driver()->getDriverType());
		ASSERT_TRUE(openStagedContent(driver()));
		scenes = adoptRef(new SceneManager);
		SServices services;
		services.random = &CRandomGeneratorSingleton::Instance();
		scenes->setServices(services);
		scenes->setSortingEnabled(true);
		scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
		scenes->setActiveScene(scene.get());
		timers = dynamic_cast<CTimerManager*>(scenes->getSceneTimerManager(scene.get()));
		ASSERT_NE(nullptr, timers);
	}

	void TearDown() override
	{
		if (scene)
			scene->removeAllChildren();
		if (scenes)
		{
			scenes->setActiveScene(nullptr);
			scenes->processMessageQueue();
		}
		scene.release();
		scenes.release();
		closeStagedContent();
		device.release();
	}

	video::IVideoDriver* driver() const { return device->getVideoDriver(); }

	CRefHolder<CAtlasTexture> atlas(const char* name)
	{
		return request<CAtlasTexture>(CONTENT_TYPE_ATLAS_TEXTURE, name);
	}

	std::vector<video::SColor> drawFrame(const std::string& snapshot)
	{
		return drawScenes(driver(), scenes.get(), BACKGROUND, SCREEN_WIDTH, SCREEN_HEIGHT, snapshot);
	}

	CRefHolder<CWindowDevice> device;
	CRefHolder<SceneManager> scenes;
	CRefHolder<SceneNode> scene;
	CTimerManager* timers = nullptr;
};

TEST_F(LevelEffectsWindowTest, AQuarterSectorFillsTheUpperLeftOfItsEllipse)
{
	const CRefHolder<GEllipseSectorNode> sector =
		adoptRef(new GEllipseSectorNode(ContentReference(), nullptr, nullptr));
	sector->setPosition(core::vector3df(100.f, 100.f, 0.f));
	sector->setBounds(core::vector3df(300.f, 200.f, 0.f));
	sector->setAngle1(270);
	sector->setFillColor(video::SColor(255, 230, 40, 20));
	// Half transparent by vertex alpha over the same ellipse's other quarter.
	const CRefHolder<GEllipseSectorNode> faint = adoptRef(new GEllipseSectorNode(ContentReference(), nullptr, nullptr));
	faint->setPosition(core::vector3df(100.f, 100.f, 0.f));
	faint->setBounds(core::vector3df(300.f, 200.f, 0.f));
	faint->setAngle1(90);
	faint->setAngle2(180);
	faint->setFillColor(video::SColor(128, 255, 255, 255));
	scene->addChild(sector.get());
	scene->addChild(faint.get());

	const std::vector<video::SColor> frame = drawFrame("ellipse_quarter");
	const auto at = [&frame](s32 x, s32 y) { return frame[static_cast<size_t>(y) * SCREEN_WIDTH + x]; };
	const video::SColor red(255, 230, 40, 20);
	// Centre (250, 200), radii 150 and 100: 9 o'clock to 12 o'clock is the upper left.
	for (const auto& p :
		{std::make_pair(200, 150), std::make_pair(110, 195), std::make_pair(245, 105), std::make_pair(150, 140)})
		EXPECT_TRUE(near(red, at(p.first, p.second))) << p.first << ", " << p.second;
	// The other quarters, and the corner of the bounds outside the ellipse.
	for (const auto& p : {std::make_pair(300, 150), std::make_pair(200, 250), std::make_pair(105, 105),
			 std::make_pair(390, 195), std::make_pair(255, 105)})
		EXPECT_TRUE(near(BACKGROUND, at(p.first, p.second))) << p.first << ", " << p.second;
	// The lower right, half white over the background.
	const video::SColor half(255, (255 * 128 + BACKGROUND.getRed() * 127) / 255,
		(255 * 128 + BACKGROUND.getGreen() * 127) / 255, (255 * 128 + BACKGROUND.getBlue() * 127) / 255);
	EXPECT_TRUE(near(half, at(300, 250)));
	EXPECT_TRUE(near(BACKGROUND, at(395, 295)));
}

TEST_F(LevelEffectsWindowTest, RainAndSparklesShowWhileTheyLiveAndLeaveNothingBehind)
{
	CRandomGeneratorSingleton::Instance().seed(17);
	const CRefHolder<CAtlasTexture> rainArt = atlas("particles/Rain.png");
	const CRefHolder<CAtlasTexture> snowArt = atlas("particles/Snow.png");
	ASSERT_TRUE(rainArt && snowArt);
	EXPECT_EQ(core::vector2df(4.f, 24.f), rainArt->getImageSize());

	const CRefHolder<GWeatherParticlesNode> rain =
		adoptRef(new GWeatherParticlesNode(ContentReference(manager.get(), "rain"), nullptr, nullptr));
	rain->setConfigurationFilename("levels/common/Effects/Rain.xml");
	ASSERT_GT(rain->description.PPS, 0);
	rain->setAtlasTexture(rainArt.get());
	rain->setPosition(core::vector3df(0.f, 0.f, 5000.f));
	const CRefHolder<GHOHintParticlesNode> sparkles =
		adoptRef(new GHOHintParticlesNode(ContentReference(manager.get(), "hint"), nullptr, nullptr));
	sparkles->setAtlasTexture(snowArt.get());
	sparkles->setPosition(core::vector3df(512.f, 600.f, 0.f));
	GHOHintParticlesDescription& d = sparkles->description;
	d.PPS = 10;
	d.ParticlesDensity = core::vector2df(12.f, 12.f);
	d.EmitRadiusXRange = core::vector2df(80.f, 80.f);
	d.EmitRadiusYRange = core::vector2df(40.f, 40.f);
	d.ParticlesVelRange = core::vector2df(30.f, 30.f);
	d.ParticlesLifetimeRange = core::vector2df(800.f, 800.f);
	scene->addChild(rain.get());
	scene->addChild(sparkles.get());

	// Started by the first frame, drawn from the first step on.
	drawFrame("effects_start");
	for (int i = 0; i < 40; ++i)
		timers->update(GSpriteParticlesNode::INTERVAL);
	ASSERT_GT(rain->getLiveCount(), 100u);
	ASSERT_GT(sparkles->getLiveCount(), 0u);
	const std::vector<video::SColor> raining = drawFrame("effects_raining");
	// Streaks over the top of the screen, sparkles around (512, 600).
	EXPECT_GT(countOtherThanBackground(raining, 0, 450), 200u);
	EXPECT_GT(countOtherThanBackground(raining, 500, 700), 50u);

	// Switched off, they drain; then the screen is bare.
	rain->setEnabled(false);
	sparkles->setEnabled(false);
	for (int i = 0; i < 80 && (rain->getLiveCount() || sparkles->getLiveCount()); ++i)
		timers->update(GSpriteParticlesNode::INTERVAL);
	EXPECT_EQ(0u, rain->getLiveCount());
	EXPECT_EQ(0u, sparkles->getLiveCount());
	const std::vector<video::SColor> dry = drawFrame("effects_drained");
	EXPECT_EQ(0u, countOtherThanBackground(dry, 0, SCREEN_HEIGHT));
}
} // namespace

namespace
{
class CNoUpgrades : public IGLevelUpgradeEffects
{
public:
	const core::array<const GLevelModifierList*>& getModifierBlocks() const override { return m_blocks; }
	bool isBuildingFeatureAllowed(s32, s32 featureIndex) const override { return featureIndex == 0; }

private:
	core::array<const GLevelModifierList*> m_blocks;
};
} // namespace

// The first level's map from the staged assets, set up as the gameplay screen does and entered in
// its own scene manager: the ground, the building places with their looks, the hotels' stars and
// the fountain's bonus smile show.
TEST_F(LevelEffectsWindowTest, TheFirstLevelShowsItsBuildings)
{
	registerLevelNodeClasses(*factory);
	const CRefHolder<TemplateCollectionNode> templates = adoptRef(dynamic_cast<TemplateCollectionNode*>(
		manager->getContent(CONTENT_TYPE_SCENE_NODE, "levels/common/TemplateCollection.oscn", false)));
	ASSERT_TRUE(templates);
	const CRefHolder<GGameLevelScene> level = adoptRef(dynamic_cast<GGameLevelScene*>(
		manager->getContent(CONTENT_TYPE_SCENE_NODE, "levels/level1/Level.oscn", false)));
	ASSERT_TRUE(level);
	const CRefHolder<GBuildingsConfiguration> buildings = adoptRef(new GBuildingsConfiguration);
	const CRefHolder<IXMLReader> buildingsFile =
		adoptRef(fileSystem->createXMLReader("levels/common/BuildingsConfiguration.xml"));
	ASSERT_TRUE(buildings->load(buildingsFile.get()));
	const CRefHolder<GLevelConfiguration> configuration = adoptRef(new GLevelConfiguration);
	const CRefHolder<IXMLReader> levelFile =
		adoptRef(fileSystem->createXMLReader("levels/level1/LevelConfiguration.xml"));
	ASSERT_TRUE(configuration->read(levelFile.get()));

	const CRefHolder<SceneManager> levels = adoptRef(new SceneManager);
	levels->setSortingEnabled(true);
	levels->setTemplateCollection(templates.get());
	level->setBuildingsConfiguration(buildings.get());
	level->setLevelConfiguration(configuration.get());
	level->setLevelUpgradeEffects(adoptRef(new CNoUpgrades).get());
	level->setPaused(false);
	levels->setActiveScene(level.get());
	levels->processMessageQueue();
	ASSERT_EQ(4u, level->getBuildings().size());
	// The third place offered to the player; the first hotel broken.
	level->getBuildings()[2]->setForSale(true);
	level->getBuildings()[0]->setAlertIcon(GBuildingNode::ALERT_BROKEN);
	level->getBuildings()[1]->setWorkersText(3);
	level->getBuildings()[3]->setLuckinessType(1);

	EXPECT_TRUE(driver()->beginScene(true, true, BACKGROUND));
	levels->updateAbsoluteTransformation();
	levels->updateAbsoluteColor();
	levels->drawAll(driver());
	const std::vector<video::SColor> frame = readFrame(SCREEN_WIDTH, SCREEN_HEIGHT);
	keepSnapshot(driver(), frame, SCREEN_WIDTH, SCREEN_HEIGHT, "level1_map");
	driver()->endScene();
	const auto at = [&frame](s32 x, s32 y) { return frame[static_cast<size_t>(y) * SCREEN_WIDTH + x]; };
	// The grass everywhere but under the buildings; the first hotel's walls at its place.
	EXPECT_TRUE(near(video::SColor(255, 0x8f, 0xbf, 0x6a), at(900, 700)));
	const GBuildingNode* hotel = level->getBuildings()[0];
	const core::vector3df& p = hotel->getPosition();
	EXPECT_TRUE(near(video::SColor(255, 0xe8, 0xd5, 0xb7), at(static_cast<s32>(p.X) + 34, static_cast<s32>(p.Y) + 45)));
	// Its repair badge to the upper right, over everything.
	EXPECT_TRUE(near(video::SColor(255, 0xd6, 0x45, 0x45), at(static_cast<s32>(p.X) + 110, static_cast<s32>(p.Y) + 2)));

	levels->setActiveScene(nullptr);
	levels->processMessageQueue();
}
