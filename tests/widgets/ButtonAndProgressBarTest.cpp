// Buttons bind their caption and picture into their template; back buttons go back and let the
// press travel on; progress bars keep their range and value consistent and stretch their knob.

#include "DisplayTestSupport.h"
#include "WidgetTestSupport.h"

#include "widgets/ButtonNode.h"
#include "widgets/ProgressBarNode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace fw;
using namespace fw::widgettest;

namespace
{
// "Caption": a text and a sprite by the names a button binds; "WrongKinds": the names on nodes of
// other classes; "Bar" and "TallBar": a sliding area and a knob, lying and standing.
const char* const TEMPLATES = R"(<SceneNode Type="TemplateCollectionNode">
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Caption" /></Properties>
		<SceneNode Type="TextNode"><Properties><string Name="Name" Value="Text" /></Properties></SceneNode>
		<SceneNode Type="SpriteNode"><Properties><string Name="Name" Value="Image" /></Properties></SceneNode>
		<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Inner" /></Properties>
			<SceneNode Type="TextNode"><Properties><string Name="Name" Value="Text" /></Properties></SceneNode>
		</SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="WrongKinds" /></Properties>
		<SceneNode Type="SpriteNode"><Properties><string Name="Name" Value="Text" /></Properties></SceneNode>
		<SceneNode Type="TextNode"><Properties><string Name="Name" Value="Image" /></Properties></SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Bar" /></Properties>
		<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="SlidingArea" />
			<vector3d Name="Position" Value="10;5;0" /><vector3d Name="Bounds" Value="200;20;0" /></Properties></SceneNode>
		<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Knob" />
			<vector3d Name="Position" Value="0;7;0" /><vector3d Name="Bounds" Value="30;16;0" /></Properties></SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="TallBar" /></Properties>
		<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="SlidingArea" />
			<vector3d Name="Position" Value="3;40;0" /><vector3d Name="Bounds" Value="20;100;0" /></Properties></SceneNode>
		<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Knob" />
			<vector3d Name="Position" Value="5;0;0" /><vector3d Name="Bounds" Value="10;30;0" /></Properties></SceneNode>
	</SceneNode>
</SceneNode>)";

class Controls : public displaytest::DisplayContent
{
protected:
	Controls() : factory(makeFactory()), scenes(adoptRef(new SceneManager))
	{
		templates = loadFixtureAs<TemplateCollectionNode>(factory.get(), "ControlTemplates.oscn", TEMPLATES);
		scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
	}
	~Controls() override
	{
		scenes->setActiveScene(nullptr);
		scenes->processMessageQueue();
	}

	template <class T>
	T* add(const char* templateName)
	{
		T* node = new T(ContentReference(), scene.get(), nullptr);
		node->drop();
		if (templateName)
			node->setTemplateName(templateName);
		return node;
	}
	// Puts the scene under the manager, with the templates.
	void attach()
	{
		scenes->setTemplateCollection(templates.get());
		scenes->setActiveScene(scene.get());
		scenes->processMessageQueue();
	}

	CRefHolder<CNodeFactory> factory;
	CRefHolder<SceneManager> scenes;
	CRefHolder<TemplateCollectionNode> templates;
	CRefHolder<SceneNode> scene;
};

TEST_F(Controls, AButtonKeepsItsCaptionAndPictureUntilATemplateShowsThem)
{
	ButtonNode* button = add<ButtonNode>("Caption");
	EXPECT_TRUE(button->getIsFocusOnHover());
	const CRefHolder<CAtlasTexture> card = atlasTexture("Card.png");
	ASSERT_TRUE(card);
	button->setText(L"Start");
	button->setImage(card.get());
	EXPECT_EQ(nullptr, button->getTemplateRoot()) << "no scene manager yet";
	EXPECT_EQ(nullptr, button->getTextChild());

	attach();
	ASSERT_TRUE(button->getTextChild());
	ASSERT_TRUE(button->getImageChild());
	EXPECT_EQ(core::stringw(L"Start"), button->getTextChild()->getText());
	EXPECT_EQ(card.get(), button->getImageChild()->getAtlasTexture());
	EXPECT_EQ(button->getTemplateRoot(), button->getTextChild()->getParent()) << "the direct child, not the deeper one";

	button->setText(L"Go");
	EXPECT_EQ(core::stringw(L"Go"), button->getTextChild()->getText());
	// The same picture again is given to the image child again.
	button->getImageChild()->setAtlasTexture(nullptr);
	button->setImage(card.get());
	EXPECT_EQ(card.get(), button->getImageChild()->getAtlasTexture());
	const s32 references = card->getReferenceCount();
	button->setImage(card.get());
	EXPECT_EQ(references, card->getReferenceCount()) << "held once";
	button->setImage(nullptr);
	EXPECT_EQ(nullptr, button->getImageChild()->getAtlasTexture());

	const std::vector<std::string> written = writtenProperties(button);
	EXPECT_NE(written.end(), std::find(written.begin(), written.end(), "Text"));
	EXPECT_EQ(written.end(), std::find(written.begin(), written.end(), "Image"));

	// A clone has the caption and picture; they show once its template is bound.
	button->setImage(card.get());
	const CRefHolder<ButtonNode> copy(static_cast<ButtonNode*>(button->clone()));
	copy->drop();
	EXPECT_EQ(core::stringw(L"Go"), copy->getText());
	EXPECT_EQ(card.get(), copy->getImage());
}

