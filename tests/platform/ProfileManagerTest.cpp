#include "FileTestSupport.h"

#include "core/CPropertyContainer.h"
#include "core/CRefHolder.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"
#include "platform/CProfile.h"
#include "platform/CProfileManager.h"
#include "platform/CVirtualFile.h"

#include <unistd.h>

#include <cstring>

using namespace fw;
using fw::test::CTempFolder;

namespace
{
// Fails every write once the budget of bytes is spent, as a full disk would.
class CFailingWriteFile : public io::IWriteFile
{
public:
	CFailingWriteFile(io::IWriteFile* file, long budget) : m_file(file), m_budget(budget) {}

	s32 write(const void* buffer, u32 sizeToWrite) override
	{
		const u32 allowed = (u32)core::min_((long)sizeToWrite, m_budget);
		const s32 written = allowed ? m_file->write(buffer, allowed) : 0;
		m_budget -= written;
		return written;
	}
	bool seek(long finalPos, bool relativeMovement) override { return m_file->seek(finalPos, relativeMovement); }
	long getPos() const override { return m_file->getPos(); }
	const io::path& getFileName() const override { return m_file->getFileName(); }

private:
	CRefHolder<io::IWriteFile> m_file;
	long m_budget;
};

// The platform's file system with two faults that tests switch on.
class CFaultyFileSystem : public CFileSystemLinux
{
public:
	long writeBudget = -1;
	bool flushFails = false;

	io::IWriteFile* createAndWriteFile(const io::path& name, bool append) override
	{
		io::IWriteFile* real = CFileSystemLinux::createAndWriteFile(name, append);
		if (!real || writeBudget < 0)
			return real;
		io::IWriteFile* failing = new CFailingWriteFile(real, writeBudget);
		real->drop();
		return failing;
	}
	bool flushFile(io::IWriteFile* file) override { return CFileSystemLinux::flushFile(file) && !flushFails; }
};

// A profile setup in a scratch data folder, with the game's way of filling the defaults.
struct SProfiles
{
	CTempFolder root;
	test::CScopedEnv data{"XDG_DATA_HOME", root / "data"};
	test::CScopedEnv state{"XDG_STATE_HOME", root / "state"};
	CRefHolder<CFaultyFileSystem> fileSystem = adoptRef(new CFaultyFileSystem());
	CRefHolder<CPropertyContainer> settings = adoptRef(new CPropertyContainer(nullptr));

	explicit SProfiles(const char* key = "")
	{
		settings->setString("PublisherName", "Fennlark");
		settings->setString("TitleName", "Quillbrook");
		settings->setString("ProfilesCryptKey", key);
		fileSystem->setSettings(settings.get());
	}

	std::string userFile() const { return root / "data/Fennlark/Quillbrook/profile.dat"; }
	std::string commonFile() const { return root / "state/Fennlark/Quillbrook/profile.dat"; }

	CRefHolder<CProfileManager> makeManager() const
	{
		CRefHolder<CProfileManager> manager = adoptRef(new CProfileManager());
		manager->setFileSystem(fileSystem.get());
		manager->getCommonDefaults()->setBool("FullScreen", true);
		manager->getCommonDefaults()->setInt("VideoDriver", 3);
		manager->getPlayerDefaults()->setBool("SoundOn", true);
		manager->getPlayerDefaults()->setInt("LevelIndex", 0);
		return manager;
	}

	// Writes a plain per-user file by hand.
	void writeUserFile(const std::string& xml) const { root.write("data/Fennlark/Quillbrook/profile.dat", xml); }
};

std::string names(const CProfileManager* manager)
{
	std::string text;
	for (u32 i = 0; i < manager->getProfileCount(); ++i)
	{
		const core::stringc name(manager->getProfile(i)->getName());
		text += std::string(i ? "," : "") + name.c_str();
		if (manager->getProfile(i) == manager->getActiveProfile())
			text += "*";
	}
	return text;
}

std::string utf16(const std::string& ascii)
{
	std::string bytes;
	for (char c : ascii)
	{
		bytes += c;
		bytes += '\0';
	}
	return bytes;
}
} // namespace

