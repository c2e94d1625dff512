#pragma once

#include "core/CRefHolder.h"
#include "core/CSingleton.h"
#include "core/CoreTypes.h"

#include <IReadFile.h>
#include <IWriteFile.h>

#include <functional>

namespace fw
{
class CFileSystem;
class CProfile;
class IXMLReader;
class IXMLWriter;

// The players' profiles and the shared ones, kept in two "profile.dat" files: the per-user file
// holds the common profile and the players, the all-users file the global profile. The two
// default profiles are filled by the game and never stored.
class CProfileManager : public virtual IReferenceCounted
{
public:
	CProfileManager();
	~CProfileManager() override;

	// The file system gives the data folders and, through its settings, "ProfilesCryptKey".
	// Referenced. Without one nothing is loaded or saved.
	void setFileSystem(CFileSystem* fileSystem);
	CFileSystem* getFileSystem() const { return m_fileSystem.get(); }

	CProfile* getCommonDefaults() const { return m_commonDefaults; }
	CProfile* getPlayerDefaults() const { return m_playerDefaults; }
	CProfile* getGlobalProfile() const { return m_globalProfile; }
	CProfile* getCommonProfile() const { return m_commonProfile; }
	// One of the players, or null.
	CProfile* getActiveProfile() const { return m_activeProfile; }

	u32 getProfileCount() const { return m_players.size(); }
	// Null at or beyond the count.
	CProfile* getProfile(u32 index) const;
	// Exact, case-sensitive; null when absent.
	CProfile* findProfile(const core::stringw& name) const;
	// An index at or beyond the count clears the active profile.
	void setActiveProfile(u32 index);
	// Clears the active profile, whichever player was active.
	void removeProfile(u32 index);
	// False when a player of that name exists; the new player starts from the player defaults.
	bool addProfile(const core::stringw& name);

	// Both files, then the common defaults fill what the common profile lacks. Always true.
	bool loadProfiles();
	// Adds the file's players to those present. False when the file cannot be read.
	bool loadUserProfiles();
	bool loadGlobalProfile();
	// Writes a new file and renames it over the old one, which stays as it was on any failure.
	bool saveUserProfiles();
	bool saveGlobalProfile();
	// Saves the file the profile lives in; false for the default profiles and strangers.
	bool saveProfile(CProfile* profile);

	// Copies the source to the target through the profile cipher (XOR with the repeating key);
	// the same pass enciphers and deciphers. False when a read or a write fails.
	bool cryptData(io::IReadFile* source, io::IWriteFile* target);

	static const c8* const FILE_NAME;
	// Larger profile files are refused when loading: a profile is a few kilobytes.
	static const long MAX_FILE_SIZE = 16L * 1024 * 1024;

private:
	CProfileManager(const CProfileManager&) = delete;
	CProfileManager& operator=(const CProfileManager&) = delete;

	// Folder + "/profile.dat"; empty when the folder is unknown.
	core::stringc getUserFilePath() const;
	core::stringc getCommonFilePath() const;
	io::IReadFile* openProfileFile(const core::stringc& path);
	bool writeProfileFile(const core::stringc& path, io::IReadFile* content);
	// Reads the "Profiles" document at path, handing each element to onElement; false when it cannot
	// be opened.
	bool loadProfilesDocument(const core::stringc& path, const std::function<void(IXMLReader*)>& onElement);
	// A "Profiles" document whose body writeBody writes, saved over the file at path.
	bool saveProfilesDocument(const core::stringc& path, const std::function<void(IXMLWriter*)>& writeBody);

	CProfile* m_commonDefaults;
	CProfile* m_playerDefaults;
	CProfile* m_globalProfile;
	CProfile* m_commonProfile;
	CProfile* m_activeProfile = nullptr;
	core::array<CProfile*> m_players;
	CRefHolder<CFileSystem> m_fileSystem;
};

typedef CSingletonHolder<CProfileManager, singleton::CreateWithNewDropAtExit, singleton::DeadAfterExit>
	CProfileManagerSingleton;
} // namespace fw
