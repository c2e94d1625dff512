#include "NodeTestSupport.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace fw;
using namespace fw::nodetest;

namespace
{
BaseNode* createOtherBaseNode(const ContentReference& reference)
{
	BaseNode* node = new BaseNode(reference, nullptr, nullptr);
	node->setName("other");
	return node;
}

std::vector<CNodeFactory*> g_registered;
void registerCountingClasses(CNodeFactory& factory)
{
	g_registered.push_back(&factory);
	factory.registerClass(L"AllTypesNode", &createNode<CAllTypesNode>);
	// Too late: the core's class stays.
	factory.registerClass(L"BaseNode", &createOtherBaseNode);
}
} // namespace

TEST(NodeFactory, CreatesRegisteredClassesByExactName)
{
	CNodeFactory factory;
	const ContentReference reference(reinterpret_cast<IContentManager*>(0x40), "scenes/Main.oscn");
	BaseNode* node = factory.create(L"BaseNode", reference);
	ASSERT_NE(nullptr, node);
	EXPECT_EQ(1, node->getReferenceCount());
	EXPECT_EQ(nullptr, node->getParent());
	EXPECT_EQ(nullptr, node->getSceneManager());
	EXPECT_EQ(reference.owner, node->getContentManager());
	EXPECT_EQ(reference.nameId, node->getContentReference().nameId);
	EXPECT_STREQ(L"BaseNode", node->getTypeName());
	node->drop();

	for (const wchar_t* name : {L"basenode", L"BaseNode ", L"", L"Base", L"NeverRegisteredNode"})
		EXPECT_EQ(nullptr, factory.create(name, reference)) << core::stringc(name).c_str();
}

TEST(NodeFactory, TheFirstRegistrationOfANameStays)
{
	CNodeFactory factory;
	factory.registerClass(L"AllTypesNode", &createNode<CAllTypesNode>);
	factory.registerClass(L"AllTypesNode", &createOtherBaseNode);
	factory.registerClass(L"BaseNode", &createOtherBaseNode);
	factory.registerClass(L"Nothing", nullptr);

	const CRefHolder<BaseNode> allTypes = adoptRef(factory.create(L"AllTypesNode", ContentReference()));
	EXPECT_TRUE(allTypes->isOfType(CAllTypesNode::TypeId));
	const CRefHolder<BaseNode> base = adoptRef(factory.create(L"BaseNode", ContentReference()));
	EXPECT_STREQ("", base->getName().c_str());
	EXPECT_EQ(nullptr, factory.create(L"Nothing", ContentReference()));
}

TEST(NodeFactory, RegistrarsReachLiveAndLaterFactories)
{
	const auto runsOn = [](CNodeFactory* factory)
	{ return std::count(g_registered.begin(), g_registered.end(), factory); };
	g_registered.clear();
	CNodeFactory before;
	CNodeFactory::addClassRegistrar(&registerCountingClasses);
	EXPECT_EQ(1, runsOn(&before)) << "run at once on the live factory";
	CNodeFactory::addClassRegistrar(&registerCountingClasses);
	EXPECT_EQ(1, runsOn(&before)) << "installed once";

	CNodeFactory after;
	EXPECT_EQ(1, runsOn(&after));
	for (CNodeFactory* factory : {&before, &after})
	{
		const CRefHolder<BaseNode> node = adoptRef(factory->create(L"AllTypesNode", ContentReference()));
		ASSERT_NE(nullptr, node.get());
		EXPECT_TRUE(node->isOfType(CAllTypesNode::TypeId));
		const CRefHolder<BaseNode> base = adoptRef(factory->create(L"BaseNode", ContentReference()));
		EXPECT_STREQ("", base->getName().c_str()) << "the core registers its classes first";
	}
}

TEST(NodeFactory, TheSingletonIsOneFactory)
{
	CNodeFactory& first = CNodeFactorySingleton::Instance();
	CNodeFactory& second = CNodeFactorySingleton::Instance();
	EXPECT_EQ(&first, &second);
	const CRefHolder<BaseNode> node = adoptRef(first.create(L"BaseNode", ContentReference()));
	EXPECT_NE(nullptr, node.get());
}
