#include "app/GIntroScene.h"

#include "app/GGame.h"
#include "app/GGameClasses.h"
#include "content/AtlasTextureCollection.h"
#include "content/CContentManager.h"
#include "core/CNameTable.h"
#include "core/CNodeFactory.h"
#include "core/IXMLReader.h"
#include "core/NodeCasts.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GComicsConfiguration.h"
#include "level/data/GGameStatistics.h"
#include "level/data/GLevelScores.h"
#include "level/data/GUpgradesConfiguration.h"
#include "platform/CDeviceStub.h"
#include "platform/CFileSystem.h"
#include "platform/CSoundPack.h"
#include "widgets/CEventScene.h"
#include "widgets/SceneManager.h"
#include "widgets/TemplateCollectionNode.h"

using namespace fw;

const c8* const GIntroScene::MAIN_MENU_SCENE_FILE = "scenes/MainMenuScene.oscn";

namespace
{
// Particle collections: the content type of the particle library.
const u32 CONTENT_TYPE_PARTICLE_COLLECTION = makeContentType('p', 'r', 't', 'c');
const s32 GATHER_THRESHOLD = 50;
// A full bar takes at least this many beats.
const f32 BAR_BEATS = 50.f;

const GIntroScene::SStep STEPS[GIntroScene::STEP_COUNT] = {
	{&GIntroScene::registerGameClasses, 10.f, "registerGameClasses"},
	{&GIntroScene::loadSoundPack, 20.f, "loadSoundPack"},
	{&GIntroScene::loadAtlasBuildings, 10.f, "loadAtlasBuildings"},
	{&GIntroScene::loadAtlasesEnv, 10.f, "loadAtlasesEnv"},
	{&GIntroScene::loadAtlasesMinigames, 10.f, "loadAtlasesMinigames"},
	{&GIntroScene::loadAtlasMainMenu, 10.f, "loadAtlasMainMenu"},
	{&GIntroScene::loadAtlasGameMenu, 10.f, "loadAtlasGameMenu"},
	{&GIntroScene::loadAtlasesMenus, 10.f, "loadAtlasesMenus"},
	{&GIntroScene::loadSceneCollections, 30.f, "loadSceneCollections"},
	{&GIntroScene::loadLevelCommonCollections, 30.f, "loadLevelCommonCollections"},
	{&GIntroScene::loadConfigurations, 5.f, "loadConfigurations"},
	{&GIntroScene::loadComicsConfiguration, 5.f, "loadComicsConfiguration"},
};

// The configuration reads the file through the file system; a missing file reads nothing.
template <class Configuration>
void loadConfiguration(CDeviceStub* device, Configuration* configuration, const c8* fileName)
{
	if (!configuration || !device || !device->getFileSystem())
		return;
	CRefHolder<IXMLReader> reader = adoptRef(device->getFileSystem()->createXMLReader(fileName));
	if (reader)
		configuration->load(reader.get());
}
} // namespace

const GIntroScene::SStep* GIntroScene::getSteps()
{
	return STEPS;
}

