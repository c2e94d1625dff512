// Lists: the grid of elements per orientation, the index arithmetic of wrapping, clamping and
// showing items, binding items into elements, keys, presses, hover, the buttons and the slider, the
// events they queue, and the Strings property through a scene file.

#include "WidgetTestSupport.h"

#include "core/CEventInput.h"
#include "core/PropertyTestHelpers.h"
#include "support/LogCapture.h"
#include "widgets/ButtonNode.h"
#include "widgets/CEventList.h"
#include "widgets/CheckBoxNode.h"
#include "widgets/ListNode.h"
#include "widgets/SliderNode.h"
#include "widgets/TextNode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fw;
using namespace fw::widgettest;

namespace
{
// "List": rows 100 x 20 of a text, an image and a check box, the two buttons and a slider; "Grid":
// cells 30 x 20; "Flat": an element without size. Text nodes without a font serve as plain
// rectangles that answer hit tests.
const char* const TEMPLATES = R"(<SceneNode Type="TemplateCollectionNode">
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="List" /></Properties>
		<SceneNode Type="ControlNode"><Properties><string Name="Name" Value="Element" />
			<string Name="TemplateName" Value="Row" /><vector3d Name="Bounds" Value="100;20;0" /></Properties>
			<SceneNode Type="TextNode"><Properties><string Name="Name" Value="Text" />
				<vector3d Name="Bounds" Value="20;20;0" /></Properties></SceneNode>
			<SceneNode Type="SpriteNode"><Properties><string Name="Name" Value="Image" /></Properties></SceneNode>
			<SceneNode Type="TextNode"><Properties><string Name="Name" Value="Text" />
				<vector3d Name="Bounds" Value="20;20;0" /></Properties></SceneNode>
			<SceneNode Type="CheckBoxNode"><Properties><string Name="Name" Value="CheckBox" />
				<string Name="TemplateName" Value="Box" /><vector3d Name="Position" Value="80;0;0" /></Properties></SceneNode>
		</SceneNode>
		<SceneNode Type="ButtonNode"><Properties><string Name="Name" Value="PrevButton" />
			<string Name="TemplateName" Value="Box" /><vector3d Name="Position" Value="200;0;0" /></Properties></SceneNode>
		<SceneNode Type="ButtonNode"><Properties><string Name="Name" Value="NextButton" />
			<string Name="TemplateName" Value="Box" /><vector3d Name="Position" Value="200;60;0" /></Properties></SceneNode>
		<SceneNode Type="SliderNode"><Properties><string Name="Name" Value="Slider" />
			<string Name="TemplateName" Value="Track" /><vector3d Name="Position" Value="120;0;0" /></Properties></SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Grid" /></Properties>
		<SceneNode Type="ControlNode"><Properties><string Name="Name" Value="Element" />
			<string Name="TemplateName" Value="Box" /><vector3d Name="Bounds" Value="30;20;0" /></Properties>
			<SceneNode Type="TextNode"><Properties><string Name="Name" Value="Text" />
				<vector3d Name="Bounds" Value="20;20;0" /></Properties></SceneNode>
		</SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Flat" /></Properties>
		<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Element" />
			<vector3d Name="Bounds" Value="0;0;0" /></Properties></SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Row" /></Properties>
		<SceneNode Type="TextNode"><Properties><vector3d Name="Bounds" Value="80;20;0" /></Properties></SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Box" /></Properties>
		<SceneNode Type="TextNode"><Properties><vector3d Name="Bounds" Value="20;20;0" /></Properties></SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Track" /></Properties>
		<SceneNode Type="TextNode"><Properties><string Name="Name" Value="SlidingArea" />
			<vector3d Name="Bounds" Value="20;80;0" /></Properties></SceneNode>
		<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Knob" />
			<vector3d Name="Bounds" Value="20;10;0" /></Properties></SceneNode>
	</SceneNode>
</SceneNode>)";

