#include "StateTestSupport.h"

#include "core/XMLElements.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

using namespace fw;
using namespace fw::nodetest;
using namespace fw::statetest;

namespace
{
typedef std::vector<std::string> Lines;

class States : public ::testing::Test
{
protected:
	States()
	{
		registerStateTestClasses(factory);
		takeLog();
	}
	~States() override { takeLog(); }

	CRefHolder<CStateTestNode> node(const std::string& name, const std::string& states,
		const std::string& children = "")
	{
		return nodeWithStates(factory, name, states, children);
	}
	// One period of 20 ms.
	void tick(u32 count = 1) { scene.advance(20, count); }

	CNodeFactory factory;
	CTestScene scene;
};

// The lines of the log whose event id is one of those given.
Lines only(const Lines& lines, std::initializer_list<const char*> ids)
{
	Lines kept;
	for (const std::string& line : lines)
		for (const char* id : ids)
			if (line.find(std::string(" ") + id + " ") != std::string::npos)
			{
				kept.push_back(line);
				break;
			}
	return kept;
}

// A key-frame animator of Count that reports its end after the given number of 20 ms ticks.
std::string ticks(int count, const std::string& name = "")
{
	return "<Animator Type=\"KeyFrame\"" + (name.empty() ? "" : " Name=\"" + name + "\"") +
		"><Properties><int Name=\"Count\" Value=\"0\" /></Properties><KeyFrame t=\"0\" Value0=\"0\" /><KeyFrame t=\"" +
		std::to_string(20 * count) + "\" Value0=\"" + std::to_string(count) + "\" /></Animator>";
}

std::string setProps(const char* element, const std::string& values)
{
	return std::string("<") + element + " Type=\"SetProps\">" + values + "</" + element + ">";
}

std::string intValue(const char* name, int value)
{
	return std::string("<int Name=\"") + name + "\" Value=\"" + std::to_string(value) + "\" />";
}

std::string floatValue(const char* name, int value)
{
	return std::string("<float Name=\"") + name + "\" Value=\"" + std::to_string(value) + "\" />";
}

std::string child(const std::string& name, const std::string& states = "", const std::string& children = "")
{
	return "<SceneNode Type=\"StateTestNode\"><Properties><string Name=\"Name\" Value=\"" + name +
		"\" /></Properties>" + (states.empty() ? "" : "<States>" + states + "</States>") + children + "</SceneNode>";
}

// A state item written as a later one would be: its declaration, its table beside its setters and
// getters, its own child elements and its behaviour. The attributes of its element and its clone
// come from the table.
class CBlinkItem : public Base
{
public:
	FW_STATE_ITEM_CLASS(CBlinkItem, Base, 1001, L"BlinkItem")
	static const fw::PropertyTable& getClassPropertyTable();

	// Hides or shows the target once per blink.
	void seek(u32, bool apply) override
	{
		if (apply && getTarget())
			getTarget()->setVisible(m_times % 2 == 0);
	}
	u32 getCurrentTime() const override { return 0; }
	u32 getDuration() const override { return 0; }

	s32 getTimes() const { return m_times; }
	// Never below 1.
	void setTimes(s32 times) { m_times = times < 1 ? 1 : times; }
	f32 getSpeed() const { return m_speed; }
	void setSpeed(f32 speed) { m_speed = speed; }
	const core::stringc& getLabel() const { return m_label; }
	void setLabel(const core::stringc& label) { m_label = label; }
	const core::vector2df& getOffset() const { return m_offset; }
	void setOffset(const core::vector2df& offset) { m_offset = offset; }
	video::SColor getShade() const { return m_shade; }
	void setShade(video::SColor shade) { m_shade = shade; }
	const std::vector<std::string>& getNotes() const { return m_notes; }

protected:
	void readElements(IXMLReader* reader, IContentManager*, const core::stringw& elementName) override
	{
		m_notes.clear();
		readChildElements(reader, elementName,
			[this](IXMLReader* child)
			{
				if (child->getNodeName() == L"Note")
					m_notes.push_back(core::stringc(child->getAttributeValue(core::stringw(L"Text"))).c_str());
				skipXmlElement(child);
			});
	}
	void writeElements(IXMLWriter* writer, const core::stringw&) const override
	{
		for (const std::string& note : m_notes)
		{
			writer->writeElement(L"Note", true, L"Text", core::stringw(note.c_str()).c_str());
			writer->writeLineBreak();
		}
	}
	void copyFrom(const Base* source) override { m_notes = static_cast<const CBlinkItem*>(source)->m_notes; }

private:
	s32 m_times = 1;
	f32 m_speed = 1.f;
	core::stringc m_label = "blink";
	core::vector2df m_offset = core::vector2df(0.f, 0.f);
	video::SColor m_shade = video::SColor(0xFFFFFFFF);
	std::vector<std::string> m_notes;
};

const PropertyTable& CBlinkItem::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable(Base::getClassPropertyTable(),
		{
			makeProperty<&CBlinkItem::setTimes, &CBlinkItem::getTimes>("Times").stored(1),
			makeProperty<&CBlinkItem::setSpeed, &CBlinkItem::getSpeed>("Speed").stored(1.f),
			makeProperty<&CBlinkItem::setLabel, &CBlinkItem::getLabel>("Label").stored("blink"),
			makeProperty<&CBlinkItem::setOffset, &CBlinkItem::getOffset>("Offset").stored(core::vector2df(0.f, 0.f)),
			makeProperty<&CBlinkItem::setShade, &CBlinkItem::getShade>("Shade").storedAlways(),
		});
	return table;
}

