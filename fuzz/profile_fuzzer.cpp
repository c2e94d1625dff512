// Profile files as the profile manager loads them at start-up, then saved and loaded again.
// Inputs of odd size are deciphered with a short key, even ones are plain.

#include "core/CPropertyContainer.h"
#include "core/CRefHolder.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"
#include "platform/CProfile.h"
#include "platform/CProfileManager.h"
#include "platform/CVirtualFile.h"

#include <cstdint>
#include <vector>

using namespace fw;

namespace
{
// Serves one profile file from memory and keeps what is saved in memory.
class CMemoryFileSystem : public CFileSystem
{
public:
	std::vector<u8> stored;

	core::stringc getUserDataFolder() override { return "/fuzz/user"; }
	core::stringc getCommonDataFolder() override { return "/fuzz/common"; }
	io::IReadFile* createAndOpenFile(const io::path&) override
	{
		return new CMemoryFile(stored.data(), (long)stored.size(), "profile.dat", false);
	}
	io::IWriteFile* createAndWriteFile(const io::path&, bool) override
	{
		m_written = adoptRef(new CVirtualFile("profile.dat.new", 4096));
		m_written->grab(); // one reference for the caller, one kept here
		return m_written.get();
	}
	bool renameFile(const io::path&, const io::path&) const override { return true; }
	bool removeFile(const io::path&) const override { return true; }

	void keepWritten()
	{
		stored.assign((size_t)m_written->getSize(), 0);
		m_written->seek(0);
		if (!stored.empty())
			m_written->read(stored.data(), (u32)stored.size());
	}

private:
	CRefHolder<CVirtualFile> m_written;
};

CRefHolder<CProfileManager> makeManager(CFileSystem* fileSystem)
{
	CRefHolder<CProfileManager> manager = adoptRef(new CProfileManager());
	manager->setFileSystem(fileSystem);
	manager->getCommonDefaults()->setBool("FullScreen", false);
	manager->getPlayerDefaults()->setInt("LevelIndex", 0);
	manager->getPlayerDefaults()->setBool("SoundOn", true);
	return manager;
}

s32 activeIndex(const CProfileManager* manager)
{
	for (u32 i = 0; i < manager->getProfileCount(); ++i)
	{
		if (manager->getProfile(i) == manager->getActiveProfile())
			return (s32)i;
	}
	return -1;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	CRefHolder<CMemoryFileSystem> fileSystem = adoptRef(new CMemoryFileSystem());
	CRefHolder<CPropertyContainer> settings = adoptRef(new CPropertyContainer(nullptr));
	settings->setString("ProfilesCryptKey", size % 2 == 1 ? "k3y" : "");
	fileSystem->setSettings(settings.get());
	fileSystem->stored.assign(data, data + size);

	CRefHolder<CProfileManager> manager = makeManager(fileSystem.get());
	manager->loadProfiles();
	const u32 players = manager->getProfileCount();
	const s32 active = activeIndex(manager.get());
	if (!manager->saveUserProfiles())
		__builtin_trap(); // in memory nothing can fail
	fileSystem->keepWritten();

	// What was saved loads back with the same players.
	CRefHolder<CProfileManager> reloaded = makeManager(fileSystem.get());
	reloaded->loadUserProfiles();
	if (reloaded->getProfileCount() != players || activeIndex(reloaded.get()) != active)
		__builtin_trap();
	return 0;
}
