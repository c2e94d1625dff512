#pragma once

// A scene manager as the game runs one, for the scene targets: the game's template collection,
// the node classes of the framework, the widgets and the game, and time stepped by hand. A tree
// read from a file is opened as the active scene (inside a plain scene when its root is none),
// then its nodes enter their own states while the timers run.
#include "FuzzAssets.h"

#include "app/GGameClasses.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "core/BaseNode.h"
#include "core/CAnimatorState.h"
#include "core/CNameTable.h"
#include "core/CNodeFactory.h"
#include "core/CRefHolder.h"
#include "core/NodeCasts.h"
#include "core/SceneNode.h"
#include "platform/CTimerManager.h"
#include "platform/CVirtualFile.h"
#include "widgets/SceneManager.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/WidgetServices.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace fuzz
{
// The factory the game's start-up fills: the framework's and the widgets' classes, then the game's.
inline fw::CNodeFactory* gameNodeFactory()
{
	static fw::CNodeFactory* factory = []
	{
		fw::registerWidgetServices();
		fw::CNodeFactory* made = new fw::CNodeFactory;
		registerGameClassesWith(*made);
		return made;
	}();
	return factory;
}

// A template collection of the game's data, read once through a content manager of its own that
// nothing else uses (it is large; the inputs must not pay for it each time). With a driver its
// pictures become textures that draw.
inline fw::TemplateCollectionNode* gameTemplates(const char* name, fw::video::IVideoDriver* driver = nullptr)
{
	using namespace fw;
	static std::map<std::pair<std::string, video::IVideoDriver*>, CRefHolder<TemplateCollectionNode>>& loaded =
		*new std::map<std::pair<std::string, video::IVideoDriver*>, CRefHolder<TemplateCollectionNode>>;
	CRefHolder<TemplateCollectionNode>& held = loaded[std::make_pair(std::string(name), driver)];
	if (!held)
	{
		const CRefHolder<CFileSystem> files = adoptRef<CFileSystem>(new CAssetFileSystem("", nullptr, 0));
		// Kept for the process's life: the collection's nodes name their content manager.
		CContentProcessorsManager* processors = new CContentProcessorsManager(driver, files.get(), gameNodeFactory());
		CContentManager* content = new CContentManager(driver, files.get(), processors);
		const CRefHolder<CContent> read = adoptRef(content->getContent(CONTENT_TYPE_SCENE_NODE, name, false));
		held.assign(nodeCast<TemplateCollectionNode>(dynamic_cast<BaseNode*>(read.get())));
		if (!held)
			__builtin_trap(); // the game's own collection must load
	}
	return held.get();
}

class CStage
{
public:
	explicit CStage(fw::TemplateCollectionNode* templates)
	{
		using namespace fw;
		m_timers = adoptRef(new CTimerManager);
		m_manager = adoptRef(new SceneManager);
		m_manager->setSortingEnabled(true);
		m_manager->setTimerManager(m_timers.get());
		m_manager->setTemplateCollection(templates);
	}

	~CStage()
	{
		m_manager->setActiveScene(nullptr);
		m_manager->processMessageQueue();
		m_manager->setTimerManager(nullptr);
		m_manager->setTemplateCollection(nullptr);
	}

	fw::SceneManager* getManager() const { return m_manager.get(); }

	// Opens the tree as the active scene; false when the manager refuses it.
	bool open(fw::BaseNode* root)
	{
		using namespace fw;
		CRefHolder<SceneNode> scene(nodeCast<SceneNode>(root));
		if (!scene)
		{
			scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
			scene->addChild(root);
		}
		m_scene = scene;
		return m_manager->setActiveScene(scene.get(), -1);
	}

	// Every timer the scene's nodes can have started, as the main loop's update does.
	void step(fw::u32 ms)
	{
		using namespace fw;
		m_timers->update(ms);
		if (m_scene)
			if (CTimerManager* own = dynamic_cast<CTimerManager*>(m_manager->getSceneTimerManager(m_scene.get())))
				own->update(ms);
	}

	// The opening transition, then each node of the tree entering each of its states (a bounded
	// number), with time passing between them.
	void play(fw::BaseNode* root)
	{
		using namespace fw;
		for (int i = 0; i < 6; ++i)
			step(i < 3 ? 16 : 400);
		std::vector<std::pair<CRefHolder<BaseNode>, s32>> entries;
		collectStates(root, entries);
		for (size_t i = 0; i < entries.size(); ++i)
		{
			if (entries[i].first->getParent() || entries[i].first.get() == root)
				entries[i].first->enterState(entries[i].second, nullptr, -1);
			if (i % 8 == 7)
				for (u32 ms : {16u, 250u, 1000u})
					step(ms);
		}
		for (u32 ms : {16u, 250u, 1000u, 5000u})
			step(ms);
	}

private:
	static void collectStates(fw::BaseNode* node,
		std::vector<std::pair<fw::CRefHolder<fw::BaseNode>, fw::s32>>& entries)
	{
		if (entries.size() >= 64)
			return;
		for (const auto& state : node->getStates())
		{
			entries.emplace_back(fw::CRefHolder<fw::BaseNode>(node), state.first);
			if (entries.size() >= 64)
				return;
		}
		for (fw::u32 i = 0; i < node->getChildren().size(); ++i)
			collectStates(node->getChildren()[i], entries);
	}

	fw::CRefHolder<fw::CTimerManager> m_timers;
	fw::CRefHolder<fw::SceneManager> m_manager;
	fw::CRefHolder<fw::SceneNode> m_scene;
};
// The scene file the scene processor writes for the tree, with names relative to the file as
// CContentManager::saveContent writes them.
inline std::string writtenScene(fw::CContentManager* manager, fw::BaseNode* node)
{
	using namespace fw;
	const CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile("scenes/Saved.oscn", 0));
	manager->pushPath("scenes/Saved.oscn");
	const bool saved = manager->getProcessor(CONTENT_TYPE_SCENE_NODE)->save(manager, node, file.get(), nullptr);
	manager->popPath();
	if (!saved)
		__builtin_trap(); // in memory nothing can fail
	std::string text(static_cast<size_t>(file->getSize()), '\0');
	file->seek(0);
	if (!text.empty() && file->read(&text[0], static_cast<u32>(text.size())) != static_cast<s32>(text.size()))
		__builtin_trap();
	return text;
}

// The tree read back from what writtenScene wrote; null when it is no node.
inline fw::CRefHolder<fw::BaseNode> rereadScene(fw::CContentManager* manager, const std::string& text)
{
	using namespace fw;
	const CRefHolder<io::IReadFile> file = adoptRef(memoryFile(text.data(), text.size(), "scenes/Saved.oscn"));
	CContent* content = manager->getContent(CONTENT_TYPE_SCENE_NODE, file.get());
	BaseNode* node = dynamic_cast<BaseNode*>(content);
	if (!node && content)
		content->drop();
	return adoptRef(node);
}
} // namespace fuzz