GIntroScene::GIntroScene(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	GBaseSceneNode(reference, parent, sceneManager)
{
}

GIntroScene::~GIntroScene() = default;

SSceneTable<SBoundChild> GIntroScene::getBoundChildren() const
{
	static const SBoundChild CHILDREN[] = {
		boundChild<&GIntroScene::m_barBackground>("Scene", "ProgressBg"),
		boundChild<&GIntroScene::m_bar>("Scene", "Progress"),
	};
	return CHILDREN;
}

void GIntroScene::onInit()
{
	GBaseSceneNode::onInit();
	m_total = 0.f;
	for (u32 i = 0; i < STEP_COUNT; ++i)
		m_total += STEPS[i].weight;
}

bool GIntroScene::onSceneSwitchStarted(CEventSceneTransitionStart* event)
{
	GBaseSceneNode::onSceneSwitchStarted(event);
	return event->getTo() == this;
}

bool GIntroScene::onSceneSwitchCompleted(CEventSceneTransitionEnd* event)
{
	GBaseSceneNode::onSceneSwitchCompleted(event);
	if (event->getTo() != this)
		return false;
	m_gatheredTime = 0;
	return true;
}

bool GIntroScene::onTimer(u32 step)
{
	return update(step);
}

bool GIntroScene::update(u32 step)
{
	GBaseSceneNode::onTimer(step);
	m_gatheredTime += static_cast<s32>(step);
	if (m_gatheredTime > GATHER_THRESHOLD)
	{
		m_gatheredTime = 0;
		if (m_nextStep < STEP_COUNT)
		{
			const SStep& current = STEPS[m_nextStep];
			(this->*current.operation)();
			m_reachedProgress += current.weight;
			++m_nextStep;
		}
		else if (m_shownProgress == m_reachedProgress)
		{
			if (openSceneFile(MAIN_MENU_SCENE_FILE, false, nameId("NavFrom"), nameId("NavTo")) && getManager())
				setManager(nullptr);
		}
	}
	moveBar();
	return true;
}

void GIntroScene::moveBar()
{
	if (m_total == 0.f || m_shownProgress == m_reachedProgress)
		return;
	m_shownProgress += m_total / BAR_BEATS;
	if (m_shownProgress > m_reachedProgress)
		m_shownProgress = m_reachedProgress;
	if (!m_barBackground || !m_bar)
		return;
	core::vector3df bounds = m_barBackground->getBounds();
	bounds.X *= m_shownProgress / m_total;
	m_bar->setBounds(bounds);
	m_bar->updateAbsoluteTransformation();
}

void GIntroScene::registerGameClasses()
{
	registerGameClassesWith(CNodeFactorySingleton::Instance());
}

void GIntroScene::loadSoundPack()
{
	CContentManager* content = need(getServices().content, "content manager");
	CDeviceStub* device = need(getServices().device, "device");
	if (!content || !device)
		return;
	CRefHolder<CContent> pack = adoptRef(content->getContent(CONTENT_TYPE_SOUND_PACK, "sounds/SoundPack.xml", true));
	if (CSoundPack* sounds = dynamic_cast<CSoundPack*>(pack.get()))
		sounds->registerCues(device->getSoundManager());
}

void GIntroScene::loadAtlas(const c8* fileName)
{
	CContentManager* content = need(getServices().content, "content manager");
	if (!content)
		return;
	CRefHolder<CContent> atlas = adoptRef(content->getContent(CONTENT_TYPE_ATLAS_COLLECTION, fileName, true));
	if (atlas)
		m_atlasCollections.push_back(atlas);
}

void GIntroScene::loadAtlasBuildings()
{
	loadAtlas("atlases/Buildings.xml");
}

void GIntroScene::loadAtlasesEnv()
{
	loadAtlas("atlases/Env1.xml");
	loadAtlas("atlases/Env2.xml");
}

void GIntroScene::loadAtlasesMinigames()
{
	loadAtlas("atlases/Minigame1.xml");
	loadAtlas("atlases/Minigame2.xml");
	loadAtlas("atlases/Minigame3.xml");
	loadAtlas("atlases/Minigame4.xml");
}

void GIntroScene::loadAtlasMainMenu()
{
	loadAtlas("atlases/MainMenu.xml");
}

void GIntroScene::loadAtlasGameMenu()
{
	loadAtlas("atlases/GameMenu.xml");
}

void GIntroScene::loadAtlasesMenus()
{
	loadAtlas("atlases/ObjMenu.xml");
	loadAtlas("atlases/ShopMenu.xml");
	loadAtlas("atlases/MapMenu.xml");
}

void GIntroScene::loadParticleCollection(const c8* fileName)
{
	CContentManager* content = need(getServices().content, "content manager");
	// Without the particle library there is no processor for the type: nothing to load yet.
	if (!content || !content->getProcessor(CONTENT_TYPE_PARTICLE_COLLECTION))
		return;
	CRefHolder<CContent> collection = adoptRef(content->getContent(CONTENT_TYPE_PARTICLE_COLLECTION, fileName, true));
	if (collection)
		m_particleCollections.push_back(collection);
}

CRefHolder<BaseNode> GIntroScene::loadTemplateCollection(const c8* fileName)
{
	CContentManager* content = need(getServices().content, "content manager");
	if (!content)
		return CRefHolder<BaseNode>();
	CRefHolder<CContent> loaded = adoptRef(content->getContent(CONTENT_TYPE_SCENE_NODE, fileName, true));
	return CRefHolder<BaseNode>(nodeCast<TemplateCollectionNode>(dynamic_cast<BaseNode*>(loaded.get())));
}

void GIntroScene::loadSceneCollections()
{
	loadParticleCollection("scenes/ParticleCollection.xml");
	CRefHolder<BaseNode> templates = loadTemplateCollection("scenes/TemplateCollection.oscn");
	GGame* game = getGame();
	if (templates && game && game->getSceneManager())
		game->getSceneManager()->setTemplateCollection(static_cast<TemplateCollectionNode*>(templates.get()));
}

void GIntroScene::loadLevelCommonCollections()
{
	loadParticleCollection("levels/common/ParticleCollection.xml");
	CRefHolder<BaseNode> templates = loadTemplateCollection("levels/common/TemplateCollection.oscn");
	GGame* game = getGame();
	if (!templates || !game || !game->getLevelSceneManager())
		return;
	TemplateCollectionNode* collection = static_cast<TemplateCollectionNode*>(templates.get());
	game->getLevelSceneManager()->setTemplateCollection(collection);
	CContentManager* content = need(getServices().content, "content manager");
	if (!content)
		return;
	const c8* const fireworks[] = {"levels/common/Fireworks/1/f.oscn", "levels/common/Fireworks/2/f.oscn",
		"levels/common/Fireworks/3/f.oscn", "levels/common/Fireworks/4/f.oscn"};
	for (const c8* file : fireworks)
	{
		CRefHolder<CContent> firework = adoptRef(content->getContent(CONTENT_TYPE_SCENE_NODE, file, true));
		if (BaseNode* node = dynamic_cast<BaseNode*>(firework.get()))
			collection->addTemplate(node);
	}
}

void GIntroScene::loadConfigurations()
{
	GGame* game = getGame();
	CDeviceStub* device = need(getServices().device, "device");
	if (!game || !device)
		return;
	loadConfiguration(device, game->getBuildings(), "levels/common/BuildingsConfiguration.xml");
	loadConfiguration(device, game->getUpgrades(), "levels/common/UpgradesConfiguration.xml");
	loadConfiguration(device, game->getLevelScores(), "levels/common/LevelScores.xml");
}

void GIntroScene::loadComicsConfiguration()
{
	GGame* game = getGame();
	CDeviceStub* device = need(getServices().device, "device");
	if (!game || !device)
		return;
	loadConfiguration(device, game->getComics(), "scenes/ComicsConfiguration.xml");
	game->getStatistics()->start();
}
