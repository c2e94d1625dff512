#pragma once

#include "app/GBaseSceneNode.h"
#include "core/CRefHolder.h"

// The start-up scene: a progress bar over which the twelve start-up steps run, one per timer beat
// once more than 50 ms have gathered, each moving the bar by its weight. When the last step has
// run and the bar has caught up it opens the main menu. Files that do not load are skipped: the
// game runs with what loaded.
class GIntroScene : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(GIntroScene, GBaseSceneNode, NODE_TYPE_GAME_INTRO_SCENE, L"GIntroScene")

	typedef void (GIntroScene::*StepOperation)();
	struct SStep
	{
		StepOperation operation;
		fw::f32 weight;
		const fw::c8* name;
	};
	static constexpr fw::u32 STEP_COUNT = 12;
	// The steps in the order they run.
	static const SStep* getSteps();
	static const fw::c8* const MAIN_MENU_SCENE_FILE;

	GIntroScene(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);
	~GIntroScene() override;

	SSceneTable<SBoundChild> getBoundChildren() const override;
	void onInit() override;
	bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event) override;
	bool onSceneSwitchCompleted(fw::CEventSceneTransitionEnd* event) override;
	bool onTimer(fw::u32 step) override;
	// The pacing: a step when over 50 ms have gathered, the main menu once all ran and the bar is
	// full; then the bar moves.
	bool update(fw::u32 step);

	void registerGameClasses();
	void loadSoundPack();
	void loadAtlasBuildings();
	void loadAtlasesEnv();
	void loadAtlasesMinigames();
	void loadAtlasMainMenu();
	void loadAtlasGameMenu();
	void loadAtlasesMenus();
	void loadSceneCollections();
	void loadLevelCommonCollections();
	void loadConfigurations();
	void loadComicsConfiguration();

	fw::f32 getShownProgress() const { return m_shownProgress; }
	fw::f32 getReachedProgress() const { return m_reachedProgress; }
	fw::f32 getTotal() const { return m_total; }
	fw::u32 getNextStep() const { return m_nextStep; }
	fw::u32 getLoadedAtlasCount() const { return m_atlasCollections.size(); }
	fw::u32 getLoadedParticleCollectionCount() const { return m_particleCollections.size(); }

private:
	void moveBar();
	void loadAtlas(const fw::c8* fileName);
	// A particle collection, kept when it loads.
	void loadParticleCollection(const fw::c8* fileName);
	// The template collection of the file, or null when it is none.
	fw::CRefHolder<fw::BaseNode> loadTemplateCollection(const fw::c8* fileName);

	fw::BaseNode* m_barBackground = nullptr;
	fw::BaseNode* m_bar = nullptr;
	fw::f32 m_shownProgress = 0.f;
	fw::f32 m_reachedProgress = 0.f;
	fw::f32 m_total = 0.f;
	fw::u32 m_nextStep = 0;
	fw::s32 m_gatheredTime = 0;
	fw::core::array<fw::CRefHolder<fw::CContent>> m_atlasCollections;
	fw::core::array<fw::CRefHolder<fw::CContent>> m_particleCollections;
};
