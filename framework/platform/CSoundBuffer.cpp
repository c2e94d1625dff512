#include "platform/CSoundBuffer.h"

#include "core/CLogger.h"
#include "platform/CAudioDecoder.h"
#include "platform/OpenALFormats.h"

#include <AL/al.h>

namespace fw
{
CSoundBuffer::CSoundBuffer(CSoundData* data) : m_data(data)
{
	if (!data || !data->hasSamples())
		return;
	const s32 format = getOpenALFormat(data->getFormat());
	if (format == 0)
	{
		logError("Unsupported OpenAL buffer format", data->getFileName().c_str());
		return;
	}
	ALuint id = 0;
	alGetError();
	alGenBuffers(1, &id);
	if (alGetError() != AL_NO_ERROR)
		return;
	m_bufferId = id;
	// The whole decode is capped far below the 32-bit size OpenAL takes.
	alBufferData(id, format, data->getSamples().data(), static_cast<ALsizei>(data->getSamples().size()),
		data->getSampleRate());
}

CSoundBuffer::~CSoundBuffer()
{
	if (m_bufferId)
	{
		ALuint id = m_bufferId;
		alDeleteBuffers(1, &id);
	}
}
} // namespace fw
