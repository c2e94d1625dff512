#include "FileTestSupport.h"

#include "core/CPropertyContainer.h"
#include "core/CRefHolder.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "platform/CEncryptedArchiveWriter.h"
#include "platform/CFileList.h"
#include "platform/CFileSystem.h"
#include "platform/CReadFile.h"
#include "platform/CWriteFile.h"
#include "platform/IFileArchive.h"
#include "platform/Paths.h"

#include <unistd.h>

#include <vector>

using namespace fw;
using fw::test::CTempFolder;

namespace
{
const char* const KEY = "test-key: not the game's, but as long as it: 0123456789ABCD";

CRefHolder<CPropertyContainer> makeSettings()
{
	CRefHolder<CPropertyContainer> settings = adoptRef(new CPropertyContainer(nullptr));
	settings->setString("PublisherName", "Fennlark");
	settings->setString("TitleName", "Quillbrook");
	settings->setString("AssetsCryptKey", KEY);
	return settings;
}

CRefHolder<CFileSystem> makeFileSystem()
{
	CRefHolder<CFileSystem> fileSystem = adoptRef(createFileSystem());
	fileSystem->setSettings(makeSettings().get());
	return fileSystem;
}

// Packs the folder the way the packing tool does.
void pack(const std::string& folder, const std::string& archive, const char* key)
{
	CRefHolder<CWriteFile> out = adoptRef(CWriteFile::open(archive.c_str(), false));
	ASSERT_TRUE(out);
	u32 count = 0;
	ASSERT_TRUE(packFolderToEncryptedArchive(folder.c_str(), key, out.get(), &count));
	EXPECT_TRUE(out->flush());
}

std::string open(CFileSystem* fileSystem, const char* name)
{
	return test::takeContent(fileSystem->createAndOpenFile(name));
}

std::string currentFolder()
{
	char buffer[4096];
	return getcwd(buffer, sizeof(buffer)) ? buffer : "<unreadable>";
}

// Restores the working directory at the end of a test that changes it.
class CWorkingDirectoryGuard
{
public:
	CWorkingDirectoryGuard() : m_folder(currentFolder()) {}
	~CWorkingDirectoryGuard() { EXPECT_EQ(0, chdir(m_folder.c_str())); }

private:
	std::string m_folder;
};

// The game's layout: a loose asset folder and, beside it, the archive packed from another one.
struct SAssetLayout
{
	CTempFolder root;
	std::string folder;
	std::string archive;

	SAssetLayout()
	{
		folder = root / "assets";
		archive = root / "assets.oca";
		root.write("assets/onlyInFolder.txt", "folder only");
		root.write("assets/scenes/both.xml", "from the folder");
		root.write("packed/onlyInArchive.txt", "archive only");
		root.write("packed/scenes/both.xml", "from the archive");
		root.write("packed/scenes/menu/Main.xml", "names ../images/Cursor.png");
		root.write("packed/scenes/images/Cursor.png", "cursor");
		root.write("packed/strings/empty.txt", "");
		pack(root / "packed", archive, KEY);
	}
};
} // namespace

TEST(FileSystem, FolderFirstThenArchiveAsTheGameMountsThem)
{
	SAssetLayout layout;
	CRefHolder<CFileSystem> fileSystem = makeFileSystem();
	IFileArchive* folder = fileSystem->addFileArchive(layout.folder.c_str(), false, false);
	IFileArchive* archive = fileSystem->addFileArchive(layout.archive.c_str(), false, false);
	ASSERT_TRUE(folder);
	ASSERT_TRUE(archive);
	EXPECT_STREQ("mount", folder->getArchiveType().c_str());
	EXPECT_STREQ("oca", archive->getArchiveType().c_str());
	EXPECT_EQ(2u, fileSystem->getFileArchiveCount());
	EXPECT_EQ(5u, archive->getFileCount());

	EXPECT_EQ("folder only", open(fileSystem.get(), "onlyInFolder.txt"));
	EXPECT_EQ("archive only", open(fileSystem.get(), "onlyInArchive.txt"));
	EXPECT_EQ("from the folder", open(fileSystem.get(), "scenes/both.xml"));
	EXPECT_EQ("", open(fileSystem.get(), "strings/empty.txt"));
	EXPECT_EQ("<null>", open(fileSystem.get(), "nowhere.txt"));
	// Names are case-sensitive.
	EXPECT_EQ("<null>", open(fileSystem.get(), "Scenes/both.xml"));
	EXPECT_EQ("<null>", open(fileSystem.get(), "onlyinarchive.txt"));

	// A file named inside another file resolves against that file's folder.
	const core::stringc base = "scenes/menu/Main.xml";
	EXPECT_EQ("names ../images/Cursor.png", open(fileSystem.get(), base.c_str()));
	const core::stringc named = getAbsolutePathFromBase(base, "../images/Cursor.png");
	EXPECT_STREQ("scenes/images/Cursor.png", named.c_str());
	EXPECT_EQ("cursor", open(fileSystem.get(), named.c_str()));
}

