#include "NodeTestSupport.h"

#include "core/NodeCasts.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace fw;
using namespace fw::nodetest;

namespace
{
typedef CRefHolder<BaseNode> NodeRef;

NodeRef makeNode(const c8* name = "")
{
	NodeRef node = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
	node->setName(name);
	return node;
}

// A child owned by its parent only; the pointer is borrowed.
BaseNode* addNode(BaseNode* parent, const c8* name)
{
	BaseNode* node = new BaseNode(ContentReference(), parent, nullptr);
	node->setName(name);
	node->drop();
	return node;
}

std::vector<std::string> childNames(const BaseNode* node)
{
	std::vector<std::string> names;
	for (u32 i = 0; i < node->getChildren().size(); ++i)
		names.push_back(node->getChildren()[i]->getName().c_str());
	return names;
}

// A scene pointer for link tests only; never dereferenced by the core.
SceneNode* fakeScene(uintptr_t value)
{
	return reinterpret_cast<SceneNode*>(value);
}

core::vector3df transformed(const BaseNode* node, core::vector3df point)
{
	node->getAbsoluteTransformation().transformVect(point);
	return point;
}

void expectNear(const core::vector3df& expected, const core::vector3df& actual, const std::string& label)
{
	EXPECT_NEAR(expected.X, actual.X, 1e-4f) << label;
	EXPECT_NEAR(expected.Y, actual.Y, 1e-4f) << label;
	EXPECT_NEAR(expected.Z, actual.Z, 1e-4f) << label;
}
} // namespace

// ------------------------------------------------------------------------------------------------
// Tree

TEST(BaseNodeTree, ParentHoldsChildrenButChildrenNeverHoldTheParent)
{
	NodeRef parent = makeNode("parent");
	BaseNode* child = new BaseNode(ContentReference(), parent.get(), nullptr);
	EXPECT_EQ(2, child->getReferenceCount());
	EXPECT_EQ(1, parent->getReferenceCount());
	EXPECT_EQ(parent.get(), child->getParent());

	parent.release();
	// The parent's reference went with it; the creator's remains.
	EXPECT_EQ(1, child->getReferenceCount());
	EXPECT_EQ(nullptr, child->getParent());
	child->drop();
}

TEST(BaseNodeTree, AddChildRefusesTheNodeItselfAndItsAncestorsWithoutChange)
{
	NodeRef root = makeNode("root");
	BaseNode* middle = addNode(root.get(), "middle");
	BaseNode* leaf = addNode(middle, "leaf");
	SLogCapture log;

	struct
	{
		BaseNode* candidate;
		const char* label;
	} cases[] = {{leaf, "itself"}, {middle, "parent"}, {root.get(), "grandparent"}};
	for (const auto& c : cases)
	{
		const s32 count = c.candidate->getReferenceCount();
		BaseNode* oldParent = c.candidate->getParent();
		leaf->addChild(c.candidate);
		EXPECT_TRUE(leaf->getChildren().empty()) << c.label;
		EXPECT_EQ(count, c.candidate->getReferenceCount()) << c.label;
		EXPECT_EQ(oldParent, c.candidate->getParent()) << c.label;
	}
	EXPECT_EQ(std::vector<std::string>{"middle"}, childNames(root.get()));
	EXPECT_EQ(std::vector<std::string>{"leaf"}, childNames(middle));

	// The same through setParent and insertChild.
	root->setParent(leaf);
	EXPECT_EQ(nullptr, root->getParent());
	leaf->insertChild(middle, nullptr);
	EXPECT_EQ(root.get(), middle->getParent());
	EXPECT_TRUE(leaf->getChildren().empty());
	EXPECT_EQ(4u, log.countContaining("descendant"));
}

TEST(BaseNodeTree, AddingAChildAgainMovesItToTheEndListedOnce)
{
	NodeRef root = makeNode();
	BaseNode* a = addNode(root.get(), "a");
	addNode(root.get(), "b");
	addNode(root.get(), "c");
	root->addChild(a);
	EXPECT_EQ((std::vector<std::string>{"b", "c", "a"}), childNames(root.get()));
	EXPECT_EQ(1, a->getReferenceCount());
}

TEST(BaseNodeTree, InsertChildPositions)
{
	struct
	{
		const char* child; // an existing child, or "new"
		const char* after; // a child name, "null" or "stranger"
		std::vector<std::string> expected;
	} cases[] = {
		{"new", "null", {"new", "a", "b", "c"}},
		{"new", "a", {"a", "new", "b", "c"}},
		{"new", "c", {"a", "b", "c", "new"}},
		{"new", "stranger", {"a", "b", "c", "new"}},
		{"c", "null", {"c", "a", "b"}},
		{"a", "b", {"b", "a", "c"}},
		{"a", "a", {"b", "c", "a"}},
	};
	for (const auto& c : cases)
	{
		NodeRef root = makeNode();
		BaseNode* named[3] = {addNode(root.get(), "a"), addNode(root.get(), "b"), addNode(root.get(), "c")};
		NodeRef stranger = makeNode("stranger");
		const auto find = [&](const std::string& name) -> BaseNode*
		{
			for (BaseNode* n : named)
				if (name == n->getName().c_str())
					return n;
			return name == "stranger" ? stranger.get() : nullptr;
		};
		NodeRef fresh = makeNode("new");
		BaseNode* child = std::string(c.child) == "new" ? fresh.get() : find(c.child);
		root->insertChild(child, find(c.after));
		EXPECT_EQ(c.expected, childNames(root.get())) << c.child << " after " << c.after;
		EXPECT_EQ(root.get(), child->getParent());
	}
}

