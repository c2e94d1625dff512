#include "StateTestSupport.h"

#include <chrono>
#include <string>
#include <vector>

using namespace fw;
using namespace fw::nodetest;
using namespace fw::statetest;

namespace
{
// A recording node "n" with one state "S" whose only animator is the key-frame element given,
// attached to a scene whose timer manager the test steps one period at a time.
class KeyFrames : public ::testing::Test
{
protected:
	KeyFrames() { registerStateTestClasses(factory); }
	~KeyFrames() override { takeLog(); }

	void load(const std::string& animator, const std::string& more = "")
	{
		node = nodeWithStates(factory, "n", "<State Name=\"S\">" + animator + more + "</State>");
		ASSERT_NE(nullptr, node.get());
		item = keyFrameOf(node.get(), "S");
		ASSERT_NE(nullptr, item);
		scene.add(node.get());
	}
	void enter()
	{
		node->enterState(nameId("S"), nullptr, -1);
		takeLog();
	}
	void tick(u32 count = 1) { scene.advance(item->getPeriod(), count); }
	std::string value(const c8* property) const { return propertyText(node.get(), property); }
	// The reports of the item that reached the node since the last look.
	std::vector<std::string> reports()
	{
		std::vector<std::string> found;
		for (const std::string& line : takeLog())
			if (line.rfind("n 66 ", 0) == 0)
				found.push_back(line.substr(5));
		return found;
	}

	CNodeFactory factory;
	CTestScene scene;
	CRefHolder<CStateTestNode> node;
	KeyFrame* item = nullptr;
};

std::string countKeys(const std::string& attributes, const std::string& keys)
{
	return "<Animator Type=\"KeyFrame\"" + attributes +
		"><Properties><int Name=\"Count\" Value=\"-1\" /></Properties>" + keys + "</Animator>";
}

const std::string KEYS_0_100_100 =
	"<KeyFrame t=\"0\" Value0=\"0\" /><KeyFrame t=\"100\" Value0=\"10\" /><KeyFrame t=\"100\" Value0=\"20\" />";
} // namespace

// The timing rules on keys t = 0, 100, 100 with period 20: stepped, interpolated, looping.
TEST_F(KeyFrames, KeysAreReachedAtTheirTimes)
{
	struct SCase
	{
		const char* name;
		std::string keys;
		// Count after entering, then after each tick.
		std::vector<std::string> counts;
		// Tick (from 1) of the one report, and its text.
		u32 reportTick;
		std::string report;
		bool runsOn;
	};
	const SCase cases[] = {
		{"stepped", KEYS_0_100_100, {"0", "0", "0", "0", "0", "10", "10", "10", "10", "10", "20"}, 10, "0", false},
		{"interpolated",
			"<KeyFrame t=\"0\" Value0=\"0\" /><KeyFrame t=\"100\" i=\"0\" Value0=\"10\" /><KeyFrame t=\"100\" Value0=\"20\" />",
			{"0", "2", "4", "6", "8", "10", "10", "10", "10", "10", "20"}, 10, "0", false},
		// Key 2's values are never shown: reaching it jumps to key 0.
		{"looping",
			"<KeyFrame t=\"0\" Value0=\"0\" /><KeyFrame t=\"100\" Value0=\"10\" /><KeyFrame t=\"100\" g=\"0\" Value0=\"20\" />",
			{"0", "0", "0", "0", "0", "10", "10", "10", "10", "10", "0", "0", "0", "0", "0", "10", "10", "10", "10",
				"10", "0"},
			10, "0 looped", true},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		load(countKeys("", c.keys));
		enter();
		EXPECT_EQ(c.counts[0], value("Count"));
		for (u32 tick = 1; tick < c.counts.size(); ++tick)
		{
			this->tick();
			EXPECT_EQ(c.counts[tick], value("Count")) << "tick " << tick;
			const std::vector<std::string> expected =
				tick == c.reportTick ? std::vector<std::string>{c.report} : std::vector<std::string>{};
			EXPECT_EQ(expected, reports()) << "tick " << tick;
		}
		EXPECT_EQ(c.runsOn ? 1u : 0u, scene.timers->getTimerCount()) << "an ended item leaves its timer manager";
		scene.root->removeChild(node.get());
	}
}

