// The options of a table's declaration, on one small node class that records what its setters,
// its copy and its read step do: defaults from the class's initial values, the declaration order
// of files with its two exceptions (written after another, read last), unlisted file keys, custom
// copies and after-read steps.

#include "core/BaseNode.h"
#include "core/CPropertyContainer.h"
#include "core/PropertyAccessors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace fw;

namespace
{
class COptionsNode : public BaseNode
{
public:
	FW_NODE_CLASS(COptionsNode, BaseNode, 1020, L"OptionsNode")
	static const PropertyTable& getClassPropertyTable();

	COptionsNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
		BaseNode(reference, parent, sceneManager)
	{
	}

	s32 getAlpha() const { return m_alpha; }
	void setAlpha(s32 value) { record("Alpha", m_alpha, value); }
	s32 getBeta() const { return m_beta; }
	void setBeta(s32 value) { record("Beta", m_beta, value); }
	s32 getGamma() const { return m_gamma; }
	void setGamma(s32 value) { record("Gamma", m_gamma, value); }
	s32 getDelta() const { return m_delta; }
	void setDelta(s32 value) { record("Delta", m_delta, value); }
	s32 getHidden() const { return m_hidden; }
	void setHidden(s32 value) { record("Hidden", m_hidden, value); }
	s32 getItems() const { return m_items; }
	void setItems(s32 value) { record("Items", m_items, value); }

	std::vector<std::string> calls;

private:
	void record(const char* name, s32& member, s32 value)
	{
		calls.push_back(name);
		member = value;
	}
	void copyItems(const COptionsNode& source)
	{
		calls.push_back("copyItems");
		m_items = source.m_items;
	}
	void afterRead() { calls.push_back("afterRead"); }

	s32 m_alpha = 1;
	s32 m_beta = 2;
	s32 m_gamma = 3;
	s32 m_delta = 4;
	s32 m_hidden = 5;
	s32 m_items = 6;
};

const PropertyTable& COptionsNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<COptionsNode>(BaseNode::getClassPropertyTable(),
		{
			makeProperty<&COptionsNode::setAlpha, &COptionsNode::getAlpha>("Alpha").stored(),
			makeProperty<&COptionsNode::setBeta, &COptionsNode::getBeta>("Beta").stored().readLast(),
			makeProperty<&COptionsNode::setGamma, &COptionsNode::getGamma>("Gamma").stored().writtenAfter("Delta"),
			makeProperty<&COptionsNode::setDelta, &COptionsNode::getDelta>("Delta").stored(),
			makeProperty<&COptionsNode::setHidden, &COptionsNode::getHidden>("Hidden").stored().unlisted(),
			makeProperty<&COptionsNode::setItems, &COptionsNode::getItems>("Items")
				.stored()
				.copiedBy<&COptionsNode::copyItems>(),
			afterReading<&COptionsNode::afterRead>(),
		});
	return table;
}

typedef CRefHolder<COptionsNode> OptionsRef;

OptionsRef makeNode()
{
	return adoptRef(new COptionsNode(ContentReference(), nullptr, nullptr));
}

std::vector<std::string> writtenKeys(const BaseNode* node)
{
	const CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(nullptr));
	node->writeProperties(container.get());
	std::vector<std::string> keys;
	for (u32 i = 0; i < container->getItemCount(); ++i)
		keys.push_back(container->getNameAt(static_cast<s32>(i)).c_str());
	return keys;
}

void setAll(COptionsNode* node, s32 value)
{
	node->setAlpha(value);
	node->setBeta(value);
	node->setGamma(value);
	node->setDelta(value);
	node->setHidden(value);
	node->setItems(value);
	node->calls.clear();
}

TEST(PropertyTableOptions, DefaultsAreTheInitialValuesOfTheClass)
{
	const OptionsRef node = makeNode();
	EXPECT_TRUE(writtenKeys(node.get()).empty());
	// 0 is the type's zero, not the class's default: it is written.
	node->setAlpha(0);
	node->setDelta(4);
	EXPECT_EQ(std::vector<std::string>({"Alpha"}), writtenKeys(node.get()));
}

TEST(PropertyTableOptions, FilesTakeTheDeclarationOrderButForWrittenAfterAndReadLast)
{
	const OptionsRef node = makeNode();
	setAll(node.get(), 9);
	EXPECT_EQ(std::vector<std::string>({"Alpha", "Beta", "Delta", "Gamma", "Hidden", "Items"}),
		writtenKeys(node.get()));

	const CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(nullptr));
	node->writeProperties(container.get());
	const OptionsRef read = makeNode();
	read->readProperties(container.get());
	EXPECT_EQ(std::vector<std::string>({"Alpha", "Gamma", "Delta", "Hidden", "Items", "Beta", "afterRead"}),
		read->calls);
	EXPECT_EQ(9, read->getHidden());
}

TEST(PropertyTableOptions, TheReadStepRunsForEveryContainerEvenAnEmptyOne)
{
	const OptionsRef node = makeNode();
	const CRefHolder<CPropertyContainer> empty = adoptRef(new CPropertyContainer(nullptr));
	node->readProperties(empty.get());
	EXPECT_EQ(std::vector<std::string>({"afterRead"}), node->calls);
	node->calls.clear();
	node->readProperties(nullptr);
	EXPECT_TRUE(node->calls.empty());
}

TEST(PropertyTableOptions, UnlistedPropertiesAreFilesAndCopiesOnly)
{
	const PropertyTable& table = COptionsNode::getClassPropertyTable();
	EXPECT_EQ(-1, findPropertyIndex(table, "Hidden"));
	EXPECT_LE(0, findPropertyIndex(table, "Delta"));

	const OptionsRef node = makeNode();
	node->setHidden(11);
	const OptionsRef copy = adoptRef(static_cast<COptionsNode*>(node->clone()));
	ASSERT_TRUE(copy);
	EXPECT_EQ(11, copy->getHidden());
}

TEST(PropertyTableOptions, ACustomCopyReplacesTheSetter)
{
	const OptionsRef node = makeNode();
	setAll(node.get(), 7);
	const OptionsRef copy = adoptRef(static_cast<COptionsNode*>(node->clone()));
	ASSERT_TRUE(copy);
	EXPECT_EQ(7, copy->getItems());
	EXPECT_EQ(1, std::count(copy->calls.begin(), copy->calls.end(), "copyItems"));
	EXPECT_EQ(0, std::count(copy->calls.begin(), copy->calls.end(), "Items"));
	EXPECT_EQ(writtenKeys(node.get()), writtenKeys(copy.get()));
}
} // namespace