// Writes the list events and value changes that reach a node: "61 3", "62 5", "63 2 on", "64 1",
// "60 List".
class CListLog : public CEventReceiver
{
public:
	explicit CListLog(std::vector<std::string>& lines) : m_lines(lines) {}
	bool onEvent(CEvent* event) override
	{
		const s32 id = event->getTypeId();
		if (id == 60)
			m_lines.push_back(
				"60 " + std::string(static_cast<CEventNodeValueChanged*>(event)->getNode()->getName().c_str()));
		else if (id >= 61 && id <= 64)
		{
			std::string line =
				std::to_string(id) + " " + std::to_string(static_cast<CEventListItem*>(event)->getItem());
			if (id == 63)
				line += static_cast<CEventListItemChecked*>(event)->isChecked() ? " on" : " off";
			m_lines.push_back(line);
		}
		return false;
	}

private:
	std::vector<std::string>& m_lines;
};

class Lists : public ::testing::Test
{
protected:
	Lists() : factory(makeFactory()), scenes(adoptRef(new SceneManager))
	{
		templates = loadFixtureAs<TemplateCollectionNode>(factory.get(), "ListTemplates.oscn", TEMPLATES);
		scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
		scenes->setTemplateCollection(templates.get());
		scenes->setActiveScene(scene.get());
		scenes->processMessageQueue();
		if (CTimerManager* timers = dynamic_cast<CTimerManager*>(scene->getTimerManager()))
			timers->update(0);
		scenes->processMessageQueue();
		listLog = adoptRef(new CListLog(log));
		scene->addPreListener(listLog.get());
	}
	~Lists() override
	{
		scene->removePreListener(listLog.get());
		scenes->setActiveScene(nullptr);
		scenes->processMessageQueue();
	}

	ListNode* add(const char* templateName, f32 width, f32 height, s32 orientation = 0, u32 items = 0,
		bool circular = true)
	{
		ListNode* list = new ListNode(ContentReference(), scene.get(), nullptr);
		list->drop();
		list->setName("List");
		list->setBounds(core::vector3df(width, height, 0));
		list->setCircular(circular);
		list->setOrientation(orientation);
		if (templateName)
			list->setTemplateName(templateName);
		core::array<core::stringw> strings;
		for (u32 i = 0; i < items; ++i)
			strings.push_back(core::stringw(static_cast<s32>(i)));
		list->setStrings(strings);
		refresh();
		events();
		return list;
	}
	std::vector<std::string> events()
	{
		scenes->processMessageQueue();
		std::vector<std::string> lines;
		lines.swap(log);
		return lines;
	}
	void refresh()
	{
		RenderList frame;
		scene->collectRenderables(frame);
	}
	// What each element shows: its first text, "-" when hidden.
	static std::string shown(const ListNode* list)
	{
		std::string text;
		for (u32 i = 0; i < list->getElementCount(); ++i)
		{
			const BaseNode* element = list->getElement(i);
			const TextNode* label =
				nodeCast<TextNode>(element->getChildren().size() ? element->getChildren()[0] : nullptr);
			text += !element->isVisible() ? "-" : label ? core::stringc(label->getText()).c_str() : "?";
			text += " ";
		}
		return text;
	}
	static bool bubble(BaseNode* from, CEvent* event)
	{
		const CRefHolder<CEvent> held = adoptRef(event);
		return from->routeEvent(ROUTE_SELF_UP, held.get());
	}
	static bool key(ListNode* list, u32 code)
	{
		const CRefHolder<CEventInputKeyDown> event = adoptRef(new CEventInputKeyDown(0, code, false, false));
		return list->onKeyDown(event.get());
	}

	CRefHolder<CNodeFactory> factory;
	CRefHolder<SceneManager> scenes;
	CRefHolder<TemplateCollectionNode> templates;
	CRefHolder<SceneNode> scene;
	std::vector<std::string> log;
	CRefHolder<CListLog> listLog;
};

const u32 LEFT = 37, UP = 38, RIGHT = 39, DOWN = 40;

