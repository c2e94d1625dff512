// Message boxes shown by the scene manager over a scene: built from a template of the collection,
// centred over their owner, closed by a press of one of their buttons, after which the owner hears
// which one; and a thousand of them leave nothing behind.

#include "StagedTemplatesSupport.h"

#include "core/KeyCodes.h"
#include "platform/CDeviceLinux.h"
#include "widgets/ButtonNode.h"
#include "widgets/MessageBoxNode.h"
#include "widgets/TextNode.h"

#include <algorithm>

using namespace fw;
using namespace fw::widgettest;

namespace
{
core::array<core::stringw> texts(std::initializer_list<const wchar_t*> list)
{
	core::array<core::stringw> array;
	for (const wchar_t* text : list)
		array.push_back(text);
	return array;
}

// A scene without transitions of its own.
const char* const PLAIN_OWNER =
	"<SceneNode Type=\"SceneNode\"><Properties><string Name=\"Name\" Value=\"Owner\" /></Properties></SceneNode>";

std::string ownerText(int navToMilliseconds)
{
	return "<SceneNode Type=\"SceneNode\"><Properties><string Name=\"Name\" Value=\"Owner\" />"
		   "<vector3d Name=\"Position\" Value=\"20;10;3\" /><vector3d Name=\"Bounds\" Value=\"1000;700;0\" />"
		   "</Properties><SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Panel\" /></Properties>"
		   "<States><State Name=\"NavTo\"><Animator Type=\"KeyFrame\"><Properties><color Name=\"TintColor\" "
		   "Value=\"ffffffff\" /></Properties><KeyFrame t=\"0\" Value0=\"00ffffff\" /><KeyFrame t=\"" +
		std::to_string(navToMilliseconds) +
		"\" Value0=\"ffffffff\" /></Animator></State></States></SceneNode></SceneNode>";
}

class MessageBox : public StagedTemplates
{
protected:
	MessageBox() { owner = loadScene<SceneNode>("Owner.oscn", ownerText(100)); }

	// The owner, active and settled.
	void openOwner()
	{
		ASSERT_TRUE(owner);
		listen(owner.get(), "Owner");
		report(owner.get(), "Owner");
		ASSERT_TRUE(scenes->setActiveScene(owner.get()));
		tick(100);
		ASSERT_FALSE(scenes->isSwitching(owner.get()));
		takeLog();
	}
	bool isChild(const BaseNode* node) const
	{
		const core::array<BaseNode*>& children = scenes->getChildren();
		for (u32 i = 0; i < children.size(); ++i)
			if (children[i] == node)
				return true;
		return false;
	}
	std::vector<std::string> ownerLines()
	{
		std::vector<std::string> lines;
		for (const std::string& line : takeLog())
			if (line.compare(0, 6, "Owner ") == 0)
				lines.push_back(line);
		return lines;
	}
	std::vector<std::string> ownerResults()
	{
		std::vector<std::string> lines;
		for (const std::string& line : ownerLines())
			if (line.find("result") != std::string::npos)
				lines.push_back(line);
		return lines;
	}

