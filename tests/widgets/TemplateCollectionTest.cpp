#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fw::widgettest;

namespace
{
const char* const SELF_NESTING_TEMPLATES = R"(<SceneNode Type="TemplateCollectionNode">
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Loop" /></Properties>
		<SceneNode Type="ControlNode"><Properties><string Name="Name" Value="Inner" />
			<string Name="TemplateName" Value="Loop" /></Properties></SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Plain" /></Properties>
		<SceneNode Type="TestSpriteNode"><Properties><string Name="Name" Value="Face" /></Properties></SceneNode>
	</SceneNode>
</SceneNode>)";

class TemplateCollection : public ::testing::Test
{
protected:
	TemplateCollection() : factory(makeFactory())
	{
		templates = loadFixtureAs<TemplateCollectionNode>(factory.get(), "MenuTemplates.oscn");
	}

	CRefHolder<CNodeFactory> factory;
	CRefHolder<TemplateCollectionNode> templates;
};

TEST_F(TemplateCollection, MapsTheFirstChildOfEachNameAndAddsNoDuplicates)
{
	ASSERT_TRUE(templates);
	EXPECT_EQ(20, templates->getTypeId());
	EXPECT_TRUE(templates->isOfType(0));
	EXPECT_EQ(1u, templates->getTemplateCount());
	BaseNode* button = templates->getTemplate(nodetest::nameId("Button"));
	ASSERT_NE(nullptr, button);
	EXPECT_EQ(templates->getChildren()[0], button) << "the first of two children named alike";
	EXPECT_EQ(nullptr, templates->getTemplate(nodetest::nameId("Missing")));

	EXPECT_FALSE(templates->addTemplate(nullptr));
	CRefHolder<BaseNode> second = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
	second->setName("Button");
	EXPECT_FALSE(templates->addTemplate(second.get())) << "a name already held is not replaced";
	EXPECT_EQ(button, templates->getTemplate(nodetest::nameId("Button")));
	second->setName("Extra");
	EXPECT_TRUE(templates->addTemplate(second.get()));
	EXPECT_EQ(second.get(), templates->getTemplate(nodetest::nameId("Extra")));
	EXPECT_EQ(nullptr, second->getParent()) << "an added template does not become a child";

	CRefHolder<BaseNode> copy = adoptRef(templates->clone());
	TemplateCollectionNode* cloned = nodeCast<TemplateCollectionNode>(copy.get());
	ASSERT_NE(nullptr, cloned);
	EXPECT_EQ(cloned->getChildren()[0], cloned->getTemplate(nodetest::nameId("Button")))
		<< "a clone maps its own children";
}

TEST_F(TemplateCollection, ApplyingReplacesChildrenAndStates)
{
	ASSERT_TRUE(templates);
	CRefHolder<BaseNode> target = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
	target->setPosition(core::vector3df(5.f, 6.f, 0.f));
	new BaseNode(ContentReference(), target.get(), nullptr);
	target->getChildren()[0]->drop();

	struct SCase
	{
		const char* name;
		s32 templateId;
		bool result;
		u32 children;
	};
	const SCase cases[] = {
		{"a template", nodetest::nameId("Button"), true, 1},
		{"-1 only empties", -1, true, 0},
		{"again", nodetest::nameId("Button"), true, 1},
		{"a name not held empties and fails", nodetest::nameId("Missing"), false, 0},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		EXPECT_EQ(c.result, templates->applyTemplate(c.templateId, target.get()));
		EXPECT_EQ(c.children, target->getChildren().size());
		EXPECT_EQ(core::vector3df(5.f, 6.f, 0.f), target->getPosition()) << "the target keeps its own values";
	}
	EXPECT_FALSE(templates->applyTemplate(-1, nullptr));
}

TEST_F(TemplateCollection, InstallingRebuildsEveryControlAndNullChangesNothing)
{
	ASSERT_TRUE(templates);
	CRefHolder<SceneManager> manager = adoptRef(new SceneManager);
	CRefHolder<SceneNode> menu = loadFixtureAs<SceneNode>(factory.get(), "Menu.oscn");
	ASSERT_TRUE(manager->setActiveScene(menu.get()));
	ControlNode* play = nodeCast<ControlNode>(menu->findChildByNameId(nodetest::nameId("Play"), 1));
	ASSERT_NE(nullptr, play);
	EXPECT_EQ(nullptr, play->getTemplateRoot()) << "no collection yet";

	manager->setTemplateCollection(templates.get());
	ASSERT_NE(nullptr, play->getTemplateRoot());
	EXPECT_EQ(1u, play->getTemplateRoot()->getChildren().size());
	EXPECT_TRUE(play->getTemplateRoot()->isInternal());
	EXPECT_EQ(nullptr, play->getTemplateRoot()->getTemplateRoot()) << "a template root has none of its own";
	EXPECT_NE(nullptr, menu->getTemplateRoot()) << "a control without a name gets an empty root";
	EXPECT_EQ(0u, menu->getTemplateRoot()->getChildren().size());

	// A mark on the instance tells a fresh copy from the old one.
	const auto face = [play] { return play->getTemplateRoot()->getChildren()[0]; };
	face()->setTintColor(video::SColor(0xFF000000));
	play->setTemplateName(play->getTemplateName());
	EXPECT_EQ(0xFFFFFFFFu, face()->getTintColor().color) << "the same name again rebuilds the template";

	face()->setTintColor(video::SColor(0xFF000000));
	manager->setTemplateCollection(nullptr);
	EXPECT_EQ(0xFF000000u, face()->getTintColor().color);
	manager->setActiveScene(nullptr);
	manager->processMessageQueue();
}

TEST_F(TemplateCollection, ATemplateThatContainsItselfStopsWithAnError)
{
	CRefHolder<TemplateCollectionNode> loop =
		loadFixtureAs<TemplateCollectionNode>(factory.get(), "Loop.oscn", SELF_NESTING_TEMPLATES);
	ASSERT_TRUE(loop);
	CRefHolder<SceneManager> manager = adoptRef(new SceneManager);
	manager->setTemplateCollection(loop.get());
	CRefHolder<SceneNode> scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
	ControlNode* control = new ControlNode(ContentReference(), scene.get(), nullptr);
	control->drop();
	ASSERT_TRUE(manager->setActiveScene(scene.get()));

	nodetest::SLogCapture log;
	control->setTemplateName("Loop");
	EXPECT_EQ(1u, log.countContaining("nested")) << log.all();
	// Built down to the limit, no further.
	s32 depth = 0;
	for (ControlNode* at = control; at && at->getTemplateRoot() && !at->getTemplateRoot()->getChildren().empty();
		 at = nodeCast<ControlNode>(at->getTemplateRoot()->getChildren()[0]))
		++depth;
	EXPECT_EQ(ControlNode::MAX_TEMPLATE_NESTING, depth);

	control->setTemplateName("Plain");
	EXPECT_EQ(1u, control->getTemplateRoot()->getChildren().size());
	manager->setActiveScene(nullptr);
	manager->processMessageQueue();
}
} // namespace