TEST_F(Lists, ElementsAreLaidOutPerOrientation)
{
	struct SCase
	{
		const char* what;
		const char* templateName;
		f32 width, height;
		s32 orientation, expectedOrientation;
		u32 elements;
		s32 columns, rows;
		u32 probe;
		core::vector3df probeAt;
	};
	const SCase cases[] = {
		{"vertical, whatever the width", "Grid", 90, 80, 0, 0, 4, 1, 4, 3, core::vector3df(0, 60, 0)},
		{"horizontal", "Grid", 90, 80, 1, 1, 3, 3, 1, 2, core::vector3df(60, 0, 0)},
		{"column by column", "Grid", 90, 80, 2, 2, 12, 3, 4, 5, core::vector3df(30, 20, 0)},
		{"row by row", "Grid", 90, 80, 3, 3, 12, 3, 4, 5, core::vector3df(60, 20, 0)},
		{"a part of an element does not count", "Grid", 119, 99, 3, 3, 12, 3, 4, 11, core::vector3df(60, 60, 0)},
		{"smaller than one element: one", "Grid", 10, 10, 3, 3, 1, 1, 1, 0, core::vector3df(0, 0, 0)},
		{"Orientation 4 is 0", "Grid", 90, 80, 4, 0, 4, 1, 4, 1, core::vector3df(0, 20, 0)},
		{"Orientation -1 is 0", "Grid", 90, 80, -1, 0, 4, 1, 4, 1, core::vector3df(0, 20, 0)},
		{"Orientation 100 is 0", "Grid", 90, 80, 100, 0, 4, 1, 4, 1, core::vector3df(0, 20, 0)},
		{"an element without size counts once", "Flat", 90, 80, 3, 3, 1, 1, 1, 0, core::vector3df(0, 0, 0)},
		{"no template: no elements", nullptr, 90, 80, 3, 3, 0, 1, 1, 0, core::vector3df(0, 0, 0)},
	};
	for (const SCase& c : cases)
	{
		ListNode* list = add(c.templateName, c.width, c.height, c.orientation);
		EXPECT_EQ(c.expectedOrientation, list->getOrientation()) << c.what;
		EXPECT_EQ(c.elements, list->getElementCount()) << c.what;
		EXPECT_EQ(c.columns, list->getColumns()) << c.what;
		EXPECT_EQ(c.rows, list->getRows()) << c.what;
		EXPECT_EQ(c.probeAt, list->getElementPosition(static_cast<s32>(c.probe))) << c.what;
		if (c.elements > 0)
		{
			EXPECT_EQ(std::string("Element") + std::to_string(c.elements - 1),
				list->getElement(c.elements - 1)->getName().c_str())
				<< c.what;
		}
		EXPECT_EQ(core::vector3df(0, 0, 0), list->getElementPosition(-1)) << c.what;
		EXPECT_EQ(core::vector3df(0, 0, 0), list->getElementPosition(static_cast<s32>(c.elements))) << c.what;
		scene->removeChild(list);
	}

	// A vertical list three elements wide and four high, turned into a grid row by row.
	ListNode* list = add("Grid", 90, 80, 0);
	EXPECT_EQ(4u, list->getElementCount());
	list->setOrientation(3);
	EXPECT_EQ(12u, list->getElementCount());
	EXPECT_EQ(core::vector3df(30, 0, 0), list->getElementPosition(1));
	EXPECT_FALSE(list->getElementTemplate()->isVisible()) << "the model is not shown";
}

TEST_F(Lists, HugeBoundsAreCappedAndLogged)
{
	const test::CLogCapture capture;
	ListNode* list = add("Grid", 1e9f, 1e9f, 3);
	EXPECT_LE(list->getElementCount(), static_cast<u32>(ListNode::MAX_ELEMENTS));
	EXPECT_GT(list->getElementCount(), 0u);
	EXPECT_TRUE(capture.contains("at most 1024")) << capture.all();
	ListNode* wide = add("Grid", std::numeric_limits<f32>::infinity(), 20, 1);
	EXPECT_EQ(static_cast<u32>(ListNode::MAX_ELEMENTS), wide->getElementCount());
}

