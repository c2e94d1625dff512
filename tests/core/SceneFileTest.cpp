#include "NodeTestSupport.h"

#include "core/NodeCasts.h"

#include <functional>
#include <string>
#include <vector>

using namespace fw;
using namespace fw::nodetest;

namespace
{
typedef CRefHolder<BaseNode> NodeRef;

class SceneFile : public ::testing::Test
{
protected:
	SceneFile() : manager(adoptRef(new CFakeContentManager(&factory))) { registerTestClasses(factory); }

	// A fresh tree of the named file (a clone of the cached prototype), owned by the caller.
	NodeRef load(const std::string& name)
	{
		CContent* content = manager->getContent(CONTENT_TYPE_SCENE_NODE, name.c_str(), false);
		BaseNode* node = dynamic_cast<BaseNode*>(content);
		if (!node && content)
			content->drop();
		return adoptRef(node);
	}

	std::vector<u8> save(const BaseNode* node, const std::string& name)
	{
		// Content names would be written relative to the file, as the content manager saves.
		manager->setBase(name);
		const std::vector<u8> bytes =
			writtenBytes([&](IXMLWriter* writer) { EXPECT_TRUE(saveSceneFile(writer, node)); });
		manager->setBase("");
		return bytes;
	}

	CNodeFactory factory;
	CRefHolder<CFakeContentManager> manager;
};

std::vector<std::string> childNames(const BaseNode* node)
{
	std::vector<std::string> names;
	for (u32 i = 0; i < node->getChildren().size(); ++i)
		names.push_back(node->getChildren()[i]->getName().c_str());
	return names;
}

BaseNode* child(const BaseNode* node, const c8* name)
{
	return node->findChildByNameId(nameId(name), -1);
}

std::string sceneNodes(const std::string& inner)
{
	return "<SceneNode type=\"BaseNode\">" + inner + "</SceneNode>";
}

std::string namedNode(const std::string& type, const std::string& name, const std::string& inner = "")
{
	return "<SceneNode type=\"" + type + "\"><Properties><string Name=\"Name\" Value=\"" + name + "\" /></Properties>" +
		inner + "</SceneNode>";
}
} // namespace

TEST_F(SceneFile, ReadingAndWritingAFileGivesTheSameBytes)
{
	const NodeRef root = load("RoundTrip.oscn");
	ASSERT_NE(nullptr, root.get());
	EXPECT_EQ(readFixtureBytes("scenes/RoundTrip.oscn"), save(root.get(), "RoundTrip.oscn"));

	// The values arrived where they belong.
	EXPECT_FALSE(root->isVisible());
	EXPECT_EQ(core::vector2df(400, 300), root->getPivotPoint());
	const CAllTypesNode* everything = nodeCast<CAllTypesNode>(child(root.get(), "Everything"));
	ASSERT_NE(nullptr, everything);
	EXPECT_EQ(-42, everything->getCount());
	EXPECT_STREQ("a&b<c>d\"e'f", everything->getTag().c_str());
	EXPECT_EQ(3u, everything->getLines().size());
	ASSERT_NE(nullptr, everything->getExtra());
	EXPECT_EQ(3, everything->getExtra()->getInt("Level"));
	EXPECT_EQ(7, nodeCast<CSpriteNode>(child(root.get(), "Icon"))->getKey());
	EXPECT_EQ(1, everything->getInitCount());
}

