#include "ContentTestSupport.h"

#include "core/CLogger.h"
#include "platform/CEventDevice.h"

#include <algorithm>

using namespace fw;
using namespace fw::contenttest;

namespace
{
const u32 SHARED_TYPE = makeContentType('t', 's', 'h', 'r');
const u32 PROTOTYPE_TYPE = makeContentType('t', 'p', 'r', 'o');
const u32 UNCACHED_TYPE = makeContentType('t', 'u', 'n', 'c');
const u32 UNSERVED_TYPE = makeContentType('z', 'z', 'z', 'z');

class ContentManagerTest : public ::testing::Test
{
protected:
	ContentManagerTest() : m_fileSystem(adoptRef(new CMemoryFileSystem)), m_setup(m_fileSystem.get())
	{
		shared = addProcessor(SHARED_TYPE, CONTENT_SHARED);
		prototype = addProcessor(PROTOTYPE_TYPE, 0);
		uncached = addProcessor(UNCACHED_TYPE, CONTENT_NOT_CACHED);
		files()["a.txt"] = "alpha";
		files()["b.txt"] = "beta";
		files()["x"] = "one letter";
	}

	void TearDown() override
	{
		m_setup.manager.release();
		m_setup.processors.release();
		EXPECT_EQ(0, CTestContent::s_alive) << "contents leaked";
	}

	CTestProcessor* addProcessor(u32 type, u32 flags, s32 priority = 0)
	{
		const CRefHolder<CTestProcessor> processor = adoptRef(new CTestProcessor(type, flags, priority, &trace));
		m_setup.processors->registerProcessor(processor.get());
		return processor.get();
	}

	CContentManager* manager() { return m_setup.manager.get(); }
	std::map<std::string, std::string>& files() { return m_fileSystem->files; }
	int opens() const { return m_fileSystem->opens; }

	CRefHolder<CTestContent> request(u32 type, const char* name)
	{
		return adoptRef(dynamic_cast<CTestContent*>(manager()->getContent(type, name, false)));
	}
	CTestContent* cached(u32 type, const char* name)
	{
		return dynamic_cast<CTestContent*>(manager()->findContent(type, ContentReference(manager(), name)));
	}

	CTestProcessor* shared;
	CTestProcessor* prototype;
	CTestProcessor* uncached;
	std::vector<std::string> trace;

private:
	CRefHolder<CMemoryFileSystem> m_fileSystem;
	SContentSetup m_setup;
};

TEST_F(ContentManagerTest, FlagsDecideWhatEachRequestReceives)
{
	struct SCase
	{
		const char* label;
		u32 type;
		bool sameObject; // every request receives one object
		bool copies;     // every request receives a copy of the cached object
		int loads;       // after three requests
	};
	const SCase cases[] = {
		{"shared", SHARED_TYPE, true, false, 1},
		{"prototype", PROTOTYPE_TYPE, false, true, 1},
		{"not cached", UNCACHED_TYPE, false, false, 3},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.label);
		const CTestProcessor* processor = c.type == SHARED_TYPE ? shared
			: c.type == PROTOTYPE_TYPE                          ? prototype
																: uncached;
		CRefHolder<CTestContent> first = request(c.type, "a.txt");
		CRefHolder<CTestContent> second = request(c.type, "a.txt");
		CRefHolder<CTestContent> third = request(c.type, "a.txt");
		ASSERT_TRUE(first && second && third);
		EXPECT_EQ(c.loads, processor->loads);
		EXPECT_EQ("alpha", third->text);
		EXPECT_STREQ("a.txt", first->getContentReference().getName().c_str());
		EXPECT_EQ(manager(), first->getContentManager());

		CTestContent* inCache = cached(c.type, "a.txt");
		if (c.sameObject)
		{
			EXPECT_EQ(first.get(), second.get());
			EXPECT_EQ(first.get(), third.get());
			EXPECT_EQ(first.get(), inCache);
			EXPECT_EQ(4, first->getReferenceCount()); // the cache's and three requests'
		}
		else
		{
			EXPECT_NE(first.get(), second.get());
			EXPECT_NE(second.get(), third.get());
			EXPECT_EQ(1, first->getReferenceCount());
		}
		if (c.copies)
		{
			ASSERT_TRUE(inCache);
			EXPECT_EQ(inCache, first->copiedFrom);
			EXPECT_EQ(inCache, third->copiedFrom);
			EXPECT_EQ(1, inCache->getReferenceCount()); // the prototype is never handed out
		}
		if (!c.sameObject && !c.copies)
		{
			EXPECT_EQ(nullptr, inCache);
		}
	}
	// Only the cached shared object and the prototype outlive the requests.
	EXPECT_EQ(2, CTestContent::s_alive);
}

