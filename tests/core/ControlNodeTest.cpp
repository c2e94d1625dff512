#include "core/ControlNode.h"
#include "core/CEventInput.h"
#include "core/NodeTestSupport.h"
#include "core/SceneNode.h"
#include "platform/CTimerManager.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace fw;
using namespace fw::nodetest;

namespace
{
// Templates by name, applied as a template collection applies them; what controls queue is kept.
class CTemplateSceneManager : public CFakeSceneManager
{
public:
	CTemplateSceneManager() :
		collection(adoptRef(new BaseNode(ContentReference(), nullptr, nullptr))), timers(adoptRef(new CTimerManager))
	{
	}

	ITimerManager* getSceneTimerManager(const SceneNode*) const override { return timers.get(); }

	BaseNode* getTemplateCollectionNode() const override { return collection.get(); }
	bool applyTemplate(s32 nameId, BaseNode* target) override
	{
		target->stopAllStates(false);
		target->removeAllChildren();
		target->clearStates();
		BaseNode* found = nameId == -1 ? nullptr : collection->findChildByNameId(nameId, 1);
		if (found)
			found->copyChildrenAndStatesTo(target);
		return nameId == -1 || found;
	}

	// A template of one hittable 100 x 40 face that has the named (empty) states.
	void addTemplate(const char* name, const std::vector<const char*>& states)
	{
		BaseNode* root = new BaseNode(ContentReference(), collection.get(), nullptr);
		root->setName(name);
		root->drop();
		CSpriteNode* face = new CSpriteNode(ContentReference(), root, nullptr);
		face->setName("Face");
		face->setBounds(core::vector3df(100.f, 40.f, 0.f));
		face->drop();
		for (const char* state : states)
		{
			CAnimatorState* animator = new CAnimatorState(nameId(state));
			face->addState(animator);
			animator->drop();
		}
	}

	// The type ids queued so far, emptied.
	std::vector<s32> takeQueued()
	{
		std::vector<s32> ids;
		for (const SMessage& message : messages)
			ids.push_back(message.event->getTypeId());
		messages.clear();
		return ids;
	}

	CRefHolder<BaseNode> collection;
	CRefHolder<CTimerManager> timers;
};

std::string stateName(s32 id)
{
	return CNameTableSingleton::Instance().lookup(id).c_str();
}

// A scene with controls in a row, 100 wide, each built from the "Button" template.
class ControlNodeInput : public ::testing::Test
{
protected:
	ControlNodeInput() : manager(adoptRef(new CTemplateSceneManager))
	{
		manager->addTemplate("Button", {"Normal", "Focus"});
		scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
		for (const char* name : {"A", "B", "C"})
		{
			ControlNode* control = new ControlNode(ContentReference(), scene.get(), nullptr);
			control->setName(name);
			control->setPosition(core::vector3df(110.f * static_cast<f32>(controls.size()), 0.f, 0.f));
			control->drop();
			controls.push_back(control);
		}
		scene->attachToScene(manager.get(), scene.get());
		for (ControlNode* control : controls)
			control->setTemplateName("Button");
		refresh();
	}

	void refresh()
	{
		RenderList list;
		scene->collectRenderables(list);
	}
	// Delivered as the scene manager delivers input to its top scene.
	bool send(CEvent* event)
	{
		const CRefHolder<CEvent> held = adoptRef(event);
		return scene->routeEvent(ROUTE_DOWN_SELF, held.get());
	}
	std::string faceLook(ControlNode* control)
	{
		return stateName(control->getTemplateRoot()->getChildren()[0]->getCurrentStateId());
	}

