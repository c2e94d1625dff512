#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace fw;

namespace
{
typedef std::vector<std::string> Trace;

// A control event and one derived from it, as node events are.
class CEventPressBase : public CEvent
{
public:
	FW_EVENT_TYPE(44, CEvent)
	CEventPressBase() : CEvent(EVENT_CATEGORY_NODE) {}
};

class CEventPressDerived : public CEventPressBase
{
public:
	FW_EVENT_TYPE(45, CEventPressBase)
};

class CEventOther : public CEvent
{
public:
	FW_EVENT_TYPE(4096, CEvent)
	CEventOther() : CEvent(EVENT_CATEGORY_GAME_MESSAGE) {}
};

// Answers every event with a fixed result, running an optional action first.
class CListener : public CEventReceiver
{
public:
	CListener(const std::string& name, Trace& trace, bool answer = false) :
		m_name(name), m_trace(trace), m_answer(answer)
	{
	}
	~CListener() override { m_trace.push_back(m_name + ":destroyed"); }

	bool onEvent(CEvent*) override
	{
		m_trace.push_back(m_name);
		if (action)
			action();
		return m_answer;
	}

	std::function<void()> action;

private:
	std::string m_name;
	Trace& m_trace;
	bool m_answer;
};

// A class with an event map: handles 44 itself.
class CMapped : public CEventReceiver
{
public:
	explicit CMapped(Trace& trace) : m_trace(trace) {}

	const EventMap& getEventMap() const override { return getClassEventMap(); }
	static const EventMap& getClassEventMap()
	{
		static const EventMap map =
			makeEventMap(CEventReceiver::getClassEventMap(), {eventMapEntry<&CMapped::onPress>()});
		return map;
	}

	std::function<void()> action;
	bool answer = false;

protected:
	bool onPress(CEventPressBase*)
	{
		m_trace.push_back("handler");
		if (action)
			action();
		return answer;
	}

	Trace& m_trace;
};

// Extends its base's map: replaces the handler of 44 and adds one for 45.
class CMappedDerived : public CMapped
{
public:
	using CMapped::CMapped;

	const EventMap& getEventMap() const override { return getClassEventMap(); }
	static const EventMap& getClassEventMap()
	{
		static const EventMap map = makeEventMap(CMapped::getClassEventMap(),
			{eventMapEntry<&CMappedDerived::onPressReplaced>(), eventMapEntry<&CMappedDerived::onDerived>()});
		return map;
	}

private:
	bool onPressReplaced(CEventPressBase*)
	{
		m_trace.push_back("derived handler 44");
		return true;
	}
	bool onDerived(CEventPressDerived*)
	{
		m_trace.push_back("derived handler 45");
		return true;
	}
};

template <class T>
CRefHolder<CEvent> makeEvent()
{
	return CRefHolder<CEvent>::adopted(new T);
}
} // namespace

TEST(Event, TypeTestAcceptsOwnIdAncestorsAndZero)
{
	const CRefHolder<CEvent> derived = makeEvent<CEventPressDerived>();
	EXPECT_EQ(45, derived->getTypeId());
	EXPECT_TRUE(derived->isOfType(45));
	EXPECT_TRUE(derived->isOfType(44));
	EXPECT_TRUE(derived->isOfType(0));
	EXPECT_FALSE(derived->isOfType(46));
	EXPECT_FALSE(derived->isOfType(4096));
	EXPECT_EQ(static_cast<u32>(EVENT_CATEGORY_NODE), derived->getCategory());
	EXPECT_STREQ(L"#thisClassName", derived->getClassName());
	EXPECT_STREQ(L"#thisClassName", makeEvent<CEventOther>()->getClassName());
}

TEST(Event, MapLooksUpTheExactTypeId)
{
	Trace trace;
	CRefHolder<CMapped> receiver = adoptRef(new CMapped(trace));
	receiver->answer = true;
	EXPECT_TRUE(receiver->onEvent(makeEvent<CEventPressBase>().get()));
	// 45 is a 44, but the map holds only 44.
	EXPECT_FALSE(receiver->onEvent(makeEvent<CEventPressDerived>().get()));
	EXPECT_EQ(Trace({"handler"}), trace);
}

TEST(Event, ClassMapExtendsItsBase)
{
	Trace trace;
	CRefHolder<CMappedDerived> derived = adoptRef(new CMappedDerived(trace));
	EXPECT_TRUE(derived->onEvent(makeEvent<CEventPressBase>().get()));
	EXPECT_TRUE(derived->onEvent(makeEvent<CEventPressDerived>().get()));
	EXPECT_EQ(Trace({"derived handler 44", "derived handler 45"}), trace);

	// The base's map is untouched.
	EXPECT_EQ(1u, CMapped::getClassEventMap().size());
	EXPECT_EQ(2u, CMappedDerived::getClassEventMap().size());
	EXPECT_TRUE(CEventReceiver::getClassEventMap().empty());

	EventMap map = {{1, nullptr}};
	copyEventMap(map, CMapped::getClassEventMap());
	copyEventMap(map, CMappedDerived::getClassEventMap());
	EXPECT_EQ(CMapped::getClassEventMap().at(44), map.at(44)); // entries already there are kept
	EXPECT_EQ(nullptr, map.at(1));
	EXPECT_EQ(3u, map.size());
}