TEST_F(ContentManagerTest, NamesAreLookedUpExactlyAsGiven)
{
	files()["Dir/a.txt"] = "upper";
	files()["dir/a.txt"] = "lower";
	files()["Dir\\a.txt"] = "backslash";

	EXPECT_EQ(nullptr, manager()->getContent(SHARED_TYPE, "", false));
	EXPECT_EQ(nullptr, manager()->getContent(SHARED_TYPE, "", true));
	EXPECT_EQ(0, opens()) << "an empty name reaches no file";

	EXPECT_EQ("one letter", request(SHARED_TYPE, "x")->text);
	EXPECT_EQ("upper", request(SHARED_TYPE, "Dir/a.txt")->text);
	EXPECT_EQ("lower", request(SHARED_TYPE, "dir/a.txt")->text);
	EXPECT_EQ("backslash", request(SHARED_TYPE, "Dir\\a.txt")->text);
	EXPECT_EQ("upper", request(SHARED_TYPE, "Dir/a.txt")->text);
	EXPECT_EQ(4, shared->loads);
	EXPECT_EQ(4, opens());

	// The same name of another type is another entry.
	EXPECT_EQ("upper", request(PROTOTYPE_TYPE, "Dir/a.txt")->text);
	EXPECT_EQ(1, prototype->loads);
}

TEST_F(ContentManagerTest, MissingFilesAndTypesWithoutProcessor)
{
	SLogCapture log;
	EXPECT_EQ(nullptr, manager()->getContent(SHARED_TYPE, "nowhere.txt", false));
	EXPECT_TRUE(log.lines.empty()) << log.all();
	EXPECT_EQ(1, opens());

	EXPECT_EQ(nullptr, manager()->getContent(UNSERVED_TYPE, "a.txt", false));
	ASSERT_EQ(1u, log.lines.size());
	EXPECT_EQ(LOG_WARNING, log.lines[0].level);
	EXPECT_EQ("CContentManager", log.lines[0].text);
	EXPECT_EQ("IContentProcessor for the content a.txt and type #" + std::to_string(UNSERVED_TYPE) + " not found",
		log.lines[0].hint);
	EXPECT_EQ(2, opens()) << "the file was opened and is dropped again";

	// A failed load enters nothing.
	shared->failLoad = true;
	EXPECT_EQ(nullptr, manager()->getContent(SHARED_TYPE, "a.txt", false));
	EXPECT_EQ(nullptr, cached(SHARED_TYPE, "a.txt"));
	shared->failLoad = false;
	EXPECT_EQ("alpha", request(SHARED_TYPE, "a.txt")->text);
	EXPECT_EQ(2, shared->loads);
}

TEST_F(ContentManagerTest, CacheHitWhileCachingIsOffGivesTheCallerItsOwnReference)
{
	CRefHolder<CTestContent> cachedShared = request(SHARED_TYPE, "a.txt");
	request(PROTOTYPE_TYPE, "a.txt");
	CTestContent* prototypeObject = cached(PROTOTYPE_TYPE, "a.txt");
	ASSERT_TRUE(prototypeObject);
	ASSERT_EQ(2, cachedShared->getReferenceCount());

	manager()->setCachingEnabled(false);
	EXPECT_FALSE(manager()->isCachingEnabled());
	{
		CRefHolder<CTestContent> again = request(SHARED_TYPE, "a.txt");
		EXPECT_EQ(cachedShared.get(), again.get());
		EXPECT_EQ(3, again->getReferenceCount());

		CRefHolder<CTestContent> copy = request(PROTOTYPE_TYPE, "a.txt");
		ASSERT_TRUE(copy);
		EXPECT_NE(prototypeObject, copy.get());
		EXPECT_EQ(prototypeObject, copy->copiedFrom);
		EXPECT_EQ(1, prototypeObject->getReferenceCount());
	}
	// The callers' drops left the cache's references alone.
	EXPECT_EQ(2, cachedShared->getReferenceCount());
	EXPECT_EQ(cachedShared.get(), cached(SHARED_TYPE, "a.txt"));
	EXPECT_EQ(1, shared->loads);
	EXPECT_EQ(1, prototype->loads);
}