	CRefHolder<SceneNode> owner;
};

TEST_F(MessageBox, ShownOverItsOwnerAndClosedByItsSecondButton)
{
	openOwner();
	const s32 name = nodetest::nameId("MessageBox2Buttons");
	MessageBoxNode* box = nodeCast<MessageBoxNode>(
		owner->openTemplateScene(name, texts({L"Yes", L"No"}), L"Leave the game?", L"Your town waits for you."));
	ASSERT_TRUE(box);
	const CRefHolder<MessageBoxNode> held(box);
	EXPECT_EQ(box, scenes->getActiveScene());
	ASSERT_EQ(2u, scenes->getChildren().size());
	EXPECT_EQ(box, scenes->getChildren()[1]) << "right after its owner";
	EXPECT_EQ(owner.get(), box->getPreviousScene());
	EXPECT_EQ(core::vector3df(440, 250, 0), box->getBounds()) << "the template's";
	EXPECT_EQ(core::vector3df(20 + (1000 - 440) / 2, 10 + (700 - 250) / 2, 3), box->getPosition())
		<< "centred over the owner, at its depth";
	EXPECT_TRUE(owner->isVisible());
	EXPECT_FALSE(owner->isFocused());
	EXPECT_TRUE(scenes->isSwitching(owner.get())) << "while the box comes in";

	ASSERT_TRUE(box->getTitleText() && box->getBodyText());
	EXPECT_EQ(core::stringw(L"Leave the game?"), box->getTitleText()->getText());
	EXPECT_EQ(core::stringw(L"Your town waits for you."), box->getBodyText()->getText());
	ASSERT_EQ(2u, box->getButtonCount());
	ASSERT_TRUE(box->getButton(0)->getTextChild() && box->getButton(1)->getTextChild());
	EXPECT_EQ(core::stringw(L"Yes"), box->getButton(0)->getTextChild()->getText());
	EXPECT_EQ(core::stringw(L"No"), box->getButton(1)->getTextChild()->getText());

	tick(140);
	EXPECT_TRUE(scenes->isSwitching(owner.get())) << "the box fades in for 160 ms";
	tick(20);
	EXPECT_FALSE(scenes->isSwitching(owner.get()));
	EXPECT_TRUE(box->isFocused());
	EXPECT_FALSE(owner->isFocused()) << "the owner gets no focus while the box is up";
	box->setTitle(L"Quit?");
	EXPECT_EQ(core::stringw(L"Quit?"), box->getTitleText()->getText()) << "at once";

	// A click on the second button: its press look plays, then the box closes.
	const core::position2d<s32> no = centreOf(box->getButton(1));
	click(no.X, no.Y);
	tick(0);
	tick(120);
	EXPECT_EQ(1, box->getResultIndex());
	EXPECT_EQ(owner.get(), scenes->getActiveScene());
	EXPECT_TRUE(isChild(box)) << "while it closes";
	tick(140);
	EXPECT_TRUE(isChild(box));
	EXPECT_TRUE(ownerResults().empty()) << "no result before the box has closed";
	tick(20);
	EXPECT_EQ((std::vector<std::string>{"Owner got result 1"}), ownerResults());
	EXPECT_FALSE(isChild(box)) << "detached at the end of that pass";
	EXPECT_EQ(nullptr, box->getParent());
	EXPECT_FALSE(scenes->isSwitching(owner.get()));
	EXPECT_EQ(1u, scenes->getSceneTimerManagerCount()) << "the box's timers went with it";
}

TEST_F(MessageBox, TheOwnerHearsNoTransitionAndRefusalsGiveNull)
{
	openOwner();
	const s32 name = nodetest::nameId("MessageBox2Buttons");
	EXPECT_EQ(nullptr, scenes->showMessageBox(nullptr, name, texts({}), L"", L""));
	EXPECT_EQ(nullptr, scenes->showMessageBox(owner.get(), nodetest::nameId("NoSuchBox"), texts({}), L"", L""));
	SceneNode* box = scenes->showMessageBox(owner.get(), name, texts({L"Yes", L"No"}), L"", L"");
	ASSERT_TRUE(box);
	EXPECT_EQ(nullptr, scenes->showMessageBox(owner.get(), name, texts({}), L"", L"")) << "the owner is switching";
	tick(160);
	ASSERT_TRUE(nodeCast<MessageBoxNode>(box)->getButtonCount() == 2);
	nodeCast<MessageBoxNode>(box)->getButton(0)->click();
	tick(120);
	tick(160);
	const std::vector<std::string> lines = ownerLines();
	for (const std::string& line : lines)
		EXPECT_EQ(std::string::npos, line.find("transition")) << line;
	const auto result = std::find(lines.begin(), lines.end(), "Owner got result 0");
	EXPECT_NE(lines.end(), result);
	EXPECT_EQ(1, std::count(lines.begin(), lines.end(), "Owner focused")) << "its focus back, once";
	EXPECT_TRUE(owner->isFocused());

	// While the owner's own way in plays, and without a collection.
	const CRefHolder<SceneNode> other = loadScene<SceneNode>("Other.oscn", ownerText(100));
	ASSERT_TRUE(scenes->setActiveScene(other.get()));
	EXPECT_EQ(nullptr, scenes->showMessageBox(other.get(), name, texts({}), L"", L""));
	tick(100);
	const CRefHolder<SceneManager> bare = adoptRef(new SceneManager);
	const CRefHolder<SceneNode> alone = loadScene<SceneNode>("Alone.oscn", PLAIN_OWNER);
	ASSERT_TRUE(bare->setActiveScene(alone.get()));
	EXPECT_EQ(nullptr, bare->showMessageBox(alone.get(), name, texts({}), L"", L""));
	bare->setActiveScene(nullptr);
	bare->processMessageQueue();
}

// Templates made of plain nodes: three buttons (and a "Button" one level deeper), two buttons, and
// one whose "TitleText" is not a text.
const char* const BOX_TEMPLATES = R"(<SceneNode Type="TemplateCollectionNode">
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Three" /><vector3d Name="Bounds" Value="300;200;0" /></Properties>
		<SceneNode Type="TextNode"><Properties><string Name="Name" Value="TitleText" /></Properties></SceneNode>
		<SceneNode Type="TextNode"><Properties><string Name="Name" Value="BodyText" /></Properties></SceneNode>
		<SceneNode Type="ButtonNode"><Properties><string Name="Name" Value="Button" /></Properties></SceneNode>
		<SceneNode Type="CheckBoxNode"><Properties><string Name="Name" Value="Button" /></Properties></SceneNode>
		<SceneNode Type="ControlNode"><Properties><string Name="Name" Value="Button" /></Properties></SceneNode>
		<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Row" /></Properties>
			<SceneNode Type="ButtonNode"><Properties><string Name="Name" Value="Button" /></Properties></SceneNode>
		</SceneNode>
		<SceneNode Type="ButtonNode"><Properties><string Name="Name" Value="Button" /></Properties></SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Two" /></Properties>
		<SceneNode Type="ButtonNode"><Properties><string Name="Name" Value="Button" /></Properties></SceneNode>
		<SceneNode Type="ButtonNode"><Properties><string Name="Name" Value="Button" /></Properties></SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Bare" /></Properties>
		<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="TitleText" /></Properties></SceneNode>
	</SceneNode>
</SceneNode>)";