TEST_F(SceneFile, IncludedFilesResolveAgainstTheIncludingFileAndLoadOnce)
{
	SLogCapture log;
	const NodeRef root = load("WithIncludes.oscn");
	ASSERT_NE(nullptr, root.get());
	EXPECT_EQ(readFixtureBytes("scenes/WithIncludes.expanded.oscn"), save(root.get(), "WithIncludes.oscn"))
		<< narrowText(save(root.get(), "WithIncludes.oscn"));

	EXPECT_EQ((std::vector<std::string>{"WithIncludes.oscn", "parts/Panel.oscn", "parts/Button.oscn",
				  "common/Back.oscn", "parts/Panel.oscn"}),
		manager->requests);
	for (const char* name : {"WithIncludes.oscn", "parts/Panel.oscn", "parts/Button.oscn", "common/Back.oscn"})
		EXPECT_EQ(1, manager->loads[name]) << name;

	// Two copies of the panel, neither of them the cached prototype.
	ASSERT_EQ(4u, root->getChildren().size());
	const BaseNode* first = root->getChildren()[0];
	const BaseNode* second = root->getChildren()[3];
	EXPECT_NE(first, second);
	EXPECT_NE(manager->getPrototype("parts/Panel.oscn"), first);
	EXPECT_EQ(root.get(), second->getParent());
	EXPECT_EQ(0u, log.countContaining("skipped"));
	EXPECT_EQ(0u, log.countContaining("refused"));
}

TEST_F(SceneFile, AFileThatIncludesItselfIsRefusedWithALogLine)
{
	struct
	{
		const char* file;
		const char* expectedTree;
		const char* refused;
	} cases[] = {
		{"SelfInclude.oscn", "Self(After)", "SelfInclude.oscn"},
		{"cycle/A.oscn", "A(B)", "cycle/A.oscn"},
		{"cycle/B.oscn", "B(A)", "cycle/B.oscn"},
	};
	for (const auto& c : cases)
	{
		// Nothing cached from the case before.
		manager = adoptRef(new CFakeContentManager(&factory));
		SLogCapture log;
		const NodeRef root = load(c.file);
		ASSERT_NE(nullptr, root.get()) << c.file;
		std::string tree = root->getName().c_str();
		std::function<std::string(const BaseNode*)> describe = [&](const BaseNode* node)
		{
			std::string text;
			for (u32 i = 0; i < node->getChildren().size(); ++i)
				text += (i ? "," : "") + std::string(node->getChildren()[i]->getName().c_str()) +
					(node->getChildren()[i]->getChildren().empty() ? "" : "(" + describe(node->getChildren()[i]) + ")");
			return text;
		};
		EXPECT_EQ(c.expectedTree, tree + "(" + describe(root.get()) + ")") << c.file;
		EXPECT_EQ(1u, log.countContaining(std::string("Scene file ") + c.refused + " includes itself")) << log.all();
	}
}

TEST_F(SceneFile, NestingIsCapped)
{
	// Elements nested far deeper than the cap, then a sibling that must still load.
	std::string deep;
	for (int i = 0; i < 300; ++i)
		deep += "<SceneNode type=\"BaseNode\">";
	for (int i = 0; i < 300; ++i)
		deep += "</SceneNode>";
	manager->addFile("Deep.oscn", sceneNodes(deep + namedNode("BaseNode", "Sibling")));

	// A chain of files, each including the next.
	for (int i = 0; i < 40; ++i)
		manager->addFile("chain/" + std::to_string(i) + ".oscn",
			namedNode("BaseNode", "Link" + std::to_string(i),
				"<SceneNode File=\"" + std::to_string(i + 1) + ".oscn\" />"));

	SLogCapture log;
	const NodeRef deepRoot = load("Deep.oscn");
	ASSERT_NE(nullptr, deepRoot.get());
	int levels = 0;
	for (const BaseNode* node = deepRoot.get(); !node->getChildren().empty(); node = node->getChildren()[0])
		++levels;
	EXPECT_EQ(MAX_SCENE_NODE_NESTING - 1, levels);
	EXPECT_EQ((std::vector<std::string>{"", "Sibling"}), childNames(deepRoot.get()));
	EXPECT_EQ(1u, log.countContaining("nested deeper"));

	const NodeRef chain = load("chain/0.oscn");
	ASSERT_NE(nullptr, chain.get());
	int links = 0;
	for (const BaseNode* node = chain.get(); !node->getChildren().empty(); node = node->getChildren()[0])
		++links;
	EXPECT_EQ(MAX_SCENE_FILE_NESTING - 1, links);
	EXPECT_EQ(1u, log.countContaining("files deep"));
}