TEST_F(ContentManagerTest, FreshObjectTheCacheCannotTakeIsTheCallersAlone)
{
	struct SCase
	{
		const char* label;
		u32 type;
		bool cachingOn;
		bool nameTaken; // another object entered the name while the file was read
	};
	const SCase cases[] = {
		{"shared, caching off", SHARED_TYPE, false, false},
		{"prototype, caching off", PROTOTYPE_TYPE, false, false},
		{"not cached", UNCACHED_TYPE, true, false},
		{"shared, name taken", SHARED_TYPE, true, true},
		{"prototype, name taken", PROTOTYPE_TYPE, true, true},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.label);
		manager()->clear();
		manager()->setCachingEnabled(c.cachingOn);
		CTestProcessor* processor = c.type == SHARED_TYPE ? shared : c.type == PROTOTYPE_TYPE ? prototype : uncached;
		CRefHolder<CTestContent> other;
		if (c.nameTaken)
		{
			processor->onLoad = [&other, &c](CContentManager* manager, CTestContent* content)
			{
				other = adoptRef(
					new CTestContent(content->getContentReference(), c.type, content->getContentFlags(), "other"));
				EXPECT_TRUE(manager->addContent(other.get()));
			};
		}
		const int aliveBefore = CTestContent::s_alive;
		CRefHolder<CTestContent> loaded = request(c.type, "b.txt");
		processor->onLoad = nullptr;
		ASSERT_TRUE(loaded);
		EXPECT_EQ("beta", loaded->text) << "the object as the processor made it, not a copy";
		EXPECT_EQ(nullptr, loaded->copiedFrom);
		EXPECT_EQ(1, loaded->getReferenceCount());
		EXPECT_NE(loaded.get(), cached(c.type, "b.txt"));
		loaded.release();
		EXPECT_EQ(aliveBefore + (c.nameTaken ? 1 : 0), CTestContent::s_alive);
		if (c.nameTaken)
		{
			EXPECT_EQ(other.get(), cached(c.type, "b.txt"));
		}
	}
	manager()->setCachingEnabled(true);
}

