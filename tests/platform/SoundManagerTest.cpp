#include "SoundTestSupport.h"

#include "core/CNameTable.h"
#include "core/IContentManager.h"
#include "core/IXMLReader.h"
#include "platform/CEventDevice.h"
#include "platform/CEventSound.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CFileSystem.h"
#include "platform/CNullAudioDriver.h"
#include "platform/CRandomGenerator.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "platform/CSoundPack.h"

#include <gtest/gtest.h>

#include <map>

namespace fw
{
namespace
{
using soundtest::CScriptedSound;

// A manager with cues of scripted sounds, driven by update events of simulated milliseconds.
struct SManagerFixture
{
	SManagerFixture() : manager(adoptRef(new CSoundManager)) {}

	// A registered cue with the given number of sounds.
	CSoundCue* addCue(const std::string& name, s32 group = -1, u32 sounds = 1, bool loop = false, f32 volume = 1.f)
	{
		const s32 id = CNameTableSingleton::Instance().intern(name.c_str());
		const CRefHolder<CSoundCue> cue = adoptRef(new CSoundCue(id));
		cue->setGroupId(group);
		cue->setLoop(loop);
		cue->setVolume(volume);
		for (u32 i = 0; i < sounds; ++i)
			cue->addSound(adoptRef(new CScriptedSound(name + std::to_string(i), &trace)).get());
		EXPECT_TRUE(manager->registerCue(cue.get()));
		return cue.get();
	}

	static s32 id(const std::string& name) { return CNameTableSingleton::Instance().intern(name.c_str()); }

	CSoundCue* play(const std::string& name, bool onlyIfNotPlaying = false, s32 fadeIn = 0)
	{
		return manager->play(id(name), onlyIfNotPlaying, fadeIn);
	}

	void step(u32 ms) { manager->onEvent(adoptRef(new CEventSystemFlowUpdate(ms)).get()); }

	static CScriptedSound* sound(CSoundCue* instance)
	{
		return static_cast<CScriptedSound*>(instance->getCurrentSound());
	}

