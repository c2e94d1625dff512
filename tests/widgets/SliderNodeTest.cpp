// Sliders place or size their knob for the value, take values from points along their track, step
// by keys and by their buttons, and report only changes made by input.

#include "WidgetTestSupport.h"

#include "core/CEventInput.h"
#include "widgets/ButtonNode.h"
#include "widgets/SliderNode.h"

#include <gtest/gtest.h>

#include <functional>

using namespace fw;
using namespace fw::widgettest;

namespace
{
// "Slider": a lying track 200 long at (10, 5) with a knob 20 long and two buttons; "TallSlider": a
// standing track 200 long at (0, 10); "ControlKnob": a knob that is itself a control. Text nodes
// without a font serve as plain rectangles that answer hit tests.
const char* const TEMPLATES = R"(<SceneNode Type="TemplateCollectionNode">
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Slider" /></Properties>
		<SceneNode Type="TextNode"><Properties><string Name="Name" Value="SlidingArea" />
			<vector3d Name="Position" Value="10;5;0" /><vector3d Name="Bounds" Value="200;20;0" /></Properties></SceneNode>
		<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Knob" />
			<vector3d Name="Position" Value="0;5;0" /><vector3d Name="Bounds" Value="20;20;0" /></Properties></SceneNode>
		<SceneNode Type="ButtonNode"><Properties><string Name="Name" Value="PrevButton" />
			<vector3d Name="Position" Value="220;0;0" /></Properties></SceneNode>
		<SceneNode Type="ButtonNode"><Properties><string Name="Name" Value="NextButton" />
			<vector3d Name="Position" Value="330;0;0" /></Properties></SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="TallSlider" /></Properties>
		<SceneNode Type="TextNode"><Properties><string Name="Name" Value="SlidingArea" />
			<vector3d Name="Position" Value="0;10;0" /><vector3d Name="Bounds" Value="20;200;0" /></Properties></SceneNode>
		<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Knob" />
			<vector3d Name="Bounds" Value="20;20;0" /></Properties></SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="ControlKnob" /></Properties>
		<SceneNode Type="TextNode"><Properties><string Name="Name" Value="SlidingArea" />
			<vector3d Name="Bounds" Value="200;20;0" /></Properties></SceneNode>
		<SceneNode Type="ControlNode"><Properties><string Name="Name" Value="Knob" />
			<string Name="TemplateName" Value="KnobFace" /><vector3d Name="Bounds" Value="20;20;0" /></Properties>
		</SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="KnobFace" /></Properties>
		<SceneNode Type="TextNode"><Properties><vector3d Name="Bounds" Value="20;20;0" /></Properties></SceneNode>
	</SceneNode>
</SceneNode>)";

class Sliders : public ::testing::Test
{
protected:
	Sliders() : factory(makeFactory()), scenes(adoptRef(new SceneManager))
	{
		templates = loadFixtureAs<TemplateCollectionNode>(factory.get(), "SliderTemplates.oscn", TEMPLATES);
		scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
		scenes->setTemplateCollection(templates.get());
		scenes->setActiveScene(scene.get());
		scenes->processMessageQueue();
		// The scene's way in ends on its timers; input reaches it after that.
		if (CTimerManager* timers = dynamic_cast<CTimerManager*>(scene->getTimerManager()))
			timers->update(0);
		scenes->processMessageQueue();
	}
	~Sliders() override
	{
		scenes->setActiveScene(nullptr);
		scenes->processMessageQueue();
	}

	SliderNode* add(const char* templateName, s32 knobType = 0, f32 pageSize = 0.f)
	{
		SliderNode* slider = new SliderNode(ContentReference(), scene.get(), nullptr);
		slider->drop();
		slider->setName("Slider");
		slider->setKnobType(knobType);
		if (templateName)
			slider->setTemplateName(templateName);
		slider->setPageSize(pageSize);
		return slider;
	}
	// The value changes that reached the scene since the last call.
	std::vector<std::string> reports()
	{
		scenes->processMessageQueue();
		std::vector<std::string> lines;
		lines.swap(log);
		return lines;
	}
	bool send(CEvent* event)
	{
		const CRefHolder<CEvent> held = adoptRef(event);
		return scenes->routeEvent(ROUTE_SELF_DOWN, held.get());
	}
	void refresh()
	{
		RenderList frame;
		scene->collectRenderables(frame);
	}