TEST(Event, DispatchOrderAndConsumption)
{
	struct SCase
	{
		const char* name;
		bool preAnswer;
		bool handlerAnswer;
		bool postAnswer;
		Trace expected;
		bool consumed;
	};
	const SCase cases[] = {
		{"nobody takes it", false, false, false, {"pre1", "pre2", "handler", "post1", "post2"}, false},
		{"pre-listener takes it", true, false, false, {"pre1"}, true},
		{"handler takes it", false, true, false, {"pre1", "pre2", "handler"}, true},
		{"post-listener takes it", false, false, true, {"pre1", "pre2", "handler", "post1"}, true},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		Trace trace;
		CRefHolder<CMapped> receiver = adoptRef(new CMapped(trace));
		receiver->answer = c.handlerAnswer;
		CRefHolder<CListener> pre1 = adoptRef(new CListener("pre1", trace, c.preAnswer));
		CRefHolder<CListener> pre2 = adoptRef(new CListener("pre2", trace));
		CRefHolder<CListener> post1 = adoptRef(new CListener("post1", trace, c.postAnswer));
		CRefHolder<CListener> post2 = adoptRef(new CListener("post2", trace));
		receiver->addPreListener(pre1.get());
		receiver->addPreListener(pre2.get());
		receiver->addPostListener(post1.get());
		receiver->addPostListener(post2.get());

		EXPECT_EQ(c.consumed, receiver->onEvent(makeEvent<CEventPressBase>().get()));
		EXPECT_EQ(c.expected, trace);
		receiver->removePreListener(pre1.get());
		receiver->removePreListener(pre2.get());
		receiver->removePostListener(post1.get());
		receiver->removePostListener(post2.get());
	}
}

TEST(Event, PostListenerAddedByTheHandlerWaitsWhenTheListWasEmpty)
{
	Trace trace;
	CRefHolder<CMapped> receiver = adoptRef(new CMapped(trace));
	CRefHolder<CListener> late = adoptRef(new CListener("late", trace));
	receiver->action = [&] { receiver->addPostListener(late.get()); };
	receiver->onEvent(makeEvent<CEventPressBase>().get());
	EXPECT_EQ(Trace({"handler"}), trace);

	// With a post-listener already there, the list as it stands after the handler is asked.
	trace.clear();
	receiver->action = nullptr;
	CRefHolder<CListener> second = adoptRef(new CListener("second", trace));
	receiver->action = [&] { receiver->addPostListener(second.get()); };
	receiver->onEvent(makeEvent<CEventPressBase>().get());
	EXPECT_EQ(Trace({"handler", "late", "second"}), trace);
	receiver->removePostListener(late.get());
	receiver->removePostListener(second.get());
}

TEST(Event, ListenersChangedDuringTheWalk)
{
	Trace trace;
	CRefHolder<CMapped> receiver = adoptRef(new CMapped(trace));
	CListener* first = new CListener("first", trace);
	CListener* second = new CListener("second", trace);
	CListener* third = new CListener("third", trace);
	CListener* added = new CListener("added", trace);
	receiver->addPreListener(first);
	receiver->addPreListener(second);
	receiver->addPreListener(third);

	// The first destroys the second (which leaves the list first, as listeners must) and adds one;
	// the third removes itself and is destroyed while it runs.
	first->action = [&]
	{
		receiver->removePreListener(second);
		second->drop();
		receiver->addPreListener(added);
	};
	third->action = [&]
	{
		receiver->removePreListener(third);
		third->drop();
	};
	receiver->onEvent(makeEvent<CEventPressBase>().get());
	EXPECT_EQ(Trace({"first", "second:destroyed", "third", "third:destroyed", "handler"}), trace);

	trace.clear();
	first->action = nullptr;
	receiver->onEvent(makeEvent<CEventPressBase>().get());
	EXPECT_EQ(Trace({"first", "added", "handler"}), trace);

	receiver->removePreListener(first);
	receiver->removePreListener(added);
	first->drop();
	added->drop();
}

TEST(Event, ListenerMayDestroyTheReceiverItListensTo)
{
	Trace trace;
	CMapped* receiver = new CMapped(trace);
	CRefHolder<CListener> pre = adoptRef(new CListener("pre", trace));
	CRefHolder<CListener> post = adoptRef(new CListener("post", trace));
	receiver->addPreListener(pre.get());
	receiver->addPostListener(post.get());
	pre->action = [&] { receiver->drop(); };
	// The receiver lives to the end of its dispatch.
	EXPECT_FALSE(receiver->onEvent(makeEvent<CEventPressBase>().get()));
	EXPECT_EQ(Trace({"pre", "handler", "post"}), trace);
}

