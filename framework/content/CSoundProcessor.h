#pragma once

#include "content/IContentProcessor.h"
#include "core/CRefHolder.h"
#include "platform/IAudioDriver.h"

namespace fw
{
// Sounds ("isnd"), made by the audio driver it holds; none without a driver.
class CSoundProcessor : public IContentProcessor
{
public:
	explicit CSoundProcessor(IAudioDriver* audioDriver);

	s32 getPriority() const override { return 1; }
	u32 getContentType() const override { return CONTENT_TYPE_SOUND; }
	CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key) override;
	// Sounds are never written.
	bool save(CContentManager* manager, CContent* content, io::IWriteFile* file, void* parameter) override;
	// When the driver goes, the cached sounds go with it, so that later requests load afresh.
	void onCacheEvent(CEvent* event, ContentCacheMap& cache) override;

	bool onAudioDriverReleased(CEventDeviceAudioDriverReleased* event) override;
	bool onAudioDriverCreated(CEventDeviceAudioDriverCreated* event) override;

	IAudioDriver* getAudioDriver() const { return m_audioDriver.get(); }

private:
	CRefHolder<IAudioDriver> m_audioDriver;
};
} // namespace fw