TEST_F(ContentManagerTest, AddAndRemoveEntries)
{
	const CRefHolder<CTestContent> first =
		adoptRef(new CTestContent(ContentReference(manager(), "k"), SHARED_TYPE, CONTENT_SHARED, "first"));
	const CRefHolder<CTestContent> second =
		adoptRef(new CTestContent(ContentReference(manager(), "k"), SHARED_TYPE, CONTENT_SHARED, "second"));
	const CRefHolder<CTestContent> never =
		adoptRef(new CTestContent(ContentReference(manager(), "n"), UNCACHED_TYPE, CONTENT_NOT_CACHED, "never"));

	EXPECT_FALSE(manager()->addContent(nullptr));
	EXPECT_FALSE(manager()->addContent(never.get()));
	EXPECT_TRUE(manager()->addContent(first.get()));
	EXPECT_FALSE(manager()->addContent(second.get()));
	EXPECT_EQ(2, first->getReferenceCount());
	EXPECT_EQ(1, second->getReferenceCount());
	EXPECT_EQ(first.get(), cached(SHARED_TYPE, "k"));
	// Under another name given by a key; the type is always the content's own.
	EXPECT_TRUE(manager()->addContent(ContentReference(manager(), "alias"), second.get()));
	EXPECT_EQ(second.get(), cached(SHARED_TYPE, "alias"));
	EXPECT_EQ(nullptr, manager()->findContent(PROTOTYPE_TYPE, ContentReference(manager(), "alias")));

	manager()->setCachingEnabled(false);
	const CRefHolder<CTestContent> late =
		adoptRef(new CTestContent(ContentReference(manager(), "late"), SHARED_TYPE, CONTENT_SHARED, "late"));
	EXPECT_FALSE(manager()->addContent(late.get()));
	manager()->setCachingEnabled(true);

	// Removal goes by the content's own key, whichever object the entry holds.
	manager()->removeContent(second.get());
	EXPECT_EQ(nullptr, cached(SHARED_TYPE, "k"));
	EXPECT_EQ(1, first->getReferenceCount());
	EXPECT_EQ(second.get(), cached(SHARED_TYPE, "alias"));
	manager()->removeContent(second.get());
	manager()->removeContent(nullptr);
	manager()->removeContent(never.get());

	// Removing a copy removes its prototype.
	CRefHolder<CTestContent> copy = request(PROTOTYPE_TYPE, "a.txt");
	ASSERT_TRUE(cached(PROTOTYPE_TYPE, "a.txt"));
	const int alive = CTestContent::s_alive;
	manager()->removeContent(copy.get());
	EXPECT_EQ(nullptr, cached(PROTOTYPE_TYPE, "a.txt"));
	EXPECT_EQ(alive - 1, CTestContent::s_alive) << "the prototype is destroyed";
}

TEST_F(ContentManagerTest, ReleaseUnusedWalksTypesInTagOrder)
{
	// 'a' is the lowest byte, the last letter the highest: "tstA" sorts before "tstB".
	const u32 early = makeContentType('t', 's', 't', 'A');
	const u32 late = makeContentType('t', 's', 't', 'B');
	ASSERT_LT(early, late);

	struct SCase
	{
		const char* label;
		bool lateHoldsEarly;
		int aliveAfterFirstPass;
	};
	// A late-type object released in the pass lets go of an early-type object already passed: it
	// waits for the next call. The other way round both go in one pass.
	const SCase cases[] = {{"late holds early", true, 1}, {"early holds late", false, 0}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.label);
		{
			const CRefHolder<CTestContent> earlyObject =
				adoptRef(new CTestContent(ContentReference(manager(), "e"), early, CONTENT_SHARED, ""));
			const CRefHolder<CTestContent> lateObject =
				adoptRef(new CTestContent(ContentReference(manager(), "l"), late, CONTENT_SHARED, ""));
			if (c.lateHoldsEarly)
				lateObject->held.assign(earlyObject.get());
			else
				earlyObject->held.assign(lateObject.get());
			ASSERT_TRUE(manager()->addContent(earlyObject.get()));
			ASSERT_TRUE(manager()->addContent(lateObject.get()));
		}
		const CRefHolder<CTestContent> kept = request(SHARED_TYPE, "a.txt");
		ASSERT_EQ(3, CTestContent::s_alive);
		manager()->releaseUnused();
		EXPECT_EQ(c.aliveAfterFirstPass + 1, CTestContent::s_alive);
		manager()->releaseUnused();
		EXPECT_EQ(1, CTestContent::s_alive);
		EXPECT_EQ(kept.get(), cached(SHARED_TYPE, "a.txt")) << "held elsewhere: stays";
		manager()->clear();
	}
}
} // namespace