TEST(BaseNodeTree, RemoveChildClearsTheLinksOfTheWholeSubtree)
{
	CFakeSceneManager manager;
	NodeRef root = makeNode("root");
	BaseNode* child = addNode(root.get(), "child");
	BaseNode* grandchild = addNode(child, "grandchild");
	root->attachToScene(&manager, fakeScene(0x1000));
	EXPECT_EQ(&manager, grandchild->getSceneManager());
	EXPECT_EQ(fakeScene(0x1000), grandchild->getScene());

	NodeRef stranger = makeNode();
	EXPECT_FALSE(root->removeChild(stranger.get()));
	EXPECT_FALSE(root->removeChild(grandchild));
	EXPECT_FALSE(root->removeChild(nullptr));
	EXPECT_EQ(1u, root->getChildren().size());

	const NodeRef keep(child);
	EXPECT_TRUE(root->removeChild(child));
	EXPECT_TRUE(root->getChildren().empty());
	EXPECT_EQ(1, child->getReferenceCount());
	EXPECT_EQ(nullptr, child->getParent());
	EXPECT_EQ(nullptr, child->getSceneManager());
	EXPECT_EQ(nullptr, grandchild->getSceneManager());
	EXPECT_EQ(nullptr, grandchild->getScene());
	EXPECT_EQ(child, grandchild->getParent());
}

TEST(BaseNodeTree, RemoveAllChildrenClearsTheLinksOfEveryRemovedSubtree)
{
	CFakeSceneManager manager;
	NodeRef root = makeNode("root");
	const NodeRef a(addNode(root.get(), "a"));
	const NodeRef b(addNode(root.get(), "b"));
	BaseNode* b1 = addNode(b.get(), "b1");
	root->attachToScene(&manager, fakeScene(0x1000));

	root->removeAllChildren();
	EXPECT_TRUE(root->getChildren().empty());
	for (BaseNode* node : {a.get(), b.get(), b1})
	{
		EXPECT_EQ(nullptr, node->getSceneManager()) << node->getName().c_str();
		EXPECT_EQ(nullptr, node->getScene()) << node->getName().c_str();
	}
	EXPECT_EQ(nullptr, a->getParent());
	EXPECT_EQ(b.get(), b1->getParent());
	EXPECT_EQ(1, a->getReferenceCount());
}

TEST(BaseNodeTree, MovingANodeTakesItFromTheOldParentAndGivesItTheNewScene)
{
	CFakeSceneManager managerA, managerB;
	NodeRef first = makeNode("first");
	NodeRef second = makeNode("second");
	first->attachToScene(&managerA, fakeScene(0xA0));
	second->attachToScene(&managerB, fakeScene(0xB0));
	BaseNode* node = addNode(first.get(), "node");
	BaseNode* below = addNode(node, "below");
	EXPECT_EQ(&managerA, below->getSceneManager());

	node->setParent(second.get());
	EXPECT_TRUE(first->getChildren().empty());
	EXPECT_EQ(std::vector<std::string>{"node"}, childNames(second.get()));
	EXPECT_EQ(1, node->getReferenceCount());
	EXPECT_EQ(&managerB, below->getSceneManager());
	EXPECT_EQ(fakeScene(0xB0), below->getScene());

	const NodeRef keep(node);
	node->setParent(nullptr);
	EXPECT_EQ(nullptr, node->getParent());
	EXPECT_EQ(nullptr, below->getSceneManager());
	EXPECT_EQ(1, node->getReferenceCount());
}

TEST(BaseNodeTree, FindChildByNameIdSearchesAsDeepAsAsked)
{
	// root > a > b > c, plus a sibling "a" deeper under "x" to check that direct children come first.
	NodeRef root = makeNode("root");
	BaseNode* x = addNode(root.get(), "x");
	BaseNode* a = addNode(root.get(), "a");
	BaseNode* b = addNode(a, "b");
	BaseNode* c = addNode(b, "c");
	addNode(x, "a");

	struct
	{
		const char* name;
		s32 depth;
		BaseNode* expected;
	} cases[] = {
		{"a", 1, a},
		{"b", 1, nullptr},
		{"b", 2, b},
		{"c", 2, nullptr},
		{"c", 3, c},
		{"c", -1, c},
		{"c", 0, c},
		{"c", -2, nullptr},
		{"missing", -1, nullptr},
	};
	for (const auto& test : cases)
		EXPECT_EQ(test.expected, root->findChildByNameId(nameId(test.name), test.depth))
			<< test.name << " depth " << test.depth;
}

TEST(BaseNodeTree, UserDataHoldsOneReference)
{
	NodeRef node = makeNode();
	NodeRef first = makeNode();
	NodeRef second = makeNode();
	node->setUserData(first.get());
	EXPECT_EQ(2, first->getReferenceCount());
	node->setUserData(second.get());
	EXPECT_EQ(1, first->getReferenceCount());
	EXPECT_EQ(2, second->getReferenceCount());
	node.release();
	EXPECT_EQ(1, second->getReferenceCount());
}

TEST(BaseNodeTree, CastsFollowTheTypeTest)
{
	NodeRef plain = makeNode();
	NodeRef sprite = adoptRef<BaseNode>(new CSpriteNode(ContentReference(), nullptr, nullptr));
	EXPECT_EQ(nullptr, nodeCast<CSpriteNode>(plain.get()));
	EXPECT_EQ(sprite.get(), nodeCast<CSpriteNode>(sprite.get()));
	EXPECT_EQ(nullptr, nodeCast<CSpriteNode>(static_cast<BaseNode*>(nullptr)));
	EXPECT_TRUE(sprite->isOfType(0));
	EXPECT_FALSE(plain->isOfType(CSpriteNode::TypeId));
	EXPECT_EQ(CONTENT_TYPE_SCENE_NODE, plain->getContentType());
	EXPECT_EQ(0x646f6e73u, CONTENT_TYPE_SCENE_NODE);
}