TEST(FileSystem, FoldersWhosePathsHoldDotsAndSpacesMount)
{
	// Installs and checkouts live in versioned and temporary folders; hidden folders too.
	const char* const folders[] = {
		"games/quillbrook-1.2/assets", "tmp.Xy3/p", "dotted.path v1.2/my game/assets", ".local/share/quillbrook",
		"plain/assets/", // a trailing separator
		// The folder's own name holds a dot.
		"assets.v2", "games/quillbrook-1.2", ".quillbrook",
		"mods/old.zip", // named like an archive, but a folder
	};
	CTempFolder root;
	for (const char* folder : folders)
	{
		SCOPED_TRACE(folder);
		root.write(std::string(folder) + "/scenes/intro 1.xml", folder);
		CRefHolder<CFileSystem> fileSystem = makeFileSystem();
		test::CLogCapture log;
		IFileArchive* archive = fileSystem->addFileArchive((root / folder).c_str(), false, false);
		ASSERT_TRUE(archive) << log.all();
		EXPECT_TRUE(log.lines.empty()) << log.all();
		EXPECT_STREQ("mount", archive->getArchiveType().c_str());
		std::string name = root / folder;
		if (name.back() != '/')
			name += "/";
		EXPECT_STREQ(name.c_str(), archive->getArchiveName().c_str());
		EXPECT_EQ(folder, open(fileSystem.get(), "scenes/intro 1.xml"));
	}

	// Archives in such folders are still told by their own extension.
	const std::string zip = root / "tmp.Xy3/p/data.zip";
	root.write("tmp.Xy3/p/data.zip", test::readDiskFile(test::fixturePath("files/mixed.zip")));
	pack(root / "games/quillbrook-1.2/assets", root / "games/quillbrook-1.2/assets.oca", KEY);
	CRefHolder<CFileSystem> fileSystem = makeFileSystem();
	IFileArchive* byName = fileSystem->addFileArchive(zip.c_str(), false, false);
	ASSERT_TRUE(byName);
	EXPECT_STREQ("zip", byName->getArchiveType().c_str());
	IFileArchive* encrypted =
		fileSystem->addFileArchive((root / "games/quillbrook-1.2/assets.oca").c_str(), false, false);
	ASSERT_TRUE(encrypted);
	EXPECT_STREQ("oca", encrypted->getArchiveType().c_str());
}

TEST(FileSystem, BackslashesFromFilesAreSeparatorsOnDisk)
{
	SAssetLayout layout;
	CRefHolder<CFileSystem> fileSystem = makeFileSystem();
	ASSERT_TRUE(fileSystem->addFileArchive(layout.folder.c_str(), false, false));
	io::IReadFile* file = fileSystem->createAndOpenFile("scenes\\both.xml");
	ASSERT_TRUE(file);
	EXPECT_STREQ("scenes\\both.xml", file->getFileName().c_str()); // the name as it was asked
	EXPECT_EQ("from the folder", test::takeContent(file));

	const std::string onDisk = layout.root / "assets/scenes/both.xml";
	std::string withBackslashes = onDisk;
	for (char& c : withBackslashes)
		if (c == '/')
			c = '\\';
	EXPECT_EQ("from the folder", open(fileSystem.get(), withBackslashes.c_str()));
	EXPECT_TRUE(fileSystem->existFile(withBackslashes.c_str(), false));
}