	CRefHolder<CNodeFactory> factory;
	CRefHolder<SceneManager> scenes;
	CRefHolder<TemplateCollectionNode> templates;
	CRefHolder<SceneNode> scene;
	std::vector<std::string> log;
	const std::vector<std::string> changed = {"Scene got value changed from Slider"};
};

f32 alongTrack(const core::vector3df& v, bool tall)
{
	return tall ? v.Y : v.X;
}

TEST_F(Sliders, TheKnobIsPlacedOrSizedForTheValue)
{
	struct SCase
	{
		const char* what;
		bool tall;
		s32 knobType;
		f32 pageSize, max, value;
		f32 knobAt, knobLength;
	};
	const SCase cases[] = {
		{"moving, halfway: the knob's travel is the track less the knob", false, 0, 0, 100, 50, 100, 20},
		{"moving, at the end", false, 0, 0, 100, 100, 190, 20},
		{"moving with a page: at MaxValue less the page the knob ends at the track's end", false, 0, 4, 10, 6, 190, 20},
		{"moving with a page, a value beyond the last view: still no further than the track's end", false, 0, 4, 10, 10,
			190, 20},
		{"moving with a page of the whole range: at the start", false, 0, 10, 10, 6, 10, 20},
		{"filling: a quarter of the track from its start", false, 1, 0, 100, 25, 10, 50},
		{"paged: the page's share of the track, raised to 25", false, 2, 10, 100, 50, 110, 25},
		{"paged: a knob raised to 25 still ends at the track's end", false, 2, 10, 100, 90, 185, 25},
		{"paged: half the range", false, 2, 50, 100, 0, 10, 100},
		{"another KnobType leaves the knob alone", false, 3, 0, 100, 70, 0, 20},
		{"standing: the same along y", true, 0, 0, 100, 50, 100, 20},
		{"standing, filling", true, 1, 0, 100, 50, 10, 100},
	};
	for (const SCase& c : cases)
	{
		SliderNode* slider = add(c.tall ? "TallSlider" : "Slider", c.knobType, c.pageSize);
		ASSERT_TRUE(slider->getKnob()) << c.what;
		slider->setMaxValue(c.max);
		slider->setValue(c.value);
		EXPECT_EQ(c.knobAt, alongTrack(slider->getKnob()->getPosition(), c.tall)) << c.what;
		EXPECT_EQ(c.knobLength, alongTrack(slider->getKnob()->getBounds(), c.tall)) << c.what;
		EXPECT_EQ(c.tall ? 0.f : 5.f, alongTrack(slider->getKnob()->getPosition(), !c.tall))
			<< c.what << ": the other axis stays";
	}
}

TEST_F(Sliders, APointAlongTheTrackGivesTheValue)
{
	struct SCase
	{
		const char* what;
		s32 knobType;
		f32 pageSize, max;
		f32 local; // along the track, from its start
		f32 expected;
	};
	const SCase cases[] = {
		{"moving: the middle", 0, 0, 100, 100, 50},
		{"moving: the track's start", 0, 0, 100, 0, 0},
		{"moving: within half a knob of the start", 0, 0, 100, 10, 0},
		{"moving: a quarter of the knob's travel", 0, 0, 100, 55, 25},
		{"moving: within half a knob of the end", 0, 0, 100, 190, 100},
		{"moving: the track's end", 0, 0, 100, 200, 100},
		{"moving: beyond the track, nothing", 0, 0, 100, 201, 33},
		{"moving: before the track, nothing", 0, 0, 100, -1, 33},
		{"moving with a page: scaled by the rest of the range", 0, 4, 10, 100, 3},
		{"moving with a page: the far end gives the last view, MaxValue less the page", 0, 4, 10, 200, 6},
		{"moving with a page: within half a knob of the end, the same", 0, 4, 10, 190, 6},
		{"paged: the knob's centre follows the pointer", 2, 10, 100, 100, 45},
		{"paged: the far end gives MaxValue less the page", 2, 10, 100, 200, 90},
		{"filling: the middle", 1, 0, 100, 100, 50},
		{"filling: a quarter", 1, 0, 100, 50, 25},
		{"filling with a page: no further than MaxValue less the page", 1, 10, 100, 190, 90},
		{"another KnobType: nothing", 4, 0, 100, 100, 33},
	};
	for (const SCase& c : cases)
	{
		SliderNode* slider = add("Slider", c.knobType, c.pageSize);
		slider->setMaxValue(c.max);
		slider->setValue(c.max == 100 ? 33.f : 3.3f);
		const f32 before = slider->getValue();
		slider->setPosition(core::vector3df(40, 60, 0));
		refresh();
		slider->setValueFromPoint(core::vector2df(50 + c.local, 75));
		EXPECT_EQ(c.expected == 33 ? before : c.expected, slider->getValue()) << c.what;
	}
	EXPECT_TRUE(reports().empty()) << "a point set in code reports nothing";

	// Off the track across it: nothing.
	SliderNode* slider = add("Slider");
	refresh();
	slider->setValueFromPoint(core::vector2df(110, 4));
	slider->setValueFromPoint(core::vector2df(110, 26));
	EXPECT_EQ(50.f, slider->getValue());
}