TEST_F(Lists, IndexesWrapClampAndFindTheirElements)
{
	// 10 items in 4 rows, circular, scrolled to 8: items 8, 9, 0, 1.
	ListNode* list = add("List", 100, 80, 0, 10);
	ASSERT_EQ(4u, list->getElementCount());
	list->setTopItem(8);
	EXPECT_EQ(8, list->getTopItem());
	EXPECT_EQ("8 9 0 1 ", shown(list));
	const std::vector<std::pair<s32, s32>> elements = {{8, 0}, {9, 1}, {0, 2}, {1, 3}, {5, -1}, {7, -1}};
	for (const auto& e : elements)
		EXPECT_EQ(e.second, list->itemToElement(e.first)) << "item " << e.first;

	struct SCase
	{
		u32 items;
		bool circular;
		s32 index, wrapped;
	};
	const SCase wraps[] = {{3, true, -1, 2}, {3, true, -3, 0}, {3, true, 7, 1}, {3, true, -4, 2}, {3, true, 2, 2},
		{10, false, -5, 0}, {10, false, 13, 9}, {10, false, 4, 4}, {0, true, 5, 0}, {0, false, -2, 0}};
	for (const SCase& c : wraps)
	{
		ListNode* l = add("List", 100, 80, 0, c.items, c.circular);
		EXPECT_EQ(c.wrapped, l->wrapIndex(c.index)) << c.items << " items, index " << c.index;
		scene->removeChild(l);
	}

	// Not circular: the top item stops where the last line is shown.
	ListNode* straight = add("List", 100, 80, 0, 10, false);
	const std::vector<std::pair<s32, s32>> clamps = {{-3, 0}, {0, 0}, {5, 5}, {6, 6}, {7, 6}, {100, 6}};
	for (const auto& c : clamps)
		EXPECT_EQ(c.second, straight->clampTopItem(c.first)) << c.first;
	straight->setTopItem(100);
	EXPECT_EQ("6 7 8 9 ", shown(straight));
	straight->setSelectedItem(40, true);
	EXPECT_EQ(9, straight->getSelectedIndex()) << "beyond the items: the last";
	list->setSelectedItem(13, false);
	EXPECT_EQ(3, list->getSelectedIndex()) << "circular: wrapped";
}

TEST_F(Lists, AnEmptyListAndAListThatFits)
{
	ListNode* empty = add("List", 100, 80, 0, 0);
	empty->setTopItem(3);
	empty->setSelectedItem(2, true);
	EXPECT_EQ(0, empty->getTopItem());
	EXPECT_EQ(0, empty->getSelectedIndex());
	EXPECT_EQ("- - - - ", shown(empty));
	EXPECT_EQ(-1, empty->itemToElement(0));
	EXPECT_FALSE(key(empty, DOWN)) << "to the control's navigation, which has nowhere to go";
	EXPECT_TRUE(bubble(empty->getElement(0), new CEventNodeHovered(nullptr, empty->getElement(0))))
		<< "the hover is consumed";
	EXPECT_TRUE(bubble(empty->getElement(0), new CEventNodePressed(empty->getElement(0))));
	EXPECT_TRUE(events().empty());

	// Three items in four elements: no scrolling, no wrapping, the last element hidden.
	ListNode* fits = add("List", 100, 80, 0, 3);
	fits->setTopItem(2);
	EXPECT_EQ(0, fits->getTopItem());
	EXPECT_EQ("0 1 2 - ", shown(fits));
	EXPECT_EQ(2, fits->itemToElement(2));
}

TEST_F(Lists, ARowByRowGridScrollsByLines)
{
	// 3 columns, 2 rows, 10 items, not circular: 4 lines, 2 visible, the greatest top item 6.
	ListNode* grid = add("Grid", 90, 40, 3, 10, false);
	ASSERT_EQ(6u, grid->getElementCount());
	EXPECT_EQ(6, grid->clampTopItem(100));
	grid->setSelectedItem(4, true);
	EXPECT_TRUE(key(grid, DOWN));
	EXPECT_EQ(7, grid->getSelectedIndex());
	EXPECT_TRUE(key(grid, LEFT));
	EXPECT_EQ(6, grid->getSelectedIndex());
	EXPECT_TRUE(key(grid, UP));
	EXPECT_EQ(3, grid->getSelectedIndex());
	grid->setTopItem(0);
	grid->setSelectedItem(8, true);
	EXPECT_EQ(6, grid->getTopItem()) << "8 clamped";
	grid->setSelectedItem(5, true);
	EXPECT_EQ(5, grid->getTopItem()) << "brought to the top, not to a line's start";
	EXPECT_EQ("5 6 7 8 9 - ", shown(grid));
	grid->setSelectedItem(9, true);
	EXPECT_FALSE(key(grid, DOWN)) << "the last item of a list that is not circular";
	EXPECT_FALSE(key(grid, RIGHT));
	EXPECT_EQ(9, grid->getSelectedIndex());
	EXPECT_FALSE(key(grid, 65));
}