s32 pressToNormal(s32 stateId)
{
	return stateId == nameId("Press") ? nameId("Normal") : -1;
}

s32 swapXY(s32 stateId)
{
	return stateId == nameId("X") ? nameId("Y") : stateId == nameId("Y") ? nameId("X") : -1;
}
} // namespace

// ------------------------------------------------------------------------------------------------
// The state object: entering, counting its animators' reports, leaving.

TEST_F(States, StartAndEndItemsAloneFinishWithinTheEntry)
{
	const auto n = node("n",
		"<State Name=\"S\">" + setProps("StartAnimator", intValue("Count", 1)) +
			setProps("EndAnimator", intValue("Count", 2)) + "</State>");
	scene.add(n.get());
	n->enterState(nameId("S"), nullptr, -1);
	EXPECT_EQ((Lines{"n 67 S", "n 68 S", "Scene 71 n S"}), takeLog());
	EXPECT_EQ(1, n->getCount()) << "end items wait for the state to be left";
	n->stopState(nameId("S"), false);
	EXPECT_EQ(2, n->getCount());
	EXPECT_TRUE(takeLog().empty()) << "a finished state reports nothing more";
}

TEST_F(States, ALoopingAnimatorFinishesTheStateAtItsFirstLoop)
{
	const auto n = node("n",
		"<State Name=\"S\"><Animator Type=\"KeyFrame\"><Properties>" + intValue("Count", 0) +
			"</Properties><KeyFrame t=\"0\" Value0=\"0\" /><KeyFrame t=\"20\" Value0=\"1\" /><KeyFrame t=\"20\" g=\"0\" "
			"Value0=\"2\" /></Animator>" +
			setProps("EndAnimator", floatValue("Speed", 5)) + "</State>");
	scene.add(n.get());
	n->enterState(nameId("S"), nullptr, -1);
	tick(2);
	EXPECT_EQ((Lines{"n 67 S", "n 66 0 looped", "n 68 S", "Scene 71 n S"}), takeLog());
	EXPECT_EQ("0.000000", propertyText(n.get(), "Speed")) << "no end items after a loop";
	tick();
	EXPECT_EQ(1, n->getCount()) << "it runs on";
	tick();
	EXPECT_EQ(0, n->getCount());
	EXPECT_TRUE(takeLog().empty());

	n->stopState(nameId("S"), false);
	EXPECT_EQ("5.000000", propertyText(n.get(), "Speed"));
	EXPECT_TRUE(takeLog().empty());
	n->setSpeed(0);
	n->stopState(nameId("S"), false);
	EXPECT_EQ(0.f, n->getSpeed()) << "end items are applied once per entry";
	tick();
	EXPECT_EQ(0u, scene.timers->getTimerCount());
}

TEST_F(States, LeavingWhileAnimatorsRunReportsOneStoppedEnd)
{
	const auto n = node("n",
		"<State Name=\"S\" NextState=\"T\">" + ticks(1) + ticks(3) + ticks(4) +
			setProps("EndAnimator", floatValue("Speed", 5)) + "</State><State Name=\"T\" />");
	scene.add(n.get());
	n->enterState(nameId("S"), nullptr, -1);
	tick();
	EXPECT_EQ(2u, n->getCurrentState()->getPendingCount());
	takeLog();
	n->stopState(nameId("S"), false);
	EXPECT_EQ((Lines{"n 68 S stopped", "Scene 71 n S"}), takeLog()) << "and no next state";
	EXPECT_EQ(5.f, n->getSpeed());
	n->setSpeed(0);
	n->stopState(nameId("S"), false);
	EXPECT_TRUE(takeLog().empty());
	EXPECT_EQ(0.f, n->getSpeed());
}

TEST_F(States, LeavingWithFinishShowsTheLastKeysBeforeTheEndItems)
{
	const auto n = node("n",
		"<State Name=\"S\">" + ticks(5) + setProps("EndAnimator", floatValue("Speed", 5)) +
			"</State><State Name=\"U\">" + ticks(5) + setProps("EndAnimator", intValue("Count", 99)) + "</State>");
	scene.add(n.get());
	n->enterState(nameId("S"), nullptr, -1);
	tick();
	n->stopState(nameId("S"), true);
	EXPECT_EQ(5, n->getCount());
	EXPECT_EQ(5.f, n->getSpeed());
	n->enterState(nameId("U"), nullptr, -1);
	n->stopAllStates(true);
	EXPECT_EQ(99, n->getCount());
}