// ------------------------------------------------------------------------------------------------
// Transformations and colour

TEST(BaseNodeTransform, PointsOfTheNodeInItsParentsSpace)
{
	struct SNodeSetup
	{
		core::vector3df position, rotation, scale;
		core::vector2df pivot;
	};
	const SNodeSetup none{{0, 0, 0}, {0, 0, 0}, {1, 1, 1}, {0, 0}};
	struct
	{
		const char* label;
		bool hasParent;
		SNodeSetup parent;
		SNodeSetup node;
		core::vector3df local;
		core::vector3df expected;
	} cases[] = {
		{"position and pivot", false, none, {{10, 20, 0}, {0, 0, 0}, {1, 1, 1}, {5, 5}}, {5, 5, 0}, {10, 20, 0}},
		{"rotation 90", false, none, {{0, 0, 0}, {0, 0, 90}, {1, 1, 1}, {0, 0}}, {1, 0, 0}, {0, 1, 0}},
		{"rotation then position", false, none, {{3, 4, 0}, {0, 0, 90}, {1, 1, 1}, {0, 0}}, {1, 0, 0}, {3, 5, 0}},
		{"scale", false, none, {{0, 0, 0}, {0, 0, 0}, {2, 3, 1}, {0, 0}}, {1, 1, 0}, {2, 3, 0}},
		{"pivot scaled and rotated", false, none, {{50, 50, 0}, {0, 0, 180}, {2, 2, 1}, {10, 5}}, {10, 5, 0},
			{50, 50, 0}},
		{"parent rotated, child scaled", true, {{100, 0, 10}, {0, 0, 90}, {1, 1, 1}, {0, 0}},
			{{10, 0, 5}, {0, 0, 0}, {2, 2, 1}, {0, 0}}, {1, 0, 0}, {100, 12, 15}},
		{"parent scaled, child rotated with pivot", true, {{0, 0, 0}, {0, 0, 0}, {2, 2, 1}, {0, 0}},
			{{10, 10, 0}, {0, 0, 90}, {1, 1, 1}, {1, 0}}, {2, 0, 0}, {20, 22, 0}},
		{"identity parent", true, none, {{7, 8, 0}, {0, 0, 0}, {1, 1, 1}, {0, 0}}, {1, 1, 0}, {8, 9, 0}},
		{"depths add up", true, {{0, 0, 10}, {0, 0, 0}, {1, 1, 1}, {0, 0}}, {{1, 0, 5}, {0, 0, 0}, {1, 1, 1}, {0, 0}},
			{0, 0, 0}, {1, 0, 15}},
	};
	for (const auto& c : cases)
	{
		NodeRef parent = makeNode();
		NodeRef node = makeNode();
		const auto apply = [](BaseNode* n, const SNodeSetup& s)
		{
			n->setPosition(s.position);
			n->setRotation(s.rotation);
			n->setScale(s.scale);
			n->setPivotPoint(s.pivot);
		};
		apply(node.get(), c.node);
		if (c.hasParent)
		{
			apply(parent.get(), c.parent);
			parent->addChild(node.get());
			parent->updateAbsoluteTransformation();
		}
		else
			node->updateAbsoluteTransformation();
		expectNear(c.expected, transformed(node.get(), c.local), c.label);
		EXPECT_FALSE(node->isTransformationDirty()) << c.label;
	}
}

TEST(BaseNodeTransform, ScaleWithinOneMillionthCountsAsUnscaled)
{
	NodeRef node = makeNode();
	node->setScale(core::vector3df(1.0000005f, 1.f, 1.f));
	EXPECT_TRUE(node->getRelativeTransformation().isIdentity());
	EXPECT_EQ(1.f, node->getRelativeTransformation()[0]);
	node->setScale(core::vector3df(1.00001f, 1.f, 1.f));
	EXPECT_FALSE(node->getRelativeTransformation().isIdentity());
}

TEST(BaseNodeTransform, SettersMarkDirtyAndCollectingRefreshesTheSubtree)
{
	NodeRef root = makeNode();
	BaseNode* child = addNode(root.get(), "child");
	RenderList list;
	root->collectRenderables(list);
	EXPECT_FALSE(child->isTransformationDirty());
	EXPECT_FALSE(child->isColorDirty());

	root->setPosition(core::vector3df(5, 6, 0));
	EXPECT_TRUE(root->isTransformationDirty());
	root->collectRenderables(list);
	expectNear({5, 6, 0}, transformed(child, {0, 0, 0}), "child follows its parent");

	const struct
	{
		const char* label;
		std::function<void(BaseNode*)> change;
		bool transformation;
		bool color;
	} cases[] = {
		{"position",
			[](BaseNode* n) {
				n->setPosition({1, 0, 0});
			},
			true, false},
		{"rotation",
			[](BaseNode* n) {
				n->setRotation({0, 0, 1});
			},
			true, false},
		{"scale",
			[](BaseNode* n) {
				n->setScale({2, 2, 1});
			},
			true, false},
		{"pivot",
			[](BaseNode* n) {
				n->setPivotPoint({1, 1});
			},
			true, false},
		{"bounds",
			[](BaseNode* n) {
				n->setBounds({5, 5, 0});
			},
			false, false},
		{"tint", [](BaseNode* n) { n->setTintColor(video::SColor(0xFF00FF00)); }, false, true},
	};
	for (const auto& c : cases)
	{
		root->collectRenderables(list);
		c.change(child);
		EXPECT_EQ(c.transformation, child->isTransformationDirty()) << c.label;
		EXPECT_EQ(c.color, child->isColorDirty()) << c.label;
	}
}

