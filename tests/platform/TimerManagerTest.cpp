#include "core/CRefHolder.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CTimerManager.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace fw;

namespace
{
typedef std::vector<std::string> Trace;

// Writes "<name><elapsed>@<update>" for every call and runs an optional action, whose answer
// (true without one) is the timer's.
class CTestTimer : public CTimer
{
public:
	CTestTimer(const std::string& name, u32 interval, Trace& trace, const int& update, bool* destroyed = nullptr) :
		m_name(name), m_trace(trace), m_update(update), m_destroyed(destroyed)
	{
		setInterval(interval);
	}
	~CTestTimer() override
	{
		if (m_destroyed)
			*m_destroyed = true;
	}

	bool onTimer(u32 elapsed) override
	{
		m_trace.push_back(m_name + std::to_string(elapsed) + "@" + std::to_string(m_update));
		return action ? action() : true;
	}

	std::function<bool()> action;

private:
	std::string m_name;
	Trace& m_trace;
	const int& m_update;
	bool* m_destroyed;
};

class TimerManagerTest : public testing::Test
{
protected:
	CRefHolder<CTestTimer> makeTimer(const std::string& name, u32 interval, bool* destroyed = nullptr)
	{
		return adoptRef(new CTestTimer(name, interval, trace, update, destroyed));
	}

	// Updates with these elapsed times, numbered from 1 in the trace.
	void run(CTimerManager* manager, const std::vector<u32>& elapsed)
	{
		for (u32 ms : elapsed)
		{
			++update;
			manager->update(ms);
		}
	}

	CRefHolder<CTimerManager> manager = adoptRef(new CTimerManager);
	Trace trace;
	int update = 0;
};
} // namespace

TEST_F(TimerManagerTest, Timing)
{
	struct SCase
	{
		const char* name;
		u32 interval;
		f32 speed;
		bool running;
		std::vector<u32> updates;
		Trace calls;
		f64 timeAfter;
	};
	const SCase cases[] = {
		{"every third update of 10", 30, 1.f, true, {10, 10, 10, 10, 10, 10}, {"t30@3", "t30@6"}, 60},
		{"catch-up after a long step", 30, 1.f, true, {100, 10, 10}, {"t30@1", "t30@1", "t30@1", "t30@3"}, 120},
		{"interval 0: once per update", 0, 1.f, true, {0, 7, 100}, {"t0@1", "t0@2", "t0@3"}, 107},
		{"double speed", 30, 2.f, true, {5, 5, 5, 5, 5, 5}, {"t30@3", "t30@6"}, 60},
		{"half speed", 30, 0.5f, true, {20, 20, 20}, {"t30@3"}, 30},
		{"clock rounded to the nearest ms", 10, 0.25f, true, {37, 1}, {"t10@2"}, 9.5},
		{"negative speed counts as 0", 10, -3.f, true, {100}, {}, 0},
		{"not running", 30, 1.f, false, {100, 100}, {}, 0},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		manager = adoptRef(new CTimerManager);
		trace.clear();
		update = 0;
		manager->setSpeed(c.speed);
		manager->setRunning(c.running);
		CRefHolder<CTestTimer> timer = makeTimer("t", c.interval);
		manager->addTimer(timer.get());
		run(manager.get(), c.updates);
		EXPECT_EQ(c.calls, trace);
		EXPECT_DOUBLE_EQ(c.timeAfter, manager->getTime());
		EXPECT_EQ(manager.get(), timer->getManager());
	}
}

TEST_F(TimerManagerTest, FalseDropsTheTimerAtTheEndOfThatUpdate)
{
	CRefHolder<CTestTimer> timer = makeTimer("t", 10);
	int calls = 0;
	timer->action = [&] { return ++calls < 2; };
	manager->addTimer(timer.get());
	EXPECT_EQ(2, timer->getReferenceCount());
	run(manager.get(), {50, 50});
	EXPECT_EQ(Trace({"t10@1", "t10@1"}), trace);
	EXPECT_EQ(nullptr, timer->getManager());
	EXPECT_EQ(1, timer->getReferenceCount());
	EXPECT_EQ(0u, manager->getTimerCount());
}

TEST_F(TimerManagerTest, OrphanedTimersAreReleased)
{
	bool destroyed = false;
	CTestTimer* timer = makeTimer("t", 1000, &destroyed).detach();
	manager->addTimer(timer);
	timer->drop(); // the owner lets go; only the manager holds it
	EXPECT_FALSE(destroyed);
	run(manager.get(), {10});
	EXPECT_TRUE(destroyed);
	EXPECT_EQ(0u, manager->getTimerCount());

	// Also while the manager is stopped.
	destroyed = false;
	timer = makeTimer("t", 1000, &destroyed).detach();
	manager->addTimer(timer);
	timer->drop();
	manager->setRunning(false);
	run(manager.get(), {10});
	EXPECT_TRUE(destroyed);
}