TEST_F(Controls, ATemplateWithPartsOfOtherClassesLeavesThemUnboundAndTheValuesStored)
{
	ButtonNode* button = add<ButtonNode>("WrongKinds");
	const CRefHolder<CAtlasTexture> card = atlasTexture("Card.png");
	button->setText(L"Start");
	button->setImage(card.get());
	attach();
	ASSERT_TRUE(button->getTemplateRoot());
	EXPECT_EQ(2u, button->getTemplateRoot()->getChildren().size());
	EXPECT_EQ(nullptr, button->getTextChild());
	EXPECT_EQ(nullptr, button->getImageChild());
	const std::vector<std::string> written = writtenProperties(button);
	EXPECT_NE(written.end(), std::find(written.begin(), written.end(), "Text"));
	EXPECT_NE(written.end(), std::find(written.begin(), written.end(), "Image"));

	ButtonNode* plain = add<ButtonNode>(nullptr);
	ControlNode* control = add<ControlNode>(nullptr);
	control->setIsFocusOnHover(true);
	EXPECT_EQ(writtenProperties(control), writtenProperties(plain)) << "nothing beyond the control's";
}

TEST_F(Controls, ABackButtonGoesBackAndThePressTravelsOn)
{
	std::vector<std::string> log;
	BackButtonNode* back = add<BackButtonNode>(nullptr);
	back->setName("Back");
	EXPECT_TRUE(back->isOfType(ButtonNode::TypeId));
	const CReporting onScene(scene.get(), log, "Scene");

	// Outside any scene manager, and on the bottom scene: nothing but the press.
	const CRefHolder<CEvent> pressed = adoptRef<CEvent>(new CEventNodePressed(back));
	EXPECT_FALSE(back->routeEvent(ROUTE_SELF_UP, pressed.get()));
	attach();
	EXPECT_TRUE(back->routeEvent(ROUTE_SELF_UP, pressed.get())) << "consumed by the manager at the top";
	EXPECT_EQ(scene.get(), scenes->getActiveScene());
	EXPECT_EQ((std::vector<std::string>{"Scene got pressed from Back", "Scene got pressed from Back"}), log);

	// Over another scene: back to it, with the back transitions, and the press goes on up.
	const CRefHolder<SceneNode> below = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
	scenes->setActiveScene(below.get());
	scenes->processMessageQueue();
	ASSERT_TRUE(below->openScene(scene.get(), false));
	scenes->processMessageQueue();
	const CListening onSceneLooks(scene.get(), log, "Scene");
	const CListening onBelowLooks(below.get(), log, "Below");
	log.clear();
	back->routeEvent(ROUTE_SELF_UP, pressed.get());
	EXPECT_EQ(below.get(), scenes->getActiveScene());
	for (const char* line : {"Scene look NavBackFrom", "Below look NavBackTo", "Below transition start"})
		EXPECT_NE(log.end(), std::find(log.begin(), log.end(), line)) << line;
	ASSERT_FALSE(log.empty());
	EXPECT_EQ("Scene got pressed from Back", log.back());
	scenes->processMessageQueue();
}