TEST_F(KeyFrames, TimesAndTheTimeShift)
{
	load(countKeys(" TimeShift=\"150\"", KEYS_0_100_100));
	EXPECT_EQ(200u, item->getDuration());
	enter();
	EXPECT_EQ("10", value("Count")) << "key 1, 50 ms into it";
	EXPECT_EQ(1u, item->getCurrentKey());
	EXPECT_EQ(50u, item->getKeyTime());
	EXPECT_EQ(150u, item->getCurrentTime());

	// A clone starts where its source starts.
	const CRefHolder<Base> copy = adoptRef(item->clone(nullptr, nullptr));
	copy->setTarget(node.get());
	copy->seek(0, false);
	EXPECT_EQ(150u, copy->getCurrentTime());
	EXPECT_EQ(itemText(item), itemText(copy.get()));

	// Three ticks to key 2, which is reached 10 ms into the third.
	tick(2);
	EXPECT_EQ("10", value("Count"));
	tick();
	EXPECT_EQ("20", value("Count"));
	EXPECT_EQ((std::vector<std::string>{"10"}), reports());
}

TEST_F(KeyFrames, ARetimedKeyMovesTheKeysAfterIt)
{
	load(countKeys("", KEYS_0_100_100));
	EXPECT_FALSE(item->setKeyTime(3, 5)) << "past the keys";
	enter();
	tick(2);
	// 40 ms into key 1's segment, which now ends at 60 ms.
	ASSERT_TRUE(item->setKeyTime(1, 60));
	EXPECT_EQ(160u, item->getDuration());
	EXPECT_EQ("0", value("Count"));
	tick();
	EXPECT_EQ("10", value("Count"));
	tick(4);
	EXPECT_EQ("10", value("Count"));
	tick();
	EXPECT_EQ("20", value("Count"));
}

TEST_F(KeyFrames, AOneKeyAnimationEndsAtItsFirstTick)
{
	load(countKeys(" Period=\"30\"", "<KeyFrame t=\"0\" Value0=\"7\" />"));
	enter();
	EXPECT_EQ("7", value("Count"));
	EXPECT_TRUE(reports().empty());
	scene.advance(29);
	EXPECT_TRUE(reports().empty());
	scene.advance(1);
	EXPECT_EQ((std::vector<std::string>{"30"}), reports()) << "reported with its time in the key";
	EXPECT_EQ(0u, scene.timers->getTimerCount());
}

TEST_F(KeyFrames, StoppingWithFinishShowsTheLastKey)
{
	load(countKeys("", KEYS_0_100_100));
	enter();
	tick(2);
	item->stop(false, false);
	EXPECT_EQ("0", value("Count"));
	item->start(scene.timers.get());
	item->stop(true, false);
	EXPECT_EQ("20", value("Count"));
	EXPECT_TRUE(reports().empty()) << "stopped without a report";
	item->start(scene.timers.get());
	item->stop(false, true);
	EXPECT_EQ((std::vector<std::string>{"0"}), reports());
	EXPECT_FALSE(item->isRunning());
}

// An owner fits the animation to the game: key 1 comes after 40 ms and shows 7, interpolated.
TEST_F(KeyFrames, OwnersMoveKeys)
{
	load(countKeys("", "<KeyFrame t=\"0\" Value0=\"0\" /><KeyFrame t=\"100\" i=\"0\" Value0=\"10\" />"));
	ASSERT_TRUE(item->setKeyTime(1, 40));
	const CRefHolder<CPropertyDataInt> seven = adoptRef(new CPropertyDataInt(7));
	EXPECT_TRUE(item->setKeyValue(1, 0, seven.get()));
	seven->setValue(99);
	EXPECT_EQ(40u, item->getDuration());

	// Refused: a missing key or property, a value of another type.
	const CRefHolder<CPropertyDataFloat> other = adoptRef(new CPropertyDataFloat(3.f));
	EXPECT_FALSE(item->setKeyValue(2, 0, seven.get()));
	EXPECT_FALSE(item->setKeyValue(1, 1, seven.get()));
	EXPECT_FALSE(item->setKeyValue(1, 0, other.get()));
	EXPECT_FALSE(item->setKeyValue(1, 0, nullptr));

	enter();
	tick();
	EXPECT_EQ("3", value("Count")) << "half way from 0 to 7, truncated";
	EXPECT_TRUE(reports().empty());
	tick();
	EXPECT_EQ("7", value("Count")) << "a copy of the value given";
	EXPECT_EQ((std::vector<std::string>{"0"}), reports());
}

