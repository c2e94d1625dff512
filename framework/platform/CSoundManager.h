#pragma once

#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"
#include "platform/IAudioDriver.h"

#include <map>

namespace fw
{
class CEventDeviceAudioDriverCreated;
class CEventDeviceAudioDriverReleased;
class CEventSystemFlowUpdate;
class CSoundCue;

// The settings of one sound group; group -1 is the master group, whose volume scales everything.
struct SoundGroup
{
	// At the limit: 0 refuses the new play, 1 fades out the oldest instance and plays, anything
	// else plays without stopping anything.
	s32 policy = 0;
	s32 fadeOutMs = 0;
	s32 fadeInMs = 0;
	// 0: no limit.
	u32 maxPlaying = 0;
	f32 volume = 1.f;
	// New instances of the group start paused.
	bool paused = false;
};

// Plays registered sound cues by name in groups with limits, volumes and fades; advances the
// fades and lets ended instances go on every update event. It never calls OpenAL itself.
class CSoundManager : public CEventReceiver
{
public:
	explicit CSoundManager(IAudioDriver* audioDriver = nullptr);
	~CSoundManager() override;

	FW_RECEIVER_EVENT_MAP

	// The first cue of a name wins; false for a name already registered.
	bool registerCue(CSoundCue* cue);
	// The started instance (held by the manager), or null.
	CSoundCue* play(const s32& nameId, bool onlyIfNotPlaying = false, s32 fadeInMs = 0);
	// The oldest instance of the name; 0 takes the group's fade-out, a negative value stops at once.
	void stop(const s32& nameId, s32 fadeOutMs = 0);
	bool isPlaying(const s32& nameId) const;
	// -1: every playing instance.
	void stopGroup(s32 groupId);
	void pauseGroup(bool paused, s32 groupId);
	void setGroupVolume(f32 volume, s32 groupId);
	f32 getGroupVolume(s32 groupId);
	// Made with the defaults on first use.
	SoundGroup& getGroup(s32 groupId);

	bool canPlay(const CSoundCue& cue);
	void addPlaying(CSoundCue* instance);

	IAudioDriver* getAudioDriver() const { return m_audioDriver.get(); }
	CSoundCue* findCue(s32 nameId) const;
	u32 getPlayingCount() const { return m_playing.size(); }
	CSoundCue* getPlaying(u32 index) const { return m_playing[index]; }

	bool update(CEventSystemFlowUpdate* event);
	bool onAudioDriverReleased(CEventDeviceAudioDriverReleased* event);
	bool onAudioDriverCreated(CEventDeviceAudioDriverCreated* event);

private:
	CSoundManager(const CSoundManager&) = delete;
	CSoundManager& operator=(const CSoundManager&) = delete;

	void advance(s32 elapsedMs);

	CRefHolder<IAudioDriver> m_audioDriver;
	std::map<s32, SoundGroup> m_groups;
	std::map<s32, CSoundCue*> m_cues;
	core::array<CSoundCue*> m_playing;
};
} // namespace fw
