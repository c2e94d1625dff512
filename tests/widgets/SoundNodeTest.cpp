#include "WidgetTestSupport.h"
#include "platform/SoundTestSupport.h"

#include "core/CNameTable.h"
#include "platform/CDeviceLinux.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "widgets/SoundNode.h"

#include <gtest/gtest.h>

namespace fw
{
namespace
{
using namespace widgettest;
using soundtest::CScriptedSound;

// A device whose sound manager holds cues of scripted sounds, and a scene manager drawing the
// fixture scene.
class SoundNodeScene : public ::testing::Test
{
protected:
	SoundNodeScene()
	{
		registerWidgetServices();
		device = adoptRef(createDevice(SDeviceCreationParameters()));
		sounds = device->getSoundManager();
		addCue("NodeJingle");
		factory = makeFactory();
		manager = adoptRef(new SceneManager);
		manager->setServices(device->getServices());
		scene = loadFixtureAs<SceneNode>(factory.get(), "SoundScene.oscn");
		music = nodeCast<SoundNode>(scene->getChildren()[0]);
		late = nodeCast<SoundNode>(scene->getChildren()[1]);
	}
	~SoundNodeScene() override
	{
		manager->setActiveScene(nullptr);
		manager->processMessageQueue();
	}

	void addCue(const char* name)
	{
		const CRefHolder<CSoundCue> cue = adoptRef(new CSoundCue(CNameTableSingleton::Instance().intern(name)));
		cue->addSound(adoptRef(new CScriptedSound(name)).get());
		sounds->registerCue(cue.get());
	}

	// One frame, on the device's null video driver.
	void draw() { manager->drawAll(device->getVideoDriver()); }

	// Instances of the cue in the sound manager's playing list, and how many of them play.
	u32 instances(const char* name, bool playingOnly = false) const
	{
		u32 count = 0;
		for (u32 i = 0; i < sounds->getPlayingCount(); ++i)
			if (sounds->getPlaying(i)->getNameId() == CNameTableSingleton::Instance().intern(name) &&
				(!playingOnly || sounds->getPlaying(i)->getState() == 2))
				++count;
		return count;
	}

	void advance(u32 ms)
	{
		if (CTimerManager* timers = dynamic_cast<CTimerManager*>(scene->getTimerManager()))
			timers->update(ms);
		manager->processMessageQueue();
	}

	CRefHolder<CDeviceStub> device;
	CSoundManager* sounds = nullptr;
	CRefHolder<CNodeFactory> factory;
	CRefHolder<SceneManager> manager;
	CRefHolder<SceneNode> scene;
	SoundNode* music = nullptr;
	SoundNode* late = nullptr;
};

TEST_F(SoundNodeScene, StartsOnTheFirstDrawOnce)
{
	ASSERT_TRUE(music && late);
	EXPECT_EQ(0u, sounds->getPlayingCount()) << "loading plays nothing";
	ASSERT_TRUE(manager->setActiveScene(scene.get()));
	draw();
	EXPECT_EQ(1u, instances("NodeJingle", true));
	EXPECT_TRUE(music->isPlaying());
	// Play read by name (as key frames read it) answers whether the instance plays.
	const PropertyTable& table = music->getPropertyTable();
	const s32 index = findPropertyIndex(table, "Play");
	ASSERT_GE(index, 0);
	EXPECT_EQ("true", std::string(table[static_cast<u32>(index)].getter(music)->toString().c_str()));
	draw();
	draw();
	EXPECT_EQ(1u, instances("NodeJingle")) << "started once";

	// A copy (as a template gives) starts its own instance when it is first drawn.
	music->clone(scene.get());
	draw();
	EXPECT_EQ(2u, instances("NodeJingle", true));
}

TEST_F(SoundNodeScene, KeyFrameStopsAndPlayRestarts)
{
	ASSERT_TRUE(manager->setActiveScene(scene.get()));
	draw();
	CSoundCue* first = music->getCue();
	ASSERT_TRUE(first);
	music->enterState(CNameTableSingleton::Instance().intern("Quiet"), nullptr, -1);
	advance(10);
	EXPECT_EQ(0, first->getState()) << "stopped at once, without the group's fade";
	EXPECT_FALSE(music->isPlaying());
	EXPECT_FALSE(music->getPlayFlag());
	const CRefHolder<CPropertyContainer> written = adoptRef(new CPropertyContainer(nullptr));
	music->writeProperties(written.get());
	EXPECT_FALSE(written->getBool("Play"));
	EXPECT_EQ("NodeJingle", std::string(written->getString("SoundCueName").c_str()));

	music->setPlay(true);
	EXPECT_TRUE(music->isPlaying());
	EXPECT_NE(first, music->getCue()) << "a new instance";
}

// A cue that is not registered is asked for on every pass, and plays once it exists.
TEST_F(SoundNodeScene, UnregisteredCueIsRetriedEveryPass)
{
	ASSERT_TRUE(manager->setActiveScene(scene.get()));
	for (int i = 0; i < 3; ++i)
		draw();
	EXPECT_EQ(0u, instances("NodeLate"));
	EXPECT_FALSE(late->isPlaying());
	addCue("NodeLate");
	draw();
	EXPECT_EQ(1u, instances("NodeLate", true));
	draw();
	EXPECT_EQ(1u, instances("NodeLate"));

	// A hidden node neither stops nor restarts; a change while hidden waits for it to show.
	late->setVisible(false);
	late->setPlay(false);
	draw();
	EXPECT_TRUE(late->isPlaying());
	late->setVisible(true);
	draw();
	EXPECT_FALSE(late->isPlaying());

	// Destroying the node lets its instance play on under the sound manager.
	CSoundCue* instance = music->getCue();
	ASSERT_TRUE(instance);
	scene->removeChild(music);
	EXPECT_EQ(2, instance->getState());
}
} // namespace
} // namespace fw
