// Reads arbitrary bytes as a level configuration and plays it on the game's first level, as the
// gameplay screen sets a level up: the game's level scene, template collection, building types,
// upgrades (the free ones, with every modifier they carry) and street paths, all read once from
// the game's data (see FuzzAssets.h). The level runs for a few seconds of its own clock, with the
// configuration's random events started on it, then every objective is evaluated on it as the
// objectives panel shows it.
#include "FuzzAssets.h"
#include "FuzzStage.h"

#include "app/GLevelUpgradeEffects.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "core/CXMLReader.h"
#include "core/NodeCasts.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GLevelObjective.h"
#include "level/data/GLevelPaths.h"
#include "level/data/GRandomEvent.h"
#include "level/data/GUpgradesConfiguration.h"
#include "level/scene/GGameLevelScene.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"

#include <IReadFile.h>

#include <cstddef>
#include <cstdint>

using namespace fw;

namespace
{
CRefHolder<IXMLReader> readerOver(const void* data, size_t size, const char* name)
{
	const CRefHolder<io::IReadFile> file = adoptRef(fuzz::memoryFile(data, size, name));
	return adoptRef<IXMLReader>(new CXMLReader(file.get()));
}

template <class T>
T* loadGameFile(const char* name)
{
	const auto found = fuzz::assetFiles().find(name);
	if (found == fuzz::assetFiles().end())
		__builtin_trap(); // the game's own data must be there
	T* loaded = new T;
	const CRefHolder<IXMLReader> reader = readerOver(found->second.data(), found->second.size(), name);
	loaded->load(reader.get());
	return loaded;
}

// What every input shares: read once and never changed by a level.
struct SGameData
{
	CContentManager* content;
	GBuildingsConfiguration* buildings;
	GUpgradesConfiguration* upgrades;
	GLevelPaths* paths;
	TemplateCollectionNode* templates;
};

const SGameData& gameData()
{
	static const SGameData data = []
	{
		SGameData made;
		CFileSystem* files = new fuzz::CAssetFileSystem("", nullptr, 0);
		CContentProcessorsManager* processors = new CContentProcessorsManager(nullptr, files, fuzz::gameNodeFactory());
		made.content = new CContentManager(nullptr, files, processors);
		made.buildings = loadGameFile<GBuildingsConfiguration>("levels/common/BuildingsConfiguration.xml");
		made.upgrades = loadGameFile<GUpgradesConfiguration>("levels/common/UpgradesConfiguration.xml");
		made.paths = loadGameFile<GLevelPaths>("levels/level1/LevelPaths.xml");
		made.templates = fuzz::gameTemplates("levels/common/TemplateCollection.oscn");
		return made;
	}();
	return data;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const SGameData& game = gameData();
	CRandomGeneratorSingleton::Instance().seed(1234);
	const CRefHolder<GLevelConfiguration> configuration = adoptRef(new GLevelConfiguration);
	configuration->read(readerOver(data, size, "levels/level1/LevelConfiguration.xml").get());

	// A fresh copy of the game's level scene each time.
	const CRefHolder<CContent> loaded =
		adoptRef(game.content->getContent(CONTENT_TYPE_SCENE_NODE, "levels/level1/Level.oscn", false));
	const CRefHolder<GGameLevelScene> level(nodeCast<GGameLevelScene>(dynamic_cast<BaseNode*>(loaded.get())));
	if (!level)
		__builtin_trap();
	const CRefHolder<GLevelUpgradeEffects> effects = adoptRef(new GLevelUpgradeEffects);
	effects->build(game.upgrades, configuration.get(), 0, core::array<s32>());

	fuzz::CStage stage(game.templates);
	level->setBuildingsConfiguration(game.buildings);
	level->setLevelConfiguration(configuration.get());
	level->setLevelUpgradeEffects(effects.get());
	level->setLevelPaths(game.paths);
	level->setPaused(false);
	if (!stage.open(level.get()))
		__builtin_trap();
	stage.getManager()->processMessageQueue();
	CTimerManager* clock = dynamic_cast<CTimerManager*>(level->getTimerManager());
	GRandomEventList* events = configuration->getRandomEvents();
	for (u32 i = 0; i < events->size() && clock; ++i)
		events->get(i)->start(level.get(), clock);
	for (int step = 0; step < 40 && clock; ++step)
	{
		clock->update(step < 20 ? GGameLevelScene::INTERVAL : 500);
		stage.getManager()->processMessageQueue();
	}
	for (u32 i = 0; i < events->size(); ++i)
		events->get(i)->stop();

	GLevelObjectiveList* objectives = configuration->getObjectives();
	for (u32 i = 0; i < objectives->size(); ++i)
	{
		GLevelObjective* objective = objectives->get(i);
		objective->isComplete(level.get());
		objective->getProgressText(level.get());
		objective->getDisplayName(level.get(), true);
		objective->getDisplayName(level.get(), false);
		objective->getHint();
	}
	level->isLevelCompleted();
	return 0;
}
