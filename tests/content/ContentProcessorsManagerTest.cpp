#include "ContentTestSupport.h"

#include "content/CAtlasTextureProcessor.h"
#include "content/CFontProcessor.h"
#include "content/CSceneNodeProcessor.h"
#include "platform/CEventDevice.h"

#include <irrlicht.h>

using namespace fw;
using namespace fw::contenttest;

namespace
{
// Keeps the engine's own log lines out of the test output.
class CQuietEngine : public irr::IEventReceiver
{
public:
	bool OnEvent(const irr::SEvent& event) override { return event.EventType == irr::EET_LOG_TEXT_EVENT; }
};

CRefHolder<irr::IrrlichtDevice> makeNullEngine()
{
	static CQuietEngine quiet;
	irr::SIrrlichtCreationParameters params;
	params.DriverType = video::EDT_NULL;
	params.EventReceiver = &quiet;
	return adoptRef(irr::createDeviceEx(params));
}

// Records the driver events it is offered.
class CDriverWatcher : public CTestProcessor
{
public:
	CDriverWatcher(u32 type, u32 mask) : CTestProcessor(type, CONTENT_SHARED) { setEventMask(mask); }

	bool onVideoDriverReleased(CEventDeviceVideoDriverReleased*) override
	{
		events.push_back(9);
		return false;
	}
	bool onVideoDriverCreated(CEventDeviceVideoDriverCreated*) override
	{
		events.push_back(10);
		return false;
	}