TEST(BaseNodeTransform, AMovedNodeRecomputesUnderItsNewParent)
{
	NodeRef first = makeNode();
	NodeRef second = makeNode();
	second->setPosition(core::vector3df(100, 0, 0));
	BaseNode* node = addNode(first.get(), "node");
	RenderList list;
	first->collectRenderables(list);
	second->collectRenderables(list);
	node->setParent(second.get());
	second->collectRenderables(list);
	expectNear({100, 0, 0}, transformed(node, {0, 0, 0}), "moved node");
}

TEST(BaseNodeColor, TintIsModulatedByTheParentsAbsoluteColour)
{
	NodeRef root = makeNode();
	root->setTintColor(video::SColor(0x80808080));
	BaseNode* child = addNode(root.get(), "child");
	child->setTintColor(video::SColor(0x80FF0000));
	BaseNode* grandchild = addNode(child, "grandchild");
	root->updateAbsoluteColor();
	EXPECT_EQ(0x80808080u, root->getAbsoluteColor().color);
	EXPECT_EQ(0x40800000u, child->getAbsoluteColor().color);
	EXPECT_EQ(0x40800000u, grandchild->getAbsoluteColor().color);
	EXPECT_FALSE(grandchild->isColorDirty());
}

// ------------------------------------------------------------------------------------------------
// Hit tests

TEST(BaseNodeHitTest, PointInsideIsStrictAndFollowsTheTransformation)
{
	struct
	{
		const char* label;
		core::vector3df position, rotation, scale;
		core::vector2df pivot;
		core::vector3df point;
		bool inside;
	} cases[] = {
		{"centre", {0, 0, 0}, {0, 0, 0}, {1, 1, 1}, {0, 0}, {50, 25, 0}, true},
		{"left edge", {0, 0, 0}, {0, 0, 0}, {1, 1, 1}, {0, 0}, {0, 25, 0}, false},
		{"right edge", {0, 0, 0}, {0, 0, 0}, {1, 1, 1}, {0, 0}, {100, 25, 0}, false},
		{"top edge", {0, 0, 0}, {0, 0, 0}, {1, 1, 1}, {0, 0}, {50, 0, 0}, false},
		{"bottom edge", {0, 0, 0}, {0, 0, 0}, {1, 1, 1}, {0, 0}, {50, 50, 0}, false},
		{"moved", {200, 100, 0}, {0, 0, 0}, {1, 1, 1}, {0, 0}, {201, 101, 0}, true},
		{"moved, old place", {200, 100, 0}, {0, 0, 0}, {1, 1, 1}, {0, 0}, {50, 25, 0}, false},
		{"scaled twice", {0, 0, 0}, {0, 0, 0}, {2, 2, 1}, {0, 0}, {190, 90, 0}, true},
		{"scaled twice, beyond", {0, 0, 0}, {0, 0, 0}, {2, 2, 1}, {0, 0}, {201, 90, 0}, false},
		// Turned 90 degrees about its centre: 50 wide and 100 high around (100, 100).
		{"rotated, inside", {100, 100, 0}, {0, 0, 90}, {1, 1, 1}, {50, 25}, {100, 145, 0}, true},
		{"rotated, outside", {100, 100, 0}, {0, 0, 90}, {1, 1, 1}, {50, 25}, {140, 100, 0}, false},
		// A scale of 0 cannot be inverted: the point is tested as it is.
		{"not invertible", {500, 500, 0}, {0, 0, 0}, {0, 0, 1}, {0, 0}, {50, 25, 0}, true},
	};
	for (const auto& c : cases)
	{
		NodeRef node = makeNode();
		node->setBounds(core::vector3df(100, 50, 0));
		node->setPosition(c.position);
		node->setRotation(c.rotation);
		node->setScale(c.scale);
		node->setPivotPoint(c.pivot);
		node->updateAbsoluteTransformation();
		EXPECT_EQ(c.inside, node->isPointInside(c.point)) << c.label;
		EXPECT_FALSE(node->hitTest(c.point)) << c.label;
	}
}

TEST(BaseNodeHitTest, SubtreeAnswersTheFirstNodeThatAcceptsThePoint)
{
	NodeRef root = makeNode("root");
	const auto sprite = [](BaseNode* parent, const c8* name, core::vector3df position)
	{
		CSpriteNode* node = new CSpriteNode(ContentReference(), parent, nullptr);
		node->setName(name);
		node->setPosition(position);
		node->drop();
		return node;
	};
	CSpriteNode* back = sprite(root.get(), "back", {0, 0, 0});
	CSpriteNode* front = sprite(root.get(), "front", {50, 50, 0});
	CSpriteNode* inner = sprite(front, "inner", {10, 10, 0});
	root->updateAbsoluteTransformation();

	struct
	{
		const char* label;
		std::function<void()> change;
		core::vector3df point;
		BaseNode* expected;
	} cases[] = {
		{"first child wins", [] {}, {60, 60, 0}, back},
		{"only the second", [] {}, {120, 120, 0}, front},
		{"nobody", [] {}, {500, 500, 0}, nullptr},
		{"hidden node skips its subtree", [&] { front->setVisible(false); }, {120, 120, 0}, nullptr},
		{"a node that cannot be hit skips its subtree", [&] { front->setCanBeHit(false); }, {120, 120, 0}, nullptr},
		{"the parent answers before its children", [&] { back->setVisible(false); }, {70, 70, 0}, front},
		{"a child answers where the parent does not",
			[&]
			{
				back->setVisible(false);
				inner->setPosition({200, 200, 0});
				root->updateAbsoluteTransformation();
			},
			{255, 255, 0}, inner},
	};
	for (const auto& c : cases)
	{
		for (BaseNode* n : {static_cast<BaseNode*>(back), static_cast<BaseNode*>(front), static_cast<BaseNode*>(inner)})
		{
			n->setVisible(true);
			n->setCanBeHit(true);
		}
		inner->setPosition({10, 10, 0});
		root->updateAbsoluteTransformation();
		c.change();
		EXPECT_EQ(c.expected, root->hitTestSubtree(c.point)) << c.label;
	}
}