class PlainMessageBox : public ::testing::Test
{
protected:
	PlainMessageBox() : factory(makeFactory()), scenes(adoptRef(new SceneManager))
	{
		templates = loadFixtureAs<TemplateCollectionNode>(factory.get(), "BoxTemplates.oscn", BOX_TEMPLATES);
		scenes->setTemplateCollection(templates.get());
		owner = loadFixtureAs<SceneNode>(factory.get(), "Owner.oscn", PLAIN_OWNER);
		scenes->setActiveScene(owner.get());
		scenes->processMessageQueue();
	}
	~PlainMessageBox() override
	{
		scenes->setActiveScene(nullptr);
		scenes->processMessageQueue();
	}
	// Held: a box that closes leaves the tree at the end of the pass.
	CRefHolder<MessageBoxNode> show(const char* name, const core::array<core::stringw>& buttons)
	{
		return CRefHolder<MessageBoxNode>(
			nodeCast<MessageBoxNode>(scenes->showMessageBox(owner.get(), nodetest::nameId(name), buttons, L"T", L"B")));
	}
	static core::stringw shown(ButtonNode* button)
	{
		return button->getTextChild() ? button->getTextChild()->getText() : button->getText();
	}

	CRefHolder<CNodeFactory> factory;
	CRefHolder<SceneManager> scenes;
	CRefHolder<TemplateCollectionNode> templates;
	CRefHolder<SceneNode> owner;
};

TEST_F(PlainMessageBox, ButtonsAreTheTopLevelButtonsInOrderAndTakeTheTextsThereAre)
{
	const CRefHolder<MessageBoxNode> box = show("Three", texts({L"One", L"Two"}));
	ASSERT_TRUE(box);
	ASSERT_EQ(3u, box->getButtonCount()) << "buttons and check boxes named Button, not the control, not the deeper one";
	EXPECT_TRUE(box->getButton(1)->isOfType(NODE_TYPE_CHECK_BOX));
	EXPECT_EQ(core::stringw(L"One"), box->getButton(0)->getText());
	EXPECT_EQ(core::stringw(L"Two"), box->getButton(1)->getText());
	EXPECT_EQ(core::stringw(L""), box->getButton(2)->getText()) << "more buttons than texts";
	box->setButtons(texts({L"A", L"B", L"C"}));
	EXPECT_EQ(core::stringw(L"C"), box->getButton(2)->getText());
	EXPECT_EQ(core::stringw(L"T"), box->getTitleText()->getText());
	scenes->processMessageQueue();

	// The deeper "Button" is no button of the box: its press goes on up.
	ControlNode* root = box->getTemplateRoot();
	ButtonNode* deeper = nodeCast<ButtonNode>(root->findChildByNameId(nodetest::nameId("Row"), 1)->getChildren()[0]);
	ASSERT_TRUE(deeper);
	deeper->click();
	scenes->processMessageQueue();
	EXPECT_EQ(box.get(), scenes->getActiveScene());
	box->getButton(2)->click();
	scenes->processMessageQueue();
	EXPECT_EQ(2, box->getResultIndex());
	EXPECT_EQ(owner.get(), scenes->getActiveScene());
}