TEST_F(States, SetItemsUnderAnimatorApplyButNeverFinish)
{
	const auto n = node("n",
		"<State Name=\"S\">" + setProps("Animator", intValue("Count", 3)) +
			"<Animator Type=\"SetStates\"><State Name=\"Q\" /></Animator></State>");
	scene.add(n.get());
	n->enterState(nameId("S"), nullptr, -1);
	EXPECT_EQ(3, n->getCount());
	EXPECT_EQ(2u, scene.timers->getTimerCount());
	tick(10);
	EXPECT_EQ((Lines{"n 67 S", "n 73 Q", "n 75 n Q"}), takeLog());
	EXPECT_EQ(0u, scene.timers->getTimerCount()) << "dropped at their first call, without a report";
	n->stopState(nameId("S"), false);
	EXPECT_EQ((Lines{"n 68 S stopped", "Scene 71 n S"}), takeLog());
}

TEST_F(States, ItemLookups)
{
	const auto n =
		node("n", "<State Name=\"S\">" + ticks(1, "A") + ticks(2) + setProps("StartAnimator", "") + "</State>");
	CAnimatorState* state = n->findState(nameId("S"));
	ASSERT_NE(nullptr, state);
	ASSERT_EQ(2u, state->getAnimatorCount());
	EXPECT_EQ(nullptr, state->getAnimator(2));
	EXPECT_EQ(state->getAnimator(0), state->findItemByName(nameId("A")));
	EXPECT_EQ(state->getAnimator(1), state->findItemByName(-1));
	state->getStartAnimator(0)->setNameId(nameId("B"));
	EXPECT_EQ(nullptr, state->findItemByName(nameId("B"))) << "only the animators are searched";
	EXPECT_EQ(state, state->getAnimator(0)->getOwner());
	EXPECT_EQ(n.get(), state->getAnimator(0)->getTarget());

	// The state's own property: its name.
	EXPECT_EQ("S", propertyText(state, "Name"));
	state->getPropertyTable()[0].setter(state, createPropertyDataString("Renamed"));
	EXPECT_EQ(nameId("Renamed"), state->getNameId());
}

TEST_F(States, TheFactoryMakesStateItemsByTypeName)
{
	struct SCase
	{
		const wchar_t* name;
		s32 typeId;
		u32 period;
	};
	for (const SCase& c : {SCase{L"KeyFrame", KeyFrame::TypeId, 20u}, SCase{L"SetProps", SetProps::TypeId, 1u},
			 SCase{L"SetStates", SetStates::TypeId, 1u}})
	{
		const CRefHolder<Base> item = adoptRef(factory.createStateItem(c.name));
		ASSERT_NE(nullptr, item.get());
		EXPECT_EQ(c.typeId, item->getTypeId());
		EXPECT_TRUE(item->isOfType(0));
		EXPECT_EQ(1, item->getReferenceCount());
		EXPECT_EQ(c.period, item->getPeriod());
		EXPECT_STREQ(c.name, item->getClassName());
		EXPECT_STREQ(c.name, item->getTypeName());
	}
	EXPECT_EQ(nullptr, factory.createStateItem(L"Base"));
	EXPECT_EQ(nullptr, factory.createStateItem(L"keyframe"));
	factory.registerStateItem(L"KeyFrame", &makeStateItem<SetProps>);
	const CRefHolder<Base> first = adoptRef(factory.createStateItem(L"KeyFrame"));
	EXPECT_EQ(KeyFrame::TypeId, first->getTypeId()) << "the first registration stays";
}