// ------------------------------------------------------------------------------------------------
// Render entries and clipped drawing

namespace
{
// The frame's batch as the core sees it: the flushes are counted.
struct SCountingBatch : IRenderBatch
{
	void flush() override { ++flushes; }
	int flushes = 0;
};
} // namespace

TEST(BaseNodeRender, ClippedGroupsAddOneEntryAndDrawTheirChildrenInside)
{
	NodeRef root = makeNode("root");
	BaseNode* group = addNode(root.get(), "group");
	group->setChildrenClipped(true);
	group->setPosition(core::vector3df(10, 20, 3));
	group->setBounds(core::vector3df(40, 30, 0));

	RenderList list;
	root->collectRenderables(list);
	EXPECT_TRUE(list.empty()) << "a clipped node without children adds nothing";

	CSpriteNode* a = new CSpriteNode(ContentReference(), group, nullptr);
	a->setName("a");
	a->drop();
	CSpriteNode* b = new CSpriteNode(ContentReference(), group, nullptr);
	b->setName("b");
	b->setPosition(core::vector3df(0, 0, -1));
	b->drop();

	root->collectRenderables(list);
	ASSERT_EQ(1u, list.size());
	EXPECT_EQ(group, list[0].node);
	EXPECT_EQ(3.f, list[0].depth);
	EXPECT_EQ(0u, list[0].key);

	SCountingBatch batch;
	SRenderContext context;
	context.batch = &batch;
	CSpriteNode::draws().clear();
	group->render(context, nullptr);
	// Collection order, not depth order, and the clip of the group's rectangle.
	ASSERT_EQ(2u, CSpriteNode::draws().size());
	EXPECT_EQ("a", CSpriteNode::draws()[0].name);
	EXPECT_EQ("b", CSpriteNode::draws()[1].name);
	EXPECT_TRUE(CSpriteNode::draws()[0].clipped);
	EXPECT_EQ(core::rect<f32>(10, 20, 50, 50), CSpriteNode::draws()[0].clip);
	EXPECT_EQ(2, batch.flushes);

	// Turned half round, the corners swap; the clip stays a proper rectangle.
	group->setRotation(core::vector3df(0, 0, 180));
	root->collectRenderables(list);
	CSpriteNode::draws().clear();
	group->render(context, nullptr);
	ASSERT_EQ(2u, CSpriteNode::draws().size());
	const core::rect<f32> clip = CSpriteNode::draws()[0].clip;
	EXPECT_NEAR(-30.f, clip.UpperLeftCorner.X, 1e-4f);
	EXPECT_NEAR(-10.f, clip.UpperLeftCorner.Y, 1e-4f);
	EXPECT_NEAR(10.f, clip.LowerRightCorner.X, 1e-4f);
	EXPECT_NEAR(20.f, clip.LowerRightCorner.Y, 1e-4f);

	// Without a batch nothing is flushed, and unclipped nodes draw nothing themselves.
	batch.flushes = 0;
	group->render(SRenderContext(), nullptr);
	root->render(context, nullptr);
	EXPECT_EQ(0, batch.flushes);
}

namespace
{
// A node that runs an action when it is collected and counts the nodes of its class destroyed.
class CActingNode : public BaseNode
{
public:
	using BaseNode::BaseNode;
	~CActingNode() override { ++destroyed(); }
	static int& destroyed()
	{
		static int count = 0;
		return count;
	}
	std::function<void()> action;
	int collected = 0;

protected:
	void onCollected() override
	{
		++collected;
		if (action)
			action();
	}
};

CActingNode* addActingNode(BaseNode* parent)
{
	CActingNode* node = new CActingNode(ContentReference(), parent, nullptr);
	node->drop();
	return node;
}
} // namespace

TEST(BaseNodeRender, ChildrenTakenOffDuringCollectionLiveUntilTheWalkEnds)
{
	// first takes itself and second off the parent and adds a new child (and, in the nested case,
	// first collects the parent again before): second and the new child are skipped, third is still
	// collected, and the nodes taken off are destroyed only once the walk over the parent's children
	// is over.
	for (const bool nested : {false, true})
	{
		CActingNode::destroyed() = 0;
		NodeRef root = makeNode("root");
		CActingNode* first = addActingNode(root.get());
		CActingNode* second = addActingNode(root.get());
		CActingNode* third = addActingNode(root.get());
		int destroyedWhenThirdCollected = -1;
		int secondCollected = 0;
		second->action = [&] { ++secondCollected; };
		third->action = [&] { destroyedWhenThirdCollected = CActingNode::destroyed(); };
		BaseNode* parent = root.get();
		bool inner = false;
		CActingNode* added = nullptr;
		first->action = [&, first, second, parent]
		{
			if (nested && !inner)
			{
				inner = true;
				RenderList again;
				parent->collectRenderables(again);
			}
			parent->removeChild(second);
			parent->removeChild(first);
			if (!added)
				added = addActingNode(parent);
		};
		RenderList list;
		root->collectRenderables(list);
		EXPECT_EQ(0, destroyedWhenThirdCollected) << "nested " << nested;
		EXPECT_EQ(2, CActingNode::destroyed()) << "nested " << nested;
		EXPECT_EQ(0, secondCollected) << "nested " << nested;
		EXPECT_EQ(nested ? 2 : 1, third->collected) << "nested " << nested;
		ASSERT_NE(nullptr, added);
		EXPECT_EQ(0, added->collected) << "nested " << nested;
		EXPECT_EQ(2u, root->getChildren().size()) << "nested " << nested;
	}
}