namespace
{
TEST_F(ContentManagerTest, ClearLetsGoOfEverything)
{
	CRefHolder<CTestContent> kept = request(SHARED_TYPE, "a.txt");
	request(PROTOTYPE_TYPE, "a.txt");
	request(SHARED_TYPE, "b.txt");
	ASSERT_EQ(3, CTestContent::s_alive);

	manager()->clear();
	EXPECT_EQ(1, CTestContent::s_alive) << "only the object held here survives";
	EXPECT_EQ(1, kept->getReferenceCount());
	EXPECT_EQ(nullptr, cached(SHARED_TYPE, "a.txt"));

	CRefHolder<CTestContent> reloaded = request(SHARED_TYPE, "a.txt");
	EXPECT_NE(kept.get(), reloaded.get());
	EXPECT_EQ(3, shared->loads);
}

TEST_F(ContentManagerTest, PathStackResolvesNamesAgainstTheFileBeingRead)
{
	EXPECT_EQ(1u, manager()->getPathStackSize());
	manager()->popPath();
	EXPECT_EQ(1u, manager()->getPathStackSize()) << "the first entry stays";
	EXPECT_STREQ("", manager()->getCurrentPath().c_str());
	EXPECT_STREQ("menu/../x.png", manager()->makeAbsolute("menu/../x.png").c_str()) << "no base: unchanged";

	struct SCase
	{
		const char* base;
		const char* name;
		const char* absolute;
	};
	const SCase cases[] = {
		{"scenes/menu/Main.oscn", "Button.oscn", "scenes/menu/Button.oscn"},
		{"scenes/menu/Main.oscn", "../common/Back.oscn", "scenes/common/Back.oscn"},
		{"scenes/menu/Main.oscn", "./parts/Panel.oscn", "scenes/menu/parts/Panel.oscn"},
		{"Main.oscn", "Button.oscn", "Button.oscn"},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.base + std::string(" + ") + c.name);
		manager()->pushPath(c.base);
		EXPECT_STREQ(c.absolute, manager()->makeAbsolute(c.name).c_str());
		EXPECT_STREQ(c.name[0] == '.' && c.name[1] == '/' ? c.name + 2 : c.name,
			manager()->makeRelative(c.absolute).c_str());
		manager()->popPath();
	}
	EXPECT_EQ(1u, manager()->getPathStackSize());

	// A processor that reads a file naming another: while the manager has it load the file, the
	// name resolves against the file's folder.
	files()["scenes/menu/Main.txt"] = "../images/Cursor.txt";
	files()["scenes/images/Cursor.txt"] = "cursor";
	std::vector<u32> depths;
	prototype->onLoad = [&](CContentManager* manager, CTestContent* content)
	{
		depths.push_back(manager->getPathStackSize());
		content->held = adoptRef(manager->getContent(SHARED_TYPE, content->text.c_str(), true));
	};
	CRefHolder<CTestContent> main = request(PROTOTYPE_TYPE, "scenes/menu/Main.txt");
	ASSERT_TRUE(main);
	CTestContent* prototypeObject = cached(PROTOTYPE_TYPE, "scenes/menu/Main.txt");
	ASSERT_TRUE(prototypeObject && prototypeObject->held);
	EXPECT_EQ("cursor", static_cast<CTestContent*>(prototypeObject->held.get())->text);
	EXPECT_EQ(std::vector<std::string>{"scenes/images/Cursor.txt"}, shared->loadedNames);
	EXPECT_EQ(std::vector<u32>{2u}, depths);
	EXPECT_EQ(1u, manager()->getPathStackSize());
}

TEST_F(ContentManagerTest, OpenFileIsKeyedByItsOwnName)
{
	const CRefHolder<CMemoryFile> file =
		adoptRef(new CMemoryFile(new u8[5]{'o', 'p', 'e', 'n', '!'}, 5, "given.txt", true));
	CRefHolder<CTestContent> first =
		adoptRef(dynamic_cast<CTestContent*>(manager()->getContent(SHARED_TYPE, file.get())));
	ASSERT_TRUE(first);
	EXPECT_EQ("open!", first->text);
	EXPECT_EQ(1, file->getReferenceCount()) << "the caller keeps its file";
	EXPECT_EQ(0, opens());

	// A hit by the name, without reading the file given.
	const CRefHolder<CMemoryFile> other = adoptRef(new CMemoryFile(new u8[1]{'?'}, 1, "given.txt", true));
	CRefHolder<CTestContent> second =
		adoptRef(dynamic_cast<CTestContent*>(manager()->getContent(SHARED_TYPE, other.get())));
	EXPECT_EQ(first.get(), second.get());
	EXPECT_EQ(0, other->getPos());
	EXPECT_EQ(first.get(), request(SHARED_TYPE, "given.txt").get());
	EXPECT_EQ(1, shared->loads);
	EXPECT_EQ(nullptr, manager()->getContent(SHARED_TYPE, static_cast<io::IReadFile*>(nullptr)));
}