TEST(ProfileManager, PlayersAreSavedLoadedAndSwitchedPlainAndEnciphered)
{
	for (const char* key : {"", "k3y"})
	{
		SCOPED_TRACE(std::string("key '") + key + "'");
		SProfiles setup(key);
		{
			CRefHolder<CProfileManager> manager = setup.makeManager();
			EXPECT_TRUE(manager->loadProfiles()); // no files yet: defaults only
			EXPECT_EQ(0u, manager->getProfileCount());
			EXPECT_TRUE(manager->getCommonProfile()->getBool("FullScreen"));

			ASSERT_TRUE(manager->addProfile(L"Ann"));
			ASSERT_TRUE(manager->addProfile(L"Bob"));
			EXPECT_FALSE(manager->addProfile(L"Ann"));
			EXPECT_TRUE(manager->getProfile(0)->getBool("SoundOn")); // from the player defaults
			manager->getProfile(1)->setInt("LevelIndex", 7);
			manager->getProfile(1)->setStringW("Scores", L"10;20 & <30>");
			manager->getCommonProfile()->setBool("FullScreen", false);
			manager->getGlobalProfile()->setString("Language", "en");
			manager->setActiveProfile(1);
			EXPECT_TRUE(manager->saveUserProfiles());
			EXPECT_TRUE(manager->saveGlobalProfile());
		}

		// The plain file is the XML document itself; the enciphered one hides it.
		const std::string stored = test::readDiskFile(setup.userFile());
		const bool plainText = stored.find(utf16("<Profile Name=\"Bob\" Active=\"true\">")) != std::string::npos;
		EXPECT_EQ(std::string(key).empty(), plainText);
		EXPECT_FALSE(test::readDiskFile(setup.commonFile()).empty());

		{
			CRefHolder<CProfileManager> manager = setup.makeManager();
			EXPECT_TRUE(manager->loadProfiles());
			EXPECT_EQ("Ann,Bob*", names(manager.get()));
			CProfile* bob = manager->findProfile(L"Bob");
			ASSERT_TRUE(bob);
			EXPECT_EQ(7, bob->getInt("LevelIndex"));
			EXPECT_TRUE(bob->getBool("SoundOn"));
			EXPECT_TRUE(getPropertyText(bob->get("Scores")) == "10;20 & <30>");
			EXPECT_FALSE(manager->getCommonProfile()->getBool("FullScreen"));
			EXPECT_EQ(3, manager->getCommonProfile()->getInt("VideoDriver"));
			EXPECT_STREQ("en", manager->getGlobalProfile()->getString("Language").c_str());
			EXPECT_EQ(nullptr, manager->findProfile(L"bob")); // names are case-sensitive

			// Switching the player and saving through a profile.
			manager->setActiveProfile(0);
			EXPECT_TRUE(manager->getProfile(0)->save());
		}
		{
			CRefHolder<CProfileManager> manager = setup.makeManager();
			manager->loadProfiles();
			EXPECT_EQ("Ann*,Bob", names(manager.get()));
		}
		// Nothing is left beside the file.
		EXPECT_NE(0, access((setup.userFile() + ".new").c_str(), F_OK));
	}
}

TEST(ProfileManager, CipherRepeatsTheKeyAcrossBufferBoundaries)
{
	SProfiles setup("abc");
	CRefHolder<CProfileManager> manager = setup.makeManager();
	std::vector<u8> zeros(10001, 0);
	CRefHolder<CMemoryFile> source = adoptRef(new CMemoryFile(zeros.data(), (long)zeros.size(), "in", false));
	CRefHolder<CVirtualFile> target = adoptRef(new CVirtualFile("out", 4096));
	ASSERT_TRUE(manager->cryptData(source.get(), target.get()));
	ASSERT_EQ((long)zeros.size(), target->getSize());
	target->seek(0);
	const std::string out = test::readRest(target.get());
	for (size_t i = 0; i < out.size(); ++i)
	{
		ASSERT_EQ("abc"[i % 3], out[i]) << i;
	}

	// The same pass deciphers.
	CRefHolder<CVirtualFile> back = adoptRef(new CVirtualFile("back", 4096));
	target->seek(0);
	ASSERT_TRUE(manager->cryptData(target.get(), back.get()));
	back->seek(0);
	EXPECT_EQ(std::string(zeros.size(), '\0'), test::readRest(back.get()));
}

