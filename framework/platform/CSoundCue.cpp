#include "platform/CSoundCue.h"

#include "core/IContentManager.h"
#include "core/IXMLReader.h"
#include "platform/CRandomGenerator.h"
#include "platform/CSoundManager.h"
#include "platform/IAudioDriver.h"
#include "platform/ISound.h"

#include <cmath>

namespace fw
{
namespace
{
core::stringc narrow(const core::stringw& text)
{
	core::stringc result;
	result.reserve(text.size() + 1);
	for (u32 i = 0; i < text.size(); ++i)
		result.append(static_cast<c8>(text[i] & 0xFF));
	return result;
}
} // namespace

CSoundCue::CSoundCue(const s32& nameId) : m_nameId(nameId)
{
	setEventMask(EVENT_CATEGORY_SOUND);
	applyVolume();
}

CSoundCue::~CSoundCue()
{
	for (u32 i = 0; i < m_sounds.size(); ++i)
		m_sounds[i]->drop();
}

const EventMap& CSoundCue::getClassEventMap()
{
	// Its own, though empty: listeners are asked, where the root's map would decline.
	static const EventMap& map = *new EventMap(CEventReceiver::getClassEventMap());
	return map;
}

void CSoundCue::addSound(ISound* sound)
{
	if (!sound)
		return;
	sound->grab();
	m_sounds.push_back(sound);
}

ISound* CSoundCue::getCurrentSound() const
{
	return m_current >= 0 && static_cast<u32>(m_current) < m_sounds.size() ? m_sounds[static_cast<u32>(m_current)]
																		   : nullptr;
}

void CSoundCue::loadXml(IXMLReader* reader, IContentManager* contentManager, IAudioDriver* audioDriver)
{
	if (!reader)
		return;
	m_groupId = reader->getAttributeValueAsInt(L"GroupID", -1);
	m_volume = reader->getAttributeValueAsFloat(L"Vol", 1.f);
	m_loop = reader->getAttributeValue(L"Loop") == L"true";

	u32 threshold = 0;
	if (audioDriver)
	{
		threshold = audioDriver->getStreamingThreshold();
		const s32 type = reader->getAttributeValueAsInt(L"StreamingType", 0);
		if (type == 1)
			audioDriver->setStreamingThreshold(0);
		else if (type == 2)
			audioDriver->setStreamingThreshold(0xFFFFFFFFu);
	}

	// An empty element has no sounds; reading on for its end tag would swallow the next cue.
	const bool empty = reader->isEmptyElement();
	while (!empty && reader->read())
	{
		const EXmlNodeType type = reader->getNodeType();
		if (type == XML_NODE_ELEMENT_END && reader->getNodeName() == L"SoundCue")
			break;
		if (type != XML_NODE_ELEMENT || reader->getNodeName() != L"Sound")
			continue;
		const core::stringc fileName = narrow(reader->getAttributeValue(L"Filename"));
		if (!contentManager)
			continue;
		CContent* content = contentManager->getContent(CONTENT_TYPE_SOUND, fileName, true);
		if (ISound* sound = dynamic_cast<ISound*>(content))
			addSound(sound);
		if (content)
			content->drop();
	}

	if (audioDriver)
		audioDriver->setStreamingThreshold(threshold);
	applyVolume();
}

void CSoundCue::applyVolume()
{
	m_effectiveVolume = m_volume;
	if (m_owner)
	{
		m_effectiveVolume *= m_owner->getGroupVolume(-1);
		if (m_groupId != -1)
			m_effectiveVolume *= m_owner->getGroupVolume(m_groupId);
	}
	for (u32 i = 0; i < m_sounds.size(); ++i)
		m_sounds[i]->setVolume(m_effectiveVolume);
}

s32 CSoundCue::getState() const
{
	const ISound* sound = getCurrentSound();
	if (!sound)
		return ISound::STATE_STOPPED;
	return sound->getState() == ISound::STATE_PAUSED ? ISound::STATE_PAUSED : ISound::STATE_PLAYING;
}

CSoundCue* CSoundCue::play(s32 fadeInMs)
{
	if (!m_owner || !m_owner->canPlay(*this))
		return nullptr;
	CSoundCue* instance = clone(m_owner);
	if (!instance->start())
	{
		instance->drop();
		return nullptr;
	}
	if (fadeInMs > 0)
	{
		instance->m_fadeDuration = fadeInMs;
		instance->m_fadeMode = FADE_IN;
		instance->m_fadeTime = 0;
		instance->getCurrentSound()->setVolume(0.f);
	}
	if (m_owner->getGroup(m_groupId).paused)
		instance->getCurrentSound()->pause(true);
	m_owner->addPlaying(instance);
	instance->drop();
	return instance;
}

CSoundCue* CSoundCue::clone(CSoundManager* owner) const
{
	CSoundCue* copy = new CSoundCue(m_nameId);
	copy->m_owner = owner;
	copy->m_groupId = m_groupId;
	copy->m_volume = m_volume;
	copy->m_loop = m_loop;
	for (u32 i = 0; i < m_sounds.size(); ++i)
	{
		// A stream whose file no longer opens gives no copy: the instance does without it.
		CContent* content = m_sounds[i]->cloneAsContent();
		if (ISound* sound = dynamic_cast<ISound*>(content))
			copy->addSound(sound);
		if (content)
			content->drop();
	}
	copy->applyVolume();
	return copy;
}

bool CSoundCue::start()
{
	return startAvoiding(-1);
}

bool CSoundCue::startAvoiding(s32 previous)
{
	const u32 count = m_sounds.size();
	if (count == 0)
		return false;
	u32 choice = 0;
	if (count == 1)
		m_sounds[0]->setLoop(m_loop);
	else
	{
		const u32 draw = CRandomGeneratorSingleton::Instance().next();
		if (previous < 0 || static_cast<u32>(previous) >= count)
			choice = draw % count;
		else
		{
			choice = draw % (count - 1);
			if (choice == static_cast<u32>(previous))
				choice = count - 1;
		}
	}
	if (!m_sounds[choice]->play())
		return false;
	m_current = static_cast<s32>(choice);
	return true;
}

void CSoundCue::stop(s32 fadeOutMs)
{
	ISound* sound = getCurrentSound();
	if (!sound)
		return;
	if (fadeOutMs <= 0)
	{
		m_fadeMode = FADE_NONE;
		sound->stop();
		m_current = -1;
		return;
	}
	if (m_fadeMode == FADE_NONE)
	{
		m_fadeDuration = fadeOutMs;
		m_fadeTime = fadeOutMs;
		m_fadeMode = FADE_OUT;
	}
	else if (m_fadeMode == FADE_IN)
	{
		const f32 reached = m_fadeDuration > 0 ? static_cast<f32>(m_fadeTime) / static_cast<f32>(m_fadeDuration) : 1.f;
		m_fadeDuration = fadeOutMs;
		m_fadeTime = static_cast<s32>(std::floor(static_cast<f32>(fadeOutMs) * reached + 0.5f));
		m_fadeMode = FADE_OUT;
	}
}

void CSoundCue::pause(bool paused)
{
	if (ISound* sound = getCurrentSound())
		sound->pause(paused);
}

void CSoundCue::update(s32 elapsedMs)
{
	ISound* sound = getCurrentSound();
	if (!sound)
		return;
	switch (m_fadeMode)
	{
	case FADE_NONE:
	{
		if (sound->getState() != ISound::STATE_STOPPED)
			return;
		const s32 previous = m_current;
		m_current = -1;
		if (m_loop)
			startAvoiding(previous);
		return;
	}
	case FADE_IN:
		m_fadeTime += elapsedMs;
		if (m_fadeTime >= m_fadeDuration)
		{
			m_fadeMode = FADE_NONE;
			sound->setVolume(m_effectiveVolume);
		}
		else
			sound->setVolume(m_effectiveVolume * static_cast<f32>(m_fadeTime) / static_cast<f32>(m_fadeDuration));
		return;
	case FADE_OUT:
		m_fadeTime -= elapsedMs;
		if (m_fadeTime <= 0)
		{
			sound->stop();
			m_current = -1;
			m_fadeMode = FADE_NONE;
		}
		else
			sound->setVolume(m_effectiveVolume * static_cast<f32>(m_fadeTime) / static_cast<f32>(m_fadeDuration));
		return;
	default:
		return;
	}
}
} // namespace fw