TEST_F(SceneFile, ElementsThatMakeNoNodeAreSkippedWhole)
{
	manager->addFile("Skips.oscn",
		namedNode("BaseNode", "Root",
			namedNode("NoSuchNode", "Lost", namedNode("BaseNode", "LostChild")) + namedNode("BaseNode", "Sibling") +
				"<SceneNode type=\"BaseNode\" />" +
				"<SceneNode File=\"Missing.oscn\"><Properties><string Name=\"Name\" Value=\"FromFile\" /></Properties>"
				"</SceneNode>" +
				"<Unknown><SceneNode type=\"BaseNode\" /></Unknown>" + namedNode("BaseNode", "Last")));
	SLogCapture log;
	const NodeRef root = load("Skips.oscn");
	ASSERT_NE(nullptr, root.get());
	EXPECT_STREQ("Root", root->getName().c_str());
	// Unknown elements other than "SceneNode" are passed over node by node: their "SceneNode"
	// children load into the enclosing node.
	EXPECT_EQ((std::vector<std::string>{"Sibling", "", "", "Last"}), childNames(root.get()));
	EXPECT_EQ(1u, log.countContaining("unknown class \"NoSuchNode\""));
	EXPECT_EQ(1u, log.countContaining("Missing.oscn could not be loaded"));
}

TEST_F(SceneFile, TheRootElementDecidesTheClass)
{
	struct
	{
		const char* text;
		s32 expectedType; // -1: no node
	} cases[] = {
		{"<SceneNode type=\"BaseNode\" ClassOverride=\"TestSpriteNode\"></SceneNode>", CSpriteNode::TypeId},
		{"<SceneNode type=\"TestSpriteNode\" ClassOverride=\"NoSuchNode\"></SceneNode>", CSpriteNode::TypeId},
		{"<SceneNode type=\"TestSpriteNode\" ClassOverride=\"\"></SceneNode>", CSpriteNode::TypeId},
		{"<SceneNode type=\"AllTypesNode\"></SceneNode>", CAllTypesNode::TypeId},
		{"<SceneNode Type=\"BaseNode\" type=\"AllTypesNode\"></SceneNode>", BaseNode::TypeId},
		{"<!-- no root --><Other />", -1},
		{"", -1},
		{"<SceneNode></SceneNode>", -1},
		// The children of an unknown root are not taken for roots (nor leaked).
		{"<SceneNode type=\"NoSuchNode\"><SceneNode type=\"AllTypesNode\" /><SceneNode type=\"AllTypesNode\" />"
		 "</SceneNode>",
			-1},
	};
	const int aliveBefore = CAllTypesNode::s_alive;
	for (const auto& c : cases)
	{
		SLogCapture log;
		const CRefHolder<IXMLReader> reader = readerOverText(c.text);
		const ContentReference key(manager.get(), "Root.oscn");
		const NodeRef node = adoptRef(loadSceneFile(reader.get(), &factory, key, "Root.oscn"));
		if (c.expectedType < 0)
		{
			EXPECT_EQ(nullptr, node.get()) << c.text;
			EXPECT_EQ(1u, log.lines.size()) << c.text << "\n" << log.all();
		}
		else
		{
			ASSERT_NE(nullptr, node.get()) << c.text;
			EXPECT_EQ(c.expectedType, node->getTypeId()) << c.text;
			EXPECT_EQ(key.nameId, node->getContentReference().nameId);
			EXPECT_EQ(manager.get(), node->getContentManager());
		}
	}
	EXPECT_EQ(aliveBefore, CAllTypesNode::s_alive);
}