TEST(Event, ListenerListsAppendAndRemoveTheFirstEntry)
{
	Trace trace;
	CRefHolder<CEventReceiver> receiver = adoptRef(new CEventReceiver);
	CRefHolder<CListener> a = adoptRef(new CListener("a", trace));
	CRefHolder<CListener> b = adoptRef(new CListener("b", trace));
	receiver->addPreListener(a.get());
	receiver->addPreListener(b.get());
	receiver->addPreListener(a.get());
	receiver->removePreListener(a.get());
	ASSERT_EQ(2u, receiver->getPreListeners().size());
	EXPECT_EQ(b.get(), receiver->getPreListeners()[0]);
	EXPECT_EQ(a.get(), receiver->getPreListeners()[1]);
	receiver->removePreListener(nullptr); // absent: nothing happens
	EXPECT_EQ(2u, receiver->getPreListeners().size());
	receiver->addPostListener(nullptr);
	EXPECT_TRUE(receiver->getPostListeners().empty());
	// A receiver without a map declines whatever its listeners say.
	EXPECT_FALSE(receiver->onEvent(makeEvent<CEventPressBase>().get()));
	EXPECT_TRUE(trace.empty());
}

namespace
{
// Records the three steps of routing; each answers as told.
class CRouter : public CEventReceiver
{
public:
	explicit CRouter(Trace& trace) : m_trace(trace) {}
	bool onEvent(CEvent*) override
	{
		m_trace.push_back("self");
		return selfAnswer;
	}
	bool routeUp(s32 mode, CEvent*) override
	{
		m_trace.push_back("up" + std::to_string(mode));
		return upAnswer;
	}
	bool routeDown(s32 mode, CEvent*) override
	{
		m_trace.push_back("down" + std::to_string(mode));
		return downAnswer;
	}
	bool selfAnswer = false;
	bool upAnswer = false;
	bool downAnswer = false;

private:
	Trace& m_trace;
};
} // namespace

TEST(Event, RouteModes)
{
	struct SCase
	{
		s32 mode;
		bool selfAnswer;
		bool neighbourAnswer; // of routeUp or routeDown
		Trace expected;
		bool consumed;
	};
	const SCase cases[] = {
		{ROUTE_SELF, false, true, {"self"}, false},
		{ROUTE_SELF, true, false, {"self"}, true},
		{ROUTE_SELF_DOWN, false, true, {"self", "down1"}, true},
		{ROUTE_SELF_DOWN, true, true, {"self"}, true},
		{ROUTE_SELF_DOWN, false, false, {"self", "down1"}, false},
		{ROUTE_DOWN_SELF, false, false, {"down2", "self"}, false},
		{ROUTE_DOWN_SELF, true, true, {"down2"}, true},
		{ROUTE_SELF_UP, false, true, {"self", "up3"}, true},
		{ROUTE_SELF_UP, true, true, {"self"}, true},
		{ROUTE_UP_SELF, false, false, {"up4", "self"}, false},
		{ROUTE_UP_SELF, true, true, {"up4"}, true},
		{5, true, true, {}, false},
		{-1, true, true, {}, false},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(testing::Message() << "mode " << c.mode << " self " << c.selfAnswer);
		Trace trace;
		CRefHolder<CRouter> router = adoptRef(new CRouter(trace));
		router->selfAnswer = c.selfAnswer;
		router->upAnswer = c.neighbourAnswer;
		router->downAnswer = c.neighbourAnswer;
		EXPECT_EQ(c.consumed, router->routeEvent(c.mode, makeEvent<CEventPressBase>().get()));
		EXPECT_EQ(c.expected, trace);
	}
}

TEST(Event, DefaultsDeclineAndMasksFilter)
{
	CRefHolder<CEventReceiver> receiver = adoptRef(new CEventReceiver);
	const CRefHolder<CEvent> event = makeEvent<CEventPressBase>();
	for (s32 mode = ROUTE_SELF; mode <= ROUTE_UP_SELF; ++mode)
		EXPECT_FALSE(receiver->routeEvent(mode, event.get()));

	EXPECT_EQ(0u, receiver->getEventMask());
	EXPECT_FALSE(receiver->acceptsEvent(event.get()));
	receiver->setEventMask(EVENT_CATEGORY_MOUSE | EVENT_CATEGORY_NODE);
	EXPECT_TRUE(receiver->acceptsEvent(event.get()));
	EXPECT_FALSE(receiver->acceptsEvent(makeEvent<CEventOther>().get()));
	EXPECT_FALSE(receiver->acceptsEvent(nullptr));
}

TEST(Event, ReceiverMayDispatchFromItsDestructor)
{
	class CDying : public CMapped
	{
	public:
		using CMapped::CMapped;
		~CDying() override { onEvent(makeEvent<CEventPressBase>().get()); }
	};
	Trace trace;
	CDying* dying = new CDying(trace);
	dying->drop(); // destroyed once, not again by the dispatch's hold
	EXPECT_EQ(Trace({"handler"}), trace);
}
