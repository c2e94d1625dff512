#include "platform/CStaticSound.h"

#include <AL/al.h>

namespace fw
{
CStaticSound::CStaticSound(const ContentReference& reference, CSoundBuffer* buffer) :
	ISound(reference), m_buffer(buffer)
{
	setContentFlags(0);
}

CStaticSound::~CStaticSound()
{
	if (m_source)
	{
		ALuint source = m_source;
		alSourceStop(source);
		alSourcei(source, AL_BUFFER, 0);
		alDeleteSources(1, &source);
	}
}

CContent* CStaticSound::cloneAsContent() const
{
	CStaticSound* copy = new CStaticSound(m_contentReference, m_buffer.get());
	copy->setVolume(m_volume);
	copy->setPosition(m_position);
	copy->setLoop(m_loop);
	return copy;
}

bool CStaticSound::makeSource()
{
	ALuint source = 0;
	alGetError();
	alGenSources(1, &source);
	if (alGetError() != AL_NO_ERROR || source == 0)
		return false;
	m_source = source;
	alSourcei(source, AL_BUFFER, m_buffer ? static_cast<ALint>(m_buffer->getBufferId()) : 0);
	alSourcef(source, AL_GAIN, m_volume);
	alSourcei(source, AL_LOOPING, m_loop ? AL_TRUE : AL_FALSE);
	alSource3f(source, AL_POSITION, m_position.X, m_position.Y, m_position.Z);
	return true;
}

s32 CStaticSound::getState() const
{
	if (!m_source)
		return STATE_STOPPED;
	ALint state = 0;
	alGetSourcei(m_source, AL_SOURCE_STATE, &state);
	if (state == AL_PLAYING)
		return STATE_PLAYING;
	if (state == AL_PAUSED)
		return STATE_PAUSED;
	return STATE_STOPPED;
}

bool CStaticSound::play()
{
	if (!m_source && !makeSource())
		return false;
	alSourcePlay(m_source);
	return true;
}

void CStaticSound::stop()
{
	if (m_source)
		alSourceStop(m_source);
}

void CStaticSound::pause(bool paused)
{
	if (!m_source)
		return;
	if (paused)
		alSourcePause(m_source);
	else if (getState() == STATE_PAUSED)
		alSourcePlay(m_source);
}

void CStaticSound::setVolume(f32 volume)
{
	m_volume = volume;
	if (m_source)
		alSourcef(m_source, AL_GAIN, volume);
}

void CStaticSound::setLoop(bool loop)
{
	m_loop = loop;
	if (m_source)
		alSourcei(m_source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
}

void CStaticSound::setPosition(const core::vector3df& position)
{
	m_position = position;
	if (m_source)
		alSource3f(m_source, AL_POSITION, position.X, position.Y, position.Z);
}

s32 CStaticSound::getPlayPosition() const
{
	if (!m_source)
		return 0;
	ALfloat seconds = 0.f;
	alGetSourcef(m_source, AL_SEC_OFFSET, &seconds);
	return static_cast<s32>(seconds * 1000.f);
}
} // namespace fw