TEST_F(SceneFile, EmptyElementsDoNotSwallowTheirSiblings)
{
	const NodeRef node = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
	node->setName("Before");
	const CRefHolder<IXMLReader> reader =
		readerOverText("<SceneNode type=\"BaseNode\" /><SceneNode type=\"BaseNode\"><Properties /><States />"
					   "<Properties><string Name=\"Name\" Value=\"Second\" /></Properties></SceneNode>");
	ASSERT_TRUE(readToSceneNode(reader.get()));
	node->loadFromXml(reader.get(), &factory);
	EXPECT_STREQ("Before", node->getName().c_str()) << "properties keep their values";
	ASSERT_TRUE(readToSceneNode(reader.get()));
	node->loadFromXml(reader.get(), &factory);
	EXPECT_STREQ("Second", node->getName().c_str());
}

TEST_F(SceneFile, LoadingReplacesTheChildrenAndKeepsTheProperties)
{
	const NodeRef node = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
	node->setPosition(core::vector3df(1, 2, 3));
	const CRefHolder<BaseNode> old(new BaseNode(ContentReference(), node.get(), nullptr));
	old->drop();
	const CRefHolder<IXMLReader> reader = readerOverText(sceneNodes(namedNode("BaseNode", "New")));
	ASSERT_TRUE(readToSceneNode(reader.get()));
	node->loadFromXml(reader.get(), &factory);
	EXPECT_EQ((std::vector<std::string>{"New"}), childNames(node.get()));
	EXPECT_EQ(nullptr, old->getParent());
	EXPECT_EQ(core::vector3df(1, 2, 3), node->getPosition());
}

TEST_F(SceneFile, FileChildrenNeedAContentManager)
{
	SLogCapture log;
	const NodeRef node = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
	const CRefHolder<IXMLReader> reader =
		readerOverText(sceneNodes("<SceneNode File=\"parts/Button.oscn\" />" + namedNode("BaseNode", "After")));
	ASSERT_TRUE(readToSceneNode(reader.get()));
	node->loadFromXml(reader.get(), &factory);
	EXPECT_EQ((std::vector<std::string>{"After"}), childNames(node.get()));
	EXPECT_EQ(1u, log.countContaining("no content manager"));
}

TEST_F(SceneFile, DefaultStateIsKeptUntilTheNodeIsAttached)
{
	manager->addFile("States.oscn",
		sceneNodes("<States><Properties><string Name=\"DefaultState\" Value=\"Normal\" /></Properties>"
				   "<State Name=\"Normal\" NextState=\"\"><SceneNode type=\"BaseNode\" /></State></States>" +
			namedNode("BaseNode", "Child")));
	// Every request receives a clone of the file's node, read once.
	const NodeRef copy = load("States.oscn");
	ASSERT_NE(nullptr, copy.get());
	const BaseNode* read = manager->getPrototype("States.oscn");
	ASSERT_NE(nullptr, read);
	EXPECT_EQ(nameId("Normal"), read->getCurrentStateId());
	const CAnimatorState* normal = read->findState(nameId("Normal"));
	ASSERT_NE(nullptr, normal);
	EXPECT_EQ(-1, normal->getNextStateId());
	EXPECT_EQ(nullptr, read->getCurrentState()) << "nothing runs before the node is attached to a scene";
	EXPECT_EQ((std::vector<std::string>{"Child"}), childNames(read)) << "a State holds no nodes";

	// The clone has its own copy of the state and has entered it; both write it.
	EXPECT_EQ(nameId("Normal"), copy->getCurrentStateId());
	ASSERT_NE(nullptr, copy->findState(nameId("Normal")));
	EXPECT_NE(normal, copy->findState(nameId("Normal")));
	EXPECT_EQ(copy->findState(nameId("Normal")), copy->getCurrentState());
	const std::string states =
		"\t<States>\r\n\t\t<Properties>\r\n\t\t\t<string Name=\"DefaultState\" Value=\"Normal\" />"
		"\r\n\t\t</Properties>\r\n\t\t<State Name=\"Normal\">\r\n\t\t</State>\r\n\t</States>\r\n";
	EXPECT_NE(std::string::npos, savedText(read).find(states)) << savedText(read);
	EXPECT_NE(std::string::npos, savedText(copy.get()).find(states));
}