TEST_F(TimerManagerTest, AddAndRemoveInsideCallbacks)
{
	CRefHolder<CTestTimer> actor = makeTimer("a", 10);
	CRefHolder<CTestTimer> added = makeTimer("n", 10);
	CRefHolder<CTestTimer> bounced = makeTimer("b", 30);
	CRefHolder<CTestTimer> removed = makeTimer("r", 10);
	manager->addTimer(actor.get());
	manager->addTimer(bounced.get());
	manager->addTimer(removed.get());
	actor->action = [&]
	{
		if (update == 1)
		{
			// New timers start after this update; one removed and added again keeps its due time.
			manager->addTimer(added.get());
			manager->removeTimer(bounced.get());
			manager->addTimer(bounced.get());
			manager->removeTimer(removed.get());
		}
		return true;
	};
	run(manager.get(), {10, 10, 10});
	EXPECT_EQ(Trace({"a10@1", "a10@2", "n10@2", "a10@3", "b30@3", "n10@3"}), trace);
	EXPECT_EQ(nullptr, removed->getManager());
	EXPECT_EQ(1, removed->getReferenceCount());
	EXPECT_EQ(2, bounced->getReferenceCount()); // one entry
	EXPECT_EQ(3u, manager->getTimerCount());
}

TEST_F(TimerManagerTest, RemovedTimerIsNotCalledAgainInItsCatchUp)
{
	CRefHolder<CTestTimer> timer = makeTimer("t", 10);
	manager->addTimer(timer.get());
	timer->action = [&]
	{
		manager->removeTimer(timer.get());
		return true;
	};
	run(manager.get(), {50, 50});
	EXPECT_EQ(Trace({"t10@1"}), trace);
	EXPECT_EQ(1, timer->getReferenceCount());
}

TEST_F(TimerManagerTest, TimerMovedToAnotherManagerRunsOnlyThere)
{
	CRefHolder<CTimerManager> other = adoptRef(new CTimerManager);
	CRefHolder<CTestTimer> mover = makeTimer("m", 10);
	CRefHolder<CTestTimer> moved = makeTimer("x", 10);
	CRefHolder<CTestTimer> self = makeTimer("s", 10);
	manager->addTimer(mover.get());
	manager->addTimer(moved.get());
	manager->addTimer(self.get());
	mover->action = [&]
	{
		if (update == 1)
		{
			manager->removeTimer(moved.get());
			other->addTimer(moved.get());
		}
		return true;
	};
	// Moves itself during its own call and answers false: that ends its time here, not there.
	self->action = [&]
	{
		self->setManager(other.get());
		return false;
	};

	run(manager.get(), {10});
	EXPECT_EQ(Trace({"m10@1", "s10@1"}), trace);
	EXPECT_EQ(other.get(), moved->getManager());
	EXPECT_EQ(other.get(), self->getManager());
	EXPECT_EQ(1u, manager->getTimerCount());

	trace.clear();
	self->action = nullptr;
	run(manager.get(), {10});
	run(other.get(), {10});
	EXPECT_EQ(Trace({"m10@2", "x10@3", "s10@3"}), trace);
	EXPECT_EQ(2, moved->getReferenceCount());
	EXPECT_EQ(2, self->getReferenceCount());
}

TEST_F(TimerManagerTest, TimerReAddedInItsOwnCallStaysRegistered)
{
	struct SCase
	{
		const char* name;
		bool removeFirst;
		bool answer;
	};
	const SCase cases[] = {
		{"removed, added again, answers false", true, false},
		{"added again, answers false", false, false},
		{"added again, answers true", false, true},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		manager = adoptRef(new CTimerManager);
		trace.clear();
		update = 0;
		CRefHolder<CTestTimer> item = makeTimer("k", 20);
		manager->addTimer(item.get());
		item->action = [&]
		{
			if (update == 1)
			{
				if (c.removeFirst)
					manager->removeTimer(item.get());
				manager->addTimer(item.get());
				return c.answer;
			}
			return true;
		};
		run(manager.get(), {20, 20, 20});
		EXPECT_EQ(Trace({"k20@1", "k20@2", "k20@3"}), trace);
		EXPECT_EQ(manager.get(), item->getManager());
		EXPECT_EQ(2, item->getReferenceCount()); // exactly one entry
		EXPECT_EQ(1u, manager->getTimerCount());
	}
}