TEST(ProfileManager, LoadingFollowsTheFileAsWritten)
{
	SProfiles setup;
	setup.writeUserFile(
		"<?xml version=\"1.0\"?>\n<Profiles>\n"
		"<CommonProfile><Parameters><bool Name=\"FullScreen\" Value=\"false\"/></Parameters></CommonProfile>\n"
		"<Profile Name=\"Ann\" Active=\"True\"><Parameters><int Name=\"LevelIndex\" Value=\"3\"/></Parameters></Profile>\n"
		"<Profile Name=\"Ann\" Active=\"true\"><Parameters><int Name=\"LevelIndex\" Value=\"9\"/></Parameters></Profile>\n"
		"<Profile><Parameters><int Name=\"LevelIndex\" Value=\"5\"/></Parameters></Profile>\n"
		"<Profile Name=\"Empty\"/>\n"
		"<Profile Name=\"Cid\" Active=\"true\"><Parameters><bool Name=\"SoundOn\" Value=\"false\"/>"
		"<unknownType Name=\"X\" Value=\"1\"/></Parameters></Profile>\n"
		"</Profiles>\n"
		"<Profile Name=\"AfterTheEnd\"/>\n");
	CRefHolder<CProfileManager> manager = setup.makeManager();
	manager->addProfile(L"Zed"); // loading adds to the players present
	EXPECT_TRUE(manager->loadUserProfiles());
	// A second "Ann" is skipped, so is the nameless one; "True" is not "true".
	EXPECT_EQ("Zed,Ann,Empty,Cid*", names(manager.get()));
	EXPECT_EQ(3, manager->findProfile(L"Ann")->getInt("LevelIndex"));
	EXPECT_FALSE(manager->findProfile(L"Cid")->getBool("SoundOn"));   // the player's own value wins
	EXPECT_EQ(0, manager->findProfile(L"Cid")->getInt("LevelIndex")); // filled from the defaults
	EXPECT_TRUE(manager->findProfile(L"Empty")->getBool("SoundOn"));
	EXPECT_FALSE(manager->getCommonProfile()->getBool("FullScreen"));
}

TEST(ProfileManager, DocumentThatEndsEarlyKeepsWhatWasRead)
{
	SProfiles setup;
	setup.writeUserFile("<Profiles><Profile Name=\"Ann\" Active=\"true\"><Parameters>"
						"<int Name=\"LevelIndex\" Value=\"4\"/><int Name=\"Scores\" Va");
	CRefHolder<CProfileManager> manager = setup.makeManager();
	EXPECT_TRUE(manager->loadUserProfiles());
	EXPECT_EQ("Ann*", names(manager.get()));
	EXPECT_EQ(4, manager->getProfile(0)->getInt("LevelIndex"));
}

TEST(ProfileManager, PlayerListOperations)
{
	SProfiles setup;
	CRefHolder<CProfileManager> manager = setup.makeManager();
	for (const wchar_t* name : {L"A", L"B", L"C"})
		manager->addProfile(name);
	manager->setActiveProfile(2);
	manager->removeProfile(0); // any removal clears the active player
	EXPECT_EQ("B,C", names(manager.get()));
	manager->setActiveProfile(1);
	manager->removeProfile(5); // out of range: nothing happens
	EXPECT_EQ("B,C*", names(manager.get()));
	manager->setActiveProfile(2); // the count itself clears it
	EXPECT_EQ(nullptr, manager->getActiveProfile());
	EXPECT_EQ(nullptr, manager->getProfile(2));

	// Defaults are shared by value object, and never changed through a player.
	manager->getPlayerDefaults()->setInt("Added", 1);
	EXPECT_EQ(-1, manager->getProfile(0)->indexOf("Added")); // reaches players only on the next load
	manager->getProfile(0)->addMissingFrom(manager->getPlayerDefaults());
	EXPECT_EQ(manager->getPlayerDefaults()->get("Added"), manager->getProfile(0)->get("Added"));
	manager->getProfile(0)->setInt("Added", 2);
	EXPECT_EQ(1, manager->getPlayerDefaults()->getInt("Added"));

	// The default profiles are never saved.
	EXPECT_FALSE(manager->saveProfile(manager->getPlayerDefaults()));
	EXPECT_FALSE(manager->getCommonDefaults()->save());
	EXPECT_FALSE(manager->saveProfile(nullptr));
}

