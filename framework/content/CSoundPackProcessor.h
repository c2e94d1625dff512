#pragma once

#include "content/IContentProcessor.h"
#include "core/CRefHolder.h"

namespace fw
{
class CFileSystem;
class IAudioDriver;

// Sound packs ("sndp"): XML files of sound cues, whose sound files are named relative to the pack.
// The audio driver is held for the cues' StreamingType, which sets its threshold while they load.
class CSoundPackProcessor : public IContentProcessor
{
public:
	CSoundPackProcessor(CFileSystem* fileSystem, IAudioDriver* audioDriver);
	~CSoundPackProcessor() override;

	u32 getContentType() const override;
	CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key) override;
	// Packs are never written: a save fails rather than leave an empty file.
	bool save(CContentManager* manager, CContent* content, io::IWriteFile* file, void* parameter) override;
	void onCacheEvent(CEvent* event, ContentCacheMap& cache) override;

private:
	CRefHolder<CFileSystem> m_fileSystem;
	CRefHolder<IAudioDriver> m_audioDriver;
};
} // namespace fw
