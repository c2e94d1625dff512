// Sound pack files: read into cues, registered with a sound manager, played and updated.

#include "core/CRefHolder.h"
#include "core/IContentManager.h"
#include "core/IXMLReader.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"
#include "platform/CNullAudioDriver.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "platform/CSoundPack.h"
#include "platform/ISound.h"

#include <cstdint>
#include <vector>

using namespace fw;

namespace
{
// A sound that plays for a few updates.
class CShortSound : public ISound
{
public:
	CContent* cloneAsContent() const override { return new CShortSound; }
	s32 getState() const override { return m_left > 0 ? (m_paused ? 1 : 2) : 0; }
	bool play() override
	{
		m_left = 3;
		return true;
	}
	void stop() override { m_left = 0; }
	void pause(bool paused) override { m_paused = paused; }
	f32 getVolume() const override { return m_volume; }
	void setVolume(f32 volume) override { m_volume = volume; }
	bool getLoop() const override { return m_loop; }
	void setLoop(bool loop) override { m_loop = loop; }
	void setPosition(const core::vector3df&) override {}
	core::vector3df getPosition() const override { return core::vector3df(); }
	s32 getPlayPosition() const override
	{
		// Each question of the manager's update brings the end nearer.
		if (m_left > 0)
			--m_left;
		return 0;
	}

private:
	mutable int m_left = 0;
	bool m_paused = false;
	bool m_loop = false;
	f32 m_volume = 1.f;
};

class CSounds : public IContentManager
{
public:
	CContent* getContent(u32, const core::stringc& name, bool) override
	{
		return name.size() % 3 == 0 ? nullptr : new CShortSound;
	}
	CContent* getContentWithin(u32 type, const core::stringc& name, const SLoadContext&) override
	{
		return getContent(type, name, true);
	}
	core::stringc makeRelative(const core::stringc& path) const override { return path; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	static CFileSystem* files = createFileSystem();
	std::vector<u8> bytes(data, data + size);
	const CRefHolder<io::IReadFile> file =
		adoptRef<io::IReadFile>(new CMemoryFile(bytes.data(), static_cast<long>(bytes.size()), "SoundPack.xml", false));
	const CRefHolder<IXMLReader> reader = adoptRef(files->createXMLReader(file.get()));
	if (!reader)
		return 0;
	CSounds sounds;
	const CRefHolder<CNullAudioDriver> driver = adoptRef(createNullAudioDriver(files));
	const CRefHolder<CSoundPack> pack = adoptRef(new CSoundPack);
	pack->loadXml(reader.get(), &sounds, driver.get());
	if (driver->getStreamingThreshold() != IAudioDriver::DEFAULT_STREAMING_THRESHOLD)
		__builtin_trap();
	const CRefHolder<CSoundManager> manager = adoptRef(new CSoundManager(driver.get()));
	manager->getGroup(1).maxPlaying = 1;
	manager->getGroup(1).policy = 1;
	manager->getGroup(1).fadeOutMs = 20;
	pack->registerCues(manager.get());
	for (u32 i = 0; i < pack->getCueCount(); ++i)
	{
		const s32 id = pack->getCue(i)->getNameId();
		manager->play(id, i % 2 == 1, static_cast<s32>(i % 3) * 10);
		if (i % 4 == 3)
			manager->stop(id, 15);
	}
	for (int step = 0; step < 8; ++step)
	{
		for (u32 i = 0; i < manager->getPlayingCount(); ++i)
			manager->getPlaying(i)->getCurrentSound()
				? (void)manager->getPlaying(i)->getCurrentSound()->getPlayPosition()
				: (void)0;
		manager->onEvent(adoptRef(new CEventSystemFlowUpdate(10)).get());
	}
	return 0;
}