TEST_F(KeyFrames, APropertyTheNodeLacksIsSkipped)
{
	load(
		"<Animator Type=\"KeyFrame\"><Properties><int Name=\"Missing\" Value=\"0\" /><int Name=\"Count\" Value=\"0\" />"
		"<float Name=\"speed\" Value=\"0\" /></Properties>"
		"<KeyFrame t=\"0\" Value0=\"1\" Value1=\"1\" Value2=\"1\" /><KeyFrame t=\"20\" Value0=\"2\" Value1=\"2\" Value2=\"2\" />"
		"</Animator>");
	EXPECT_EQ(-1, item->getPropertyIndex(0));
	EXPECT_EQ(-1, item->getPropertyIndex(2)) << "names are case-sensitive";
	enter();
	EXPECT_EQ("1", value("Count"));
	tick();
	EXPECT_EQ("2", value("Count"));
	EXPECT_EQ("0.000000", value("Speed"));
}

// Half way through an interpolated segment, each value type shows its own blend.
TEST_F(KeyFrames, EveryValueTypeInterpolates)
{
	struct SCase
	{
		const char* type;
		const char* property;
		const char* from;
		const char* to;
		const char* halfWay;
	};
	const SCase cases[] = {
		{"int", "Count", "0", "11", "5"},
		{"float", "Speed", "1", "2", "1.500000"},
		{"color", "TintColor", "00000000", "c8644020", "64322010"},
		{"colorf", "Glow", "0;0;0;0", "1;0.5;0.25;1", "0.500000;0.250000;0.125000;0.500000"},
		{"vector2d", "PivotPoint", "0;0", "10;-20", "5.000000;-10.000000"},
		{"vector3d", "Position", "0;0;0", "100;50;-10", "50.000000;25.000000;-5.000000"},
		{"rect", "Area", "0;0;0;0", "10;20;30;40", "5.000000;10.000000;15.000000;20.000000"},
		// Neither steps before the end of the segment.
		{"bool", "Visible", "true", "false", "true"},
		{"string", "Tag", "a", "b", "a"},
	};
	std::string properties;
	std::string first;
	std::string second;
	for (u32 n = 0; n < std::size(cases); ++n)
	{
		const SCase& c = cases[n];
		properties += std::string("<") + c.type + " Name=\"" + c.property + "\" Value=\"" + c.from + "\" />";
		first += " Value" + std::to_string(n) + "=\"" + c.from + "\"";
		second += " Value" + std::to_string(n) + "=\"" + c.to + "\"";
	}
	load("<Animator Type=\"KeyFrame\" Period=\"50\"><Properties>" + properties + "</Properties><KeyFrame t=\"0\"" +
		first + " /><KeyFrame t=\"100\" i=\"0\"" + second + " /></Animator>");
	enter();
	tick();
	for (const SCase& c : cases)
		EXPECT_EQ(c.halfWay, value(c.property)) << c.type;
	tick();
	EXPECT_EQ("b", value("Tag"));
	EXPECT_EQ("false", value("Visible"));
	EXPECT_EQ("c8644020", value("TintColor"));
}