// Min, max and value after an action from a bar at min, max, value; the setters keep them
// consistent, the file reader stores them as they are.
TEST(ProgressBar, RangeAndValueStayConsistentThroughTheSetters)
{
	struct SCase
	{
		const char* what;
		f32 min, max, value;
		std::function<void(BaseProgressBarNode&)> action;
		f32 expectedMin, expectedMax, expectedValue;
	};
	const SCase cases[] = {
		{"min up to max: nothing", 0, 100, 50, [](BaseProgressBarNode& b) { b.setMinValue(100); }, 0, 100, 50},
		{"min above the value raises it", 0, 100, 50, [](BaseProgressBarNode& b) { b.setMinValue(60); }, 60, 100, 60},
		{"min below the value", 0, 100, 50, [](BaseProgressBarNode& b) { b.setMinValue(-20); }, -20, 100, 50},
		{"max below min: nothing", 0, 100, 50, [](BaseProgressBarNode& b) { b.setMaxValue(-5); }, 0, 100, 50},
		{"max equal to min: nothing", 0, 100, 50, [](BaseProgressBarNode& b) { b.setMaxValue(0); }, 0, 100, 50},
		{"max below the value lowers it", 0, 100, 50, [](BaseProgressBarNode& b) { b.setMaxValue(30); }, 0, 30, 30},
		{"value above max", 0, 100, 50, [](BaseProgressBarNode& b) { b.setValue(150); }, 0, 100, 100},
		{"value below min", 0, 100, 50, [](BaseProgressBarNode& b) { b.setValue(-1); }, 0, 100, 0},
		{"a file's min above max: the value ends at max", 80, 20, 50, [](BaseProgressBarNode& b) { b.setValue(50); },
			80, 20, 20},
		{"the property table goes through the setters", 0, 100, 50,
			[](BaseProgressBarNode& b) { setTableProperty(&b, "Value", new CPropertyDataFloat(150.f)); }, 0, 100, 100},
		{"a value of another type is 0", 0, 100, 50,
			[](BaseProgressBarNode& b) { setTableProperty(&b, "Value", new CPropertyDataInt(70)); }, 0, 100, 0},
	};
	for (const SCase& c : cases)
	{
		const CRefHolder<ProgressBarNode> bar = adoptRef(new ProgressBarNode(ContentReference(), nullptr, nullptr));
		const CRefHolder<CPropertyContainer> file = adoptRef(new CPropertyContainer(nullptr));
		file->add("MinValue", adoptRef<IPropertyData>(new CPropertyDataFloat(c.min)));
		file->add("MaxValue", adoptRef<IPropertyData>(new CPropertyDataFloat(c.max)));
		file->add("Value", adoptRef<IPropertyData>(new CPropertyDataFloat(c.value)));
		bar->readProperties(file.get());
		c.action(*bar);
		EXPECT_EQ(c.expectedMin, bar->getMinValue()) << c.what;
		EXPECT_EQ(c.expectedMax, bar->getMaxValue()) << c.what;
		EXPECT_EQ(c.expectedValue, bar->getValue()) << c.what;
	}

	// The reader takes what the file holds.
	const CRefHolder<ProgressBarNode> bar = adoptRef(new ProgressBarNode(ContentReference(), nullptr, nullptr));
	const CRefHolder<CPropertyContainer> file = adoptRef(new CPropertyContainer(nullptr));
	file->add("Value", adoptRef<IPropertyData>(new CPropertyDataFloat(150.f)));
	bar->readProperties(file.get());
	EXPECT_EQ(150.f, bar->getValue());
	EXPECT_EQ(writtenProperties(bar.get()), std::vector<std::string>({"IsFocusOnHover", "Value"}));
}

TEST_F(Controls, TheKnobIsStretchedAlongTheSlidingAreasLongerSide)
{
	struct SCase
	{
		const char* what;
		const char* templateName;
		s32 knobType;
		f32 value;
		core::vector3df knobPosition, knobBounds;
	};
	const SCase cases[] = {
		{"lying, a quarter", "Bar", 1, 25, core::vector3df(10, 7, 0), core::vector3df(50, 16, 0)},
		{"lying, full", "Bar", 1, 100, core::vector3df(10, 7, 0), core::vector3df(200, 16, 0)},
		{"lying, empty", "Bar", 1, 0, core::vector3df(10, 7, 0), core::vector3df(0, 16, 0)},
		{"standing, 40", "TallBar", 1, 40, core::vector3df(5, 40, 0), core::vector3df(10, 40, 0)},
		{"KnobType 0 leaves the knob alone", "Bar", 0, 25, core::vector3df(0, 7, 0), core::vector3df(30, 16, 0)},
		{"another KnobType too", "Bar", 2, 25, core::vector3df(0, 7, 0), core::vector3df(30, 16, 0)},
	};
	std::vector<ProgressBarNode*> bars;
	for (const SCase& c : cases)
	{
		ProgressBarNode* bar = add<ProgressBarNode>(c.templateName);
		bar->setKnobType(c.knobType);
		bar->setValue(c.value);
		bars.push_back(bar);
	}
	attach();
	for (size_t i = 0; i < bars.size(); ++i)
	{
		ASSERT_TRUE(bars[i]->getKnob()) << cases[i].what;
		EXPECT_EQ(cases[i].knobPosition, bars[i]->getKnob()->getPosition()) << cases[i].what;
		EXPECT_EQ(cases[i].knobBounds, bars[i]->getKnob()->getBounds()) << cases[i].what;
	}

	// A change of KnobType shows at the next change of the value or the range.
	ProgressBarNode* bar = bars.back();
	bar->setKnobType(1);
	EXPECT_EQ(30.f, bar->getKnob()->getBounds().X);
	bar->setMaxValue(50);
	EXPECT_EQ(100.f, bar->getKnob()->getBounds().X) << "25 of 0..50";

	// Copies take the values as they are and lay nothing out; the base makes no copies at all.
	const CRefHolder<ProgressBarNode> copy(static_cast<ProgressBarNode*>(bar->clone()));
	copy->drop();
	EXPECT_EQ(50.f, copy->getMaxValue());
	EXPECT_EQ(25.f, copy->getValue());
	EXPECT_EQ(1, copy->getKnobType());
	const CRefHolder<BaseProgressBarNode> base =
		adoptRef(new BaseProgressBarNode(ContentReference(), nullptr, nullptr));
	EXPECT_EQ(nullptr, base->clone());
}
} // namespace
