#include "platform/CStreamedSound.h"

#include "core/CLogger.h"
#include "core/CMutex.h"
#include "core/IContentManager.h"
#include "platform/COpenALAudioDriver.h"
#include "platform/OpenALFormats.h"

#include <AL/al.h>

namespace fw
{
CStreamedSound::CStreamedSound(const ContentReference& reference, COpenALAudioDriver* driver, CAudioDecoder* decoder,
	u32 framesPerBuffer) :
	ISound(reference), m_driver(driver), m_decoder(decoder), m_framesPerBuffer(framesPerBuffer)
{
	setContentFlags(CONTENT_NOT_CACHED);
	if (m_driver)
		m_driver->addStream(this);
	if (!decoder)
		return;
	m_alFormat = getOpenALFormat(decoder->getFormat());
	alGetError();
	alGenBuffers(BUFFER_COUNT, m_buffers);
	if (alGetError() != AL_NO_ERROR)
		for (u32& buffer : m_buffers)
			buffer = 0;
}

CStreamedSound::~CStreamedSound()
{
	// Waits for a refill of this stream that is running now.
	if (m_driver)
		m_driver->removeStream(this);
	if (!m_decoder)
		return;
	if (m_source)
	{
		ALuint source = m_source;
		alSourceStop(source);
		alSourcei(source, AL_BUFFER, 0);
		alDeleteSources(1, &source);
	}
	if (m_buffers[0])
		alDeleteBuffers(BUFFER_COUNT, m_buffers);
}

CMutex* CStreamedSound::getLock() const
{
	return m_driver ? m_driver->getActiveLock() : nullptr;
}

CContent* CStreamedSound::cloneAsContent() const
{
	IContentManager* manager = getContentManager();
	if (!manager)
		return nullptr;
	CContent* content = manager->getContent(CONTENT_TYPE_SOUND, m_contentReference.getName(), true);
	ISound* copy = dynamic_cast<ISound*>(content);
	if (!copy)
	{
		if (content)
			content->drop();
		return nullptr;
	}
	copy->setVolume(m_volume);
	copy->setPosition(m_position);
	copy->setLoop(getLoop());
	return copy;
}

bool CStreamedSound::makeSource()
{
	ALuint source = 0;
	alGetError();
	alGenSources(1, &source);
	if (alGetError() != AL_NO_ERROR || source == 0)
		return false;
	m_source = source;
	alSourcef(source, AL_GAIN, m_volume);
	alSource3f(source, AL_POSITION, m_position.X, m_position.Y, m_position.Z);
	return true;
}

s32 CStreamedSound::getState() const
{
	CMutexLock lock(getLock());
	if (!m_source)
		return STATE_STOPPED;
	if (m_paused)
		return STATE_PAUSED;
	return m_playing ? STATE_PLAYING : STATE_STOPPED;
}

bool CStreamedSound::play()
{
	if (!m_decoder || m_alFormat == 0 || !m_buffers[0])
	{
		logError("Failed to play streamed sound", m_contentReference.getName().c_str());
		return false;
	}
	{
		CMutexLock lock(getLock());
		stopLocked();
		if (!m_source && !makeSource())
			return false;
		if (!m_decoder->rewind())
			return false;
		m_playing = true;
		m_paused = false;
		m_primed = false;
	}
	// Never under the active lock: queueing takes the pending lock, and no thread holds both
	// in that order.
	if (!m_registered && m_driver)
	{
		m_driver->queueStream(this);
		m_registered = true;
	}
	return true;
}

void CStreamedSound::stop()
{
	CMutexLock lock(getLock());
	stopLocked();
}

void CStreamedSound::stopLocked()
{
	if (!m_source)
		return;
	m_playing = false;
	m_paused = false;
	m_primed = false;
	alSourceStop(m_source);
	alSourcei(m_source, AL_BUFFER, 0);
}

void CStreamedSound::pause(bool paused)
{
	CMutexLock lock(getLock());
	m_paused = paused;
	if (!m_source)
		return;
	if (paused)
	{
		alSourcePause(m_source);
		return;
	}
	// Before priming there is nothing to start: the priming pass starts the source.
	if (!m_playing || !m_primed)
		return;
	ALint state = 0;
	alGetSourcei(m_source, AL_SOURCE_STATE, &state);
	if (state != AL_PLAYING)
		alSourcePlay(m_source);
}

void CStreamedSound::setVolume(f32 volume)
{
	CMutexLock lock(getLock());
	m_volume = volume;
	if (m_source)
		alSourcef(m_source, AL_GAIN, volume);
}

bool CStreamedSound::getLoop() const
{
	CMutexLock lock(getLock());
	return m_loop;
}

void CStreamedSound::setLoop(bool loop)
{
	CMutexLock lock(getLock());
	m_loop = loop;
}

void CStreamedSound::setPosition(const core::vector3df& position)
{
	CMutexLock lock(getLock());
	m_position = position;
	if (m_source)
		alSource3f(m_source, AL_POSITION, position.X, position.Y, position.Z);
}

s32 CStreamedSound::getPlayPosition() const
{
	CMutexLock lock(getLock());
	if (!m_source)
		return 0;
	ALfloat seconds = 0.f;
	alGetSourcef(m_source, AL_SEC_OFFSET, &seconds);
	return static_cast<s32>(seconds * 1000.f);
}

bool CStreamedSound::fill()
{
	const u32 bytesPerFrame = m_decoder->getBytesPerFrame();
	m_framesFilled = m_decoder->read(m_staging.data(), m_framesPerBuffer);
	while (m_framesFilled < m_framesPerBuffer && m_loop)
	{
		// A decoder that yields nothing right after a rewind would have the loop spin for ever.
		if (!m_decoder->rewind())
			break;
		const u32 more = m_decoder->read(m_staging.data() + static_cast<size_t>(m_framesFilled) * bytesPerFrame,
			m_framesPerBuffer - m_framesFilled);
		if (more == 0)
			break;
		m_framesFilled += more;
	}
	return m_framesFilled > 0;
}

void CStreamedSound::queue(u32 buffer)
{
	ALuint id = buffer;
	alBufferData(id, m_alFormat, m_staging.data(),
		static_cast<ALsizei>(static_cast<size_t>(m_framesFilled) * m_decoder->getBytesPerFrame()),
		m_decoder->getSampleRate());
	alSourceQueueBuffers(m_source, 1, &id);
}

bool CStreamedSound::update()
{
	if (!m_playing || !m_source || !m_decoder)
		return false;
	if (!m_primed)
	{
		m_primed = true;
		if (m_staging.empty())
			m_staging.resize(static_cast<size_t>(m_framesPerBuffer) * m_decoder->getBytesPerFrame());
		u32 queued = 0;
		for (u32 buffer : m_buffers)
		{
			if (!fill())
				break;
			queue(buffer);
			++queued;
		}
		// Nothing to play at all: the stream ends here, as it would after its last buffer.
		if (queued == 0)
			stopLocked();
		else if (!m_paused)
			alSourcePlay(m_source);
		return false;
	}

	// The state before the counts: a source found stopped has played everything it held, so the
	// count that follows takes all of it, and whatever is queued after that is new. Counted first,
	// a source could run out between the two reads and start again on buffers already played.
	ALint state = 0;
	alGetSourcei(m_source, AL_SOURCE_STATE, &state);
	ALint held = 0;
	alGetSourcei(m_source, AL_BUFFERS_QUEUED, &held);
	ALint processed = 0;
	alGetSourcei(m_source, AL_BUFFERS_PROCESSED, &processed);
	const s32 reached = refill(processed);
	// A stream paused before its priming has a source that never started: it waits for resume.
	if (m_paused)
		return false;
	if (state == AL_PLAYING || state == AL_PAUSED)
	{
		alGetSourcei(m_source, AL_SOURCE_STATE, &state);
		if (state == AL_PLAYING || state == AL_PAUSED)
			return false;
		// It ran dry during this pass, after the buffers it still held when counted and the refilled
		// ones queued while it played: they lead the queue and have all played.
		refill(held - processed + reached);
	}
	ALint queued = 0;
	alGetSourcei(m_source, AL_BUFFERS_QUEUED, &queued);
	if (queued > 0)
	{
		// Starved: the source stopped before its refill; what is queued plays on.
		alSourcePlay(m_source);
		return true;
	}
	// Nothing left to play: the stream has ended.
	stopLocked();
	return false;
}

s32 CStreamedSound::refill(s32 count)
{
	s32 reached = 0;
	for (s32 i = 0; i < count; ++i)
	{
		ALuint buffer = 0;
		alSourceUnqueueBuffers(m_source, 1, &buffer);
		if (buffer == 0)
			break;
		// A stream that has run out leaves the buffer off the queue.
		if (!fill())
			continue;
		queue(buffer);
		// Still playing once the buffer is queued: the source gets to it before it can stop.
		ALint state = 0;
		alGetSourcei(m_source, AL_SOURCE_STATE, &state);
		if (state == AL_PLAYING || state == AL_PAUSED)
			++reached;
	}
	return reached;
}
} // namespace fw