TEST(FileSystem, DiskBeforeArchivesWhenOpeningArchivesBeforeDiskWhenAsking)
{
	SAssetLayout layout;
	CRefHolder<CFileSystem> fileSystem = makeFileSystem();
	ASSERT_TRUE(fileSystem->addFileArchive(layout.archive.c_str(), false, false));

	CWorkingDirectoryGuard guard;
	ASSERT_TRUE(fileSystem->changeWorkingDirectoryTo(layout.root.path().c_str()));
	layout.root.write("scenes/both.xml", "from the working directory");
	EXPECT_EQ("from the working directory", open(fileSystem.get(), "scenes/both.xml"));

	EXPECT_TRUE(fileSystem->existFile("onlyInArchive.txt", true));
	EXPECT_FALSE(fileSystem->existFile("onlyInArchive.txt", false));
	EXPECT_TRUE(fileSystem->existFile("assets", false)); // a folder counts
	EXPECT_FALSE(fileSystem->existFile("missing", true));

	// The relative name resolves against the working directory.
	IFileArchive* folder = fileSystem->addFileArchive("assets", false, false);
	ASSERT_TRUE(folder);
	const core::stringc expected = (layout.root.path() + "/assets/").c_str();
	EXPECT_STREQ(expected.c_str(), folder->getArchiveName().c_str());
}

TEST(FileSystem, MountingNeverLeavesTheWorkingDirectoryChanged)
{
	SAssetLayout layout;
	CRefHolder<CFileSystem> fileSystem = makeFileSystem();
	const std::string before = currentFolder();
	ASSERT_TRUE(fileSystem->addFileArchive(layout.folder.c_str(), false, false));
	EXPECT_EQ(before, currentFolder());
	{
		test::CLogCapture log;
		EXPECT_FALSE(fileSystem->addFileArchive((layout.root / "nothing").c_str(), false, false));
	}
	EXPECT_EQ(before, currentFolder());

	// A working directory that cannot be read (it was deleted under us) stays where it is.
	CWorkingDirectoryGuard guard;
	const std::string doomed = layout.root / "doomed";
	layout.root.write("doomed/x", "");
	ASSERT_EQ(0, chdir(doomed.c_str()));
	ASSERT_EQ(0, ::remove((doomed + "/x").c_str()));
	ASSERT_EQ(0, rmdir(doomed.c_str()));
	ASSERT_EQ("<unreadable>", currentFolder());
	EXPECT_TRUE(fileSystem->getWorkingDirectory().empty());

	ASSERT_TRUE(fileSystem->addFileArchive(layout.archive.c_str(), false, false));
	test::CLogCapture log;
	EXPECT_FALSE(fileSystem->addFileArchive("relative", false, false));
	EXPECT_TRUE(log.contains("Could not create archive for"));
	EXPECT_EQ("<unreadable>", currentFolder());
	EXPECT_EQ("archive only", open(fileSystem.get(), "onlyInArchive.txt"));
}

TEST(FileSystem, ArchiveThatNoLoaderTakesIsLoggedAndNotListed)
{
	CTempFolder root;
	const std::string plain = root.write("notes.txt", "just text");
	CRefHolder<CFileSystem> fileSystem = makeFileSystem();
	for (const std::string& name : {plain, root / "missing.zip", root / "missing"})
	{
		test::CLogCapture log;
		EXPECT_EQ(nullptr, fileSystem->addFileArchive(name.c_str(), false, false)) << name;
		ASSERT_EQ(1u, log.lines.size()) << log.all();
		EXPECT_EQ(LOG_ERROR, log.lines[0].level);
		EXPECT_EQ("Could not create archive for", log.lines[0].text);
		EXPECT_EQ(name, log.lines[0].hint);
	}
	EXPECT_EQ(0u, fileSystem->getFileArchiveCount());
	EXPECT_EQ(nullptr, fileSystem->getFileArchive(0));
	EXPECT_EQ(nullptr, fileSystem->addFileArchive((io::IReadFile*)nullptr, false, false));
}

