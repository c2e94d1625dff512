// The once spawner: one random decision at the first drawing pass that reaches it, an object from
// the scene manager's templates in a random state of its list, copies that decide anew, and its
// three properties through scene files and copies.

#include "TrafficTestSupport.h"

#include "core/CAnimatorState.h"
#include "core/CNodeFactory.h"
#include "core/CPropertyContainer.h"
#include "core/NodeCasts.h"
#include "core/SceneFile.h"
#include "level/nodes/OnceSpawnerNode.h"
#include "level/scene/GLevelNodeClasses.h"
#include "platform/CRandomGenerator.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace traffictest;

namespace
{
class OnceSpawner : public ::testing::Test
{
protected:
	OnceSpawner()
	{
		fw::CRandomGeneratorSingleton::Instance().seed(5);
		// Templates with a look child whose state shows which state the shown object was given.
		for (const char* name : {"Tree", "Bench"})
		{
			fw::BaseNode* object = level.addTemplate<fw::BaseNode>(name);
			const fw::CRefHolder<fw::BaseNode> look =
				fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, level.headless.manager.get()));
			look->setName("Look");
			for (const char* state : {"Summer", "Winter"})
				look->addState(fw::adoptRef(new fw::CAnimatorState(movertest::nameId(state))).get());
			object->addChild(look.get());
		}
	}

	fw::CRefHolder<OnceSpawnerNode> makeSpawner(const char* templates, const char* states, fw::s32 percent)
	{
		fw::CRefHolder<OnceSpawnerNode> spawner =
			fw::adoptRef(new OnceSpawnerNode(fw::ContentReference(), nullptr, level.headless.manager.get()));
		spawner->setObjTemplateIDs(templates);
		spawner->setObjState(states);
		spawner->setShowLevelPercent(percent);
		level.level->addChild(spawner.get());
		return spawner;
	}

	// The object a spawner shows, or null.
	static fw::BaseNode* shown(const fw::BaseNode* spawner)
	{
		return spawner->getChildren().empty() ? nullptr : spawner->getChildren()[0];
	}

	static std::string stateOf(const fw::BaseNode* object)
	{
		const fw::s32 state = object->getChildren()[0]->getCurrentStateId();
		return state == -1 ? "" : fw::CNameTableSingleton::Instance().lookup(state).c_str();
	}

	CTrafficLevel level;
};

TEST_F(OnceSpawner, TheChanceDecidesOnceAndTheObjectIsATransientCopy)
{
	struct SCase
	{
		fw::s32 percent;
		int shownOf40Min;
		int shownOf40Max;
	};
	// Draws of 1 to 98 below the percent.
	const SCase cases[] = {{100, 40, 40}, {99, 40, 40}, {50, 8, 32}, {2, 0, 3}, {1, 0, 0}, {0, 0, 0}, {-5, 0, 0}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.percent);
		int count = 0;
		for (int i = 0; i < 40; ++i)
		{
			const fw::CRefHolder<OnceSpawnerNode> spawner = makeSpawner("Tree", "", c.percent);
			EXPECT_TRUE(spawner->isSpawnPending());
			level.headless.draw();
			EXPECT_FALSE(spawner->isSpawnPending());
			const fw::u32 children = spawner->getChildren().size();
			ASSERT_LE(children, 1u);
			if (fw::BaseNode* object = shown(spawner.get()))
			{
				++count;
				EXPECT_EQ("Tree", std::string(object->getName().c_str()));
				EXPECT_TRUE(object->isTransient());
				EXPECT_TRUE(object->isVisible()) << "the template is hidden, its copy shown";
				EXPECT_EQ("", stateOf(object)) << "no states listed: the template's own";
			}
			// Later passes change nothing.
			level.headless.draw();
			level.headless.draw();
			EXPECT_EQ(children, spawner->getChildren().size());
			level.level->removeChild(spawner.get());
		}
		EXPECT_GE(count, c.shownOf40Min);
		EXPECT_LE(count, c.shownOf40Max);
	}
}

TEST_F(OnceSpawner, TheObjectAndItsStateArePickedFromTheLists)
{
	std::set<std::string> picks;
	for (int i = 0; i < 60; ++i)
	{
		const fw::CRefHolder<OnceSpawnerNode> spawner = makeSpawner("Tree;Bench", "Summer;Winter", 100);
		level.headless.draw();
		const fw::BaseNode* object = shown(spawner.get());
		ASSERT_NE(nullptr, object);
		picks.insert(std::string(object->getName().c_str()) + " " + stateOf(object));
		level.level->removeChild(spawner.get());
	}
	EXPECT_EQ((std::set<std::string>{"Bench Summer", "Bench Winter", "Tree Summer", "Tree Winter"}), picks);
}

TEST_F(OnceSpawner, AHiddenSpawnerDecidesTooButNothingOutsideTheTreeOrTemplates)
{
	// Hidden: the decision is taken on the pass that reaches it, and the object waits hidden with it.
	const fw::CRefHolder<OnceSpawnerNode> hidden = makeSpawner("Tree", "", 100);
	hidden->setVisible(false);
	level.headless.draw();
	EXPECT_FALSE(hidden->isSpawnPending());
	EXPECT_NE(nullptr, shown(hidden.get()));

	struct SCase
	{
		const char* what;
		const char* templates;
		bool sceneManager;
	};
	const SCase cases[] = {
		{"a name outside the collection", "Fountain", true},
		{"no templates listed", "", true},
		{"no scene manager", "Tree", false},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		fw::CRefHolder<OnceSpawnerNode> spawner = fw::adoptRef(new OnceSpawnerNode(fw::ContentReference(), nullptr,
			c.sceneManager ? level.headless.manager.get() : nullptr));
		spawner->setObjTemplateIDs(c.templates);
		spawner->setShowLevelPercent(100);
		fw::RenderList list;
		spawner->collectRenderables(list);
		EXPECT_FALSE(spawner->isSpawnPending()) << "the decision is spent";
		EXPECT_TRUE(spawner->getChildren().empty());
	}
	// A collection that goes away leaves nothing to show.
	level.headless.manager->setTemplateCollection(nullptr);
	const fw::CRefHolder<OnceSpawnerNode> orphan = makeSpawner("Tree", "", 100);
	level.headless.draw();
	EXPECT_FALSE(orphan->isSpawnPending());
	EXPECT_TRUE(orphan->getChildren().empty());
}