TEST_F(Lists, ItemsAreBoundIntoTheElements)
{
	ListNode* list = add("List", 100, 80, 0, 3);
	list->setItemText(1, 1, L"second");
	list->setItemEnabled(2, false);
	const CRefHolder<IReferenceCounted> object = adoptRef<IReferenceCounted>(new CEventNode);
	list->setItemObject(0, object.get());
	list->setItemObject(0, object.get());
	EXPECT_EQ(2, object->getReferenceCount()) << "held once";
	list->setItemObject(7, object.get());
	EXPECT_EQ(nullptr, list->getItemObject(7));
	EXPECT_FALSE(list->isItemEnabled(9));
	list->updateElements();

	BaseNode* second = list->getElement(1);
	EXPECT_EQ(core::stringw(L"1"), static_cast<TextNode*>(second->getChildren()[0])->getText());
	EXPECT_EQ(core::stringw(L"second"), static_cast<TextNode*>(second->getChildren()[2])->getText());
	EXPECT_EQ(core::stringw(L""), static_cast<TextNode*>(list->getElement(0)->getChildren()[2])->getText());
	EXPECT_FALSE(static_cast<ControlNode*>(list->getElement(2))->isEnabled());
	EXPECT_TRUE(static_cast<ControlNode*>(list->getElement(0))->isEnabled());
	EXPECT_TRUE(static_cast<ControlNode*>(list->getElement(0))->getTemplateRoot())
		<< "an item without a template keeps the element's own";

	// Slot numbers beyond a small limit are refused: the slot after the last would wrap to 0.
	const test::CLogCapture capture;
	list->setItemText(0, 0xFFFFFFFFu, L"x");
	list->setItemImage(0, 0xFFFFFFFFu, nullptr);
	list->setItemText(0, ListNode::MAX_ITEM_SLOTS, L"x");
	EXPECT_EQ(1u, list->getItem(0)->texts.size());
	EXPECT_EQ(0u, list->getItem(0)->images.size());
	EXPECT_EQ(3u, capture.countContaining("refused")) << capture.all();

	EXPECT_EQ(core::array<core::stringw>(), add("List", 100, 80)->getStrings());
	list->setItemCount(4);
	const core::array<core::stringw> strings = list->getStrings();
	ASSERT_EQ(4u, strings.size());
	EXPECT_EQ(core::stringw(L""), strings[3]) << "an item without texts";

	// Copies share the objects, each with a reference; they take no elements.
	const CRefHolder<ListNode> copy(static_cast<ListNode*>(list->clone()));
	copy->drop();
	EXPECT_EQ(4u, copy->getItemCount());
	EXPECT_EQ(object.get(), copy->getItemObject(0));
	EXPECT_EQ(3, object->getReferenceCount());
	EXPECT_EQ(0u, copy->getElementCount());
	list->setItemCount(0);
	EXPECT_EQ(2, object->getReferenceCount()) << "removed items let go";
}