TEST_F(KeyFrames, ReadsAndWritesItsElement)
{
	load(
		"<Animator Type=\"KeyFrame\" Name=\"Blend\" Period=\"40\" TimeShift=\"5\"><Properties><int Name=\"Count\" Value=\"3\" />"
		"<vector2d Name=\"PivotPoint\" Value=\"1;2\" /></Properties>"
		"<KeyFrame t=\"0\" Value0=\"1\" Value1=\"0;0\" /><Unknown><KeyFrame t=\"99\" /></Unknown>"
		"<KeyFrame t=\"10\" g=\"0\" i=\"1\" Value0=\"2\" /><KeyFrame t=\"20\" i=\"0\" Value0=\"x\" Value1=\"4;4\" /></Animator>");
	EXPECT_EQ(nameId("Blend"), item->getNameId());
	EXPECT_EQ(40u, item->getPeriod());
	EXPECT_EQ(5, item->getTimeShift());
	ASSERT_EQ(3u, item->getKeys().size()) << "keys inside other elements are not the item's";
	EXPECT_EQ(-1, item->getKeys()[1].i) << "every i other than 0 reads as -1";
	EXPECT_EQ(0, item->getKeys()[2].i);
	EXPECT_EQ("<Animator Type=\"KeyFrame\" Name=\"Blend\" Period=\"40\" TimeShift=\"5\">\r\n"
			  "\t<Properties>\r\n"
			  "\t\t<int Name=\"Count\" Value=\"3\" />\r\n"
			  "\t\t<vector2d Name=\"PivotPoint\" Value=\"1.000000;2.000000\" />\r\n"
			  "\t</Properties>\r\n"
			  "\t<KeyFrame t=\"0\" Value0=\"1\" Value1=\"0.000000;0.000000\" />\r\n"
			  "\t<KeyFrame t=\"10\" g=\"0\" Value0=\"2\" Value1=\"0.000000;0.000000\" />\r\n"
			  "\t<KeyFrame t=\"20\" i=\"0\" Value0=\"0\" Value1=\"4.000000;4.000000\" />\r\n"
			  "</Animator>\r\n",
		itemText(item));

	// The defaults are left out; keys read before the properties have no values and are not written.
	load("<Animator Type=\"KeyFrame\"><KeyFrame t=\"5\" /></Animator>");
	EXPECT_EQ(1u, item->getKeys().size());
	EXPECT_EQ("<StartAnimator Type=\"KeyFrame\">\r\n</StartAnimator>\r\n", itemText(item, L"StartAnimator"));
}

// Every key value stays with its property through a save and a reload, also where the item holds a
// property with no value (a type the program does not know, or one a caller cleared): such a
// property is written with its first key value, or left out of the properties and the keys alike.
TEST_F(KeyFrames, KeyValuesStayWithTheirPropertiesThroughASave)
{
	const std::string properties = "<Properties><float Name=\"Speed\" Value=\"1\" /><wobble Name=\"Texture\" "
								   "Value=\"a\" /><vector2d Name=\"PivotPoint\" Value=\"0;0\" /></Properties>";
	const std::string keys = "<KeyFrame t=\"0\" Value0=\"2\" Value1=\"b\" Value2=\"3;4\" />"
							 "<KeyFrame t=\"10\" Value0=\"5\" Value1=\"c\" Value2=\"6;7\" />";
	struct SCase
	{
		const char* name;
		void (*change)(KeyFrame* item);
		const char* written;
	};
	const SCase cases[] = {
		{"an unknown type between two values", [](KeyFrame*) {},
			"\t\t<float Name=\"Speed\" Value=\"1.000000\" />\r\n"
			"\t\t<vector2d Name=\"PivotPoint\" Value=\"0.000000;0.000000\" />\r\n"
			"\t</Properties>\r\n"
			"\t<KeyFrame t=\"0\" Value0=\"2.000000\" Value1=\"3.000000;4.000000\" />\r\n"
			"\t<KeyFrame t=\"10\" Value0=\"5.000000\" Value1=\"6.000000;7.000000\" />\r\n"},
		{"a value cleared by a caller", [](KeyFrame* item) { item->getProperties()->setAt(0, PropertyHolder()); },
			"\t\t<float Name=\"Speed\" Value=\"2.000000\" />\r\n"
			"\t\t<vector2d Name=\"PivotPoint\" Value=\"0.000000;0.000000\" />\r\n"
			"\t</Properties>\r\n"
			"\t<KeyFrame t=\"0\" Value0=\"2.000000\" Value1=\"3.000000;4.000000\" />\r\n"
			"\t<KeyFrame t=\"10\" Value0=\"5.000000\" Value1=\"6.000000;7.000000\" />\r\n"},
		{"a nameless value added by a caller", [](KeyFrame* item) { item->getProperties()->addInt("", 9); },
			"\t\t<float Name=\"Speed\" Value=\"1.000000\" />\r\n"
			"\t\t<vector2d Name=\"PivotPoint\" Value=\"0.000000;0.000000\" />\r\n"
			"\t</Properties>\r\n"
			"\t<KeyFrame t=\"0\" Value0=\"2.000000\" Value1=\"3.000000;4.000000\" />\r\n"
			"\t<KeyFrame t=\"10\" Value0=\"5.000000\" Value1=\"6.000000;7.000000\" />\r\n"},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		load("<Animator Type=\"KeyFrame\">" + properties + keys + "</Animator>");
		c.change(item);
		const std::string saved = itemText(item);
		EXPECT_EQ("<Animator Type=\"KeyFrame\">\r\n\t<Properties>\r\n" + std::string(c.written) + "</Animator>\r\n",
			saved);

		// Reloaded, the item animates the same properties with the same values, and writes the same.
		load(saved);
		EXPECT_EQ(saved, itemText(item));
		enter();
		EXPECT_EQ("2.000000", value("Speed"));
		EXPECT_EQ("3.000000;4.000000", value("PivotPoint"));
		tick(1);
		EXPECT_EQ("5.000000", value("Speed"));
		EXPECT_EQ("6.000000;7.000000", value("PivotPoint"));
	}

	// A known type whose value comes out empty (an atlas texture nothing can load here) keeps its
	// place: the float after it still animates.
	load("<Animator Type=\"KeyFrame\"><Properties><float Name=\"Speed\" Value=\"1\" />"
		 "<atlasTexture Name=\"Texture\" Value=\"a\" /><vector2d Name=\"PivotPoint\" Value=\"0;0\" />"
		 "</Properties>" +
		keys + "</Animator>");
	const std::string saved = itemText(item);
	load(saved);
	EXPECT_EQ(saved, itemText(item));
	enter();
	EXPECT_EQ("2.000000", value("Speed"));
	EXPECT_EQ("3.000000;4.000000", value("PivotPoint"));
	tick(1);
	EXPECT_EQ("5.000000", value("Speed"));
	EXPECT_EQ("6.000000;7.000000", value("PivotPoint"));
}

