#include "StateTestSupport.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace fw;
using namespace fw::nodetest;
using namespace fw::statetest;

namespace
{
typedef std::vector<std::string> Lines;

const char* const FIXTURE = "states/Animated.oscn";

class StateScene : public ::testing::Test
{
protected:
	StateScene()
	{
		registerStateTestClasses(factory);
		takeLog();
	}
	~StateScene() override { takeLog(); }

	CRefHolder<BaseNode> loadFixture()
	{
		const CRefHolder<IXMLReader> reader = readerOverBytes(readFixtureBytes(FIXTURE));
		return adoptRef(loadSceneFile(reader.get(), &factory, ContentReference(), FIXTURE));
	}

	CNodeFactory factory;
};

Lines sorted(Lines lines)
{
	std::sort(lines.begin(), lines.end());
	return lines;
}
} // namespace

TEST_F(StateScene, TheFixtureIsWrittenBackByteForByte)
{
	const CRefHolder<BaseNode> panel = loadFixture();
	ASSERT_NE(nullptr, panel.get());
	const std::vector<u8> written =
		writtenBytes([&](IXMLWriter* writer) { EXPECT_TRUE(saveSceneFile(writer, panel.get())); });
	EXPECT_EQ(readFixtureBytes(FIXTURE), written) << narrowText(written);
}

// The panel opens, hands FxShow to its children and pulses; the values are read at chosen times
// of the scene's clock, stepped 5 ms at a time.
TEST_F(StateScene, TheFixtureAnimatesByTheTimingRules)
{
	const CRefHolder<BaseNode> panel = loadFixture();
	ASSERT_NE(nullptr, panel.get());
	ASSERT_EQ(3u, panel->getChildren().size());
	EXPECT_EQ(nameId("FxOpen"), panel->getCurrentStateId());
	EXPECT_EQ("false", propertyText(panel.get(), "Visible"));
	EXPECT_TRUE(eventLog().empty()) << "nothing runs before the panel is in a scene";

	struct SRow
	{
		u32 time;
		const char* node;
		const char* property;
		const char* value;
	};
	const SRow rows[] = {
		// FxOpen: the start item shows the panel, the fade glides for 100 ms in 10 ms steps.
		{0, "Panel", "Visible", "true"},
		{0, "Panel", "Count", "1"},
		{0, "Panel", "TintColor", "00000000"},
		{0, "Panel", "Position", "0.000000;0.000000;0.000000"},
		{0, "Panel", "Scale", "1.000000;1.000000;1.000000"},
		{0, "Left", "Count", "0"},
		{10, "Panel", "TintColor", "14000000"},
		{10, "Panel", "Position", "10.000000;5.000000;0.000000"},
		{30, "Panel", "TintColor", "3c000000"},
		// The fraction 0.3 is a 32-bit float.
		{30, "Panel", "Position", "30.000002;15.000001;0.000000"},
		{50, "Panel", "TintColor", "64000000"},
		{50, "Panel", "Position", "50.000000;25.000000;0.000000"},
		// At 100 ms the fade ends: its last key, the children's FxShow, the pulse from 20 ms in.
		{100, "Panel", "TintColor", "c8000000"},
		{100, "Panel", "Position", "100.000000;50.000000;0.000000"},
		{100, "Panel", "Scale", "1.500000;1.500000;1.000000"},
		{100, "Left", "Count", "10"},
		{100, "Right", "Speed", "0.000000"},
		{120, "Panel", "Scale", "2.000000;2.000000;1.000000"},
		{120, "Left", "Count", "10"},
		{125, "Right", "Speed", "0.000000"},
		{140, "Panel", "Scale", "2.500000;2.500000;1.000000"},
		{140, "Left", "Count", "10"},
		{150, "Right", "Speed", "1.000000"},
		// The pulse jumps back to key 0 instead of showing key 2; Left reaches its last key.
		{160, "Panel", "Scale", "1.000000;1.000000;1.000000"},
		{160, "Left", "Count", "20"},
		{175, "Right", "Speed", "2.000000"},
		{175, "Right", "Tag", ""},
		{180, "Panel", "Scale", "1.500000;1.500000;1.000000"},
		{200, "Right", "Speed", "3.000000"},
		{200, "Right", "Tag", "done"},
		{200, "Panel", "Scale", "2.000000;2.000000;1.000000"},
		{240, "Panel", "Scale", "1.000000;1.000000;1.000000"},
		{400, "Panel", "TintColor", "c8000000"},
		{400, "Left", "Count", "20"},
	};
	// The events of each span of time that ends at the key's time; spans with several timers due at
	// once are compared without their order.
	const std::map<u32, Lines> events = {
		{0, {"Panel 67 FxOpen"}},
		{100,
			{"Panel 66 0", "Panel 73 FxShow", "Left 67 FxShow", "Right 67 FxShow", "Panel 71 Plain FxShow",
				"Panel 68 FxOpen", "Scene 71 Panel FxOpen", "Panel 67 FxIdle"}},
		{160,
			sorted({"Left 66 0", "Left 68 FxShow", "Panel 71 Left FxShow", "Panel 66 0 looped", "Panel 68 FxIdle",
				"Scene 71 Panel FxIdle"})},
		// Completion only once every child has ended FxShow.
		{200,
			{"Right 66 0", "Right 68 FxShow", "Panel 71 Right FxShow", "Panel 75 Panel FxShow",
				"Scene 75 Panel FxShow"}},
		{400, {}},
	};

	CTestScene scene;
	const auto valueAt = [&](const char* name, const char* property)
	{
		const BaseNode* node = name == std::string("Panel") ? panel.get() : panel->findChildByNameId(nameId(name), 1);
		return node ? propertyText(node, property) : std::string("<no node>");
	};
	const auto check = [&](u32 time)
	{
		for (const SRow& row : rows)
		{
			if (row.time != time)
				continue;
			EXPECT_EQ(row.value, valueAt(row.node, row.property))
				<< row.node << "." << row.property << " at " << time << " ms";
		}
		const auto expected = events.find(time);
		if (expected != events.end())
		{
			const Lines log = takeLog();
			EXPECT_EQ(expected->second, time == 160 ? sorted(log) : log) << "events up to " << time << " ms";
		}
	};

	scene.add(panel.get());
	check(0);
	while (scene.now() < 400)
	{
		scene.advance(5);
		check(scene.now());
	}
	EXPECT_EQ(1u, scene.timers->getTimerCount()) << "only the pulse runs on";
	EXPECT_EQ(nameId("FxIdle"), panel->getCurrentStateId());
}