TEST(FileSystem, ZipMountedByNameOrByContent)
{
	CTempFolder root;
	const std::string noExtension = root.write("data", test::readDiskFile(test::fixturePath("files/mixed.zip")));
	CRefHolder<CFileSystem> fileSystem = makeFileSystem();
	IFileArchive* byName = fileSystem->addFileArchive(test::fixturePath("files/mixed.zip").c_str(), false, false);
	ASSERT_TRUE(byName);
	EXPECT_STREQ("zip", byName->getArchiveType().c_str());
	// No extension: the folder loader declines a file, then the zip loader knows the content.
	IFileArchive* byContent = fileSystem->addFileArchive(noExtension.c_str(), false, false);
	ASSERT_TRUE(byContent);
	EXPECT_STREQ("zip", byContent->getArchiveType().c_str());
	EXPECT_EQ(300u, (u32)open(fileSystem.get(), "Images/a.png").size());

	// Removing hands the list's reference to the caller; later archives move down.
	fileSystem->removeFileArchive(byName);
	EXPECT_EQ(1u, fileSystem->getFileArchiveCount());
	EXPECT_EQ(byContent, fileSystem->getFileArchive(0));
	byName->drop();
}

TEST(FileSystem, ArchiveKeyIsReadWhenMounting)
{
	SAssetLayout layout;
	CRefHolder<CFileSystem> fileSystem = makeFileSystem();
	fileSystem->getSettings()->setString("AssetsCryptKey", "wrong");
	test::CLogCapture log;
	EXPECT_EQ(nullptr, fileSystem->addFileArchive(layout.archive.c_str(), false, false));
	EXPECT_TRUE(log.contains("Unable to read file description"));
	// The archive says why it was refused; the file system adds no second line.
	EXPECT_EQ(1u, log.lines.size()) << log.all();

	CRefHolder<CReadFile> file = adoptRef(CReadFile::open(layout.archive.c_str()));
	ASSERT_TRUE(file);
	test::CLogCapture openLog;
	EXPECT_EQ(nullptr, fileSystem->addFileArchive(file.get(), false, false));
	EXPECT_EQ(1u, openLog.lines.size()) << openLog.all();
	EXPECT_EQ(0u, fileSystem->getFileArchiveCount());
}

TEST(FileSystem, UniqueNamesSkipExistingFiles)
{
	CTempFolder root;
	root.write("shot000042", "taken");
	CRefHolder<CFileSystem> fileSystem = makeFileSystem();
	std::vector<u32> draws = {42, 999999 + 43};
	size_t next = 0;
	fileSystem->setRandomSource([&] { return draws[next++ % draws.size()]; });
	EXPECT_STREQ("shot000043", fileSystem->createUniqueName(root.path().c_str(), "shot").c_str());
	EXPECT_EQ(2u, next);

	// 999,999 itself is never drawn: the value is taken modulo 999,999.
	draws = {999999, 999998};
	next = 0;
	EXPECT_STREQ("shot000000", fileSystem->createUniqueName(root.path().c_str(), "shot").c_str());
	draws = {999998};
	EXPECT_STREQ("shot999998", fileSystem->createUniqueName(root.path().c_str(), "shot").c_str());

	// A source that only names taken files gives up instead of hanging.
	draws = {42};
	test::CLogCapture log;
	EXPECT_TRUE(fileSystem->createUniqueName(root.path().c_str(), "shot").empty());
	EXPECT_EQ(1u, log.lines.size());

	// Without a source the file system draws from its own generator, still six digits.
	CRefHolder<CFileSystem> plain = adoptRef(new CFileSystem());
	const core::stringc name = plain->createUniqueName(root.path().c_str(), "s");
	EXPECT_EQ(7u, name.size());
}

TEST(FileSystem, DataFoldersUnderTheXdgFolders)
{
	CTempFolder root;
	test::CScopedEnv data("XDG_DATA_HOME", root / "data");
	test::CScopedEnv state("XDG_STATE_HOME", root / "state");
	CRefHolder<CFileSystem> fileSystem = makeFileSystem();

	const core::stringc user = fileSystem->getUserDataFolder();
	const core::stringc common = fileSystem->getCommonDataFolder();
	EXPECT_EQ(root / "data/Fennlark/Quillbrook", user.c_str());
	EXPECT_EQ(root / "state/Fennlark/Quillbrook", common.c_str());
	struct stat info;
	EXPECT_EQ(0, stat(user.c_str(), &info));
	EXPECT_EQ(0, stat(common.c_str(), &info));

	// Both hold a file of the same name, so they must differ even when the roots do not.
	test::CScopedEnv sameState("XDG_STATE_HOME", root / "data");
	EXPECT_EQ(root / "data/Fennlark/Quillbrook/AllUsers", fileSystem->getCommonDataFolder().c_str());

	// The settings are read at each call: the game sets them after the device made the file system.
	fileSystem->getSettings()->setString("TitleName", "Other Title");
	EXPECT_EQ(root / "data/Fennlark/Other Title", fileSystem->getUserDataFolder().c_str());

	// No folder at all rather than one at the root or outside the data folder.
	for (const char* bad : {"", ".", "..", "a/b"})
	{
		fileSystem->getSettings()->setString("PublisherName", bad);
		EXPECT_TRUE(fileSystem->getUserDataFolder().empty()) << bad;
	}
	CRefHolder<CFileSystem> base = adoptRef(new CFileSystem());
	EXPECT_TRUE(base->getUserDataFolder().empty());
	EXPECT_TRUE(base->getCommonDataFolder().empty());
}