// ------------------------------------------------------------------------------------------------
// Keys that must neither be read past nor run without end.

TEST_F(KeyFrames, WithoutKeysNothingIsAppliedAndTheEndComesAtTheFirstTick)
{
	load("<Animator Type=\"KeyFrame\"><Properties><int Name=\"Count\" Value=\"9\" /></Properties></Animator>");
	node->setCount(4);
	enter();
	EXPECT_EQ(0u, item->getCurrentTime());
	EXPECT_EQ(0u, item->getDuration());
	tick();
	EXPECT_EQ("4", value("Count"));
	EXPECT_EQ((std::vector<std::string>{"20"}), reports());
	EXPECT_EQ(0u, scene.timers->getTimerCount());
	item->stop(true, false);
	EXPECT_EQ("4", value("Count"));
}

TEST_F(KeyFrames, AJumpOutsideTheKeysIsNoJump)
{
	for (const char* jump : {"3", "7", "-5", "2147483647"})
	{
		SCOPED_TRACE(jump);
		load(countKeys("",
			std::string("<KeyFrame t=\"0\" Value0=\"0\" /><KeyFrame t=\"20\" g=\"") + jump +
				"\" Value0=\"1\" /><KeyFrame t=\"20\" Value0=\"2\" />"));
		enter();
		tick();
		EXPECT_EQ("1", value("Count"));
		tick();
		EXPECT_EQ("2", value("Count"));
		EXPECT_EQ((std::vector<std::string>{"0"}), reports()) << "an end, not a loop";
		scene.root->removeChild(node.get());
	}
}

TEST_F(KeyFrames, CyclesThatTakeNoTimeStopAfterOnePass)
{
	const std::string cycles[] = {
		// Every key at time 0, the last one back to the first.
		"<KeyFrame t=\"0\" Value0=\"0\" /><KeyFrame t=\"0\" Value0=\"1\" /><KeyFrame t=\"0\" g=\"0\" Value0=\"2\" />",
		// Two jumps that send each other back: 0 -> 1 (on to 3) -> 4 (back to 2) -> 3 (back to 0) ...
		"<KeyFrame t=\"0\" Value0=\"0\" /><KeyFrame t=\"0\" g=\"3\" Value0=\"1\" /><KeyFrame t=\"0\" Value0=\"2\" />"
		"<KeyFrame t=\"0\" g=\"0\" Value0=\"3\" /><KeyFrame t=\"0\" g=\"2\" Value0=\"4\" /><KeyFrame t=\"0\" Value0=\"5\" />",
	};
	for (const std::string& keys : cycles)
	{
		load(countKeys("", keys));
		enter();
		tick(3);
		EXPECT_EQ((std::vector<std::string>{"20 looped"}), reports()) << "one report, then the item runs on";
		EXPECT_EQ(1u, scene.timers->getTimerCount());
		scene.root->removeChild(node.get());
	}
}

