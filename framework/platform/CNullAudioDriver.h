#pragma once

#include "core/CRefHolder.h"
#include "platform/IAudioDriver.h"

namespace fw
{
class CFileSystem;

// Plays nothing: no sound content ever loads under it.
class CNullAudioDriver : public IAudioDriver
{
public:
	explicit CNullAudioDriver(CFileSystem* fileSystem);
	~CNullAudioDriver() override;

	core::stringc getDescription() const override;
	ISound* createSound(io::IReadFile* file, const ContentReference& key) override;
	ISound* createSound(const core::stringc& path, const ContentReference& key) override;
	void setStreamingThreshold(u32 bytes) override { m_streamingThreshold = bytes; }
	u32 getStreamingThreshold() const override { return m_streamingThreshold; }
	void setListener(const core::vector3df& position, const core::vector3df& forward, const core::vector3df& third,
		const core::vector3df& up) override;

protected:
	CRefHolder<CFileSystem> m_fileSystem;
	u32 m_streamingThreshold = DEFAULT_STREAMING_THRESHOLD;
};

CNullAudioDriver* createNullAudioDriver(CFileSystem* fileSystem);
} // namespace fw
