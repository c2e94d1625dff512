#pragma once

#include "core/TypeIds.h"

#include "core/CEvent.h"

namespace fw
{
class CSoundCue;

// The base of the sound events; never sent by itself.
class CEventSound : public CEvent
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_SOUND, CEvent)
	CEventSound() : CEvent(EVENT_CATEGORY_SOUND) {}
};

// A playing cue instance has ended; the cue is not referenced.
class CEventSoundFinished : public CEventSound
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_SOUND_FINISHED, CEventSound)
	explicit CEventSoundFinished(CSoundCue* cue) : m_cue(cue) {}

	CSoundCue* getCue() const { return m_cue; }

private:
	CSoundCue* m_cue;
};
} // namespace fw