// An item's template goes with the item into whichever element shows it, from the next rebind on.
TEST_F(Lists, AnItemsTemplateDressesTheElementThatShowsIt)
{
	ListNode* list = add("List", 100, 80, 0, 10, false);
	ASSERT_EQ(4u, list->getElementCount());
	const s32 row = fw::nameId("Row");
	const s32 box = fw::nameId("Box");
	// What element i is dressed in: its template's name and the width of the template's first
	// child (Row 80, Box 20).
	auto dress = [list](u32 i)
	{
		const ControlNode* element = nodeCast<ControlNode>(list->getElement(i));
		if (!element)
			return std::string("no control");
		const ControlNode* root = element->getTemplateRoot();
		const BaseNode* first = root && root->getChildren().size() ? root->getChildren()[0] : nullptr;
		return std::string(CNameTableSingleton::Instance().lookup(element->getTemplateName()).c_str()) + " " +
			(first ? std::to_string(static_cast<int>(first->getBounds().X)) : "none");
	};
	EXPECT_EQ("Row 80", dress(1));

	list->setItemTemplateName(1, box);
	EXPECT_EQ(box, list->getItem(1)->templateName);
	EXPECT_EQ("Row 80", dress(1)) << "taken at the next rebind";
	list->updateElements();
	EXPECT_EQ("Box 20", dress(1));
	EXPECT_EQ("Row 80", dress(0));
	EXPECT_EQ("Row 80", dress(2));

	// Scrolled, the item takes its template to the element that shows it now.
	list->setTopItem(1);
	EXPECT_EQ("Box 20", dress(0));
	EXPECT_EQ("Row 80", dress(1));

	// -1 gives the element template's own back; an item past the end is ignored.
	list->setItemTemplateName(1, -1);
	list->setItemTemplateName(10, box);
	list->setItemTemplateName(0xFFFFFFFFu, box);
	list->updateElements();
	for (u32 i = 0; i < list->getElementCount(); ++i)
		EXPECT_EQ("Row 80", dress(i)) << i;
	EXPECT_EQ(row, static_cast<ControlNode*>(list->getElement(0))->getTemplateName());
}

TEST_F(Lists, PressesKeysHoverAndCheckBoxesQueueTheirEvents)
{
	ListNode* list = add("List", 100, 80, 0, 10);
	list->setSelectedItem(1, true);
	events();

	// An element press: 62, then 60 when the selection changed; never 61.
	EXPECT_TRUE(bubble(list->getElement(2), new CEventNodePressed(list->getElement(2))));
	EXPECT_EQ((std::vector<std::string>{"62 2", "60 List"}), events());
	EXPECT_EQ(2, list->getSelectedIndex());
	EXPECT_TRUE(bubble(list->getElement(2), new CEventNodePressed(list->getElement(2))));
	EXPECT_EQ((std::vector<std::string>{"62 2"}), events()) << "the same item: no 60";

	// The focus goes to the element showing the selection; a selection scrolled out of view lets
	// it go.
	list->setFocused(true);
	EXPECT_TRUE(static_cast<ControlNode*>(list->getElement(2))->isFocused());
	list->setTopItem(5);
	EXPECT_FALSE(static_cast<ControlNode*>(list->getElement(2))->isFocused());
	list->setSelectedItem(2, true);
	EXPECT_EQ(2, list->getTopItem());
	EXPECT_TRUE(static_cast<ControlNode*>(list->getElement(0))->isFocused());
	events();

	// Keys: 61, never 60.
	EXPECT_TRUE(key(list, DOWN));
	EXPECT_EQ((std::vector<std::string>{"61 3"}), events());
	EXPECT_TRUE(static_cast<ControlNode*>(list->getElement(1))->isFocused());
	// One element at a time shows the focus: the one it left lets it go.
	u32 focused = 0;
	for (u32 i = 0; i < list->getElementCount(); ++i)
		focused += static_cast<ControlNode*>(list->getElement(i))->isFocused() ? 1 : 0;
	EXPECT_EQ(1u, focused);
	EXPECT_FALSE(key(list, RIGHT)) << "not a key of a vertical list";

	// Hover: 64 for the item shown.
	list->setTopItem(8);
	events();
	EXPECT_TRUE(bubble(list->getElement(3), new CEventNodeHovered(nullptr, list->getElement(3))));
	EXPECT_EQ((std::vector<std::string>{"64 1"}), events());

	// Previews: an element's is the list's, a button's goes on.
	EXPECT_TRUE(list->onNodePressedPreview(adoptRef(new CEventNodePressedPreview(list->getElement(0))).get()));
	EXPECT_FALSE(list->onNodePressedPreview(adoptRef(new CEventNodePressedPreview(list->getNextButton())).get()));

	// A check box in an element: the item takes its new state and 63 is queued; the box's own 60
	// passes the list.
	CheckBoxNode* box = nodeCast<CheckBoxNode>(list->getElement(1)->findChildByNameId(nodetest::nameId("CheckBox"), 1));
	ASSERT_TRUE(box);
	box->setChecked(true);
	EXPECT_FALSE(list->onEvent(adoptRef<CEvent>(new CEventNodeValueChanged(box)).get()));
	bubble(box, new CEventNodeValueChanged(box));
	EXPECT_TRUE(bubble(box, new CEventNodePressed(box)));
	EXPECT_EQ((std::vector<std::string>{"60 CheckBox", "63 9 on"}), events());
	EXPECT_TRUE(list->isItemChecked(9));
	list->setTopItem(9);
	EXPECT_TRUE(box->isChecked() == false) << "element 1 now shows item 0";
	EXPECT_TRUE(
		nodeCast<CheckBoxNode>(list->getElement(0)->findChildByNameId(nodetest::nameId("CheckBox"), 1))->isChecked());
}

