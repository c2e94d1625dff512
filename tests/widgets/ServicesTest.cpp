#include "WidgetTestSupport.h"

#include "content/CContentManager.h"
#include "platform/CDeviceLinux.h"
#include "platform/CDeviceStub.h"
#include "platform/CProfileManager.h"
#include "platform/CRandomGenerator.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "widgets/SoundNode.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fw::widgettest;

namespace
{
// A scene manager whose context holds every service, each a distinct object.
class NodeServices : public ::testing::Test
{
protected:
	NodeServices() :
		device(adoptRef(createDevice(SDeviceCreationParameters()))),
		timers(adoptRef(new CTimerManager)),
		profiles(adoptRef(new CProfileManager)),
		content(adoptRef(new CContentManager(nullptr, nullptr, nullptr))),
		manager(adoptRef(new SceneManager)),
		scene(adoptRef(new SceneNode(ContentReference(), nullptr, nullptr)))
	{
		services = device->getServices();
		services.timers = timers.get();
		services.profiles = profiles.get();
		services.random = &random;
		services.content = content.get();
		manager->setServices(services);
	}
	~NodeServices() override
	{
		manager->setActiveScene(nullptr);
		manager->processMessageQueue();
	}

	static std::vector<const void*> fields(const SServices& s)
	{
		return {s.device, s.timers, s.sound, s.dictionary, s.profiles, s.random, s.content, s.cursor};
	}

	CRefHolder<CDeviceStub> device;
	CRefHolder<CTimerManager> timers;
	CRefHolder<CProfileManager> profiles;
	CRandomGenerator random;
	CRefHolder<CContentManager> content;
	CRefHolder<SceneManager> manager;
	CRefHolder<SceneNode> scene;
	SServices services;
};

TEST_F(NodeServices, ANodeReachesEachServiceThroughItsSceneManager)
{
	ASSERT_TRUE(device);
	const std::vector<const void*> expected = fields(services);
	// All but the cursor, which a device without a window has not.
	for (size_t i = 0; i + 1 < expected.size(); ++i)
		EXPECT_NE(nullptr, expected[i]) << "field " << i;

	// Made with the manager, or in a scene the manager runs.
	const CRefHolder<BaseNode> made = adoptRef(new BaseNode(ContentReference(), nullptr, manager.get()));
	BaseNode* child = new BaseNode(ContentReference(), scene.get(), nullptr);
	child->drop();
	ASSERT_TRUE(manager->setActiveScene(scene.get()));
	EXPECT_EQ(expected, fields(made->getServices()));
	EXPECT_EQ(expected, fields(child->getServices()));
	EXPECT_EQ(expected, fields(scene->getServices()));
	EXPECT_EQ(expected, fields(manager->getServices()));
	EXPECT_EQ(expected, fields(static_cast<const ISceneManager*>(manager.get())->getServices()));
}

TEST_F(NodeServices, OutsideASceneManagerThereAreNone)
{
	const CRefHolder<BaseNode> alone = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
	EXPECT_EQ(&noServices(), &alone->getServices());
	EXPECT_EQ(std::vector<const void*>(8, nullptr), fields(alone->getServices()));

	// A child taken off a scene leaves its manager's services behind.
	BaseNode* child = new BaseNode(ContentReference(), scene.get(), nullptr);
	const CRefHolder<BaseNode> held(child);
	child->drop();
	ASSERT_TRUE(manager->setActiveScene(scene.get()));
	EXPECT_EQ(device.get(), child->getServices().device);
	scene->removeChild(child);
	EXPECT_EQ(&noServices(), &child->getServices());
}

// A sound node that must play under a manager without a sound manager says so once and plays nothing.
TEST_F(NodeServices, ASoundNodeWithoutASoundManagerSaysSoOnce)
{
	SServices silent = services;
	silent.sound = nullptr;
	manager->setServices(silent);
	SoundNode* node = new SoundNode(ContentReference(), scene.get(), nullptr);
	node->drop();
	node->setName("Jingle");
	node->setSoundCueName(CNameTableSingleton::Instance().intern("Jingle"));
	ASSERT_TRUE(manager->setActiveScene(scene.get()));
	nodetest::SLogCapture log;
	manager->drawAll(device->getVideoDriver());
	manager->drawAll(device->getVideoDriver());
	EXPECT_EQ(1u, log.countContaining("SoundNode Jingle: no sound manager")) << log.all();
	EXPECT_EQ(nullptr, node->getCue());
}
} // namespace
