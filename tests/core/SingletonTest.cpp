#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/CSingleton.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
struct SSlowObject
{
	static inline std::atomic<int> created{0};
	SSlowObject()
	{
		++created;
		// Widen the window in which a second thread could slip past the first check.
		std::this_thread::sleep_for(std::chrono::milliseconds(20));
	}
};
typedef fw::CSingletonHolder<SSlowObject> SlowSingleton;

TEST(Singleton, ConcurrentFirstUseCreatesOnce)
{
	std::atomic<bool> go{false};
	std::vector<std::thread> threads;
	std::vector<SSlowObject*> seen(8, nullptr);
	for (size_t i = 0; i < seen.size(); ++i)
		threads.emplace_back(
			[&, i]
			{
				while (!go)
					std::this_thread::yield();
				seen[i] = &SlowSingleton::Instance();
			});
	go = true;
	for (auto& t : threads)
		t.join();
	EXPECT_EQ(1, SSlowObject::created.load());
	for (SSlowObject* p : seen)
		EXPECT_EQ(seen[0], p);
}

struct SReentrant
{
	static inline int created = 0;
	static inline bool askAgain = true;
	SReentrant();
};
typedef fw::CSingletonHolder<SReentrant> ReentrantSingleton;
SReentrant::SReentrant()
{
	++created;
	if (askAgain)
	{
		askAgain = false;
		ReentrantSingleton::Instance();
	}
}

TEST(Singleton, CreatorAskingForItselfIsRefusedNotCreatedTwice)
{
	// First use happens once per process; a repeated run of the suite has nothing left to check.
	static bool firstRun = true;
	if (!firstRun)
		GTEST_SKIP();
	firstRun = false;
	EXPECT_THROW(ReentrantSingleton::Instance(), std::logic_error);
	EXPECT_EQ(1, SReentrant::created);
	// The failed creation leaves nothing behind: the next use creates normally.
	SReentrant* first = &ReentrantSingleton::Instance();
	EXPECT_EQ(2, SReentrant::created);
	EXPECT_EQ(first, &ReentrantSingleton::Instance());
	EXPECT_EQ(2, SReentrant::created);
}

// The exit-time tests run in a fresh copy of the test program, so that the singletons they
// watch are first used (and scheduled for destruction) inside it.
class SingletonExit : public ::testing::Test
{
protected:
	void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

struct SOrderA
{
	~SOrderA() { fprintf(stderr, "A destroyed\n"); }
};
struct SOrderB
{
	~SOrderB() { fprintf(stderr, "B destroyed\n"); }
};

TEST_F(SingletonExit, DestroyedInReverseOrderOfFirstUse)
{
	EXPECT_EXIT(
		{
			fw::CSingletonHolder<SOrderA>::Instance();
			fw::CSingletonHolder<SOrderB>::Instance();
			exit(0);
		},
		::testing::ExitedWithCode(0), "B destroyed\nA destroyed");
}

void checkAfterExit()
{
	std::string first = "no throw";
	std::string second = "no throw";
	try
	{
		fw::CNameTableSingleton::Instance();
	}
	catch (const std::logic_error& e)
	{
		first = e.what();
	}
	try
	{
		fw::CNameTableSingleton::Instance().intern("x");
	}
	catch (const std::logic_error& e)
	{
		second = e.what();
	}
	fprintf(stderr, "name table: %s / %s\n", first.c_str(), second.c_str());

	// The logger comes back after its own destruction.
	std::atomic<int> lines{0};
	fw::CLogger::setSink([&](fw::s32, const fw::c8*, const fw::c8*) { ++lines; });
	fw::logError("late line");
	fprintf(stderr, "logger lines: %d\n", lines.load());
	fw::CLogger::setSink(nullptr);
	fflush(stderr);
	_exit(7);
}

TEST_F(SingletonExit, UseAfterDestructionThrowsButLoggerComesBack)
{
	EXPECT_EXIT(
		{
			// Registered before the singletons' own handlers, so it runs after them.
			std::atexit(&checkAfterExit);
			fw::CNameTableSingleton::Instance().intern("Button");
			fw::logInfo("first logger");
			exit(0);
		},
		::testing::ExitedWithCode(7), "name table: Dead Reference Detected / Dead Reference Detected\nlogger lines: 1");
}

struct SThrowsInDestructor
{
	~SThrowsInDestructor() noexcept(false) { throw std::runtime_error("boom"); }
};

TEST_F(SingletonExit, ExitHandlerDoesNotThrow)
{
	EXPECT_EXIT(
		{
			fw::CSingletonHolder<SThrowsInDestructor>::Instance();
			exit(3);
		},
		::testing::ExitedWithCode(3), "");
}
} // namespace