TEST_F(States, AnItemClassIsItsDeclarationItsTableAndItsBehaviour)
{
	// States make their items with the one factory.
	registerStateItemClass<CBlinkItem>(CNodeFactorySingleton::Instance());
	const auto n = node("n",
		"<State Name=\"S\"><Animator Type=\"BlinkItem\" Name=\"B\" Times=\"2.9\" Speed=\"2.5\" "
		"Label=\"on off\" Offset=\"1;-2\" Shade=\"ff00ff00\"><Note Text=\"a\" /><Other><Note Text=\"x\" />"
		"</Other><Note Text=\"b\" /></Animator><Animator Type=\"BlinkItem\" /></State>");
	const CAnimatorState* state = n->findState(nameId("S"));
	ASSERT_EQ(2u, state->getAnimatorCount());
	const Base* item = state->getAnimator(0);
	ASSERT_TRUE(item->isOfType(1001));
	const CBlinkItem* blink = static_cast<const CBlinkItem*>(item);
	EXPECT_STREQ(L"BlinkItem", blink->getTypeName());
	EXPECT_EQ(nameId("B"), blink->getNameId());
	EXPECT_EQ(2, blink->getTimes()) << "whole numbers are read as the XML reader reads them";
	EXPECT_EQ(2.5f, blink->getSpeed());
	EXPECT_STREQ("on off", blink->getLabel().c_str());
	EXPECT_EQ(core::vector2df(1.f, -2.f), blink->getOffset());
	EXPECT_EQ(0xFF00FF00u, blink->getShade().color);
	EXPECT_EQ((std::vector<std::string>{"a", "b"}), blink->getNotes())
		<< "a child it does not know is passed over whole";

	const std::string written =
		"<Animator Type=\"BlinkItem\" Name=\"B\" Times=\"2\" Speed=\"2.500000\" Label=\"on off\" "
		"Offset=\"1.000000;-2.000000\" Shade=\"ff00ff00\">\r\n"
		"\t<Note Text=\"a\" />\r\n"
		"\t<Note Text=\"b\" />\r\n"
		"</Animator>\r\n";
	EXPECT_EQ(written, itemText(item));
	EXPECT_EQ("<Animator Type=\"BlinkItem\" Shade=\"ffffffff\">\r\n</Animator>\r\n", itemText(state->getAnimator(1)))
		<< "at its defaults only what is always written is written";

	const CRefHolder<Base> copy = adoptRef(item->clone(nullptr, nullptr));
	EXPECT_EQ(written, itemText(copy.get()));
	EXPECT_EQ(item->getPeriod(), copy->getPeriod());

	// Read again, a missing attribute takes its default rather than keeping the last file's value;
	// one always written has no default and keeps its value.
	const CRefHolder<IXMLReader> reader =
		readerOverText("<Animator Type=\"BlinkItem\" Speed=\"4\"><Note Text=\"c\" /></Animator>");
	ASSERT_TRUE(reader->read());
	copy->loadFromXml(reader.get(), nullptr, L"Animator");
	EXPECT_EQ(
		"<Animator Type=\"BlinkItem\" Speed=\"4.000000\" Shade=\"ff00ff00\">\r\n\t<Note Text=\"c\" />\r\n</Animator>\r\n",
		itemText(copy.get()));
}

TEST_F(States, ReadingPassesOverWhatItDoesNotKnowWhole)
{
	const auto n = node("n",
		"<State Name=\"S\"><Animator Type=\"Nope\"><State Name=\"Inner\"></State><KeyFrame t=\"5\" /></Animator>"
		"<Animator><x /></Animator><Other><Animator Type=\"SetProps\" /></Other><EndAnimator Type=\"SetProps\" />" +
			setProps("Animator", intValue("Count", 4)) +
			"</State><State Name=\"T\" /><State Name=\"S\" NextState=\"T\">" + ticks(1) + "</State>");
	CAnimatorState* s = n->findState(nameId("S"));
	ASSERT_NE(nullptr, s);
	EXPECT_EQ(1u, s->getAnimatorCount());
	EXPECT_EQ(SetProps::TypeId, s->getAnimator(0)->getTypeId());
	EXPECT_EQ(1u, s->getEndAnimatorCount());
	EXPECT_EQ(0u, static_cast<SetProps*>(s->getEndAnimator(0))->getValues()->getItemCount());
	EXPECT_EQ(-1, s->getNextStateId()) << "the first state of a name is kept";
	EXPECT_NE(nullptr, n->findState(nameId("T")));
	EXPECT_EQ(2u, n->getStates().size());
}

TEST_F(States, AStateWritesItsElement)
{
	CAnimatorState plain(nameId("X"));
	EXPECT_EQ("<State Name=\"X\">\r\n</State>\r\n",
		narrowText(writtenBytes([&](IXMLWriter* writer) { plain.saveToXml(writer); })));

	const auto n = node("n",
		"<State Name=\"S\" NextState=\"T\"><EndAnimator Type=\"SetStates\"><State Name=\"A\" "
		"Children=\" a ;b\" /><State Name=\"\" /><State Name=\"B\" /></EndAnimator>" +
			setProps("StartAnimator", intValue("Count", 1) + "<unknownType Name=\"u\" Value=\"1\" />") +
			"<Animator Type=\"SetProps\" Name=\"Named\" /></State>");
	EXPECT_EQ("<State Name=\"S\" NextState=\"T\">\r\n"
			  "\t<Animator Type=\"SetProps\" Name=\"Named\">\r\n"
			  "\t</Animator>\r\n"
			  "\t<StartAnimator Type=\"SetProps\">\r\n"
			  "\t\t<int Name=\"Count\" Value=\"1\" />\r\n"
			  "\t</StartAnimator>\r\n"
			  "\t<EndAnimator Type=\"SetStates\">\r\n"
			  "\t\t<State Name=\"A\" Children=\"a;b\" />\r\n"
			  "\t\t<State Name=\"B\" Children=\"\" />\r\n"
			  "\t</EndAnimator>\r\n"
			  "</State>\r\n",
		narrowText(writtenBytes([&](IXMLWriter* writer) { n->findState(nameId("S"))->saveToXml(writer); })));
}

