// Profile files as the profile manager loads them at start-up, with the game's defaults, then the
// values the game interprets read as it reads them (video driver, anti-aliasing, volumes, number
// lists, achievements, bought upgrades against the game's own upgrades). What is saved must load
// back with the same players, and saving must become stable. Inputs of odd size are deciphered
// with a short key, even ones are plain.
#include "FuzzCompare.h"

#include "app/GAchievementsProgress.h"
#include "app/GGameSettings.h"
#include "app/GLevelUpgradeEffects.h"
#include "core/CXMLReader.h"
#include "core/TextParsing.h"
#include "level/data/GUpgradesConfiguration.h"
#include "platform/CMemoryFile.h"

#include "core/CPropertyContainer.h"
#include "core/CRefHolder.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"
#include "platform/CProfile.h"
#include "platform/CProfileManager.h"
#include "platform/CVirtualFile.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
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
	writeCommonDefaults(manager->getCommonDefaults());
	writePlayerDefaults(manager->getPlayerDefaults());
	return manager;
}

// The game's own upgrades, read once from the checkout.
const GUpgradesConfiguration* gameUpgrades()
{
	static GUpgradesConfiguration* upgrades = []
	{
		std::ifstream in(QB_ASSETS_DIR "/levels/common/UpgradesConfiguration.xml", std::ios::binary);
		static const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
		auto* read = new GUpgradesConfiguration;
		io::IReadFile* file = new CMemoryFile(const_cast<char*>(text.data()), (long)text.size(), "Upgrades.xml", false);
		IXMLReader* reader = new CXMLReader(file);
		file->drop();
		if (!read->load(reader) || read->getUpgrades().empty())
			__builtin_trap(); // the game's own file must load
		reader->drop();
		return read;
	}();
	return upgrades;
}

// A number list as the game keeps it: what is parsed joins into a text that parses the same.
void checkList(const core::stringc& text)
{
	const core::array<s32> values = parseIntList(text);
	const core::array<s32> again = parseIntList(joinIntList(values));
	if (again.size() != values.size())
		__builtin_trap();
	for (u32 i = 0; i < values.size(); ++i)
		if (again[i] != values[i])
			__builtin_trap();
}

// What the game reads out of the profiles at start-up and when a level starts.
void interpret(const CProfileManager* manager)
{
	const CProfile* common = manager->getCommonProfile();
	const s32 driver = videoDriverFromProfile(common->getInt(PROFILE_VIDEO_DRIVER));
	if (driver < 1 || driver > 3)
		__builtin_trap();
	antiAliasFromProfile(common->getInt(PROFILE_ANTI_ALIAS));
	common->getBool(PROFILE_FULL_SCREEN);
	common->getBool(PROFILE_VSYNC);
	for (u32 i = 0; i < manager->getProfileCount(); ++i)
	{
		const CProfile* player = manager->getProfile(i);
		for (const c8* name : {PROFILE_SOUND_VOLUME, PROFILE_MUSIC_VOLUME})
		{
			const f32 volume = volumeFromPercent(getFloatValue(player, name));
			if (!(volume >= 0.f && volume <= 1.f))
				__builtin_trap();
		}
		checkList(player->getString(PROFILE_SCORES));
		checkList(player->getString(PROFILE_TIMES));
		GAchievementsProgress progress;
		progress.load(player->getString(PROFILE_ACHIEVEMENTS_PROGRESS));
		const core::stringc text = progress.toText();
		GAchievementsProgress again;
		again.load(text);
		if (again.toText() != text)
			__builtin_trap();
		GLevelUpgradeEffects effects;
		effects.build(gameUpgrades(), nullptr, player->getInt(PROFILE_LEVEL_INDEX),
			split(player->getString(PROFILE_BOUGHT_UPGRADES)));
		for (u32 b = 0; b < effects.getAllowedBuildings().size(); ++b)
			effects.isBuildingAllowed(effects.getAllowedBuildings()[b]);
	}
}

// The saved file deciphered.
std::string plainText(CProfileManager* manager, std::vector<u8>& stored)
{
	CRefHolder<CMemoryFile> source = adoptRef(new CMemoryFile(stored.data(), (long)stored.size(), "saved", false));
	CRefHolder<CVirtualFile> plain = adoptRef(new CVirtualFile("plain", 4096));
	if (!manager->cryptData(source.get(), plain.get()))
		__builtin_trap();
	std::string text((size_t)plain->getSize(), '\0');
	plain->seek(0);
	if (!text.empty() && plain->read(&text[0], (u32)text.size()) != (s32)text.size())
		__builtin_trap();
	return text;
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
	interpret(manager.get());
	const u32 players = manager->getProfileCount();
	const s32 active = activeIndex(manager.get());
	if (!manager->saveUserProfiles())
		__builtin_trap(); // in memory nothing can fail
	fileSystem->keepWritten();

	// What was saved loads back with the same players. Saving is then stable: a name whose value
	// has an unknown type hides its default until the first saving drops it, after that the text
	// stays (but for numbers, see FuzzCompare.h).
	CRefHolder<CProfileManager> reloaded = makeManager(fileSystem.get());
	reloaded->loadUserProfiles();
	if (reloaded->getProfileCount() != players || activeIndex(reloaded.get()) != active)
		__builtin_trap();
	interpret(reloaded.get());
	if (!reloaded->saveUserProfiles())
		__builtin_trap();
	fileSystem->keepWritten();
	const std::string saved = plainText(reloaded.get(), fileSystem->stored);
	CRefHolder<CProfileManager> again = makeManager(fileSystem.get());
	again->loadUserProfiles();
	if (!again->saveUserProfiles())
		__builtin_trap();
	fileSystem->keepWritten();
	fuzz::checkSame(saved, plainText(again.get(), fileSystem->stored));
	return 0;
}
