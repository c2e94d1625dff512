#include "platform/CNullAudioDriver.h"

#include "platform/CFileSystem.h"
#include "platform/ISound.h"

namespace fw
{
CNullAudioDriver::CNullAudioDriver(CFileSystem* fileSystem) : m_fileSystem(fileSystem)
{
}

CNullAudioDriver::~CNullAudioDriver() = default;

core::stringc CNullAudioDriver::getDescription() const
{
	return "Null audio device";
}

ISound* CNullAudioDriver::createSound(io::IReadFile*, const ContentReference&)
{
	return nullptr;
}

ISound* CNullAudioDriver::createSound(const core::stringc& path, const ContentReference& key)
{
	if (!m_fileSystem)
		return nullptr;
	const CRefHolder<io::IReadFile> file = adoptRef(m_fileSystem->createAndOpenFile(path));
	if (!file)
		return nullptr;
	return createSound(file.get(), key);
}

void CNullAudioDriver::setListener(const core::vector3df&, const core::vector3df&, const core::vector3df&,
	const core::vector3df&)
{
}

CNullAudioDriver* createNullAudioDriver(CFileSystem* fileSystem)
{
	return new CNullAudioDriver(fileSystem);
}
} // namespace fw