	std::vector<int> events;
};

TEST(ContentProcessorsManager, FindsTheProcessorOfATagAndRefusesASecondOne)
{
	const CRefHolder<CNodeFactory> factory = makeTestFactory();
	const CRefHolder<CContentProcessorsManager> processors =
		adoptRef(new CContentProcessorsManager(nullptr, nullptr, factory.get()));
	EXPECT_EQ(EVENT_CATEGORY_DEVICE, processors->getEventMask());
	const u32 count = processors->getProcessorCount();
	IContentProcessor* sceneNodes = processors->getProcessor(CONTENT_TYPE_SCENE_NODE);
	ASSERT_TRUE(dynamic_cast<CSceneNodeProcessor*>(sceneNodes));
	EXPECT_EQ(EVENT_CATEGORY_DEVICE, sceneNodes->getEventMask());
	EXPECT_EQ(0, sceneNodes->getPriority());
	EXPECT_EQ(nullptr, processors->getProcessor(makeContentType('a', 'b', 'c', 'd')));

	SLogCapture log;
	const CRefHolder<CTestProcessor> second = adoptRef(new CTestProcessor(CONTENT_TYPE_SCENE_NODE, 0));
	processors->registerProcessor(second.get());
	processors->registerProcessor(nullptr);
	ASSERT_EQ(1u, log.lines.size());
	EXPECT_EQ(LOG_WARNING, log.lines[0].level);
	// "snod" with 's' in the lowest byte.
	EXPECT_EQ("CContentProcessorsManager", log.lines[0].text);
	EXPECT_EQ("IContentProcessor for the type #1685024371 is already present", log.lines[0].hint);
	EXPECT_EQ(sceneNodes, processors->getProcessor(CONTENT_TYPE_SCENE_NODE));
	EXPECT_EQ(1, second->getReferenceCount());
	EXPECT_EQ(count, processors->getProcessorCount());

	const CRefHolder<CTestProcessor> other = adoptRef(new CTestProcessor(makeContentType('a', 'b', 'c', 'd'), 0));
	processors->registerProcessor(other.get());
	EXPECT_EQ(other.get(), processors->getProcessor(makeContentType('a', 'b', 'c', 'd')));
	EXPECT_EQ(2, other->getReferenceCount());
	EXPECT_EQ(count + 1, processors->getProcessorCount());
}

TEST(ContentProcessorsManager, DriverEventsReachTheProcessorsThatTakeDeviceEvents)
{
	const CRefHolder<irr::IrrlichtDevice> engine = makeNullEngine();
	const CRefHolder<irr::IrrlichtDevice> nextEngine = makeNullEngine();
	ASSERT_TRUE(engine && nextEngine);
	video::IVideoDriver* driver = engine->getVideoDriver();
	video::IVideoDriver* nextDriver = nextEngine->getVideoDriver();

	const CRefHolder<CNodeFactory> factory = makeTestFactory();
	const CRefHolder<CFileSystem> fileSystem = adoptRef(createFileSystem());
	const CRefHolder<CContentProcessorsManager> processors =
		adoptRef(new CContentProcessorsManager(driver, fileSystem.get(), factory.get()));
	const CRefHolder<CContentManager> manager =
		adoptRef(new CContentManager(driver, fileSystem.get(), processors.get()));
	const CRefHolder<CDriverWatcher> listening = adoptRef(new CDriverWatcher(makeContentType('l', 'i', 's', 't'), 1));
	const CRefHolder<CDriverWatcher> deaf = adoptRef(new CDriverWatcher(makeContentType('d', 'e', 'a', 'f'), 0));
	processors->registerProcessor(listening.get());
	processors->registerProcessor(deaf.get());
	auto* sceneNodes = static_cast<CSceneNodeProcessor*>(processors->getProcessor(CONTENT_TYPE_SCENE_NODE));
	auto* atlasTextures = static_cast<CAtlasTextureProcessor*>(processors->getProcessor(CONTENT_TYPE_ATLAS_TEXTURE));
	auto* fonts = static_cast<CFontProcessor*>(processors->getProcessor(CONTENT_TYPE_FONT));
	ASSERT_TRUE(atlasTextures && fonts);
	EXPECT_TRUE(processors->getProcessor(makeContentType('a', 't', 'x', 'c')));
	EXPECT_EQ(driver, atlasTextures->getVideoDriver());
	EXPECT_EQ(driver, fonts->getVideoDriver());
	EXPECT_EQ(driver, processors->getVideoDriver());
	EXPECT_EQ(driver, sceneNodes->getVideoDriver());
	EXPECT_EQ(driver, manager->getVideoDriver());
	EXPECT_EQ(fileSystem.get(), processors->getFileSystem());
	EXPECT_EQ(factory.get(), processors->getNodeFactory());

	// In the device's order: the processors manager, then the content manager; neither consumes.
	const CRefHolder<CEvent> released = adoptRef<CEvent>(new CEventDeviceVideoDriverReleased);
	EXPECT_FALSE(processors->routeEvent(ROUTE_SELF_DOWN, released.get()));
	EXPECT_FALSE(manager->routeEvent(ROUTE_SELF_DOWN, released.get()));
	EXPECT_EQ(nullptr, processors->getVideoDriver());
	EXPECT_EQ(nullptr, sceneNodes->getVideoDriver());
	EXPECT_EQ(nullptr, atlasTextures->getVideoDriver());
	EXPECT_EQ(nullptr, fonts->getVideoDriver());
	EXPECT_EQ(nullptr, manager->getVideoDriver());

	const CRefHolder<CEvent> created = adoptRef<CEvent>(new CEventDeviceVideoDriverCreated(nextDriver));
	EXPECT_FALSE(processors->routeEvent(ROUTE_SELF_DOWN, created.get()));
	EXPECT_FALSE(manager->routeEvent(ROUTE_SELF_DOWN, created.get()));
	EXPECT_EQ(nextDriver, processors->getVideoDriver());
	EXPECT_EQ(nextDriver, sceneNodes->getVideoDriver());
	EXPECT_EQ(nextDriver, atlasTextures->getVideoDriver());
	EXPECT_EQ(nextDriver, fonts->getVideoDriver());
	EXPECT_EQ(nextDriver, manager->getVideoDriver());

	EXPECT_EQ((std::vector<int>{9, 10}), listening->events);
	EXPECT_TRUE(deaf->events.empty());
}
} // namespace
