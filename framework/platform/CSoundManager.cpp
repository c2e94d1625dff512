#include "platform/CSoundManager.h"

#include "platform/CEventDevice.h"
#include "platform/CEventSound.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CSoundCue.h"

namespace fw
{
CSoundManager::CSoundManager(IAudioDriver* audioDriver) : m_audioDriver(audioDriver)
{
	setEventMask(EVENT_CATEGORY_DEVICE | EVENT_CATEGORY_SYSTEM_FLOW);
}

CSoundManager::~CSoundManager()
{
	for (auto& entry : m_cues)
	{
		entry.second->setOwner(nullptr);
		entry.second->drop();
	}
	m_cues.clear();
	core::array<CSoundCue*> playing;
	playing.swap(m_playing);
	for (u32 i = 0; i < playing.size(); ++i)
	{
		playing[i]->setOwner(nullptr);
		playing[i]->drop();
	}
	m_audioDriver.release();
}

const EventMap& CSoundManager::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(CEventReceiver::getClassEventMap(),
		{
			eventMapEntry<&CSoundManager::update>(),
			eventMapEntry<&CSoundManager::onAudioDriverReleased>(),
			eventMapEntry<&CSoundManager::onAudioDriverCreated>(),
		}));
	return map;
}

bool CSoundManager::registerCue(CSoundCue* cue)
{
	if (!cue || m_cues.count(cue->getNameId()))
		return false;
	cue->grab();
	m_cues[cue->getNameId()] = cue;
	cue->setOwner(this);
	cue->applyVolume();
	return true;
}

CSoundCue* CSoundManager::findCue(s32 nameId) const
{
	const auto found = m_cues.find(nameId);
	return found == m_cues.end() ? nullptr : found->second;
}

CSoundCue* CSoundManager::play(const s32& nameId, bool onlyIfNotPlaying, s32 fadeInMs)
{
	if (onlyIfNotPlaying && isPlaying(nameId))
		return nullptr;
	CSoundCue* cue = findCue(nameId);
	if (!cue)
		return nullptr;
	if (fadeInMs == 0)
		fadeInMs = getGroup(cue->getGroupId()).fadeInMs;
	return cue->play(fadeInMs);
}

void CSoundManager::stop(const s32& nameId, s32 fadeOutMs)
{
	for (u32 i = 0; i < m_playing.size(); ++i)
	{
		CSoundCue* instance = m_playing[i];
		if (instance->getNameId() != nameId)
			continue;
		instance->stop(fadeOutMs == 0 ? getGroup(instance->getGroupId()).fadeOutMs : fadeOutMs);
		return;
	}
}

bool CSoundManager::isPlaying(const s32& nameId) const
{
	for (u32 i = 0; i < m_playing.size(); ++i)
		if (m_playing[i]->getNameId() == nameId)
			return true;
	return false;
}

void CSoundManager::stopGroup(s32 groupId)
{
	for (u32 i = 0; i < m_playing.size(); ++i)
		if (groupId == -1 || m_playing[i]->getGroupId() == groupId)
			m_playing[i]->stop(-1);
}

void CSoundManager::pauseGroup(bool paused, s32 groupId)
{
	if (groupId != -1)
		getGroup(groupId).paused = paused;
	for (u32 i = 0; i < m_playing.size(); ++i)
		if (groupId == -1 || m_playing[i]->getGroupId() == groupId)
			m_playing[i]->pause(paused);
}

void CSoundManager::setGroupVolume(f32 volume, s32 groupId)
{
	getGroup(groupId).volume = volume;
	for (auto& entry : m_cues)
		if (groupId == -1 || entry.second->getGroupId() == groupId)
			entry.second->applyVolume();
	for (u32 i = 0; i < m_playing.size(); ++i)
		if (groupId == -1 || m_playing[i]->getGroupId() == groupId)
			m_playing[i]->applyVolume();
}

f32 CSoundManager::getGroupVolume(s32 groupId)
{
	return getGroup(groupId).volume;
}

SoundGroup& CSoundManager::getGroup(s32 groupId)
{
	return m_groups[groupId];
}

bool CSoundManager::canPlay(const CSoundCue& cue)
{
	const SoundGroup& group = getGroup(cue.getGroupId());
	if (group.volume == 0.f)
		return false;
	if (group.maxPlaying == 0)
		return true;
	u32 count = 0;
	CSoundCue* oldest = nullptr;
	for (u32 i = 0; i < m_playing.size(); ++i)
	{
		CSoundCue* instance = m_playing[i];
		if (instance->getGroupId() != cue.getGroupId() || instance->getState() == 0 ||
			instance->getFadeMode() == CSoundCue::FADE_OUT)
			continue;
		if (!oldest)
			oldest = instance;
		++count;
	}
	if (count < group.maxPlaying)
		return true;
	if (group.policy == 0)
		return false;
	if (group.policy == 1 && oldest)
		oldest->stop(getGroup(oldest->getGroupId()).fadeOutMs);
	return true;
}

void CSoundManager::addPlaying(CSoundCue* instance)
{
	if (!instance)
		return;
	instance->grab();
	m_playing.push_back(instance);
}

void CSoundManager::advance(s32 elapsedMs)
{
	for (u32 i = 0; i < m_playing.size();)
	{
		CSoundCue* instance = m_playing[i];
		instance->update(elapsedMs);
		if (instance->getState() != 0)
		{
			++i;
			continue;
		}
		const CRefHolder<CEventSoundFinished> finished = adoptRef(new CEventSoundFinished(instance));
		instance->onEvent(finished.get());
		m_playing.erase(i);
		instance->drop();
	}
}

bool CSoundManager::update(CEventSystemFlowUpdate* event)
{
	advance(static_cast<s32>(event->getMilliseconds()));
	return false;
}

bool CSoundManager::onAudioDriverReleased(CEventDeviceAudioDriverReleased*)
{
	m_audioDriver.release();
	return false;
}

bool CSoundManager::onAudioDriverCreated(CEventDeviceAudioDriverCreated* event)
{
	// assign lets go of a driver already held.
	m_audioDriver.assign(event->getDriver());
	return false;
}
} // namespace fw