TEST_F(KeyFrames, ALongTimeOverAShortCycleIsPassedAtOnce)
{
	load(countKeys(" TimeShift=\"2000000000\"",
		"<KeyFrame t=\"0\" Value0=\"0\" /><KeyFrame t=\"1\" Value0=\"1\" /><KeyFrame t=\"2\" g=\"0\" Value0=\"2\" />"));
	const auto start = std::chrono::steady_clock::now();
	enter();
	EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
	// 2000000000 ms over a 3 ms cycle leaves 2 ms: on key 1, 1 ms in.
	EXPECT_EQ(1u, item->getCurrentKey());
	EXPECT_EQ(1u, item->getKeyTime());
	EXPECT_EQ("1", value("Count"));
}

TEST_F(KeyFrames, WithoutATargetSeekingAppliesNothing)
{
	load(countKeys("", KEYS_0_100_100));
	const CRefHolder<Base> copy = adoptRef(item->clone(nullptr, nullptr));
	KeyFrame* loose = static_cast<KeyFrame*>(copy.get());
	loose->seek(150, true);
	EXPECT_EQ(1u, loose->getCurrentKey());
	EXPECT_STREQ("-1", getPropertyText(loose->getProperties()->getValueAt(0)).c_str()) << "its own values untouched";
	// Ticks without a target change nothing and keep the timer.
	loose->start(scene.timers.get());
	tick(20);
	EXPECT_EQ(1u, loose->getCurrentKey());
	EXPECT_EQ(1u, scene.timers->getTimerCount());
	loose->stop(true, false);
	EXPECT_EQ(0u, scene.timers->getTimerCount());
}

TEST_F(KeyFrames, HostileNumbersAreBounded)
{
	SLogCapture log;
	load(countKeys(" Period=\"0\" TimeShift=\"-40\"",
		"<KeyFrame t=\"-100\" Value0=\"1\" /><KeyFrame t=\"-1\" Value0=\"2\" />"));
	EXPECT_EQ(20u, item->getPeriod());
	EXPECT_EQ(0, item->getTimeShift());
	EXPECT_EQ(0u, item->getKeys()[1].t);
	EXPECT_EQ(1u, log.countContaining("Period 0 is below 1 ms; 20 ms is used")) << log.all();
	EXPECT_EQ(1u, log.countContaining("TimeShift -40 is negative; 0 is used"));
	EXPECT_EQ(1u, log.countContaining("key 1 has the negative time -1; 0 is used"));
	load(countKeys(" Period=\"-3\"", ""));
	EXPECT_EQ(20u, item->getPeriod());
	item->setPeriod(0);
	EXPECT_EQ(20u, item->getPeriod());
	item->setTimeShift(-1);
	EXPECT_EQ(0, item->getTimeShift());
}

TEST_F(KeyFrames, KeyValuesAreBounded)
{
	SLogCapture log;
	const u32 propertyCount = 4096;
	const u32 keysAllowed = KeyFrame::MAX_VALUES / propertyCount;
	std::string text = "<Animator Type=\"KeyFrame\"><Properties>";
	for (u32 n = 0; n < propertyCount; ++n)
		text += "<int Name=\"p" + std::to_string(n) + "\" Value=\"0\" />";
	text += "</Properties>";
	for (u32 k = 0; k < keysAllowed + 3; ++k)
		text += "<KeyFrame t=\"1\" />";
	load(text + "</Animator>");
	EXPECT_EQ(keysAllowed, item->getKeys().size());
	EXPECT_EQ(1u, log.countContaining("the keys after key 64 are dropped")) << log.all();
}