TEST_F(ContentManagerTest, DeviceEventsReachTheProcessorsOfCachedTypesByPriority)
{
	CTestProcessor* late = addProcessor(makeContentType('t', 'l', 'a', 't'), CONTENT_SHARED, 1);
	CTestProcessor* idle = addProcessor(makeContentType('t', 'i', 'd', 'l'), CONTENT_SHARED, -5);
	(void)idle;
	CEventDevice event;

	EXPECT_FALSE(manager()->routeEvent(ROUTE_SELF_DOWN, &event));
	EXPECT_TRUE(trace.empty()) << "nothing cached: no processor is asked";

	files()["late.txt"] = "late";
	request(makeContentType('t', 'l', 'a', 't'), "late.txt");
	request(SHARED_TYPE, "a.txt");
	request(SHARED_TYPE, "b.txt");
	request(PROTOTYPE_TYPE, "a.txt");
	request(UNCACHED_TYPE, "a.txt");
	// An emptied type is not asked either.
	request(makeContentType('t', 'i', 'd', 'l'), "a.txt");
	manager()->removeContent(cached(makeContentType('t', 'i', 'd', 'l'), "a.txt"));

	EXPECT_FALSE(manager()->routeEvent(ROUTE_SELF_DOWN, &event));
	ASSERT_EQ(3u, trace.size());
	// Priority 0 first (their order among themselves is free), then the priority 1 processor.
	std::vector<std::string> first(trace.begin(), trace.begin() + 2);
	std::sort(first.begin(), first.end());
	std::vector<std::string> expected = {std::to_string(SHARED_TYPE) + ":1:2", std::to_string(PROTOTYPE_TYPE) + ":1:1"};
	std::sort(expected.begin(), expected.end());
	EXPECT_EQ(expected, first);
	EXPECT_EQ(std::to_string(late->getContentType()) + ":1:1", trace[2]);
}

TEST_F(ContentManagerTest, SavingReplacesTheFileOnlyWhenTheProcessorHasWrittenIt)
{
	test::CTempFolder folder;
	const std::string target = folder.write("saved.txt", "old content");
	CRefHolder<CTestContent> content = request(SHARED_TYPE, "a.txt");
	int parameter = 80;

	{
		SLogCapture log;
		EXPECT_FALSE(manager()->saveContent(UNSERVED_TYPE, content.get(), target.c_str(), nullptr));
		ASSERT_EQ(1u, log.lines.size());
		EXPECT_EQ(LOG_WARNING, log.lines[0].level);
		EXPECT_EQ("CContentManager", log.lines[0].text);
		EXPECT_EQ("IContentProcessor for saving the content " + target + " of type #" + std::to_string(UNSERVED_TYPE) +
				" not found",
			log.lines[0].hint);
	}
	EXPECT_EQ("old content", test::readDiskFile(target));

	shared->refuseSave = true;
	EXPECT_FALSE(manager()->saveContent(SHARED_TYPE, content.get(), target.c_str(), &parameter));
	EXPECT_EQ("old content", test::readDiskFile(target)) << "a refused save leaves the file as it was";
	shared->refuseSave = false;

	manager()->pushPath("scenes/Outer.oscn");
	EXPECT_TRUE(manager()->saveContent(SHARED_TYPE, content.get(), target.c_str(), &parameter));
	manager()->popPath();
	EXPECT_EQ("alpha", test::readDiskFile(target));
	EXPECT_EQ(&parameter, shared->lastParameter);
	EXPECT_EQ(target, shared->savedNames.back()) << "the processor writes under the target's name";

	{
		SLogCapture log;
		EXPECT_FALSE(
			manager()->saveContent(SHARED_TYPE, content.get(), (folder / "missing/saved.txt").c_str(), nullptr));
		EXPECT_TRUE(log.lines.empty()) << log.all();
	}
}
} // namespace