TEST_F(Lists, TheButtonsAndTheSliderScroll)
{
	ListNode* list = add("List", 100, 80, 0, 10, false);
	SliderNode* slider = list->getSlider();
	ASSERT_TRUE(slider && list->getPrevButton() && list->getNextButton());
	EXPECT_EQ(10.f, slider->getMaxValue());
	EXPECT_EQ(4.f, slider->getPageSize());
	EXPECT_EQ(0.f, slider->getValue());

	EXPECT_TRUE(bubble(list->getNextButton(), new CEventNodePressed(list->getNextButton())));
	EXPECT_EQ(1, list->getTopItem());
	EXPECT_EQ(0, list->getSelectedIndex());
	EXPECT_EQ(1.f, slider->getValue()) << "scrolling moves the slider";
	EXPECT_TRUE(events().empty()) << "without IsSelectWhileListingOn only the top item moves";

	list->setIsSelectWhileListingOn(true);
	bubble(list->getNextButton(), new CEventNodePressed(list->getNextButton()));
	EXPECT_EQ(2, list->getTopItem());
	EXPECT_EQ((std::vector<std::string>{"61 2", "60 List"}), events());
	bubble(list->getPrevButton(), new CEventNodePressed(list->getPrevButton()));
	EXPECT_EQ(1, list->getTopItem());
	EXPECT_EQ((std::vector<std::string>{"61 1", "60 List"}), events());

	// The slider's change, as input reports it, scrolls the list.
	list->setIsSelectWhileListingOn(false);
	slider->setValue(5.7f);
	EXPECT_TRUE(bubble(slider, new CEventNodeValueChanged(slider)));
	EXPECT_EQ(5, list->getTopItem());
	EXPECT_EQ("5 6 7 8 ", shown(list));
	EXPECT_EQ(5.f, slider->getValue());
	events();
	slider->setValue(9);
	bubble(slider, new CEventNodeValueChanged(slider));
	EXPECT_EQ(6, list->getTopItem()) << "clamped";
	// A range far beyond the lines, as a file may give the slider, still scrolls within them.
	slider->setMaxValue(1e30f);
	slider->setValue(1e30f);
	bubble(slider, new CEventNodeValueChanged(slider));
	EXPECT_EQ(6, list->getTopItem());
}

