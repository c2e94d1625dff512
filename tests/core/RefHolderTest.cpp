#include "core/CMutex.h"
#include "core/CRefHolder.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string g_events;

struct SCounted : public virtual fw::IReferenceCounted
{
	explicit SCounted(char n) : name(n) {}
	~SCounted() override { g_events += std::string("~") + name; }
	char name;
};

TEST(RefCounting, FreshObjectHasOneReferenceAndOneDropDestroysIt)
{
	g_events.clear();
	auto* object = new SCounted('a');
	EXPECT_EQ(1, object->getReferenceCount());
	object->grab();
	EXPECT_FALSE(object->drop());
	EXPECT_TRUE(object->drop());
	EXPECT_EQ("~a", g_events);
}

TEST(RefHolder, CopyAddsAndReleaseDrops)
{
	g_events.clear();
	fw::CRefHolder<SCounted> holder = fw::adoptRef(new SCounted('a'));
	EXPECT_EQ(1, holder->getReferenceCount());
	{
		fw::CRefHolder<SCounted> copy(holder);
		EXPECT_EQ(2, holder->getReferenceCount());
	}
	EXPECT_EQ(1, holder->getReferenceCount());
	holder.release();
	EXPECT_EQ("~a", g_events);
	EXPECT_FALSE(holder);
}

TEST(RefHolder, AssignSameObjectChangesNothing)
{
	auto holder = fw::adoptRef(new SCounted('a'));
	holder.assign(holder.get());
	// Through a second name, as code that does not know the two are one would do it.
	const auto& same = holder;
	holder = same;
	EXPECT_EQ(1, holder->getReferenceCount());
}

TEST(RefHolder, AssignDropsTheOldObjectBeforeGrabbingTheNew)
{
	g_events.clear();
	auto a = fw::adoptRef(new SCounted('a'));
	auto b = fw::adoptRef(new SCounted('b'));
	fw::CRefHolder<SCounted> holderOfA(a.get());
	a.release(); // holderOfA now has the last reference of A
	holderOfA.assign(b);
	EXPECT_EQ("~a", g_events);
	EXPECT_EQ(2, b->getReferenceCount());
}

TEST(Mutex, IsRecursive)
{
	auto* mutex = new fw::CMutex;
	mutex->lock();
	{
		fw::CMutexLock again(mutex);
	}
	mutex->unlock();
	EXPECT_TRUE(mutex->drop());
}
} // namespace
