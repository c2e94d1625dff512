#include "NodeTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace fw;

namespace
{
// Counts the passes that collect it, visible or not.
class CCountingNode : public BaseNode
{
public:
	using BaseNode::BaseNode;
	u32 collected = 0;

protected:
	void onCollected() override { ++collected; }
};

size_t occurrences(const std::string& text, const std::string& fragment)
{
	size_t count = 0;
	for (size_t at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1))
		++count;
	return count;
}
} // namespace

TEST(TransientNodeTest, TransientChildrenAreListedDrawnAndRoutedButNeitherSavedNorCopied)
{
	const CRefHolder<BaseNode> parent = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
	BaseNode* kept = new BaseNode(ContentReference(), parent.get(), nullptr);
	kept->setName("Kept");
	kept->drop();
	nodetest::CSpriteNode* passing = new nodetest::CSpriteNode(ContentReference(), parent.get(), nullptr);
	passing->setName("Passing");
	passing->setTransient(true);
	passing->drop();
	EXPECT_FALSE(kept->isTransient());
	ASSERT_EQ(2u, parent->getChildren().size()) << "listed like any child";
	EXPECT_EQ(parent.get(), passing->getParent());

	RenderList list;
	parent->collectRenderables(list);
	bool drawn = false;
	for (u32 i = 0; i < list.size(); ++i)
		drawn = drawn || list[i].node == passing;
	EXPECT_TRUE(drawn);
	EXPECT_EQ(passing, parent->findChildByNameId(nodetest::nameId("Passing"), 1));

	const std::string saved = nodetest::savedText(parent.get());
	EXPECT_EQ(1u, occurrences(saved, "\"Kept\""));
	EXPECT_EQ(0u, occurrences(saved, "Passing"));
	EXPECT_EQ(0u, occurrences(saved, "TestSpriteNode"));
	EXPECT_EQ(std::string(), nodetest::savedText(passing)) << "not even written on its own";

	const CRefHolder<BaseNode> copy = adoptRef(parent->clone());
	ASSERT_EQ(1u, copy->getChildren().size());
	EXPECT_STREQ("Kept", copy->getChildren()[0]->getName().c_str());

	EXPECT_TRUE(parent->removeChild(passing));
	EXPECT_EQ(1u, parent->getChildren().size());
}

TEST(TransientNodeTest, EveryCollectingPassTellsTheNodeHiddenOrNot)
{
	const CRefHolder<BaseNode> parent = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
	CCountingNode* child = new CCountingNode(ContentReference(), parent.get(), nullptr);
	child->drop();
	RenderList list;
	parent->collectRenderables(list);
	child->setVisible(false);
	parent->collectRenderables(list);
	EXPECT_EQ(2u, child->collected);
	parent->setVisible(false);
	parent->collectRenderables(list);
	EXPECT_EQ(2u, child->collected) << "a hidden parent collects no child";
}