TEST_F(PlainMessageBox, ExtraTextsAreKeptAndMissingPartsLeaveTheirTextsUnshown)
{
	const CRefHolder<MessageBoxNode> box = show("Two", texts({L"Yes", L"No", L"Maybe"}));
	ASSERT_TRUE(box);
	ASSERT_EQ(2u, box->getButtonCount());
	EXPECT_EQ(3u, box->getButtonTexts().size()) << "the third is kept";
	EXPECT_EQ(core::stringw(L"No"), box->getButton(1)->getText());
	EXPECT_EQ(nullptr, box->getTitleText());
	EXPECT_EQ(nullptr, box->getBodyText());
	EXPECT_EQ(core::stringw(L"T"), box->getTitle());
	scenes->processMessageQueue();
	box->getButton(0)->click();
	scenes->processMessageQueue();
	scenes->processMessageQueue();

	const CRefHolder<MessageBoxNode> bare = show("Bare", texts({L"Ok"}));
	ASSERT_TRUE(bare);
	EXPECT_EQ(nullptr, bare->getTitleText()) << "a TitleText that is no text";
	EXPECT_EQ(0u, bare->getButtonCount());
	EXPECT_EQ(0, bare->getResultIndex());
}

// An owner with two controls the arrow keys move between.
const char* const OWNER_WITH_CONTROLS = R"(<SceneNode Type="SceneNode"><Properties><string Name="Name" Value="Owner" />
	<string Name="DefaultFocusObjectName" Value="A" /></Properties>
	<SceneNode Type="ControlNode"><Properties><string Name="Name" Value="A" /><string Name="NavRightObjectName" Value="B" /></Properties></SceneNode>
	<SceneNode Type="ControlNode"><Properties><string Name="Name" Value="B" /><string Name="NavLeftObjectName" Value="A" /></Properties></SceneNode>
</SceneNode>)";

TEST_F(PlainMessageBox, TheOwnerTakesTheFocusBackAndItsArrowKeysWorkAgain)
{
	const CRefHolder<SceneNode> scene = loadFixtureAs<SceneNode>(factory.get(), "Keys.oscn", OWNER_WITH_CONTROLS);
	ASSERT_TRUE(scene);
	owner = scene;
	ASSERT_TRUE(scenes->setActiveScene(owner.get()));
	scenes->processMessageQueue();
	const auto key = [&](u32 code)
	{
		const CRefHolder<CEvent> event = adoptRef<CEvent>(new CEventInputKeyDown(0, code, false, false));
		scenes->routeEvent(ROUTE_SELF_DOWN, event.get());
	};
	const auto focused = [&]
	{ return std::string(owner->getFocusedChild() ? owner->getFocusedChild()->getName().c_str() : ""); };
	ASSERT_TRUE(owner->isFocused());
	ASSERT_EQ("A", focused());
	key(KEY_RIGHT);
	ASSERT_EQ("B", focused());

	const CRefHolder<MessageBoxNode> box = show("Two", texts({L"Yes", L"No"}));
	ASSERT_TRUE(box);
	scenes->processMessageQueue();
	EXPECT_FALSE(owner->isFocused());
	key(KEY_LEFT);
	EXPECT_EQ("B", focused()) << "the keys are the box's while it is up";
	box->getButton(0)->click();
	scenes->processMessageQueue();
	scenes->processMessageQueue();
	ASSERT_EQ(owner.get(), scenes->getActiveScene());
	ASSERT_EQ(nullptr, box->getParent()) << "the box has closed";

	EXPECT_TRUE(owner->isFocused()) << "the owner has its focus back";
	EXPECT_EQ("B", focused()) << "on the control that had it";
	key(KEY_LEFT);
	EXPECT_EQ("A", focused()) << "and the arrow keys move it without a hover first";
}