TEST_F(Sliders, KeysStepAlongTheSlidersAxisAndReportChangesOnly)
{
	struct SCase
	{
		const char* what;
		const char* templateName;
		f32 value;
		u32 key;
		f32 expected;
		bool handled;
	};
	const SCase cases[] = {
		{"Right up to the end", "Slider", 98, 39, 100, true},
		{"Right at the end: not handled", "Slider", 100, 39, 100, false},
		{"Left", "Slider", 50, 37, 45, true},
		{"Left at the start: not handled", "Slider", 0, 37, 0, false},
		{"Up on a lying slider: not handled", "Slider", 50, 38, 50, false},
		{"Up raises a standing slider", "TallSlider", 50, 38, 55, true},
		{"Down lowers it", "TallSlider", 50, 40, 45, true},
		{"Left on a standing slider: not handled", "TallSlider", 50, 37, 50, false},
		{"End", "Slider", 50, 35, 100, true},
		{"End at the end: handled all the same", "Slider", 100, 35, 100, true},
		{"Home", "TallSlider", 50, 36, 0, true},
		{"Home at the start", "Slider", 0, 36, 0, true},
		{"without a track the arrows do nothing", nullptr, 50, 39, 50, false},
		{"without a track Home still works", nullptr, 50, 36, 0, true},
		{"another key", "Slider", 50, 65, 50, false},
	};
	log.clear();
	const CReporting onScene(scene.get(), log, "Scene");
	for (const SCase& c : cases)
	{
		SliderNode* slider = add(c.templateName);
		slider->setValue(c.value);
		reports();
		const CRefHolder<CEventInputKeyDown> key = adoptRef(new CEventInputKeyDown(0, c.key, false, false));
		EXPECT_EQ(c.handled, slider->onKeyDown(key.get())) << c.what;
		EXPECT_EQ(c.expected, slider->getValue()) << c.what;
		EXPECT_EQ(c.expected != c.value ? changed : std::vector<std::string>(), reports()) << c.what;
		slider->getParent()->removeChild(slider);
	}
}

TEST_F(Sliders, TheButtonsStepTheValueAndLetThePressGoOn)
{
	log.clear();
	const CReporting onScene(scene.get(), log, "Scene");
	SliderNode* slider = add("Slider");
	ASSERT_TRUE(slider->getPrevButton() && slider->getNextButton());
	slider->setValue(97);
	const auto press = [&](BaseNode* node)
	{
		const CRefHolder<CEvent> pressed = adoptRef<CEvent>(new CEventNodePressed(node));
		return slider->onEvent(pressed.get());
	};
	EXPECT_FALSE(press(slider->getNextButton()));
	EXPECT_EQ(100.f, slider->getValue());
	EXPECT_EQ(changed, reports());
	EXPECT_FALSE(press(slider->getNextButton()));
	EXPECT_TRUE(reports().empty()) << "at the end: no change, no report";
	EXPECT_FALSE(press(slider->getPrevButton()));
	EXPECT_EQ(95.f, slider->getValue());
	EXPECT_EQ(changed, reports());
	EXPECT_FALSE(press(slider->getSlidingArea()));
	EXPECT_EQ(95.f, slider->getValue());

	// A real press of the next button, finished by its look, travels up through the slider.
	static_cast<ButtonNode*>(slider->getNextButton())->click();
	scenes->processMessageQueue();
	for (int i = 0; i < 4 && slider->getValue() == 95.f; ++i)
		scenes->processMessageQueue();
	EXPECT_EQ(100.f, slider->getValue());
	const std::vector<std::string> got = reports();
	EXPECT_NE(got.end(), std::find(got.begin(), got.end(), "Scene got pressed from NextButton"));
	EXPECT_NE(got.end(), std::find(got.begin(), got.end(), "Scene got value changed from Slider"));
}