TEST(FileSystem, DataFolderDefaultsUnderHome)
{
	CTempFolder root;
	test::CScopedEnv home("HOME", root.path());
	test::CScopedEnv data("XDG_DATA_HOME", "relative/is/ignored");
	test::CScopedEnv state("XDG_STATE_HOME", "");
	CRefHolder<CFileSystem> fileSystem = makeFileSystem();
	EXPECT_EQ(root / ".local/share/Fennlark/Quillbrook", fileSystem->getUserDataFolder().c_str());
	EXPECT_EQ(root / ".local/state/Fennlark/Quillbrook", fileSystem->getCommonDataFolder().c_str());
}

TEST(FileSystem, SmallerOperations)
{
	CTempFolder root;
	CRefHolder<CFileSystem> fileSystem = makeFileSystem();
	const std::string a = root.write("a.txt", "A");
	const std::string b = root.write("b.txt", "B");
	EXPECT_TRUE(fileSystem->renameFile(a.c_str(), b.c_str())); // replaces the target
	EXPECT_EQ("A", test::readDiskFile(b));
	EXPECT_FALSE(fileSystem->renameFile(a.c_str(), b.c_str()));
	EXPECT_TRUE(fileSystem->removeFile(b.c_str()));
	EXPECT_FALSE(fileSystem->removeFile(b.c_str()));

	EXPECT_EQ(nullptr, fileSystem->createMemoryReadFile(nullptr, 4, "m", false));
	EXPECT_EQ(nullptr, fileSystem->createMemoryWriteFile(nullptr, 4, "m", false));
	EXPECT_EQ(nullptr, fileSystem->createXMLReader((io::IReadFile*)nullptr));
	EXPECT_EQ(nullptr, fileSystem->createXMLReader("missing.xml"));
	EXPECT_EQ(nullptr, fileSystem->createXMLWriter((io::IWriteFile*)nullptr));
	EXPECT_EQ(nullptr, fileSystem->createAndWriteFile((root / "no/folder/x").c_str()));

	// Written through the file system, read back through it.
	{
		CRefHolder<IXMLWriter> writer = adoptRef(fileSystem->createXMLWriter((root / "w.xml").c_str()));
		ASSERT_TRUE(writer);
		writer->writeXMLHeader();
		writer->writeElement(L"Root", true, L"Name", L"value");
	}
	CRefHolder<IXMLReader> reader = adoptRef(fileSystem->createXMLReader((root / "w.xml").c_str()));
	ASSERT_TRUE(reader);
	bool found = false;
	while (reader->read())
		found = found ||
			(reader->getNodeType() == XML_NODE_ELEMENT && reader->getNodeName() == L"Root" &&
				reader->getAttributeValue(L"Name") == L"value");
	EXPECT_TRUE(found);

	EXPECT_STREQ("/x/z", fileSystem->getAbsolutePath("/x/./y/../z").c_str());
	CWorkingDirectoryGuard guard;
	ASSERT_TRUE(fileSystem->changeWorkingDirectoryTo(root.path().c_str()));
	EXPECT_STREQ((root.path() + "/q").c_str(), fileSystem->getAbsolutePath("q").c_str());
	EXPECT_FALSE(fileSystem->changeWorkingDirectoryTo((root / "missing").c_str()));
	CRefHolder<CFileList> list = adoptRef(fileSystem->createFileList());
	bool listed = false;
	for (u32 i = 0; i < list->getFileCount(); ++i)
		listed = listed || (list->getFileName(i) == "w.xml" && !list->isDirectory(i));
	EXPECT_TRUE(listed);
}