TEST_F(SceneFile, WhatTheWriterLeavesOut)
{
	const NodeRef node = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
	EXPECT_EQ("<SceneNode Type=\"BaseNode\">\r\n</SceneNode>\r\n", savedText(node.get()));
	node->setInternal(true);
	EXPECT_EQ("", savedText(node.get()));
	node->saveToXml(nullptr);
	EXPECT_FALSE(saveSceneFile(nullptr, node.get()));

	// An internal child is neither listed nor written.
	NodeRef parent = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
	parent->addChild(node.get());
	EXPECT_TRUE(parent->getChildren().empty());
	EXPECT_EQ(parent.get(), node->getParent());
	EXPECT_EQ("<SceneNode Type=\"BaseNode\">\r\n</SceneNode>\r\n", savedText(parent.get()));
	// The parent holds it like a listed child and lets it go when it goes.
	EXPECT_EQ(2, node->getReferenceCount());
	const BaseNode* held = node.get();
	parent.release();
	EXPECT_EQ(nullptr, held->getParent());
	EXPECT_EQ(1, held->getReferenceCount());
}

TEST_F(SceneFile, ACloneEqualsItsSourceAndSharesNothingMutable)
{
	const NodeRef prototype = load("RoundTrip.oscn");
	ASSERT_NE(nullptr, prototype.get());
	CFakeSceneManager sceneManager;
	prototype->attachToScene(&sceneManager, nullptr);
	const NodeRef copy = adoptRef(prototype->clone());
	EXPECT_EQ(save(prototype.get(), "a.oscn"), save(copy.get(), "a.oscn"));
	EXPECT_EQ(&sceneManager, copy->getSceneManager()) << "the manager defaults to the source's";
	EXPECT_EQ(prototype->getContentReference().nameId, copy->getContentReference().nameId);

	// Every node of the copy is new, and linked to the copy.
	std::function<void(const BaseNode*, const BaseNode*)> compare = [&](const BaseNode* a, const BaseNode* b)
	{
		EXPECT_NE(a, b);
		ASSERT_EQ(a->getChildren().size(), b->getChildren().size());
		for (u32 i = 0; i < a->getChildren().size(); ++i)
		{
			EXPECT_EQ(b, b->getChildren()[i]->getParent());
			compare(a->getChildren()[i], b->getChildren()[i]);
		}
	};
	compare(prototype.get(), copy.get());

	CAllTypesNode* source = nodeCast<CAllTypesNode>(child(prototype.get(), "Everything"));
	CAllTypesNode* cloned = nodeCast<CAllTypesNode>(child(copy.get(), "Everything"));
	ASSERT_NE(nullptr, cloned);
	EXPECT_EQ(1, cloned->getInitCount());
	EXPECT_NE(source->getExtra(), cloned->getExtra());
	cloned->getExtra()->setInt("Level", 99);
	cloned->setCount(1);
	cloned->setPosition(core::vector3df(5, 5, 5));
	cloned->removeAllChildren();
	EXPECT_EQ(3, source->getExtra()->getInt("Level"));
	EXPECT_EQ(-42, source->getCount());
	EXPECT_EQ(core::vector3df(0, 0, 0), source->getPosition());
	EXPECT_EQ(1u, source->getChildren().size());
	EXPECT_EQ(readFixtureBytes("scenes/RoundTrip.oscn"), save(prototype.get(), "RoundTrip.oscn"));

	// With a parent, the parent holds the clone.
	BaseNode* held = source->clone(copy.get());
	EXPECT_EQ(1, held->getReferenceCount());
	EXPECT_EQ(copy.get(), held->getParent());
}

