#pragma once

// The game's template collection (scenes/TemplateCollection.oscn) loaded from the staged asset
// folder through the content manager, after the interface atlas, as the game loads it; a scene
// manager that uses it; fixture scenes under that manager, driven by synthetic input and by
// timer steps made by hand.

#include "WidgetTestSupport.h"

#include "content/ContentTestSupport.h"
#include "video/VideoTestSupport.h"

#include "content/AtlasTextureCollection.h"
#include "core/CEventInput.h"
#include "core/NodeCasts.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace fw
{
namespace widgettest
{
class StagedTemplates : public ::testing::Test
{
public:
	StagedTemplates() :
		fileSystem((registerWidgetServices(), adoptRef(createFileSystem()))),
		driver(makeDriver()),
		scenes(adoptRef(new SceneManager))
	{
		EXPECT_TRUE(fileSystem->addFileArchive(QB_STAGED_ASSETS, false, false));
		setup = std::make_unique<contenttest::SContentSetup>(fileSystem.get(), driver.get());
		atlas = adoptRef(setup->manager->getContent(CONTENT_TYPE_ATLAS_COLLECTION, "atlases/MainMenu.xml", false));
		EXPECT_TRUE(atlas);
		const CRefHolder<BaseNode> root =
			contenttest::requestScene(setup->manager.get(), "scenes/TemplateCollection.oscn");
		templates.assign(nodeCast<TemplateCollectionNode>(root.get()));
		EXPECT_TRUE(templates);
		scenes->setTemplateCollection(templates.get());
	}
	~StagedTemplates() override
	{
		reporting.clear();
		listening.clear();
		scenes->setActiveScene(nullptr);
		scenes->processMessageQueue();
	}

	static CRefHolder<test::CRecordingVideoDriver> makeDriver()
	{
		CRefHolder<test::CRecordingVideoDriver> recording = test::makeRecordingDriver();
		recording->makeTextures = true;
		return recording;
	}

	// A scene of tests/fixtures/widgets, made by the content manager's factory.
	template <class T>
	CRefHolder<T> loadScene(const std::string& name, const std::string& text = "")
	{
		return loadFixtureAs<T>(setup->factory.get(), name, text);
	}

	// One update: every scene's animations advance, the queued reports are delivered, and a frame is
	// collected, which refreshes the transformations that hit tests use.
	void tick(u32 milliseconds)
	{
		std::vector<CRefHolder<BaseNode>> children;
		for (u32 i = 0; i < scenes->getChildren().size(); ++i)
			children.emplace_back(scenes->getChildren()[i]);
		for (const CRefHolder<BaseNode>& child : children)
			if (SceneNode* scene = nodeCast<SceneNode>(child.get()))
				if (CTimerManager* timers = dynamic_cast<CTimerManager*>(scene->getTimerManager()))
					if (timers->isRunning())
						timers->update(milliseconds);
		scenes->processMessageQueue();
		RenderList frame;
		for (u32 i = 0; i < scenes->getChildren().size(); ++i)
			scenes->getChildren()[i]->collectRenderables(frame);
	}

	void send(CEvent* event)
	{
		const CRefHolder<CEvent> held = adoptRef(event);
		scenes->routeEvent(ROUTE_SELF_DOWN, held.get());
	}
	void move(s32 x, s32 y) { send(new CEventInputMouseMove(x, y)); }
	void down(s32 x, s32 y) { send(new CEventInputMouseLeftDown(x, y)); }
	void up(s32 x, s32 y) { send(new CEventInputMouseLeftUp(x, y)); }
	void click(s32 x, s32 y)
	{
		move(x, y);
		down(x, y);
		up(x, y);
	}
	// The centre of a node's rectangle on the screen.
	static core::position2d<s32> centreOf(const BaseNode* node)
	{
		const core::vector3df at = node->getAbsoluteTransformation().getTranslation();
		return core::position2d<s32>(static_cast<s32>(at.X + node->getBounds().X / 2),
			static_cast<s32>(at.Y + node->getBounds().Y / 2));
	}

	void listen(BaseNode* node, const std::string& name) { listening.emplace_back(new CListening(node, log, name)); }
	void report(BaseNode* node, const std::string& name) { reporting.emplace_back(new CReporting(node, log, name)); }
	std::vector<std::string> takeLog()
	{
		std::vector<std::string> lines;
		lines.swap(log);
		return lines;
	}

	CRefHolder<CFileSystem> fileSystem;
	CRefHolder<test::CRecordingVideoDriver> driver;
	std::unique_ptr<contenttest::SContentSetup> setup;
	CRefHolder<CContent> atlas;
	CRefHolder<TemplateCollectionNode> templates;
	CRefHolder<SceneManager> scenes;
	std::vector<std::string> log;
	std::vector<std::unique_ptr<CListening>> listening;
	std::vector<std::unique_ptr<CReporting>> reporting;
};
} // namespace widgettest
} // namespace fw