// A live object of the soak: a plain node in each box and in each of its buttons' looks.
const char* const SOAK_TEMPLATES = R"(<SceneNode Type="TemplateCollectionNode">
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Look" /></Properties>
		<SceneNode Type="AllTypesNode"><Properties><string Name="Name" Value="Counted" /></Properties></SceneNode>
		<SceneNode Type="TextNode"><Properties><string Name="Name" Value="Text" /></Properties></SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Box" /><vector3d Name="Bounds" Value="300;200;0" /></Properties>
		<SceneNode Type="AllTypesNode"><Properties><string Name="Name" Value="Counted" /></Properties></SceneNode>
		<SceneNode Type="TextNode"><Properties><string Name="Name" Value="TitleText" /></Properties></SceneNode>
		<SceneNode Type="TextNode"><Properties><string Name="Name" Value="BodyText" /></Properties></SceneNode>
		<SceneNode Type="ButtonNode"><Properties><string Name="Name" Value="Button" /><string Name="TemplateName" Value="Look" /></Properties></SceneNode>
		<SceneNode Type="ButtonNode"><Properties><string Name="Name" Value="Button" /><string Name="TemplateName" Value="Look" /></Properties></SceneNode>
	</SceneNode>
</SceneNode>)";

// Counts the boxes destroyed, through an object each box holds as its user data.
struct SDestroyed : IReferenceCounted
{
	explicit SDestroyed(int& count) : count(count) {}
	~SDestroyed() override { ++count; }
	int& count;
};

TEST(MessageBoxSoak, AThousandBoxesLeaveNoObjectsReceiversOrTimerManagersBehind)
{
	registerWidgetServices();
	const CRefHolder<CDeviceStub> device = adoptRef(createDevice(SDeviceCreationParameters()));
	ASSERT_TRUE(device);
	CRefHolder<CNodeFactory> factory = makeFactory();
	CRefHolder<SceneManager> scenes = adoptRef(new SceneManager);
	scenes->setServices(device->getServices());
	const CRefHolder<TemplateCollectionNode> templates =
		loadFixtureAs<TemplateCollectionNode>(factory.get(), "SoakTemplates.oscn", SOAK_TEMPLATES);
	scenes->setTemplateCollection(templates.get());
	const CRefHolder<SceneNode> owner = loadFixtureAs<SceneNode>(factory.get(), "Owner.oscn", ownerText(100));
	const auto tick = [&]
	{
		for (u32 i = 0; i < scenes->getChildren().size(); ++i)
			if (SceneNode* scene = nodeCast<SceneNode>(scenes->getChildren()[i]))
				if (CTimerManager* timers = dynamic_cast<CTimerManager*>(scene->getTimerManager()))
					timers->update(100);
		scenes->processMessageQueue();
	};
	ASSERT_TRUE(scenes->setActiveScene(owner.get()));
	tick();
	const u32 receivers = device->getEventReceivers().size();
	const u32 children = scenes->getChildren().size();
	const u32 timers = scenes->getSceneTimerManagerCount();
	const int alive = nodetest::CAllTypesNode::s_alive;
	std::vector<std::string> log;
	const CReporting results(owner.get(), log, "Owner");
	int destroyed = 0;
	const s32 name = nodetest::nameId("Box");
	for (int i = 0; i < 1000; ++i)
	{
		MessageBoxNode* box =
			nodeCast<MessageBoxNode>(owner->openTemplateScene(name, texts({L"Yes", L"No"}), L"Title", L"Body"));
		ASSERT_TRUE(box) << i;
		ASSERT_EQ(2u, box->getButtonCount()) << i;
		box->setUserData(adoptRef<IReferenceCounted>(new SDestroyed(destroyed)).get());
		tick();
		box->getButton(static_cast<u32>(i % 2))->click();
		tick();
		tick();
		ASSERT_EQ(owner.get(), scenes->getActiveScene()) << i;
	}
	EXPECT_EQ(1000, destroyed) << "every box has been destroyed";
	EXPECT_EQ(alive, nodetest::CAllTypesNode::s_alive) << "and everything in it";
	EXPECT_EQ(receivers, device->getEventReceivers().size());
	EXPECT_EQ(children, scenes->getChildren().size());
	EXPECT_EQ(timers, scenes->getSceneTimerManagerCount());
	ASSERT_EQ(1000u, log.size());
	EXPECT_EQ("Owner got result 1", log[999]);
	scenes->setActiveScene(nullptr);
	scenes->processMessageQueue();
}
} // namespace