TEST_F(States, ACloneIsAnIndependentCopy)
{
	const auto n = node("n",
		"<State Name=\"S\" NextState=\"T\">" + ticks(2, "A") + setProps("StartAnimator", intValue("Count", 1)) +
			"<EndAnimator Type=\"SetStates\"><State Name=\"Q\" Children=\"x\" /></EndAnimator></State>");
	const CAnimatorState* source = n->findState(nameId("S"));
	const CRefHolder<CAnimatorState> copy = adoptRef(source->clone(nullptr, nullptr));
	EXPECT_EQ(nameId("S"), copy->getNameId());
	EXPECT_EQ(nameId("T"), copy->getNextStateId());
	ASSERT_EQ(1u, copy->getAnimatorCount());
	EXPECT_NE(source->getAnimator(0), copy->getAnimator(0));
	EXPECT_EQ(copy.get(), copy->getAnimator(0)->getOwner());
	EXPECT_EQ(nullptr, copy->getAnimator(0)->getTarget());
	const auto write = [](const CAnimatorState* state)
	{ return narrowText(writtenBytes([&](IXMLWriter* writer) { state->saveToXml(writer); })); };
	EXPECT_EQ(write(source), write(copy.get()));

	// A node copied with its states runs its own.
	scene.add(n.get());
	const CRefHolder<BaseNode> twin(n->clone(scene.root.get()));
	twin->setName("twin");
	twin->enterState(nameId("S"), nullptr, -1);
	tick(2);
	EXPECT_EQ(Lines{"twin 68 S"}, only(takeLog(), {"68"}));
	EXPECT_EQ(0, n->getCount());
	EXPECT_EQ(2, nodeCast<CStateTestNode>(twin.get())->getCount());
}

// ------------------------------------------------------------------------------------------------
// Nodes: switching children, completion, next states.

TEST_F(States, AChangeOfStateCompletesWhenEveryChildHasEnded)
{
	const auto p = node("p", "",
		child("a", "<State Name=\"Show\">" + ticks(1) + "</State>") +
			child("b", "<State Name=\"Show\">" + ticks(2) + "</State>") + child("c"));
	scene.add(p.get());
	p->setState(nameId("Show"), nullptr);
	EXPECT_EQ((Lines{"p 73 Show", "a 67 Show", "b 67 Show", "p 71 c Show"}), takeLog()) << "c has no such state";
	EXPECT_EQ(2, p->getPendingChildCount(nameId("Show")));
	EXPECT_EQ(nullptr, p->getCurrentState()) << "the node's own state is not changed";
	tick();
	EXPECT_EQ((Lines{"a 68 Show", "p 71 a Show"}), only(takeLog(), {"68", "71", "75"}));
	tick();
	EXPECT_EQ((Lines{"b 68 Show", "p 71 b Show", "p 75 p Show", "Scene 75 p Show"}),
		only(takeLog(), {"68", "71", "75"}));
	EXPECT_EQ(0, p->getPendingChildCount(nameId("Show")));

	// Without children the change begins and completes at once, and the parent hears nothing.
	const auto lone = node("lone", "");
	scene.add(lone.get());
	lone->setState(nameId("Show"), nullptr);
	EXPECT_EQ((Lines{"lone 73 Show", "lone 75 lone Show"}), takeLog());
}

TEST_F(States, ASecondChangeOfTheSameStateRestartsTheCount)
{
	const auto p = node("p", "",
		child("a", "<State Name=\"Show\">" + ticks(1) + "</State>") +
			child("b", "<State Name=\"Show\">" + ticks(3) + "</State>"));
	scene.add(p.get());
	p->setState(nameId("Show"), nullptr);
	tick();
	EXPECT_EQ(1, p->getPendingChildCount(nameId("Show")));
	takeLog();
	// b, still running, is left: its stopped end counts against the new count of 2.
	p->setState(nameId("Show"), nullptr);
	EXPECT_EQ(1, p->getPendingChildCount(nameId("Show")));
	EXPECT_TRUE(only(takeLog(), {"75"}).empty());
	tick();
	EXPECT_EQ((Lines{"p 75 p Show", "Scene 75 p Show"}), only(takeLog(), {"75"}));
}

TEST_F(States, EndsThatBelongToNoChangeAreIgnored)
{
	const auto p = node("p", "", child("b", "<State Name=\"Show\">" + ticks(3) + "</State>"));
	const auto stranger = node("stranger", "");
	scene.add(p.get());
	p->setState(nameId("Show"), nullptr);
	BaseNode* b = p->getChildren()[0];
	for (const auto& event : {adoptRef(new CEventNodeStateEnded(b, nameId("Other"))),
			 adoptRef(new CEventNodeStateEnded(stranger.get(), nameId("Show"))),
			 adoptRef(new CEventNodeStateEnded(nullptr, nameId("Show")))})
		EXPECT_FALSE(p->onEvent(event.get()));
	EXPECT_EQ(1, p->getPendingChildCount(nameId("Show")));
	EXPECT_EQ(-1, p->getPendingChildCount(nameId("Other")));
	// A state object that is not the current one is not the node's end either.
	CAnimatorState other(nameId("Show"));
	const CRefHolder<CEvent> finished = adoptRef<CEvent>(new CEventNodeStateFinished(&other, nameId("Show"), false));
	EXPECT_FALSE(b->onEvent(finished.get()));
	takeLog();
	tick(3);
	EXPECT_EQ((Lines{"p 75 p Show", "Scene 75 p Show"}), only(takeLog(), {"75"}));
}

