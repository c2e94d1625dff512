#include "platform/OpenALFormats.h"

#include "platform/CAudioDecoder.h"

#include <AL/al.h>

namespace fw
{
s32 getOpenALFormat(s32 sampleFormat)
{
	switch (sampleFormat)
	{
	case SAMPLE_FORMAT_MONO8:
		return AL_FORMAT_MONO8;
	case SAMPLE_FORMAT_STEREO8:
		return AL_FORMAT_STEREO8;
	case SAMPLE_FORMAT_MONO16:
		return AL_FORMAT_MONO16;
	case SAMPLE_FORMAT_STEREO16:
		return AL_FORMAT_STEREO16;
	case SAMPLE_FORMAT_REAR16:
		return alGetEnumValue("AL_FORMAT_REAR16");
	case SAMPLE_FORMAT_QUAD16:
		return alGetEnumValue("AL_FORMAT_QUAD16");
	case SAMPLE_FORMAT_51CHN16:
		return alGetEnumValue("AL_FORMAT_51CHN16");
	case SAMPLE_FORMAT_61CHN16:
		return alGetEnumValue("AL_FORMAT_61CHN16");
	case SAMPLE_FORMAT_71CHN16:
		return alGetEnumValue("AL_FORMAT_71CHN16");
	default:
		return 0;
	}
}
} // namespace fw
