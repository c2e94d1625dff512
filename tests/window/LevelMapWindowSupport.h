#pragma once

// A level map in a real window: the game's level templates and street art from the staged
// assets, a depth-sorting scene manager showing a test level with its cargos node, and that
// level's timer manager, stepped by hand.

#include "StagedContentSupport.h"
#include "level/MoverTestSupport.h"

#include "content/AtlasTextureCollection.h"
#include "core/SServices.h"
#include "level/scene/GLevelNodeClasses.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"
#include "widgets/SceneManager.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/WidgetServices.h"

#include <string>
#include <vector>

namespace fw
{
namespace wintest
{
class CLevelMapWindowTest : public ::testing::Test, protected CStagedContent
{
public:
	static constexpr s32 SCREEN_WIDTH = 1024;
	static constexpr s32 SCREEN_HEIGHT = 768;
	static video::SColor background() { return video::SColor(255, 20, 30, 60); }

protected:
	void SetUp() override
	{
		ASSERT_TRUE(haveDisplay());
		registerWidgetServices();
		device = adoptRef(new CWindowDevice(openGLParameters()));
		ASSERT_NE(nullptr, driver());
		ASSERT_TRUE(openStagedContent(driver()));
		registerLevelNodeClasses(*factory);
		art = adoptRef(manager->getContent(CONTENT_TYPE_ATLAS_COLLECTION, "atlases/Env2.xml", false));
		ASSERT_TRUE(art);
		templates = request<TemplateCollectionNode>(CONTENT_TYPE_SCENE_NODE, "levels/common/TemplateCollection.oscn");
		ASSERT_TRUE(templates);

		scenes = adoptRef(new SceneManager);
		scenes->setSortingEnabled(true);
		scenes->setTemplateCollection(templates.get());
		// The level's nodes draw from the program's generator, which the tests seed.
		SServices services;
		services.random = &CRandomGeneratorSingleton::Instance();
		scenes->setServices(services);
		level = adoptRef(new movertest::CTestLevelScene);
		cargos = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
		cargos->setName("CargosNode");
		level->addChild(cargos.get());
		scenes->setActiveScene(level.get());
		timers = dynamic_cast<CTimerManager*>(scenes->getSceneTimerManager(level.get()));
		ASSERT_NE(nullptr, timers);
	}

	void TearDown() override
	{
		if (cargos)
			cargos->removeAllChildren();
		if (scenes)
		{
			scenes->setActiveScene(nullptr);
			scenes->processMessageQueue();
			scenes->setTemplateCollection(nullptr);
		}
		level.release();
		scenes.release();
		templates.release();
		art.release();
		closeStagedContent();
		device.release();
	}

	video::IVideoDriver* driver() const { return device->getVideoDriver(); }

	std::vector<video::SColor> drawFrame(const std::string& snapshot)
	{
		return drawScenes(driver(), scenes.get(), background(), SCREEN_WIDTH, SCREEN_HEIGHT, snapshot);
	}

	CRefHolder<CWindowDevice> device;
	CRefHolder<CContent> art;
	CRefHolder<TemplateCollectionNode> templates;
	CRefHolder<SceneManager> scenes;
	CRefHolder<movertest::CTestLevelScene> level;
	CRefHolder<BaseNode> cargos;
	CTimerManager* timers = nullptr;
};
} // namespace wintest
} // namespace fw