TEST_F(States, AFallbackRunsAnotherStateUnderTheAskedName)
{
	const auto n = node("n", "<State Name=\"Normal\">" + ticks(1) + "</State>");
	scene.add(n.get());
	n->enterState(nameId("Press"), &pressToNormal, -1);
	EXPECT_EQ(nameId("Normal"), n->getCurrentStateId());
	tick();
	EXPECT_EQ((Lines{"n 67 Press", "n 68 Press", "Scene 71 n Press"}), only(takeLog(), {"67", "68", "71"}));

	// Without the state and without a fallback the parent still hears of its start and end.
	n->enterState(nameId("Hover"), nullptr, -1);
	n->enterState(nameId("Hover"), &pressToNormal, -1);
	n->enterState(-1, &pressToNormal, -1);
	EXPECT_EQ((Lines{"Scene 71 n Hover", "Scene 71 n Hover"}), takeLog());
	EXPECT_EQ(nameId("Normal"), n->getCurrentStateId());
}

TEST_F(States, EnteringTheCurrentStateStartsItAgain)
{
	const auto n = node("n", "<State Name=\"S\">" + ticks(3) + "</State>");
	scene.add(n.get());
	n->enterState(nameId("S"), nullptr, -1);
	tick(2);
	takeLog();
	n->enterState(nameId("S"), nullptr, -1);
	EXPECT_EQ((Lines{"n 68 S stopped", "Scene 71 n S", "n 67 S"}), takeLog());
	// The animation starts from its beginning: its 60 ms run from the new entry.
	tick(2);
	EXPECT_EQ(0, n->getCount());
	tick();
	EXPECT_EQ(3, n->getCount());
}

TEST_F(States, TheNextStateFollowsOnlyAnEndByItselfThatTheParentLeaves)
{
	struct SCase
	{
		const char* name;
		std::function<void(CStateTestNode* parent, CRefHolder<CStateTestNode>& n)> arrange;
		bool stop;
		bool entersNext;
	};
	const SCase cases[] = {
		{"by itself", [](CStateTestNode*, CRefHolder<CStateTestNode>&) {}, false, true},
		{"stopped", [](CStateTestNode*, CRefHolder<CStateTestNode>&) {}, true, false},
		{"consumed by the parent",
			[](CStateTestNode* parent, CRefHolder<CStateTestNode>&) { parent->consumeEnded = true; }, false, false},
		{"released by the parent",
			[](CStateTestNode* parent, CRefHolder<CStateTestNode>& n)
			{
				n.release();
				parent->onChildEnded = [parent](CEventNodeStateEnded* event) { parent->removeChild(event->getNode()); };
			},
			false, false},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		const auto parent = node("p", "");
		scene.add(parent.get());
		CRefHolder<CStateTestNode> n = node("n",
			"<State Name=\"S\" NextState=\"T\">" + ticks(1) + "</State><State Name=\"T\">" + ticks(5) + "</State>");
		parent->addChild(n.get());
		n->enterState(nameId("S"), nullptr, -1);
		c.arrange(parent.get(), n);
		const int alive = CAllTypesNode::s_alive;
		if (c.stop)
			parent->getChildren()[0]->stopState(nameId("S"), false);
		else
			tick();
		const Lines log = only(takeLog(), {"67", "71"});
		EXPECT_EQ(c.entersNext, std::find(log.begin(), log.end(), "n 67 T") != log.end())
			<< ::testing::PrintToString(log);
		EXPECT_NE(log.end(), std::find(log.begin(), log.end(), "p 71 n S"));
		if (!n)
		{
			EXPECT_EQ(alive - 1, CAllTypesNode::s_alive) << "the released node is gone";
		}
		scene.root->removeChild(parent.get());
	}
}

TEST_F(States, NextStatesThatEndAtOnceFollowEachOther)
{
	// Outside a scene every state ends at once.
	const auto n =
		node("n", "<State Name=\"A\" NextState=\"B\" /><State Name=\"B\" NextState=\"C\" /><State Name=\"C\" />");
	n->enterState(nameId("A"), nullptr, -1);
	EXPECT_EQ((Lines{"n 67 A", "n 68 A", "n 67 B", "n 68 B", "n 67 C", "n 68 C"}), takeLog());
	EXPECT_EQ(nameId("C"), n->getCurrentStateId());
}