// The walk is registered on the node it walks: a node whose child lets go of the last reference
// to it during the walk is gone before the walk ends, which then runs on over its copy.
TEST(BaseNodeRender, AParentDestroyedDuringTheWalkOverItsChildrenEndsTheWalkQuietly)
{
	CActingNode::destroyed() = 0;
	BaseNode* parent = new BaseNode(ContentReference(), nullptr, nullptr);
	CActingNode* first = addActingNode(parent);
	CActingNode* second = addActingNode(parent);
	int destroyedDuringWalk = -1;
	first->action = [&, parent] { parent->drop(); };
	second->action = [&] { destroyedDuringWalk = CActingNode::destroyed(); };
	RenderList list;
	parent->collectRenderables(list);
	EXPECT_EQ(-1, destroyedDuringWalk) << "taken off with its parent, not collected";
	EXPECT_EQ(2, CActingNode::destroyed()) << "both dropped when the walk ended";
}

TEST(BaseNodeTransform, UnrotatedNodesGetTheRotationsZerosSignsIncluded)
{
	const f32 angles[][3] = {{0.f, 0.f, 0.f}, {-0.f, 0.f, 0.f}, {0.f, -0.f, 0.f}, {0.f, 0.f, -0.f}, {-0.f, -0.f, 0.f},
		{-0.f, 0.f, -0.f}, {0.f, -0.f, -0.f}, {-0.f, -0.f, -0.f}, {0.f, 0.f, 30.f}};
	for (const auto& angle : angles)
	{
		NodeRef node = makeNode();
		const core::vector3df rotation(angle[0], angle[1], angle[2]);
		node->setRotation(rotation);
		node->setPosition(core::vector3df(3, 4, 5));
		core::matrix4 expected;
		expected.setRotationRadians(rotation * 0.017453292f);
		expected.setTranslation(core::vector3df(3, 4, 5));
		const core::matrix4 relative = node->getRelativeTransformation();
		for (u32 i = 0; i < 16; ++i)
			EXPECT_EQ(std::signbit(expected[i]), std::signbit(relative[i])) << i;
		EXPECT_EQ(0, std::memcmp(expected.pointer(), relative.pointer(), sizeof(f32) * 16))
			<< rotation.X << " " << rotation.Y << " " << rotation.Z;
	}
}

TEST(BaseNodeRender, HiddenNodesAddNothing)
{
	NodeRef root = makeNode();
	CSpriteNode* sprite = new CSpriteNode(ContentReference(), root.get(), nullptr);
	sprite->drop();
	RenderList list;
	root->collectRenderables(list);
	EXPECT_EQ(1u, list.size());
	list.clear();
	root->setVisible(false);
	root->collectRenderables(list);
	EXPECT_TRUE(list.empty());
}

TEST(BaseNodeRender, EntriesSortByDepthThenKey)
{
	RenderList list;
	list.push_back(SRenderEntry{nullptr, 2.f, 1});
	list.push_back(SRenderEntry{nullptr, 1.f, 9});
	list.push_back(SRenderEntry{nullptr, 2.f, 0});
	list.push_back(SRenderEntry{nullptr, -1.f, 5});
	list.sort();
	const f32 depths[] = {-1.f, 1.f, 2.f, 2.f};
	const u32 keys[] = {5, 9, 0, 1};
	for (u32 i = 0; i < 4; ++i)
	{
		EXPECT_EQ(depths[i], list[i].depth);
		EXPECT_EQ(keys[i], list[i].key);
	}
}

// ------------------------------------------------------------------------------------------------
// Routing

namespace
{
// Logs each offer and consumes when told to; a handler may run on the offer.
class CLogNode : public BaseNode
{
public:
	CLogNode(const c8* name, BaseNode* parent, std::vector<std::string>* log) :
		BaseNode(ContentReference(), parent, nullptr), m_log(log)
	{
		setName(name);
		++s_alive;
	}
	~CLogNode() override { --s_alive; }

	bool onEvent(CEvent*) override
	{
		m_log->push_back(getName().c_str());
		if (handler)
			handler(this);
		return consume;
	}

	bool consume = false;
	std::function<void(CLogNode*)> handler;
	static inline int s_alive = 0;

private:
	std::vector<std::string>* m_log;
};

// root > (a > (a1, a2), b)
struct SRouteTree
{
	std::vector<std::string> log;
	CRefHolder<CLogNode> root;
	CLogNode *a, *a1, *a2, *b;

	SRouteTree()
	{
		root = adoptRef(new CLogNode("root", nullptr, &log));
		a = child(root.get(), "a");
		a1 = child(a, "a1");
		a2 = child(a, "a2");
		b = child(root.get(), "b");
	}
	CLogNode* child(BaseNode* parent, const c8* name)
	{
		CLogNode* node = new CLogNode(name, parent, &log);
		node->drop();
		return node;
	}
	CLogNode* byName(const std::string& name)
	{
		for (CLogNode* node : {root.get(), a, a1, a2, b})
			if (name == node->getName().c_str())
				return node;
		return nullptr;
	}
};

std::string joined(const std::vector<std::string>& parts)
{
	std::string text;
	for (const std::string& part : parts)
		text += (text.empty() ? "" : " ") + part;
	return text;
}
} // namespace