TEST_F(SceneFile, HostileTextsLoadWithoutHarm)
{
	const char* texts[] = {
		"<SceneNode type=\"BaseNode\">",
		"<SceneNode type=\"BaseNode\"><SceneNode type=\"BaseNode\"><Properties>",
		"<SceneNode type=\"BaseNode\"><States><Properties><string Name=\"DefaultState\"",
		"<SceneNode type=\"BaseNode\"></States></Properties></SceneNode></SceneNode>",
		"<SceneNode type=\"BaseNode\"><SceneNode File=\"\" /><SceneNode File=\"/\" /><SceneNode File=\"../../..\" />",
		"<SceneNode type=\"BaseNode\"><Properties><vector3d Name=\"Bounds\" Value=\"-1e39;nan;1e39\" /></Properties>",
		"<SceneNode type=\"BaseNode\"><Properties><properties Name=\"x\"><properties Name=\"y\">",
		"<SceneNode type=\"BaseNode\"><SceneNode type=\"AllTypesNode\"><Properties><stringwArray Name=\"Lines\">",
		"<<<>>></SceneNode><SceneNode type=\"BaseNode\" type=\"x\"",
	};
	const int aliveBefore = CAllTypesNode::s_alive;
	for (const char* text : texts)
	{
		SLogCapture log;
		const CRefHolder<IXMLReader> reader = readerOverText(text);
		const NodeRef node = adoptRef(loadSceneFile(reader.get(), &factory, ContentReference(manager.get(), "h"), "h"));
		if (node)
			savedText(node.get());
	}
	EXPECT_EQ(aliveBefore, CAllTypesNode::s_alive);
}

// ------------------------------------------------------------------------------------------------
// Hit tests and render order of a fixture tree with moved, scaled and rotated drawing nodes.

TEST_F(SceneFile, FixtureTreeHitTestsAndRenderOrder)
{
	const NodeRef root = load("HitTree.oscn");
	ASSERT_NE(nullptr, root.get());
	RenderList list;
	root->collectRenderables(list);
	list.sort();

	struct
	{
		const char* name;
		f32 depth;
		u32 key;
	} expectedEntries[] = {
		{"Background", -1.f, 1},
		{"PanelFace", 5.f, 2},
		{"Badge", 6.f, 3},
		{"Corner", 10.f, 0},
		{"Top", 10.f, 1},
	};
	ASSERT_EQ(sizeof(expectedEntries) / sizeof(expectedEntries[0]), list.size());
	for (u32 i = 0; i < list.size(); ++i)
	{
		EXPECT_STREQ(expectedEntries[i].name, list[i].node->getName().c_str()) << i;
		EXPECT_EQ(expectedEntries[i].depth, list[i].depth) << i;
		EXPECT_EQ(expectedEntries[i].key, list[i].key) << i;
	}

	struct
	{
		core::vector3df point;
		const char* expected; // "" for none
	} hits[] = {
		{{150, 150, 0}, "PanelFace"}, // the panel's face, scaled twice
		{{250, 120, 0}, "Badge"},     // inside the rotated badge, which comes first
		{{245, 135, 0}, "Badge"},
		{{250, 150, 0}, "PanelFace"},  // below the badge
		{{235, 120, 0}, "PanelFace"},  // left of the badge
		{{100, 150, 0}, "Background"}, // on the face's edge
		{{720, 520, 0}, "Top"},
		{{760, 520, 0}, "Background"},
		{{10, 510, 0}, "Corner"},
		{{10, 10, 0}, "Background"}, // the hidden sprite takes nothing
		{{900, 900, 0}, ""},
	};
	for (const auto& hit : hits)
	{
		const BaseNode* found = root->hitTestSubtree(hit.point);
		EXPECT_STREQ(hit.expected, found ? found->getName().c_str() : "") << hit.point.X << "," << hit.point.Y;
	}
}