TEST_F(States, CyclesOfStatesThatEndAtOnceAreBounded)
{
	struct SCase
	{
		const char* name;
		std::string states;
		const char* enter;
		StateFallback fallback;
		size_t entries;
	};
	const size_t limit = BaseNode::MAX_IMMEDIATE_STATE_ENTRIES;
	const SCase cases[] = {
		{"a state that follows itself", "<State Name=\"A\" NextState=\"A\" />", "A", nullptr, limit},
		{"two that follow each other", "<State Name=\"A\" NextState=\"B\" /><State Name=\"B\" NextState=\"A\" />", "A",
			nullptr, limit},
		{"fallbacks that point at each other", "", "X", &swapXY, 0},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		SLogCapture log;
		const auto n = node("n", c.states);
		n->enterState(nameId(c.enter), c.fallback, -1);
		EXPECT_EQ(c.entries, only(takeLog(), {"67"}).size());
		EXPECT_EQ(1u, log.countContaining("are already running inside each other")) << log.all();
		// The node is usable afterwards.
		n->enterState(nameId(c.enter), c.fallback, -1);
		EXPECT_EQ(c.entries, only(takeLog(), {"67"}).size());
		EXPECT_EQ(2u, log.countContaining("are already running inside each other"));
	}
}

TEST_F(States, AStateEnteredAgainFromItsOwnEndKeepsRunning)
{
	const auto n = node("n",
		"<State Name=\"Blink\" NextState=\"Blink\"><Animator Type=\"KeyFrame\"><Properties>" + intValue("Count", 0) +
			"</Properties><KeyFrame t=\"0\" Value0=\"0\" /><KeyFrame t=\"20\" Value0=\"1\" /><KeyFrame t=\"20\" "
			"Value0=\"2\" /></Animator></State>");
	scene.add(n.get());
	n->enterState(nameId("Blink"), nullptr, -1);
	std::vector<int> counts;
	for (int i = 0; i < 6; ++i)
	{
		tick();
		counts.push_back(n->getCount());
	}
	// Each end shows key 2 and the new entry key 0 at once.
	EXPECT_EQ((std::vector<int>{1, 0, 1, 0, 1, 0}), counts);
	EXPECT_EQ((Lines{"n 68 Blink", "n 68 Blink", "n 68 Blink"}), only(takeLog(), {"68"}));
	EXPECT_EQ(1u, scene.timers->getTimerCount());
}

TEST_F(States, AnItemThatMakesItsNodeBeLetGoFinishesOnAHeldNode)
{
	// The end item's first value makes the parent drop the node, which then lives only as long as
	// the state's work on it.
	CRefHolder<CStateTestNode> n = node("n",
		"<State Name=\"S\">" + ticks(1) +
			setProps("EndAnimator", "<bool Name=\"Detach\" Value=\"true\" />" + intValue("Count", 5)) + "</State>");
	scene.add(n.get());
	n->enterState(nameId("S"), nullptr, -1);
	n.release();
	const int alive = CAllTypesNode::s_alive;
	CStateTestNode::s_countAtDestruction = 0;
	tick();
	EXPECT_EQ(alive - 1, CAllTypesNode::s_alive);
	EXPECT_EQ(5, CStateTestNode::s_countAtDestruction) << "every value was set before the node went";
	EXPECT_EQ(0u, scene.timers->getTimerCount());

	// The same from the start items, with the node's own entry under way.
	n = node("n",
		"<State Name=\"S\" NextState=\"T\">" +
			setProps("StartAnimator", "<bool Name=\"Detach\" Value=\"true\" />" + intValue("Count", 6)) +
			"</State><State Name=\"T\" />");
	scene.add(n.get());
	CStateTestNode* raw = n.get();
	n.release();
	raw->enterState(nameId("S"), nullptr, -1);
	EXPECT_EQ(alive - 1, CAllTypesNode::s_alive);
	EXPECT_EQ(6, CStateTestNode::s_countAtDestruction);
}

TEST_F(States, StatesClearedOrStoppedFromOutside)
{
	const auto n = node("n", "<State Name=\"S\">" + ticks(3) + "</State><State Name=\"T\">" + ticks(3) + "</State>");
	scene.add(n.get());
	n->enterState(nameId("S"), nullptr, -1);
	tick();
	takeLog();
	n->clearStates();
	EXPECT_EQ(-1, n->getCurrentStateId());
	EXPECT_EQ(nullptr, n->getCurrentState());
	EXPECT_TRUE(n->getStates().empty());
	tick(5);
	EXPECT_TRUE(takeLog().empty()) << "dropped states are not asked to leave";
	EXPECT_EQ(0, n->getCount()) << "nor do they reach their last key";
	EXPECT_EQ(0u, scene.timers->getTimerCount());

	// Stopping a state that is not current stops its items but is no end of the node.
	const auto m = node("m", "<State Name=\"S\">" + ticks(3) + "</State><State Name=\"T\">" + ticks(3) + "</State>");
	scene.add(m.get());
	m->enterState(nameId("S"), nullptr, -1);
	m->findState(nameId("T"))->enter(scene.timers.get(), -1);
	takeLog();
	m->stopAllStates(true);
	EXPECT_EQ((Lines{"m 68 S stopped", "Scene 71 m S", "m 68 T stopped"}), takeLog());
	EXPECT_EQ(3, m->getCount());
	m->stopState(nameId("Nothing"), true);
}

