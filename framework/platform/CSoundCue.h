#pragma once

#include "core/CEventReceiver.h"

namespace fw
{
class CSoundManager;
class IAudioDriver;
class IContentManager;
class IXMLReader;
class ISound;

// A named, grouped set of sounds with a volume and a loop flag; each play picks one sound at
// random. Registered cues are prototypes: every play works on a copy (an instance).
class CSoundCue : public CEventReceiver
{
public:
	enum EFadeMode : s32
	{
		FADE_NONE = 0,
		FADE_IN = 1,
		FADE_OUT = 2
	};

	explicit CSoundCue(const s32& nameId);
	~CSoundCue() override;

	// Handles nothing itself; its listeners hear when the instance has finished.
	FW_RECEIVER_EVENT_MAP

	// Reads the attributes and the Sound children of the SoundCue element the reader stands on.
	// With a driver, StreamingType sets its threshold while this cue's sounds load.
	void loadXml(IXMLReader* reader, IContentManager* contentManager, IAudioDriver* audioDriver);

	// effective = own volume x master volume x group volume (unless the cue is of the master group).
	void applyVolume();
	// 0 ended, 1 paused, 2 playing.
	s32 getState() const;
	// On the registered cue: a started instance held by the owner, or null.
	CSoundCue* play(s32 fadeInMs);
	// A copy with copies of the sounds (those that could be copied), for the owner.
	CSoundCue* clone(CSoundManager* owner) const;
	bool start();
	// At once when fadeOutMs <= 0, else a fade-out from the present volume.
	void stop(s32 fadeOutMs);
	void pause(bool paused);
	// Advances fades and notices the end of the current sound.
	void update(s32 elapsedMs);

	// Takes a reference to the sound.
	void addSound(ISound* sound);

	CSoundManager* getOwner() const { return m_owner; }
	void setOwner(CSoundManager* owner) { m_owner = owner; }
	s32 getNameId() const { return m_nameId; }
	s32 getGroupId() const { return m_groupId; }
	void setGroupId(s32 groupId) { m_groupId = groupId; }
	f32 getVolume() const { return m_volume; }
	void setVolume(f32 volume) { m_volume = volume; }
	f32 getEffectiveVolume() const { return m_effectiveVolume; }
	bool getLoop() const { return m_loop; }
	void setLoop(bool loop) { m_loop = loop; }
	s32 getFadeMode() const { return m_fadeMode; }
	s32 getFadeTime() const { return m_fadeTime; }
	s32 getFadeDuration() const { return m_fadeDuration; }
	u32 getSoundCount() const { return m_sounds.size(); }
	ISound* getSound(u32 index) const { return m_sounds[index]; }
	s32 getCurrent() const { return m_current; }
	ISound* getCurrentSound() const;

private:
	CSoundCue(const CSoundCue&) = delete;
	CSoundCue& operator=(const CSoundCue&) = delete;

	// -1 when there is no sound to avoid.
	bool startAvoiding(s32 previous);

	CSoundManager* m_owner = nullptr;
	s32 m_nameId;
	s32 m_groupId = -1;
	f32 m_volume = 1.f;
	f32 m_effectiveVolume = 1.f;
	bool m_loop = false;
	s32 m_fadeMode = FADE_NONE;
	s32 m_fadeTime = 0;
	s32 m_fadeDuration = 0;
	core::array<ISound*> m_sounds;
	s32 m_current = -1;
};
} // namespace fw