TEST(ProfileManager, NoDataFolderMeansNothingLoadedAndNothingSaved)
{
	// The base file system knows no data folders; "/profile.dat" must never be touched.
	CRefHolder<CFileSystem> fileSystem = adoptRef(new CFileSystem());
	CRefHolder<CProfileManager> manager = adoptRef(new CProfileManager());
	manager->setFileSystem(fileSystem.get());
	manager->addProfile(L"Ann");
	EXPECT_FALSE(manager->loadUserProfiles());
	EXPECT_FALSE(manager->loadGlobalProfile());
	test::CLogCapture log;
	EXPECT_FALSE(manager->saveUserProfiles());
	EXPECT_FALSE(manager->saveGlobalProfile());
	EXPECT_EQ(2u, log.lines.size()) << log.all();
	EXPECT_TRUE(log.contains("no user data folder"));

	// Nor without a file system at all.
	CRefHolder<CProfileManager> alone = adoptRef(new CProfileManager());
	EXPECT_TRUE(alone->loadProfiles());
	EXPECT_FALSE(alone->saveUserProfiles());
}

TEST(ProfileManager, FailedSaveKeepsThePreviousFile)
{
	SProfiles setup;
	{
		CRefHolder<CProfileManager> manager = setup.makeManager();
		manager->addProfile(L"Ann");
		manager->getProfile(0)->setInt("LevelIndex", 12);
		ASSERT_TRUE(manager->saveUserProfiles());
	}
	const std::string before = test::readDiskFile(setup.userFile());
	ASSERT_FALSE(before.empty());

	struct SFault
	{
		const char* what;
		long writeBudget;
		bool flushFails;
	};
	const SFault faults[] = {
		{"nothing can be written", 0, false},
		{"the disk fills halfway", (long)before.size() / 2, false},
		{"the flush fails", -1, true},
	};
	for (const SFault& fault : faults)
	{
		setup.fileSystem->writeBudget = fault.writeBudget;
		setup.fileSystem->flushFails = fault.flushFails;
		CRefHolder<CProfileManager> manager = setup.makeManager();
		manager->loadProfiles();
		manager->addProfile(L"Bob");
		manager->getProfile(0)->setInt("LevelIndex", 13);
		test::CLogCapture log;
		EXPECT_FALSE(manager->saveUserProfiles()) << fault.what;
		EXPECT_TRUE(log.contains("previous one is kept")) << fault.what << "\n" << log.all();
		EXPECT_EQ(before, test::readDiskFile(setup.userFile())) << fault.what;
		EXPECT_NE(0, access((setup.userFile() + ".new").c_str(), F_OK)) << fault.what;
	}

	// A real device error: the new file turns out to be a full disk.
	setup.fileSystem->writeBudget = -1;
	setup.fileSystem->flushFails = false;
	if (symlink("/dev/full", (setup.userFile() + ".new").c_str()) == 0)
	{
		CRefHolder<CProfileManager> manager = setup.makeManager();
		manager->loadProfiles();
		manager->addProfile(L"Bob");
		test::CLogCapture log;
		EXPECT_FALSE(manager->saveUserProfiles());
		EXPECT_EQ(before, test::readDiskFile(setup.userFile()));
	}

	// With the faults gone the save goes through.
	CRefHolder<CProfileManager> manager = setup.makeManager();
	manager->loadProfiles();
	manager->addProfile(L"Bob");
	EXPECT_TRUE(manager->saveUserProfiles());
	CRefHolder<CProfileManager> reloaded = setup.makeManager();
	reloaded->loadProfiles();
	EXPECT_EQ("Ann,Bob", names(reloaded.get()));
}

TEST(ProfileManager, OversizedProfileFileIsNotRead)
{
	SProfiles setup;
	setup.writeUserFile("<Profiles><Profile Name=\"Ann\"/></Profiles>");
	ASSERT_EQ(0, truncate(setup.userFile().c_str(), CProfileManager::MAX_FILE_SIZE + 1));
	CRefHolder<CProfileManager> manager = setup.makeManager();
	test::CLogCapture log;
	EXPECT_FALSE(manager->loadUserProfiles());
	EXPECT_EQ(0u, manager->getProfileCount());
	EXPECT_TRUE(log.contains("more than the"));
}

TEST(ProfileManager, SingletonHandsOutOneManager)
{
	CProfileManager& first = CProfileManagerSingleton::Instance();
	EXPECT_EQ(&first, &CProfileManagerSingleton::Instance());
}