// A list's scroll bar: 10 lines, 4 of them in view. Input stops at 6, where the last view starts and
// the knob ends at the track's end; a drag there never shows the knob beyond it.
TEST_F(Sliders, WithAPageSizeInputStopsAtTheLastView)
{
	struct SCase
	{
		const char* what;
		f32 value;
		std::function<void(SliderNode*)> input;
		f32 expected;
	};
	const auto key = [](u32 code)
	{
		return [code](SliderNode* slider)
		{
			const CRefHolder<CEventInputKeyDown> event = adoptRef(new CEventInputKeyDown(0, code, false, false));
			slider->onKeyDown(event.get());
		};
	};
	const auto next = [](SliderNode* slider)
	{
		const CRefHolder<CEvent> pressed = adoptRef<CEvent>(new CEventNodePressed(slider->getNextButton()));
		slider->onEvent(pressed.get());
	};
	const SCase cases[] = {
		{"End", 2, key(35), 6},
		{"Right past the last view", 3, key(39), 6},
		{"Right at the last view: nothing", 6, key(39), 6},
		{"Left from beyond the last view, as code may set it", 10, key(37), 5},
		{"the next button", 3, next, 6},
		{"the next button at the last view: nothing", 6, next, 6},
	};
	log.clear();
	const CReporting onScene(scene.get(), log, "Scene");
	for (const SCase& c : cases)
	{
		SliderNode* slider = add("Slider", 0, 4);
		slider->setMaxValue(10);
		slider->setValue(c.value);
		reports();
		c.input(slider);
		EXPECT_EQ(c.expected, slider->getValue()) << c.what;
		EXPECT_EQ(c.expected != c.value ? changed : std::vector<std::string>(), reports()) << c.what;
		EXPECT_LE(slider->getKnob()->getPosition().X + 20, 210.f) << c.what << ": the knob on its track";
		slider->getParent()->removeChild(slider);
	}

	// Dragged from the start past the track's end, event by event, before anything is delivered.
	SliderNode* slider = add("Slider", 0, 4);
	slider->setMaxValue(10);
	slider->setValue(0);
	refresh();
	send(new CEventInputMouseMove(20, 15));
	ASSERT_TRUE(send(new CEventInputMouseLeftDown(20, 15)));
	for (s32 x = 20; x <= 215; x += 5)
	{
		send(new CEventInputMouseMove(x, 15));
		EXPECT_LE(slider->getValue(), 6.f) << "at " << x;
		EXPECT_LE(slider->getKnob()->getPosition().X + 20, 210.f) << "at " << x;
	}
	EXPECT_EQ(6.f, slider->getValue());
	EXPECT_EQ(190.f, slider->getKnob()->getPosition().X) << "the knob ends at the track's end";
}