TEST(BaseNodeRouting, TheFiveModesVisitTheTreeInOrder)
{
	struct
	{
		s32 mode;
		const char* start;
		const char* consumer; // "" for nobody
		const char* expectedLog;
		bool expectedResult;
	} cases[] = {
		{ROUTE_SELF, "root", "", "root", false},
		{ROUTE_SELF_DOWN, "root", "", "root b a a2 a1", false},
		{ROUTE_SELF_DOWN, "root", "a2", "root b a a2", true},
		{ROUTE_DOWN_SELF, "root", "", "b a2 a1 a root", false},
		{ROUTE_DOWN_SELF, "root", "a1", "b a2 a1", true},
		{ROUTE_SELF_UP, "a1", "", "a1 a root", false},
		{ROUTE_SELF_UP, "a1", "a", "a1 a", true},
		{ROUTE_UP_SELF, "a1", "", "root a a1", false},
		{ROUTE_UP_SELF, "a1", "root", "root", true},
		{5, "root", "", "", false},
		{-1, "a1", "", "", false},
	};
	for (const auto& c : cases)
	{
		SRouteTree tree;
		if (*c.consumer)
			tree.byName(c.consumer)->consume = true;
		const CRefHolder<CEvent> event = adoptRef<CEvent>(new CEventNode);
		EXPECT_EQ(c.expectedResult, tree.byName(c.start)->routeEvent(c.mode, event.get()))
			<< "mode " << c.mode << " from " << c.start;
		EXPECT_EQ(c.expectedLog, joined(tree.log)) << "mode " << c.mode << " from " << c.start;
	}
}

TEST(BaseNodeRouting, NeighboursWhoseMaskLacksTheCategoryAreNotOffered)
{
	SRouteTree tree;
	tree.a->setEventMask(EVENT_CATEGORY_MOUSE);
	const CRefHolder<CEvent> event = adoptRef<CEvent>(new CEventNode);
	tree.root->routeEvent(ROUTE_SELF_DOWN, event.get());
	EXPECT_EQ("root b", joined(tree.log)) << "a and its subtree are passed over";

	tree.log.clear();
	EXPECT_FALSE(tree.a1->routeEvent(ROUTE_SELF_UP, event.get()));
	EXPECT_EQ("a1", joined(tree.log)) << "the parent does not take node events";
	EXPECT_EQ(0x1023u, BaseNode(ContentReference(), nullptr, nullptr).getEventMask());
}

TEST(BaseNodeRouting, HandlersMayChangeTheChildrenWhileAnEventGoesDown)
{
	struct
	{
		const char* label;
		std::function<void(SRouteTree&)> arrange;
		const char* expectedLog;
	} cases[] = {
		{"b removes a before its turn",
			[](SRouteTree& t) { t.b->handler = [&t](CLogNode*) { t.root->removeChild(t.a); }; }, "root b"},
		{"b removes all of the root's children",
			[](SRouteTree& t) { t.b->handler = [&t](CLogNode*) { t.root->removeAllChildren(); }; }, "root b"},
		{"a removes itself, its parent holding the only reference",
			[](SRouteTree& t) { t.a->handler = [&t](CLogNode* self) { t.root->removeChild(self); }; },
			"root b a a2 a1"},
		{"a1 destroys its parent a while a's children are being walked",
			[](SRouteTree& t) { t.a1->handler = [&t](CLogNode*) { t.root->removeChild(t.a); }; }, "root b a a2 a1"},
		{"b adds a child to the root: not offered in this pass",
			[](SRouteTree& t)
			{
				t.b->handler = [&t](CLogNode*)
				{
					if (!t.root->findChildByNameId(nameId("late"), 1))
						t.child(t.root.get(), "late");
				};
			},
			"root b a a2 a1"},
		{"a2 moves b under a1: b is offered again there",
			[](SRouteTree& t) { t.a2->handler = [&t](CLogNode*) { t.a1->addChild(t.b); }; }, "root b a a2 a1 b"},
	};
	for (const auto& c : cases)
	{
		{
			SRouteTree tree;
			c.arrange(tree);
			const CRefHolder<CEvent> event = adoptRef<CEvent>(new CEventNode);
			EXPECT_FALSE(tree.root->routeEvent(ROUTE_SELF_DOWN, event.get())) << c.label;
			EXPECT_EQ(c.expectedLog, joined(tree.log)) << c.label;
		}
		EXPECT_EQ(0, CLogNode::s_alive) << c.label;
	}
}

TEST(BaseNodeRouting, ANodeReleasedByItsParentDuringRouteUpIsKeptUntilTheCallEnds)
{
	SRouteTree tree;
	// The root drops a while a's event bubbles through the root.
	tree.root->handler = [&tree](CLogNode*) { tree.root->removeChild(tree.a); };
	const CRefHolder<CEvent> event = adoptRef<CEvent>(new CEventNode);
	CRefHolder<CLogNode> a1(tree.a1);
	EXPECT_FALSE(a1->routeEvent(ROUTE_SELF_UP, event.get()));
	EXPECT_EQ("a1 a root", joined(tree.log));
	// Nobody holds a any more: it is gone with a2, and a1 is left without a parent.
	EXPECT_EQ(nullptr, a1->getParent());
	EXPECT_EQ(3, CLogNode::s_alive);
}

TEST(BaseNodeRouting, PostedEventsGoToTheSceneManagerOnlyWhenTheReceiverTakesThem)
{
	CFakeSceneManager manager;
	NodeRef parent = makeNode();
	BaseNode* node = addNode(parent.get(), "node");
	const CRefHolder<CEvent> event = adoptRef<CEvent>(new CEventNode);
	NodeRef mouseOnly = makeNode();
	mouseOnly->setEventMask(EVENT_CATEGORY_MOUSE);

	node->postEvent(parent.get(), ROUTE_SELF_UP, event.get());
	EXPECT_TRUE(manager.messages.empty()) << "no scene manager";

	parent->attachToScene(&manager, nullptr);
	node->postEvent(parent.get(), ROUTE_SELF_UP, event.get());
	node->postEvent(nullptr, ROUTE_SELF, event.get());
	node->postEvent(mouseOnly.get(), ROUTE_SELF, event.get());
	node->postEventToParent(ROUTE_DOWN_SELF, event.get());
	parent->postEventToParent(ROUTE_SELF, event.get());
	ASSERT_EQ(2u, manager.messages.size());
	EXPECT_EQ(parent.get(), manager.messages[0].receiver.get());
	EXPECT_EQ(ROUTE_SELF_UP, manager.messages[0].mode);
	EXPECT_EQ(event.get(), manager.messages[0].event.get());
	EXPECT_EQ(parent.get(), manager.messages[1].receiver.get());
	EXPECT_EQ(ROUTE_DOWN_SELF, manager.messages[1].mode);
}

