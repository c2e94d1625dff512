#include "content/CSoundProcessor.h"

#include "core/CLogger.h"
#include "platform/CEventDevice.h"
#include "platform/ISound.h"

namespace fw
{
CSoundProcessor::CSoundProcessor(IAudioDriver* audioDriver) : m_audioDriver(audioDriver)
{
	setEventMask(EVENT_CATEGORY_DEVICE);
}

CContent* CSoundProcessor::load(CContentManager*, io::IReadFile* file, const ContentReference& key)
{
	if (!m_audioDriver || !file)
		return nullptr;
	ISound* sound = m_audioDriver->createSound(file, key);
	if (sound)
		logInfo("Loaded sound", core::stringc(file->getFileName()).c_str());
	return sound;
}

bool CSoundProcessor::save(CContentManager*, CContent*, io::IWriteFile*, void*)
{
	return false;
}

void CSoundProcessor::onCacheEvent(CEvent* event, ContentCacheMap& cache)
{
	if (!event || event->getTypeId() != CEventDeviceAudioDriverReleased::TypeId)
		return;
	ContentCacheMap sounds;
	sounds.swap(cache);
	for (auto& entry : sounds)
		entry.second->drop();
}

bool CSoundProcessor::onAudioDriverReleased(CEventDeviceAudioDriverReleased*)
{
	m_audioDriver.release();
	return false;
}

bool CSoundProcessor::onAudioDriverCreated(CEventDeviceAudioDriverCreated* event)
{
	m_audioDriver.assign(event->getDriver());
	return false;
}
} // namespace fw