TEST_F(States, TheDefaultStateStartsWhenTheNodeIsAttached)
{
	const CRefHolder<BaseNode> n = nodeFromXml(factory,
		"<SceneNode Type=\"StateTestNode\"><Properties><string Name=\"Name\" Value=\"n\" /></Properties><States><Properties>"
		"<string Name=\"DefaultState\" Value=\"S\" /></Properties><State Name=\"S\">" +
			ticks(2) + "</State></States></SceneNode>");
	ASSERT_NE(nullptr, n.get());
	EXPECT_EQ(nameId("S"), n->getCurrentStateId());
	EXPECT_TRUE(takeLog().empty());
	scene.add(n.get());
	EXPECT_EQ(Lines{"n 67 S"}, takeLog());
	tick(2);
	EXPECT_EQ(Lines{"Scene 71 n S"}, only(takeLog(), {"71"}));
	// Taken out of its scene, the node enters nothing; put back, its state starts again.
	scene.root->removeChild(n.get());
	EXPECT_TRUE(takeLog().empty());
	scene.add(n.get());
	EXPECT_EQ(Lines{"n 67 S"}, takeLog());
}

// ------------------------------------------------------------------------------------------------
// SetProps and SetStates.

TEST_F(States, SetPropsSetsTheValuesTheNodeHas)
{
	const auto n = node("n",
		"<State Name=\"S\">" +
			setProps("StartAnimator",
				intValue("Missing", 1) + intValue("Count", 2) + "<float Name=\"Speed\" Value=\"1.5\" />" +
					"<unknownType Name=\"Tag\" Value=\"x\" />") +
			"<EndAnimator Type=\"SetProps\" /><StartAnimator Type=\"SetProps\">" + intValue("Key", 1) +
			"</StartAnimator></State>");
	n->setTag("kept");
	const CAnimatorState* state = n->findState(nameId("S"));
	ASSERT_EQ(2u, state->getStartAnimatorCount()) << "the empty element took nothing of what follows";
	const SetProps* first = static_cast<const SetProps*>(state->getStartAnimator(0));
	EXPECT_EQ(-1, first->getPropertyIndex(0));
	EXPECT_EQ(0u, static_cast<const SetProps*>(state->getEndAnimator(0))->getValues()->getItemCount());
	n->enterState(nameId("S"), nullptr, -1);
	EXPECT_EQ(2, n->getCount());
	EXPECT_EQ(1.5f, n->getSpeed());
	EXPECT_STREQ("kept", n->getTag().c_str()) << "a value of an unknown type sets nothing";
	EXPECT_EQ("<EndAnimator Type=\"SetProps\">\r\n</EndAnimator>\r\n",
		itemText(state->getEndAnimator(0), L"EndAnimator"));
	// Without a target nothing is applied.
	const CRefHolder<Base> loose = adoptRef(first->clone(nullptr, nullptr));
	n->setCount(0);
	loose->seek(0, true);
	EXPECT_EQ(0, n->getCount());
}

TEST_F(States, SetStatesSwitchesTheNodeOrNamedChildren)
{
	const std::string hidden =
		"<State Name=\"Hidden\">" + setProps("StartAnimator", "<bool Name=\"Visible\" Value=\"false\" />") + "</State>";
	struct SCase
	{
		const char* entries;
		Lines entered;
	};
	const SCase cases[] = {
		// The node carries the state down to its children, and only to them.
		{"<State Name=\"Hidden\" />", {"p 73 Hidden", "a 67 Hidden", "b 67 Hidden", "c 67 Hidden", "d 67 Hidden"}},
		// Named direct children, each alone: the grandchild "a" is not one of them.
		{"<State Name=\"Hidden\" Children=\" a; b;;c\t\" />", {"a 67 Hidden", "b 67 Hidden", "c 67 Hidden"}},
		{"<State Name=\"Hidden\" Children=\"zz;b;a\" />", {"b 67 Hidden", "a 67 Hidden"}},
		{"<State Children=\"a\" /><State Name=\"\" />", {}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.entries);
		const auto p = node("p",
			std::string("<State Name=\"Go\"><StartAnimator Type=\"SetStates\">") + c.entries +
				"</StartAnimator></State>",
			child("a", hidden) + child("b", hidden) + child("c", hidden) + child("d", hidden, child("a", hidden)));
		scene.add(p.get());
		takeLog();
		p->enterState(nameId("Go"), nullptr, -1);
		Lines entered = only(takeLog(), {"67", "73"});
		entered.erase(std::remove(entered.begin(), entered.end(), "p 67 Go"), entered.end());
		EXPECT_EQ(c.entered, entered);
		size_t hiddenChildren = 0;
		for (u32 i = 0; i < p->getChildren().size(); ++i)
			hiddenChildren += p->getChildren()[i]->isVisible() ? 0 : 1;
		EXPECT_EQ(c.entered.empty() ? 0u : c.entered.size() - (c.entered[0] == "p 73 Hidden" ? 1u : 0u),
			hiddenChildren);
		scene.root->removeChild(p.get());
	}
}