// The scroll bar's knob dragged to the track's end, each move handled before the list has seen the
// changes the slider queued: the slider never holds a line the list cannot start at.
TEST_F(Lists, DraggingTheSliderToItsEndShowsTheLastView)
{
	ListNode* list = add("List", 100, 80, 0, 10, false);
	SliderNode* slider = list->getSlider();
	ASSERT_TRUE(slider && slider->getKnob() && slider->getSlidingArea());
	// The track stands at (120, 0), 80 long; its knob is 10 long.
	const auto send = [this](CEvent* event)
	{
		const CRefHolder<CEvent> held = adoptRef(event);
		return scenes->routeEvent(ROUTE_SELF_DOWN, held.get());
	};
	send(new CEventInputMouseMove(130, 5));
	ASSERT_TRUE(send(new CEventInputMouseLeftDown(130, 5)));
	ASSERT_TRUE(slider->isDown());
	for (s32 y = 5; y <= 80; y += 5)
	{
		send(new CEventInputMouseMove(130, y));
		EXPECT_LE(slider->getValue(), 6.f) << "at " << y;
		EXPECT_LE(slider->getKnob()->getPosition().Y + 10, 80.f) << "at " << y;
	}
	EXPECT_EQ(6.f, slider->getValue());
	EXPECT_EQ(70.f, slider->getKnob()->getPosition().Y) << "the knob ends at the track's end";
	events();
	EXPECT_EQ(6, list->getTopItem());
	EXPECT_EQ("6 7 8 9 ", shown(list));
	EXPECT_EQ(6.f, slider->getValue());
}

TEST_F(Lists, InputReachesEachElementOnceAlsoWhenTheListIsDisabled)
{
	ListNode* list = add("List", 100, 80, 0, 10);
	ControlNode* element = static_cast<ControlNode*>(list->getElement(1));
	std::vector<std::string> lines;
	const CListening listening(element, lines, "Element1");
	for (const bool enabled : {true, false})
	{
		list->setEnabled(enabled);
		element->setDown(false);
		lines.clear();
		refresh();
		const CRefHolder<CEvent> down = adoptRef<CEvent>(new CEventInputMouseLeftDown(10, 30));
		scenes->routeEvent(ROUTE_SELF_DOWN, down.get());
		scenes->processMessageQueue();
		EXPECT_TRUE(element->isDown()) << enabled;
		EXPECT_EQ(1, std::count(lines.begin(), lines.end(), "Element1 down")) << enabled;
	}
}

TEST_F(Lists, StringsGoThroughASceneFileAfterTheSelection)
{
	ListNode* list = add("List", 100, 80, 0);
	core::array<core::stringw> strings;
	strings.push_back(L"Ann");
	strings.push_back(L"");
	strings.push_back(L"Bo <&>");
	list->setStrings(strings);
	list->setOrientation(2);
	list->setCircular(false);
	const std::vector<u8> bytes = test::writeXml([&](IXMLWriter* w) { saveSceneFile(w, list); });
	const std::wstring text = test::utf16Text(bytes);
	EXPECT_EQ(std::wstring::npos, text.find(L"Element0")) << "the elements are not written";
	const CRefHolder<BaseNode> read = adoptRef(loadSceneFile(nodetest::readerOverBytes(bytes).get(), factory.get(),
		ContentReference(nullptr, "list.oscn"), "list.oscn"));
	ListNode* back = nodeCast<ListNode>(read.get());
	ASSERT_TRUE(back);
	EXPECT_EQ(strings, back->getStrings());
	EXPECT_EQ(2, back->getOrientation());
	EXPECT_FALSE(back->isCircular());
	EXPECT_EQ(0u, back->getElementContainer()->getChildren().size());

	// SelectedItem and TopItem come before Strings makes the items: the list starts at item 0.
	const CRefHolder<ListNode> fromFile = loadFixtureAs<ListNode>(factory.get(), "list.oscn",
		R"(<SceneNode Type="ListNode"><Properties>
			<stringwArray Name="Strings"><stringw Value="a" /><stringw Value="b" /><stringw Value="c" />
				<stringw Value="d" /><stringw Value="e" /></stringwArray>
			<int Name="TopItem" Value="2" /><int Name="SelectedItem" Value="3" />
			<string Name="Circular" Value="yes" />
		</Properties></SceneNode>)");
	ASSERT_TRUE(fromFile);
	EXPECT_EQ(5u, fromFile->getItemCount());
	EXPECT_EQ(0, fromFile->getSelectedIndex());
	EXPECT_EQ(0, fromFile->getTopItem());
	EXPECT_FALSE(fromFile->isCircular()) << "a value of another type: false";
	const std::vector<std::string> written = writtenProperties(add("List", 100, 80));
	EXPECT_EQ(written.end(), std::find(written.begin(), written.end(), "Strings")) << "no items: not written";
}
} // namespace