TEST(BaseNodeEvents, TheEventMapForwardsEachIdToItsHook)
{
	class CHandlerNode : public BaseNode
	{
	public:
		CHandlerNode() : BaseNode(ContentReference(), nullptr, nullptr) {}
		bool onAttached(CEventNodeAttached* e) override { return note(34, e); }
		bool onTemplatesChanged(CEventNodeTemplatesChanged* e) override { return note(35, e); }
		bool onRefresh(CEventNodeRefresh* e) override { return note(36, e); }
		bool onStateMessage(CEventNodeStateMessage* e) override { return note(65, e); }
		bool onStateItemNotify(CEventNodeStateItemNotify* e) override { return note(66, e); }
		bool onStateStarted(CEventNodeStateStarted* e) override { return note(67, e); }
		bool onStateFinished(CEventNodeStateFinished* e) override { return note(68, e); }
		bool onStateEnded(CEventNodeStateEnded* e) override { return note(71, e); }
		bool onStateChangeComplete(CEventNodeStateChangeComplete* e) override { return note(75, e); }
		bool note(s32 id, CEvent* e)
		{
			handled.push_back(id);
			return e->getTypeId() == id;
		}
		std::vector<s32> handled;
	};
	const CRefHolder<CHandlerNode> node = adoptRef(new CHandlerNode);

	std::vector<CRefHolder<CEvent>> events;
	events.push_back(adoptRef<CEvent>(new CEventNodeAttached(nullptr)));
	events.push_back(adoptRef<CEvent>(new CEventNodeTemplatesChanged(nullptr)));
	events.push_back(adoptRef<CEvent>(new CEventNodeRefresh));
	events.push_back(adoptRef<CEvent>(new CEventNodeStateMessage));
	events.push_back(adoptRef<CEvent>(new CEventNodeStateItemNotify(nullptr, 0, false)));
	events.push_back(adoptRef<CEvent>(new CEventNodeStateStarted(nullptr, -1)));
	events.push_back(adoptRef<CEvent>(new CEventNodeStateFinished(nullptr, -1, false)));
	events.push_back(adoptRef<CEvent>(new CEventNodeStateEnded(nullptr, -1)));
	events.push_back(adoptRef<CEvent>(new CEventNodeStateChangeComplete(nullptr, -1)));
	for (const auto& event : events)
		EXPECT_TRUE(node->onEvent(event.get())) << event->getTypeId();
	EXPECT_EQ((std::vector<s32>{34, 35, 36, 65, 66, 67, 68, 71, 75}), node->handled);

	// Exact ids only: neither the base id nor an unmapped node event reaches a handler.
	node->handled.clear();
	const CRefHolder<CEvent> entered = adoptRef<CEvent>(new CEventNodeStateEntered(nullptr, -1));
	const CRefHolder<CEvent> base = adoptRef<CEvent>(new CEventNode);
	EXPECT_FALSE(node->onEvent(entered.get()));
	EXPECT_FALSE(node->onEvent(base.get()));
	EXPECT_TRUE(node->handled.empty());
	EXPECT_TRUE(entered->isOfType(CEventNode::TypeId));

	// BaseNode's own handlers take nothing.
	const NodeRef plain = makeNode();
	for (const auto& event : events)
		EXPECT_FALSE(plain->onEvent(event.get())) << event->getTypeId();
}

// ------------------------------------------------------------------------------------------------
// Copies

TEST(BaseNodeClone, ACloneMadeInsideItsOwnSourceStops)
{
	NodeRef root = makeNode("root");
	addNode(root.get(), "a");
	BaseNode* b = addNode(root.get(), "b");
	addNode(b, "b1");

	BaseNode* copy = root->clone(root.get());
	ASSERT_NE(nullptr, copy);
	EXPECT_EQ(root.get(), copy->getParent());
	EXPECT_EQ((std::vector<std::string>{"a", "b", "root"}), childNames(root.get()));
	EXPECT_EQ((std::vector<std::string>{"a", "b"}), childNames(copy));
	EXPECT_EQ(std::vector<std::string>{"b1"}, childNames(copy->getChildren()[1]));

	// Into a descendant: the branch that holds the copy is left out of it.
	BaseNode* deep = b->getChildren()[0];
	BaseNode* copy2 = root->clone(deep);
	EXPECT_EQ(deep, copy2->getParent());
	EXPECT_EQ((std::vector<std::string>{"a", "root"}), childNames(copy2));
}

TEST(BaseNodeClone, CloneAsContentIsAnUnparentedCopyForTheCaller)
{
	NodeRef root = makeNode("root");
	root->setPosition(core::vector3df(1, 2, 3));
	addNode(root.get(), "child");
	CContent* content = root->cloneAsContent();
	BaseNode* copy = dynamic_cast<BaseNode*>(content);
	ASSERT_NE(nullptr, copy);
	EXPECT_NE(root.get(), copy);
	EXPECT_EQ(1, copy->getReferenceCount());
	EXPECT_EQ(nullptr, copy->getParent());
	EXPECT_EQ(core::vector3df(1, 2, 3), copy->getPosition());
	EXPECT_EQ(std::vector<std::string>{"child"}, childNames(copy));
	copy->drop();
}