TEST_F(OnceSpawner, CopiesDecideAnewWithoutTheObjectShown)
{
	const fw::CRefHolder<OnceSpawnerNode> spawner = makeSpawner("Tree", "Summer", 100);
	level.headless.draw();
	ASSERT_NE(nullptr, shown(spawner.get()));

	const fw::CRefHolder<fw::BaseNode> copyNode = fw::adoptRef(spawner->clone());
	OnceSpawnerNode* copy = fw::nodeCast<OnceSpawnerNode>(copyNode.get());
	ASSERT_NE(nullptr, copy);
	EXPECT_TRUE(copy->isSpawnPending());
	EXPECT_TRUE(copy->getChildren().empty()) << "the shown object stays with its spawner";
	EXPECT_EQ(100, copy->getShowLevelPercent());
	EXPECT_EQ("Tree", std::string(copy->getObjTemplateIDs().c_str()));
	EXPECT_EQ("Summer", std::string(copy->getObjState().c_str()));
	level.level->addChild(copy);
	level.headless.draw();
	EXPECT_FALSE(copy->isSpawnPending());
	ASSERT_NE(nullptr, shown(copy));
	EXPECT_EQ("Summer", stateOf(shown(copy)));
	EXPECT_EQ(1u, spawner->getChildren().size());
}

TEST_F(OnceSpawner, PropertiesReadTrimmedNamesAndWriteOnlyWhatDiffers)
{
	const fw::CRefHolder<fw::CNodeFactory> factory = fw::adoptRef(new fw::CNodeFactory);
	registerLevelNodeClasses(*factory);
	const std::string file = "<SceneNode Type=\"OnceSpawnerNode\"><Properties>"
							 "<string Name=\"ObjTemplateIDs\" Value=\" Tree ;; Bench\t\"/>"
							 "<int Name=\"ShowLevelPercent\" Value=\"20\"/>"
							 "</Properties></SceneNode>";
	const fw::CRefHolder<fw::BaseNode> loaded = fw::adoptRef(
		fw::loadSceneFile(leveltest::readerOver(file).get(), factory.get(), fw::ContentReference(), "spawner"));
	OnceSpawnerNode* spawner = fw::nodeCast<OnceSpawnerNode>(loaded.get());
	ASSERT_NE(nullptr, spawner);
	EXPECT_EQ(leveltest::ids({"Tree", "Bench"}), leveltest::ids(spawner->getTemplateIds()));
	EXPECT_TRUE(spawner->getStateIds().empty());
	EXPECT_EQ(20, spawner->getShowLevelPercent());

	auto written = [](const fw::BaseNode* node)
	{
		const fw::CRefHolder<fw::CPropertyContainer> container = fw::adoptRef(new fw::CPropertyContainer(nullptr));
		node->writeProperties(container.get());
		std::vector<std::string> items;
		for (fw::u32 i = 0; i < container->getItemCount(); ++i)
			items.push_back(std::string(container->getNameAt(static_cast<fw::s32>(i)).c_str()) + "=" +
				fw::getPropertyText(container->getValueAt(static_cast<fw::s32>(i))).c_str());
		return items;
	};
	// Templates, then states, then the chance, each only when it is not the default.
	EXPECT_EQ((std::vector<std::string>{"ObjTemplateIDs=Tree;Bench", "ShowLevelPercent=20"}), written(spawner));
	spawner->setObjState("Winter ; Summer;");
	spawner->setShowLevelPercent(50);
	EXPECT_EQ((std::vector<std::string>{"ObjTemplateIDs=Tree;Bench", "ObjState=Winter;Summer"}), written(spawner));
	const fw::CRefHolder<OnceSpawnerNode> blank =
		fw::adoptRef(new OnceSpawnerNode(fw::ContentReference(), nullptr, nullptr));
	EXPECT_TRUE(written(blank.get()).empty());

	// Read back through a container; a chance of another type is 0.
	const fw::CRefHolder<fw::CPropertyContainer> container = fw::adoptRef(new fw::CPropertyContainer(nullptr));
	spawner->writeProperties(container.get());
	container->add("ShowLevelPercent", fw::createPropertyDataString("75"));
	blank->readProperties(container.get());
	EXPECT_EQ(leveltest::ids({"Tree", "Bench"}), leveltest::ids(blank->getTemplateIds()));
	EXPECT_EQ(leveltest::ids({"Winter", "Summer"}), leveltest::ids(blank->getStateIds()));
	EXPECT_EQ(0, blank->getShowLevelPercent());

	// By name, as animations reach them.
	const fw::PropertyTable& table = spawner->getPropertyTable();
	const fw::s32 index = fw::findPropertyIndex(table, "ObjState");
	ASSERT_GE(index, 0);
	table[static_cast<fw::u32>(index)].setter(spawner, fw::createPropertyDataString("Autumn"));
	EXPECT_EQ("Autumn", std::string(spawner->getObjState().c_str()));
}
} // namespace
