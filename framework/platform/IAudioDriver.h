#pragma once

#include "core/ContentReference.h"
#include "core/CoreTypes.h"

#include <IReadFile.h>
#include <vector3d.h>

namespace fw
{
class ISound;

// Audio driver types of the device.
enum EDeviceAudioDriver
{
	DEVICE_AUDIO_NULL = 0,
	DEVICE_AUDIO_OPENAL = 1
};

// Turns sound files into playable sounds and owns the audio device.
class IAudioDriver : public virtual IReferenceCounted
{
public:
	// Decoded sounds larger than this many bytes stream, unless a cue says otherwise.
	static const u32 DEFAULT_STREAMING_THRESHOLD = 262144;

	virtual core::stringc getDescription() const = 0;
	// A new sound for the file's contents (count 1 for the caller), or null; the caller keeps the file.
	virtual ISound* createSound(io::IReadFile* file, const ContentReference& key) = 0;
	// Opens the path through the driver's file system; null when it cannot be opened.
	virtual ISound* createSound(const core::stringc& path, const ContentReference& key) = 0;
	virtual void setStreamingThreshold(u32 bytes) = 0;
	virtual u32 getStreamingThreshold() const = 0;
	// The third vector is not used; the up direction is always (0, 1, 0).
	virtual void setListener(const core::vector3df& position, const core::vector3df& forward,
		const core::vector3df& third, const core::vector3df& up) = 0;
};
} // namespace fw