	std::vector<std::string> trace;
	CRefHolder<CSoundManager> manager;
};

// Group admission: limits, policies and muted groups, as a table.
TEST(SoundManager, GroupAdmission)
{
	struct SCase
	{
		const char* what;
		u32 maxPlaying;
		s32 policy;
		f32 volume;
		u32 alreadyPlaying;
		bool admitted;
		u32 listAfter;
		u32 fadingAfter;
	};
	const SCase cases[] = {
		{"no limit", 0, 0, 1.f, 5, true, 6, 0},
		{"under the limit", 2, 0, 1.f, 1, true, 2, 0},
		{"at the limit, policy 0 refuses", 1, 0, 1.f, 1, false, 1, 0},
		{"at the limit, policy 1 fades the oldest", 1, 1, 1.f, 1, true, 2, 1},
		{"at the limit, policy 2 plays on", 1, 2, 1.f, 1, true, 2, 0},
		{"policy 1 with limit 2 fades one", 2, 1, 1.f, 2, true, 3, 1},
		{"a muted group refuses", 0, 0, 0.f, 0, false, 0, 0},
	};
	for (const SCase& c : cases)
	{
		SManagerFixture f;
		f.addCue("music", 3);
		SoundGroup& group = f.manager->getGroup(3);
		group.maxPlaying = 0;
		group.fadeOutMs = 1000;
		for (u32 i = 0; i < c.alreadyPlaying; ++i)
			ASSERT_TRUE(f.play("music")) << c.what;
		group.maxPlaying = c.maxPlaying;
		group.policy = c.policy;
		f.manager->setGroupVolume(c.volume, 3);
		EXPECT_EQ(c.admitted, f.play("music") != nullptr) << c.what;
		EXPECT_EQ(c.listAfter, f.manager->getPlayingCount()) << c.what;
		u32 fading = 0;
		for (u32 i = 0; i < f.manager->getPlayingCount(); ++i)
			fading += f.manager->getPlaying(i)->getFadeMode() == CSoundCue::FADE_OUT;
		EXPECT_EQ(c.fadingAfter, fading) << c.what;
		if (c.fadingAfter)
		{
			EXPECT_EQ(CSoundCue::FADE_OUT, f.manager->getPlaying(0)->getFadeMode()) << c.what << ": the oldest fades";
		}
	}
}

// A music group of limit 1 and policy 1 cross-fades: the old piece fades to silence over the
// group's fade-out while the new one fades in, and only the new one counts.
TEST(SoundManager, CrossFadeTiming)
{
	SManagerFixture f;
	f.addCue("a", 1);
	f.addCue("b", 1);
	SoundGroup& group = f.manager->getGroup(1);
	group.maxPlaying = 1;
	group.policy = 1;
	group.fadeOutMs = 1000;
	group.fadeInMs = 500;
	f.manager->setGroupVolume(0.8f, 1);

	CSoundCue* a = f.play("a", false, -1); // no fade-in
	ASSERT_TRUE(a);
	EXPECT_FLOAT_EQ(0.8f, f.sound(a)->volume);
	CSoundCue* b = f.play("b");
	ASSERT_TRUE(b);
	EXPECT_EQ(CSoundCue::FADE_OUT, a->getFadeMode());
	EXPECT_EQ(CSoundCue::FADE_IN, b->getFadeMode());
	EXPECT_FLOAT_EQ(0.f, f.sound(b)->volume);

	struct SPoint
	{
		u32 step;
		f32 volumeA;
		f32 volumeB;
		u32 playing;
	};
	const SPoint points[] = {
		{250, 0.6f, 0.4f, 2}, {250, 0.4f, 0.8f, 2}, // b's fade-in is over at 500 ms
		{250, 0.2f, 0.8f, 2}, {249, 0.0008f, 0.8f, 2},
		{1, 0.f, 0.8f, 1}, // a reaches silence at 1000 ms and leaves the list in the same update
	};
	CScriptedSound* soundA = f.sound(a);
	const CRefHolder<CSoundCue> keepA(a);
	for (const SPoint& p : points)
	{
		f.step(p.step);
		if (p.playing == 2)
			EXPECT_NEAR(p.volumeA, soundA->volume, 1e-4);
		else
			EXPECT_EQ(ISound::STATE_STOPPED, soundA->state);
		EXPECT_NEAR(p.volumeB, f.sound(b)->volume, 1e-4);
		EXPECT_EQ(p.playing, f.manager->getPlayingCount());
	}
	// While a faded, a third play counted only b: limit 1, so b now fades in turn.
	group.fadeOutMs = 0;
	ASSERT_TRUE(f.play("a", false, -1));
	EXPECT_EQ(1u, f.manager->getPlayingCount() - (b->getState() == 0 ? 1 : 0));
}

TEST(SoundManager, MuteAndMasterVolume)
{
	SManagerFixture f;
	f.addCue("master", -1, 1, false, 0.5f);
	f.addCue("effect", 2);
	CSoundCue* playing = f.play("effect");
	ASSERT_TRUE(playing);

	// Half the master volume halves everything, registered cues and playing instances alike.
	f.manager->setGroupVolume(0.5f, -1);
	EXPECT_FLOAT_EQ(0.5f, f.sound(playing)->volume);
	EXPECT_FLOAT_EQ(0.25f, f.manager->findCue(f.id("master"))->getEffectiveVolume());
	CSoundCue* master = f.play("master");
	ASSERT_TRUE(master);
	EXPECT_FLOAT_EQ(0.25f, f.sound(master)->volume);

	// A muted group refuses new plays; what plays stays, silent.
	f.manager->setGroupVolume(0.f, 2);
	EXPECT_FALSE(f.play("effect"));
	EXPECT_FLOAT_EQ(0.f, f.sound(playing)->volume);
	EXPECT_EQ(ISound::STATE_PLAYING, f.sound(playing)->state);
	f.manager->setGroupVolume(1.f, 2);

	// Master at 0: cues of the master group are refused, other groups start silent and count.
	f.manager->setGroupVolume(0.f, -1);
	EXPECT_FALSE(f.play("master"));
	f.manager->getGroup(2).maxPlaying = 2;
	CSoundCue* silent = f.play("effect");
	ASSERT_TRUE(silent);
	EXPECT_FLOAT_EQ(0.f, f.sound(silent)->volume);
	EXPECT_FALSE(f.play("effect")) << "the silent instance counts towards the limit";
}

TEST(SoundManager, PauseAndResume)
{
	SManagerFixture f;
	f.addCue("loop", 4, 1, true);
	f.addCue("other", 5);
	CSoundCue* first = f.play("loop");
	CSoundCue* other = f.play("other");
	f.manager->pauseGroup(true, 4);
	EXPECT_EQ(ISound::STATE_PAUSED, first->getState());
	EXPECT_EQ(ISound::STATE_PLAYING, other->getState());

	// A play into a paused group starts paused and counts towards the limit.
	f.manager->getGroup(4).maxPlaying = 2;
	CSoundCue* second = f.play("loop");
	ASSERT_TRUE(second);
	EXPECT_EQ(ISound::STATE_PAUSED, second->getState());
	EXPECT_FALSE(f.play("loop"));
	f.step(100);
	EXPECT_EQ(3u, f.manager->getPlayingCount()) << "paused instances stay";

	f.manager->pauseGroup(false, 4);
	EXPECT_EQ(ISound::STATE_PLAYING, first->getState());
	EXPECT_EQ(ISound::STATE_PLAYING, second->getState());

	// Group -1 pauses what plays now and stores no flag: a later play starts unpaused.
	f.manager->pauseGroup(true, -1);
	EXPECT_EQ(ISound::STATE_PAUSED, other->getState());
	f.manager->getGroup(4).maxPlaying = 0;
	EXPECT_EQ(ISound::STATE_PLAYING, f.play("loop")->getState());
	// Resuming never restarts a sound that plays.
	f.trace.clear();
	f.manager->pauseGroup(false, -1);
	for (const std::string& entry : f.trace)
		EXPECT_EQ(std::string::npos, entry.find(":play")) << entry;
}

// Stops during fades, and the only-if-not-playing refusal while an instance fades out.
TEST(SoundManager, StopsDuringFades)
{
	struct SCase
	{
		const char* what;
		s32 fadeIn;
		u32 before;
		s32 stopMs;
		s32 groupFadeOut;
		s32 fadeTimeAfterStop; // -1: stopped at once
		s32 fadeDurationAfterStop;
	};
	const SCase cases[] = {
		{"half-way through a fade-in", 1000, 500, 1000, 0, 500, 1000},
		{"a quarter into a fade-in, rounded half up", 1000, 250, 2, 0, 1, 2},
		{"while fading out, the running fade-out goes on", 0, 0, 500, 0, 1000, 1000},
		{"0 with a group fade-out of 0 stops at once", 0, 0, 0, 0, -1, 0},
		{"0 takes the group's fade-out", 0, 0, 0, 300, 300, 300},
		{"-1 stops at once whatever the group says", 0, 0, -1, 300, -1, 0},
	};
	for (const SCase& c : cases)
	{
		SManagerFixture f;
		f.addCue("cue", 6);
		f.manager->getGroup(6).fadeOutMs = c.groupFadeOut;
		CSoundCue* instance = f.play("cue", false, c.fadeIn);
		ASSERT_TRUE(instance) << c.what;
		f.step(c.before);
		if (std::string(c.what).find("while fading out") == 0)
			instance->stop(1000);
		f.manager->stop(f.id("cue"), c.stopMs);
		if (c.fadeTimeAfterStop < 0)
		{
			EXPECT_EQ(0, instance->getState()) << c.what;
			continue;
		}
		EXPECT_EQ(CSoundCue::FADE_OUT, instance->getFadeMode()) << c.what;
		EXPECT_EQ(c.fadeTimeAfterStop, instance->getFadeTime()) << c.what;
		EXPECT_EQ(c.fadeDurationAfterStop, instance->getFadeDuration()) << c.what;
		EXPECT_TRUE(f.manager->isPlaying(f.id("cue"))) << c.what;
		EXPECT_FALSE(f.play("cue", true)) << c.what << ": only if not playing, while it fades out";
	}

	// Stopping 1000 ms half-way through a 1000 ms fade-in fades from half volume over 500 ms.
	SManagerFixture f;
	f.addCue("cue", 6);
	CSoundCue* instance = f.play("cue", false, 1000);
	f.step(500);
	EXPECT_FLOAT_EQ(0.5f, f.sound(instance)->volume);
	f.manager->stop(f.id("cue"), 1000);
	f.step(250);
	EXPECT_FLOAT_EQ(0.25f, f.sound(instance)->volume);
	f.step(250);
	EXPECT_EQ(0u, f.manager->getPlayingCount());
}

// A looping cue never plays the sound that has just ended again; its choices are the seeded
// generator's.
TEST(SoundManager, NoRepeatChoice)
{
	for (u32 count : {2u, 3u, 5u})
	{
		CRandomGeneratorSingleton::Instance().seed(1234 + count);
		SManagerFixture f;
		f.addCue("loop", 7, count, true);
		CSoundCue* instance = f.play("loop");
		ASSERT_TRUE(instance);
		std::vector<s32> choices{instance->getCurrent()};
		std::vector<int> seen(count, 0);
		for (int i = 0; i < 300; ++i)
		{
			f.sound(instance)->finish();
			f.step(10);
			ASSERT_NE(-1, instance->getCurrent());
			EXPECT_NE(choices.back(), instance->getCurrent()) << count << " sounds, turn " << i;
			choices.push_back(instance->getCurrent());
			++seen[static_cast<size_t>(instance->getCurrent())];
		}
		for (u32 s = 0; s < count; ++s)
			EXPECT_GT(seen[s], 0) << "sound " << s << " of " << count;
		if (count == 2)
		{
			for (size_t i = 2; i < choices.size(); ++i)
				EXPECT_EQ(choices[i - 2], choices[i]);
		}
		EXPECT_EQ(1u, f.manager->getPlayingCount());

		// The same seed makes the same choices.
		CRandomGeneratorSingleton::Instance().seed(1234 + count);
		SManagerFixture again;
		again.addCue("loop", 7, count, true);
		CSoundCue* repeat = again.play("loop");
		std::vector<s32> replay{repeat->getCurrent()};
		for (int i = 0; i < 300; ++i)
		{
			again.sound(repeat)->finish();
			again.step(10);
			replay.push_back(repeat->getCurrent());
		}
		EXPECT_EQ(choices, replay);
	}
}

// The end of a sound, the finished event, and what is refused or kept.
TEST(SoundManager, EndsRegistrationAndCopies)
{
	SManagerFixture f;
	CSoundCue* once = f.addCue("once", 8);
	CSoundCue* instance = f.play("once");
	ASSERT_TRUE(instance);
	EXPECT_NE(once, instance);
	EXPECT_EQ(f.manager.get(), instance->getOwner());
	f.sound(instance)->finish();
	// A 0 ms update still notices the end; the instance hears of it before it goes.
	std::vector<s32> heard;
	struct CListener : CEventReceiver
	{
		std::vector<s32>* heard;
		bool onEvent(CEvent* event) override
		{
			heard->push_back(event->getTypeId());
			EXPECT_TRUE(event->isOfType(CEventSound::TypeId));
			EXPECT_EQ(EVENT_CATEGORY_SOUND, event->getCategory());
			return false;
		}
	} listener;
	listener.heard = &heard;
	instance->addPreListener(&listener);
	f.step(0);
	EXPECT_EQ(std::vector<s32>{CEventSoundFinished::TypeId}, heard);
	EXPECT_EQ(0u, f.manager->getPlayingCount());

	// The first cue of a name wins; the second stays unowned.
	const CRefHolder<CSoundCue> duplicate = adoptRef(new CSoundCue(f.id("once")));
	EXPECT_FALSE(f.manager->registerCue(duplicate.get()));
	EXPECT_EQ(nullptr, duplicate->getOwner());
	EXPECT_EQ(once, f.manager->findCue(f.id("once")));

	// Unknown names, empty cues and sounds that refuse to play: no instance.
	EXPECT_FALSE(f.play("nobody"));
	f.addCue("empty", 8, 0);
	EXPECT_FALSE(f.play("empty"));
	CSoundCue* broken = f.addCue("broken", 8, 1);
	static_cast<CScriptedSound*>(broken->getSound(0))->playable = false;
	EXPECT_FALSE(f.play("broken"));
	EXPECT_EQ(0u, f.manager->getPlayingCount());

	// A copy keeps no entry for a sound it could not copy.
	CSoundCue* mixed = f.addCue("mixed", 8, 3);
	static_cast<CScriptedSound*>(mixed->getSound(1))->cloneable = false;
	const CRefHolder<CSoundCue> copy = adoptRef(mixed->clone(f.manager.get()));
	ASSERT_EQ(2u, copy->getSoundCount());
	EXPECT_EQ("mixed0", static_cast<CScriptedSound*>(copy->getSound(0))->name);
	EXPECT_EQ("mixed2", static_cast<CScriptedSound*>(copy->getSound(1))->name);

	// stopGroup stops at once; the instances leave at the next update.
	f.play("once");
	f.play("mixed");
	f.manager->stopGroup(8);
	EXPECT_EQ(2u, f.manager->getPlayingCount());
	f.step(0);
	EXPECT_EQ(0u, f.manager->getPlayingCount());
}

// The manager follows the device's audio driver and lets go of one it held before.
TEST(SoundManager, FollowsTheAudioDriver)
{
	const CRefHolder<CNullAudioDriver> first = adoptRef(createNullAudioDriver(nullptr));
	const CRefHolder<CNullAudioDriver> second = adoptRef(createNullAudioDriver(nullptr));
	const CRefHolder<CSoundManager> manager = adoptRef(new CSoundManager(first.get()));
	EXPECT_EQ(2, first->getReferenceCount());
	EXPECT_FALSE(manager->onEvent(adoptRef(new CEventDeviceAudioDriverCreated(second.get())).get()));
	EXPECT_EQ(second.get(), manager->getAudioDriver());
	EXPECT_EQ(1, first->getReferenceCount());
	EXPECT_EQ(2, second->getReferenceCount());
	EXPECT_FALSE(manager->onEvent(adoptRef(new CEventDeviceAudioDriverReleased).get()));
	EXPECT_EQ(nullptr, manager->getAudioDriver());
	EXPECT_EQ(1, second->getReferenceCount());
}

// A content manager that serves scripted sounds by name, and an audio driver whose threshold it
// records at every request.
class CSoundsByName : public IContentManager
{
public:
	CContent* getContent(u32 type, const core::stringc& name, bool) override
	{
		EXPECT_EQ(CONTENT_TYPE_SOUND, type);
		requests.push_back(
			std::string(name.c_str()) + "@" + std::to_string(driver ? driver->getStreamingThreshold() : 0));
		if (name.find("missing") >= 0)
			return nullptr;
		return new CScriptedSound(name.c_str());
	}
	CContent* getContentWithin(u32 type, const core::stringc& name, const SLoadContext&) override
	{
		return getContent(type, name, true);
	}
	core::stringc makeRelative(const core::stringc& path) const override { return path; }