TEST_F(TimerManagerTest, SetManagerMovesAndKeepsASchedule)
{
	CRefHolder<CTimerManager> other = adoptRef(new CTimerManager);
	CRefHolder<CTestTimer> timer = makeTimer("t", 30);
	timer->setManager(manager.get());
	run(manager.get(), {20});
	timer->setManager(manager.get()); // already there: nothing changes
	run(manager.get(), {10});
	EXPECT_EQ(Trace({"t30@2"}), trace);
	EXPECT_EQ(1u, manager->getTimerCount());

	timer->setManager(other.get());
	EXPECT_EQ(0u, manager->getTimerCount());
	EXPECT_EQ(1u, other->getTimerCount());
	timer->setManager(nullptr);
	EXPECT_EQ(0u, other->getTimerCount());
	EXPECT_EQ(1, timer->getReferenceCount());
}

TEST_F(TimerManagerTest, DestroyingTheManagerDetachesItsTimers)
{
	CRefHolder<CTestTimer> registered = makeTimer("t", 10);
	CRefHolder<CTestTimer> added = makeTimer("p", 10);
	manager->addTimer(registered.get());
	manager->addTimer(added.get());
	manager.release();
	EXPECT_EQ(nullptr, registered->getManager());
	EXPECT_EQ(nullptr, added->getManager());
	EXPECT_EQ(1, registered->getReferenceCount());
	EXPECT_EQ(1, added->getReferenceCount());
}

TEST_F(TimerManagerTest, ManagerReleasedByATimerLivesToTheEndOfItsUpdate)
{
	CRefHolder<CTestTimer> first = makeTimer("a", 10);
	CRefHolder<CTestTimer> second = makeTimer("b", 10);
	CRefHolder<CTestTimer> added = makeTimer("n", 10);
	manager->addTimer(first.get());
	manager->addTimer(second.get());
	CTimerManager* raw = manager.get();
	first->action = [&]
	{
		raw->addTimer(added.get());
		manager.release(); // the last outside reference
		return true;
	};
	++update;
	raw->update(10);
	EXPECT_EQ(Trace({"a10@1", "b10@1"}), trace);
	for (CTestTimer* timer : {first.get(), second.get(), added.get()})
	{
		EXPECT_EQ(nullptr, timer->getManager());
		EXPECT_EQ(1, timer->getReferenceCount());
	}
}

TEST_F(TimerManagerTest, RemoveOutsideAnUpdateReleasesAtOnce)
{
	CRefHolder<CTestTimer> first = makeTimer("a", 10);
	CRefHolder<CTestTimer> second = makeTimer("b", 10);
	manager->addTimer(first.get());
	manager->addTimer(second.get());
	manager->removeTimer(first.get());
	EXPECT_EQ(1u, manager->getTimerCount());
	EXPECT_EQ(nullptr, first->getManager());
	EXPECT_EQ(1, first->getReferenceCount());
	manager->removeTimer(first.get()); // no entry: nothing else changes
	manager->removeTimer(nullptr);
	manager->addTimer(nullptr);
	EXPECT_EQ(1u, manager->getTimerCount());
	run(manager.get(), {10});
	EXPECT_EQ(Trace({"b10@1"}), trace);
}

TEST_F(TimerManagerTest, UpdateEventDrivesTheManagerWithoutBeingTaken)
{
	CRefHolder<CTestTimer> timer = makeTimer("t", 10);
	manager->addTimer(timer.get());
	EXPECT_NE(0u, manager->getEventMask() & EVENT_CATEGORY_SYSTEM_FLOW);
	EXPECT_FALSE(manager->onEvent(CRefHolder<CEvent>::adopted(new CEventSystemFlowUpdate(10)).get()));
	EXPECT_FALSE(manager->onEvent(CRefHolder<CEvent>::adopted(new CEventSystemFlowDraw).get()));
	EXPECT_EQ(Trace({"t10@0"}), trace);
	EXPECT_DOUBLE_EQ(10.0, manager->getTime());
}

TEST_F(TimerManagerTest, ClockDoesNotFreezeAfterLongPlay)
{
	// 40,000,000 ms is beyond where single precision could add 1 ms.
	run(manager.get(), {40000000});
	CRefHolder<CTestTimer> timer = makeTimer("t", 5);
	manager->addTimer(timer.get());
	run(manager.get(), std::vector<u32>(10, 1));
	EXPECT_DOUBLE_EQ(40000010.0, manager->getTime());
	EXPECT_EQ(Trace({"t5@6", "t5@11"}), trace);
}