TEST_F(Sliders, SettersPropertiesAndCopiesReportNothingAndKeepTheRangeConsistent)
{
	log.clear();
	const CReporting onScene(scene.get(), log, "Scene");
	SliderNode* slider = add("Slider");
	slider->setMinValue(100);
	slider->setMaxValue(0);
	EXPECT_EQ(0.f, slider->getMinValue());
	EXPECT_EQ(100.f, slider->getMaxValue());
	slider->setMinValue(60);
	EXPECT_EQ(60.f, slider->getValue());
	slider->setMaxValue(80);
	slider->setValue(120);
	EXPECT_EQ(80.f, slider->getValue());
	setTableProperty(slider, "Value", new CPropertyDataFloat(70.f));
	EXPECT_EQ(70.f, slider->getValue());
	setTableProperty(slider, "Value", new CPropertyDataFloat(10.f));
	EXPECT_EQ(60.f, slider->getValue()) << "through the setter";
	EXPECT_TRUE(reports().empty());

	// A file's values are stored as they stand, without a layout; another type gives 0.
	const CRefHolder<CPropertyContainer> file = adoptRef(new CPropertyContainer(nullptr));
	file->add("MaxValue", adoptRef<IPropertyData>(new CPropertyDataFloat(-5.f)));
	file->add("Value", adoptRef<IPropertyData>(new CPropertyDataFloat(500.f)));
	file->add("DeltaValue", adoptRef<IPropertyData>(new CPropertyDataInt(2)));
	file->add("KnobType", adoptRef<IPropertyData>(new CPropertyDataInt(2)));
	const core::vector3df knobAt = slider->getKnob()->getPosition();
	slider->readProperties(file.get());
	EXPECT_EQ(-5.f, slider->getMaxValue());
	EXPECT_EQ(500.f, slider->getValue());
	EXPECT_EQ(0.f, slider->getDeltaValue());
	EXPECT_EQ(2, slider->getKnobType());
	EXPECT_EQ(knobAt, slider->getKnob()->getPosition());
	const std::vector<std::string> written = writtenProperties(slider);
	ASSERT_GE(written.size(), 5u);
	EXPECT_EQ(std::vector<std::string>(written.end() - 5, written.end()),
		std::vector<std::string>({"MinValue", "MaxValue", "Value", "DeltaValue", "KnobType"}));

	// A copy takes the five values, not the page size, and lays nothing out.
	slider->setPageSize(7);
	const CRefHolder<SliderNode> copy(static_cast<SliderNode*>(slider->clone()));
	copy->drop();
	EXPECT_EQ(60.f, copy->getMinValue());
	EXPECT_EQ(500.f, copy->getValue());
	EXPECT_EQ(2, copy->getKnobType());
	EXPECT_EQ(0.f, copy->getPageSize());
	EXPECT_TRUE(copy->isOfType(NODE_TYPE_SLIDER) && copy->isOfType(NODE_TYPE_CONTROL));
	EXPECT_TRUE(reports().empty());
}

TEST_F(Sliders, ThePointerPressesAndDragsTheValueWhileItStaysOverTheSlider)
{
	log.clear();
	const CReporting onScene(scene.get(), log, "Scene");
	SliderNode* slider = add("Slider");
	slider->setValue(0);
	refresh();
	// The track's start is at (10, 5): local 100 is x 110.
	send(new CEventInputMouseMove(110, 15));
	EXPECT_TRUE(send(new CEventInputMouseLeftDown(110, 15)));
	EXPECT_TRUE(slider->isDown() && slider->isFocused());
	EXPECT_EQ(50.f, slider->getValue());
	EXPECT_EQ(changed, reports());
	send(new CEventInputMouseMove(65, 15));
	EXPECT_EQ(25.f, slider->getValue());
	EXPECT_EQ(changed, reports());
	send(new CEventInputMouseMove(65, 16));
	EXPECT_EQ(std::vector<std::string>(), reports()) << "the same value: no report";
	send(new CEventInputMouseMove(600, 15));
	EXPECT_EQ(25.f, slider->getValue()) << "off the slider the drag does not follow";
	send(new CEventInputMouseMove(110, 15));
	EXPECT_EQ(50.f, slider->getValue()) << "back over it, it does";
	reports();
	send(new CEventInputMouseLeftUp(110, 15));
	send(new CEventInputMouseMove(150, 15));
	EXPECT_EQ(50.f, slider->getValue()) << "released: moves change nothing";
	const std::vector<std::string> after = reports();
	EXPECT_EQ(after.end(), std::find(after.begin(), after.end(), changed[0])) << "the release is a click, no change";
}

TEST_F(Sliders, AKnobThatTakesThePressStillLeavesItToTheSlider)
{
	SliderNode* slider = add("ControlKnob");
	ControlNode* knob = nodeCast<ControlNode>(slider->getKnob());
	ASSERT_TRUE(knob);
	slider->setValue(0);
	refresh();
	// The knob sits over the track's start: the press is the knob's and the slider's.
	send(new CEventInputMouseLeftDown(10, 10));
	EXPECT_TRUE(knob->isDown());
	EXPECT_TRUE(slider->isDown());
	EXPECT_EQ(0.f, slider->getValue());
	send(new CEventInputMouseMove(100, 10));
	EXPECT_EQ(50.f, slider->getValue());
}
} // namespace