	IAudioDriver* driver = nullptr;
	std::vector<std::string> requests;
};

CRefHolder<CSoundPack> readPack(const std::string& xml, CSoundsByName& sounds)
{
	const CRefHolder<CFileSystem> files = adoptRef(createFileSystem());
	const CRefHolder<io::IReadFile> file = soundtest::memoryFile(xml, "sounds/SoundPack.xml");
	const CRefHolder<IXMLReader> reader = adoptRef(files->createXMLReader(file.get()));
	const CRefHolder<CSoundPack> pack = adoptRef(new CSoundPack);
	pack->loadXml(reader.get(), &sounds, sounds.driver);
	return pack;
}

TEST(SoundPack, ReadsCuesAndRestoresTheThreshold)
{
	const CRefHolder<CNullAudioDriver> driver = adoptRef(createNullAudioDriver(nullptr));
	driver->setStreamingThreshold(131072);
	CSoundsByName sounds;
	sounds.driver = driver.get();
	const CRefHolder<CSoundPack> pack = readPack(
		"<SoundPack>\n"
		" <SoundCue Name=\"Click\" GroupID=\"2\" Vol=\"0.5\" Loop=\"True\"><Sound Filename=\"click.wav\"/></SoundCue>\n"
		" <SoundCue Name=\"Music\" Loop=\"true\" StreamingType=\"2\"><Sound Filename=\"music.ogg\"/>"
		"<Sound Filename=\"missing.ogg\"/><Other Filename=\"x.ogg\"/></SoundCue>\n"
		" <SoundCue Name=\"Ambient\" StreamingType=\"1\"><Sound Filename=\"a.ogg\"/></SoundCue>\n"
		" <SoundCue Name=\"Empty\"/>\n"
		" <SoundCue Name=\"After\" StreamingType=\"7\"><Sound Filename=\"after.wav\"/></SoundCue>\n"
		"</SoundPack>\n"
		"<SoundCue Name=\"Outside\"/>",
		sounds);
	const std::vector<std::string> expected = {"click.wav@131072", "music.ogg@4294967295", "missing.ogg@4294967295",
		"a.ogg@0", "after.wav@131072"};
	EXPECT_EQ(expected, sounds.requests);
	EXPECT_EQ(131072u, driver->getStreamingThreshold());

	struct SCue
	{
		const char* name;
		s32 group;
		f32 volume;
		bool loop;
		u32 sounds;
	};
	const SCue cues[] = {
		{"Click", 2, 0.5f, false, 1}, // "True" is not "true"
		{"Music", -1, 1.f, true, 1},
		{"Ambient", -1, 1.f, false, 1},
		{"Empty", -1, 1.f, false, 0}, // an empty element has no sounds and the next cue reads as written
		{"After", -1, 1.f, false, 1},
	};
	ASSERT_EQ(5u, pack->getCueCount());
	for (u32 i = 0; i < 5; ++i)
	{
		const CSoundCue* cue = pack->getCue(i);
		EXPECT_EQ(CNameTableSingleton::Instance().intern(cues[i].name), cue->getNameId()) << cues[i].name;
		EXPECT_EQ(cues[i].group, cue->getGroupId()) << cues[i].name;
		EXPECT_FLOAT_EQ(cues[i].volume, cue->getVolume()) << cues[i].name;
		EXPECT_EQ(cues[i].loop, cue->getLoop()) << cues[i].name;
		EXPECT_EQ(cues[i].sounds, cue->getSoundCount()) << cues[i].name;
	}

	// Registration hands every cue to the manager; a second pack with the same names stays unowned.
	const CRefHolder<CSoundManager> manager = adoptRef(new CSoundManager);
	pack->registerCues(manager.get());
	for (u32 i = 0; i < pack->getCueCount(); ++i)
		EXPECT_EQ(manager.get(), pack->getCue(i)->getOwner());
	const CRefHolder<CSoundPack> again = readPack("<SoundPack><SoundCue Name=\"Click\"/></SoundPack>", sounds);
	again->registerCues(manager.get());
	EXPECT_EQ(nullptr, again->getCue(0)->getOwner());
	EXPECT_EQ(0.5f * 1.f, manager->findCue(CNameTableSingleton::Instance().intern("Click"))->getEffectiveVolume());
}
} // namespace
} // namespace fw