	CRefHolder<CTemplateSceneManager> manager;
	CRefHolder<SceneNode> scene;
	std::vector<ControlNode*> controls;
};

TEST(ControlNodeLooks, FallbackTable)
{
	const std::map<std::string, std::string> table = {{"Focus", "Normal"}, {"KillFocus", "Normal"},
		{"NormalDisable", "Normal"}, {"NormalKillHover", "Normal"}, {"FocusDisable", "NormalDisable"},
		{"Pressed", "Focus"}, {"KillPressed", "Focus"}, {"Press", "Focus"}, {"FocusKillHover", "Focus"},
		{"FocusHover", "NormalHover"}, {"Normal", ""}, {"NormalHover", ""}, {"Other", ""}};
	for (const auto& entry : table)
		EXPECT_EQ(entry.second, stateName(controlStateFallback(nameId(entry.first.c_str())))) << entry.first;
	EXPECT_EQ(-1, controlStateFallback(-1));
}

TEST_F(ControlNodeInput, LooksReachTheTemplateThroughTheFallbacks)
{
	ControlNode* a = controls[0];
	ASSERT_NE(nullptr, a->getTemplateRoot());
	struct SCase
	{
		const char* look;
		const char* shown;
	};
	// Only "Normal" and "Focus": "NormalHover" and "FocusHover" end at once, leaving what was shown.
	const SCase cases[] = {{"Pressed", "Focus"}, {"KillFocus", "Normal"}, {"NormalHover", "Normal"}, {"Press", "Focus"},
		{"FocusHover", "Focus"}, {"FocusDisable", "Normal"}, {"KillPressed", "Focus"}};
	for (const SCase& c : cases)
	{
		a->setState(nameId(c.look), &controlStateFallback);
		EXPECT_EQ(c.shown, faceLook(a)) << c.look;
		EXPECT_EQ(0, a->getPendingChildCount(nameId(c.look))) << "the change completed: " << c.look;
	}
}

TEST_F(ControlNodeInput, AMousePressQueuesDownPreviewAndThenPressed)
{
	ControlNode* b = controls[1];
	manager->takeQueued();
	EXPECT_TRUE(send(new CEventInputMouseLeftDown(150, 20)));
	EXPECT_TRUE(b->isDown());
	EXPECT_TRUE(b->isFocused());
	EXPECT_EQ(b, scene->getFocusedChild());
	EXPECT_EQ((std::vector<s32>{45, 53, 53}), manager->takeQueued()) << "down, the scene focused, the control focused";
	EXPECT_EQ("Focus", faceLook(b)) << "\"Pressed\" falls back to \"Focus\"";

	// Every look here ends at once, so the press is over while the button comes up.
	EXPECT_FALSE(send(new CEventInputMouseLeftUp(150, 20))) << "button up is never consumed";
	EXPECT_FALSE(b->isDown());
	EXPECT_FALSE(b->isPressInProgress());
	EXPECT_EQ((std::vector<s32>{57, 59}), manager->takeQueued()) << "preview, then pressed; no up";

	// Held, then released elsewhere: up, no press.
	send(new CEventInputMouseLeftDown(150, 20));
	manager->takeQueued();
	send(new CEventInputMouseLeftUp(500, 500));
	EXPECT_FALSE(b->isDown());
	EXPECT_EQ((std::vector<s32>{47}), manager->takeQueued());
}

TEST_F(ControlNodeInput, PressedWaitsForThePressLookAndAPressInProgressRefusesASecondOne)
{
	ControlNode* a = controls[0];
	CRefHolder<CNodeFactory> factory = adoptRef(new CNodeFactory);
	CRefHolder<IXMLReader> reader = readerOverText(
		"<SceneNode Type=\"BaseNode\"><States><State Name=\"Press\"><Animator Type=\"KeyFrame\"><Properties>"
		"<color Name=\"TintColor\" Value=\"ffffffff\" /></Properties><KeyFrame t=\"0\" Value0=\"ffffffff\" />"
		"<KeyFrame t=\"100\" Value0=\"ff000000\" /></Animator></State></States></SceneNode>");
	CRefHolder<BaseNode> slow = adoptRef(loadSceneFile(reader.get(), factory.get(), ContentReference(), "slow"));
	ASSERT_TRUE(slow);
	a->addChild(slow.get());
	send(new CEventInputMouseLeftDown(50, 20));
	manager->takeQueued();
	send(new CEventInputMouseLeftUp(50, 20));
	EXPECT_TRUE(a->isPressInProgress());
	EXPECT_EQ((std::vector<s32>{57}), manager->takeQueued()) << "the preview only";

	EXPECT_FALSE(a->click());
	a->setFocused(false);
	EXPECT_TRUE(send(new CEventInputMouseLeftDown(50, 20)));
	EXPECT_FALSE(a->isDown()) << "no second held state during a press";
	EXPECT_TRUE(a->isFocused()) << "the focus is taken again";
	manager->takeQueued();

	manager->timers->update(60);
	EXPECT_TRUE(manager->takeQueued().empty());
	manager->timers->update(60);
	EXPECT_FALSE(a->isPressInProgress());
	EXPECT_EQ((std::vector<s32>{59}), manager->takeQueued()) << "pressed, once the look has ended";
}

TEST_F(ControlNodeInput, HoverMovesBetweenSiblingsThroughTheParent)
{
	ControlNode* a = controls[0];
	ControlNode* b = controls[1];
	EXPECT_TRUE(send(new CEventInputMouseMove(50, 20)));
	EXPECT_TRUE(a->isHovered());
	EXPECT_TRUE(scene->isHovered()) << "the hover climbs to the scene";
	EXPECT_TRUE(send(new CEventInputMouseMove(150, 20)));
	EXPECT_TRUE(b->isHovered());
	EXPECT_FALSE(a->isHovered()) << "unhovered by the parent's clear event";

	// A control that does not track ignores moves; its parent still takes the hover from a child.
	send(new CEventInputMouseMove(500, 500));
	b->setHoverTrack(false);
	scene->setHoverTrack(false);
	send(new CEventInputMouseMove(150, 20));
	EXPECT_FALSE(b->isHovered());
	EXPECT_FALSE(scene->isHovered());
	send(new CEventInputMouseMove(250, 20));
	EXPECT_TRUE(controls[2]->isHovered());
	EXPECT_TRUE(scene->isHovered());
}

TEST_F(ControlNodeInput, FocusOffersAndWantFocus)
{
	ControlNode* a = controls[0];
	ControlNode* c = controls[2];
	scene->setFocused(true);
	EXPECT_TRUE(c->isFocused()) << "no default name: the last control is offered the focus";
	EXPECT_EQ(c, scene->getFocusedChild());

	scene->setFocused(false);
	EXPECT_TRUE(c->isFocused()) << "losing the focus keeps the path below";
	a->setWantFocus(false);
	scene->setDefaultFocusObjectName(nameId("A"));
	scene->setFocused(true);
	EXPECT_EQ(c, scene->getFocusedChild()) << "regaining restores the path without an offer";

	scene->setFocused(false);
	scene->removeChild(c);
	scene->setFocused(true);
	EXPECT_FALSE(a->isFocused()) << "a control that does not want the focus uses the offer up";
	EXPECT_EQ(nullptr, scene->getFocusedChild());
	send(new CEventInputMouseLeftDown(50, 20));
	EXPECT_FALSE(a->isFocused());
}

TEST_F(ControlNodeInput, ArrowKeysFollowTheFocusedChildsNavNames)
{
	ControlNode* a = controls[0];
	ControlNode* b = controls[1];
	a->setNavRightObjectName(nameId("B"));
	b->setNavLeftObjectName(nameId("A"));
	b->setNavRightObjectName(nameId("Nobody"));
	BaseNode* plain = new BaseNode(ContentReference(), scene.get(), nullptr);
	plain->setName("Plain");
	plain->drop();
	b->setNavDownObjectName(nameId("Plain"));
	scene->setFocused(true);
	a->setFocused(true);

	struct SCase
	{
		u32 key;
		bool consumed;
		ControlNode* focused;
	};
	const SCase cases[] = {{39, true, b}, {39, false, b}, {40, false, b}, {38, false, b}, {37, true, a},
		{13, false, a}};
	for (const SCase& c : cases)
	{
		EXPECT_EQ(c.consumed, send(new CEventInputKeyDown(0, c.key, false, false))) << c.key;
		EXPECT_EQ(c.focused, scene->getFocusedChild()) << c.key;
		EXPECT_TRUE(c.focused->isFocused());
	}
	EXPECT_FALSE(b->isFocused());

	// The remembered child is gone: the key finds no names and nothing is touched.
	scene->removeChild(a);
	EXPECT_EQ(nullptr, scene->getFocusedChild());
	EXPECT_FALSE(send(new CEventInputKeyDown(0, 39, false, false)));
}

TEST_F(ControlNodeInput, ADisabledControlTakesNoInputAndShowsItsDisabledLook)
{
	ControlNode* a = controls[0];
	scene->setFocused(true);
	a->setFocused(true);
	send(new CEventInputMouseMove(50, 20));
	a->setEnabled(false);
	EXPECT_TRUE(a->isFocused());
	EXPECT_TRUE(a->isHovered());
	EXPECT_EQ("Normal", faceLook(a)) << "FocusDisable -> NormalDisable -> Normal";
	send(new CEventInputMouseLeftDown(50, 20));
	EXPECT_FALSE(a->isDown());
	EXPECT_TRUE(scene->isDown()) << "the next enabled control in delivery order takes the button";

	// A disabled container passes no input to its children.
	ControlNode* inner = new ControlNode(ContentReference(), a, manager.get());
	inner->drop();
	inner->setTemplateName("Button");
	refresh();
	send(new CEventInputMouseMove(500, 500));
	send(new CEventInputMouseMove(50, 20));
	EXPECT_FALSE(inner->isHovered());
	a->setEnabled(true);
	send(new CEventInputMouseMove(50, 20));
	EXPECT_TRUE(inner->isHovered());
}

TEST(ControlNodeTemplate, TheRootIsInternalAndCopiedWithTheControl)
{
	CRefHolder<CTemplateSceneManager> manager = adoptRef(new CTemplateSceneManager);
	manager->addTemplate("Button", {"Normal"});
	CRefHolder<ControlNode> control = adoptRef(new ControlNode(ContentReference(), nullptr, manager.get()));
	control->setTemplateName("Button");
	ControlNode* root = control->getTemplateRoot();
	ASSERT_NE(nullptr, root);
	EXPECT_TRUE(root->isInternal());
	EXPECT_TRUE(root->isTemplateRoot());
	EXPECT_EQ(control.get(), root->getParent());
	EXPECT_TRUE(control->getChildren().empty());
	EXPECT_EQ(nullptr, root->getTemplateRoot());
	EXPECT_EQ(std::string::npos, savedText(control.get()).find("Face")) << "never saved";

	CRefHolder<BaseNode> copy = adoptRef(control->clone(nullptr, nullptr));
	ControlNode* copied = nodeCast<ControlNode>(copy.get());
	ASSERT_NE(nullptr, copied);
	ASSERT_NE(nullptr, copied->getTemplateRoot());
	EXPECT_NE(root, copied->getTemplateRoot());
	EXPECT_EQ(1u, copied->getTemplateRoot()->getChildren().size());

	// A template root leaves with its control; nothing is held past it.
	CRefHolder<ControlNode> heldRoot(root);
	control.release();
	EXPECT_EQ(nullptr, heldRoot->getParent());
	EXPECT_EQ(1, heldRoot->getReferenceCount());
}

// The root is the control's look; tree calls that take it away leave the control able to go on and
// to be destroyed, and the next instantiation gives it a root of its own again.
TEST(ControlNodeTemplate, TakingTheRootAwayLeavesNothingDangling)
{
	struct SCase
	{
		const char* name;
		void (*takeAway)(ControlNode* control, ControlNode* root, BaseNode* other);
	};
	const SCase cases[] = {
		{"removed by its control",
			[](ControlNode* control, ControlNode* root, BaseNode*) { EXPECT_TRUE(control->removeChild(root)); }},
		{"given another parent", [](ControlNode*, ControlNode* root, BaseNode* other) { root->setParent(other); }},
		{"added to another node", [](ControlNode*, ControlNode* root, BaseNode* other) { other->addChild(root); }},
		{"made a listed child and removed",
			[](ControlNode* control, ControlNode* root, BaseNode*)
			{
				root->setInternal(false);
				EXPECT_TRUE(control->removeChild(root));
			}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CRefHolder<CTemplateSceneManager> manager = adoptRef(new CTemplateSceneManager);
		manager->addTemplate("Button", {"Normal"});
		CRefHolder<BaseNode> other = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
		CRefHolder<ControlNode> control = adoptRef(new ControlNode(ContentReference(), nullptr, manager.get()));
		control->setTemplateName("Button");
		ControlNode* root = control->getTemplateRoot();
		ASSERT_NE(nullptr, root);
		c.takeAway(control.get(), root, other.get());
		EXPECT_EQ(nullptr, control->getTemplateRoot()) << "a root taken away is no longer the control's look";

		// Drawing, hit tests, looks and copies run without the root.
		RenderList list;
		control->collectRenderables(list);
		EXPECT_FALSE(control->hitTest(core::vector3df(10.f, 10.f, 0.f)));
		control->setFocused(true);
		CRefHolder<BaseNode> copy = adoptRef(control->clone(nullptr, nullptr));
		EXPECT_EQ(nullptr, nodeCast<ControlNode>(copy.get())->getTemplateRoot());

		control->instantiateTemplate();
		ASSERT_NE(nullptr, control->getTemplateRoot());
		EXPECT_EQ(control.get(), control->getTemplateRoot()->getParent());
		EXPECT_EQ(1u, control->getTemplateRoot()->getChildren().size());
		control.release();
		copy.release();
		other.release();
	}
}

TEST(ControlNodeProperties, TableWriterReaderAndCopy)
{
	CRefHolder<ControlNode> control = adoptRef(new ControlNode(ContentReference(), nullptr, nullptr));
	const PropertyTable& table = control->getPropertyTable();
	const auto find = [&table](const char* name) -> const PropertyDescriptor*
	{
		for (u32 i = 0; i < table.size(); ++i)
			if (std::string(table[i].name.c_str()) == name)
				return &table[i];
		return nullptr;
	};
	for (const char* name : {"DefaultFocusObject", "NavLeftObjectName", "NavRightObjectName", "NavDownObjectName",
			 "NavUpObjectName", "TemplateName", "WantFocus", "IsFocusOnHover", "Enabled", "HoverTrack", "Name"})
		EXPECT_NE(nullptr, find(name)) << name;
	find("DefaultFocusObject")->setter(control.get(), createPropertyDataString("Play"));
	EXPECT_EQ(nameId("Play"), control->getDefaultFocusObjectName());
	find("Enabled")->setter(control.get(), createPropertyDataInt(1));
	EXPECT_FALSE(control->isEnabled()) << "a value that is not a bool is false";
	EXPECT_EQ("Play", std::string(getPropertyText(find("DefaultFocusObject")->getter(control.get())).c_str()));

	// Defaults: only IsFocusOnHover is written.
	CRefHolder<ControlNode> fresh = adoptRef(new ControlNode(ContentReference(), nullptr, nullptr));
	CRefHolder<CPropertyContainer> written = adoptRef(new CPropertyContainer(nullptr));
	fresh->writeProperties(written.get());
	EXPECT_EQ(1, written->getItemCount());
	EXPECT_EQ(0, written->indexOf("IsFocusOnHover"));

	control->setNavUpObjectName(nameId("Up"));
	control->setHoverTrack(false);
	written = adoptRef(new CPropertyContainer(nullptr));
	control->writeProperties(written.get());
	EXPECT_EQ("Play", std::string(written->getString("DefaultFocusObjectName").c_str()));
	EXPECT_EQ("Up", std::string(written->getString("NavUpObjectName").c_str()));
	EXPECT_GE(written->indexOf("Enabled"), 0);
	EXPECT_GE(written->indexOf("HoverTrack"), 0);
	EXPECT_LT(written->indexOf("WantFocus"), 0);

	CRefHolder<ControlNode> read = adoptRef(new ControlNode(ContentReference(), nullptr, nullptr));
	read->readProperties(written.get());
	EXPECT_EQ(nameId("Play"), read->getDefaultFocusObjectName());
	EXPECT_EQ(nameId("Up"), read->getNavUpObjectName());
	EXPECT_FALSE(read->isEnabled());
	EXPECT_FALSE(read->getHoverTrack());
	EXPECT_TRUE(read->getWantFocus());

	CRefHolder<BaseNode> copy = adoptRef(control->clone());
	ControlNode* copied = nodeCast<ControlNode>(copy.get());
	ASSERT_NE(nullptr, copied);
	EXPECT_EQ(nameId("Up"), copied->getNavUpObjectName());
	EXPECT_FALSE(copied->isEnabled());
	EXPECT_FALSE(copied->isFocused());
}

TEST(SceneNodeBasics, IdentityChainAndOperationsWithoutAManager)
{
	CRefHolder<CNodeFactory> factory = adoptRef(new CNodeFactory);
	CRefHolder<BaseNode> made = adoptRef(factory->create(L"SceneNode", ContentReference()));
	ASSERT_TRUE(made);
	EXPECT_EQ(6, made->getTypeId());
	for (s32 id : {6, 5, 0})
		EXPECT_TRUE(made->isOfType(id)) << id;
	CRefHolder<BaseNode> control = adoptRef(factory->create(L"ControlNode", ContentReference()));
	ASSERT_TRUE(control);
	EXPECT_EQ(5, control->getTypeId());
	EXPECT_FALSE(control->isOfType(6));
	CRefHolder<BaseNode> clone = adoptRef(made->clone());
	EXPECT_EQ(6, clone->getTypeId());

	CRefHolder<SceneNode> first = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
	CRefHolder<SceneNode> second = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
	const s32 count = first->getReferenceCount();
	second->setPreviousScene(first.get());
	second->setPreviousScene(first.get());
	EXPECT_EQ(count + 1, first->getReferenceCount()) << "held once";
	EXPECT_FALSE(second->goBack(5));
	EXPECT_FALSE(second->goBackToType(6)) << "no manager";
	EXPECT_FALSE(first->openScene(second.get(), false));
	EXPECT_EQ(nullptr, first->openTemplateScene(1, core::array<core::stringw>(), L"", L"body"));
	EXPECT_EQ(nullptr, first->openSceneFile("Any.oscn", false)) << "no content manager";
	second->setPreviousScene(nullptr);
	EXPECT_EQ(count, first->getReferenceCount());
}
} // namespace
