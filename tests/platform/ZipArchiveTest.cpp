#include "FileTestSupport.h"

#include "core/CRefHolder.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"
#include "platform/CReadFile.h"
#include "platform/CZipArchive.h"

#include <zlib.h>

#include <cstring>
#include <functional>

using namespace fw;

namespace
{
// The text the fixture's readme.txt was made from.
std::string readmeText()
{
	std::string text;
	for (int i = 0; i < 200; ++i)
		text += "Line " + std::to_string(i) + " of the Quillbrook test archive: the mill wheel turns.\n";
	return text;
}

u32 crcOf(const std::string& bytes)
{
	return (u32)crc32(0, (const Bytef*)bytes.data(), (uInt)bytes.size());
}

// Layout of tests/fixtures/files/mixed.zip (made by `zip -X -9 -n .png`): readme.txt deflated
// at 0, Images/a.png stored at 610, empty.txt at 952, the central directory at 991.
const long README_HEADER = 0;
const u32 README_NAME_LENGTH = 10;
const u32 README_COMPRESSED = 570;
const long PNG_HEADER = 610;
const long PNG_DATA = 652;
const u32 README_UNCOMPRESSED = 12490;
const u32 PNG_CRC = 0x9fa3ee1c;

void putU16(std::string& bytes, size_t at, u32 value)
{
	bytes[at] = (char)value;
	bytes[at + 1] = (char)(value >> 8);
}

void putU32(std::string& bytes, size_t at, u32 value)
{
	for (int i = 0; i < 4; ++i)
		bytes[at + i] = (char)(value >> (8 * i));
}

// A zip archive over bytes in memory; null when the loader refuses it.
CRefHolder<IFileArchive> mountBytes(const std::string& bytes, bool ignoreCase = false, bool ignorePaths = false)
{
	u8* copy = new u8[bytes.size() + 1];
	std::memcpy(copy, bytes.data(), bytes.size());
	CRefHolder<CMemoryFile> file = adoptRef(new CMemoryFile(copy, (long)bytes.size(), "bytes.zip", true));
	CArchiveLoaderZip loader(nullptr);
	return adoptRef(loader.createArchive(file.get(), ignoreCase, ignorePaths));
}

std::string mixedZip()
{
	return test::readDiskFile(test::fixturePath("files/mixed.zip"));
}
} // namespace

TEST(ZipArchive, ReadsStoredAndDeflatedEntriesMadeByZip)
{
	for (const char* fixture : {"files/mixed.zip", "files/streamed.zip"})
	{
		SCOPED_TRACE(fixture);
		CRefHolder<CReadFile> file = adoptRef(CReadFile::open(test::fixturePath(fixture).c_str()));
		ASSERT_TRUE(file);
		CArchiveLoaderZip loader(nullptr);
		EXPECT_TRUE(loader.isALoadableFileFormat(file.get()));
		CRefHolder<IFileArchive> archive = adoptRef(loader.createArchive(file.get(), false, false));
		ASSERT_TRUE(archive);
		EXPECT_STREQ("zip", archive->getArchiveType().c_str());

		// Deflated: a memory file of exactly the uncompressed size, named as stored.
		io::IReadFile* readme = archive->openFile("readme.txt");
		ASSERT_TRUE(readme);
		EXPECT_EQ((long)README_UNCOMPRESSED, readme->getSize());
		EXPECT_STREQ("readme.txt", readme->getFileName().c_str());
		EXPECT_EQ(readmeText(), test::takeContent(readme));

		// Stored: served from the zip file without inflating.
		io::IReadFile* image = archive->openFile("Images/a.png");
		ASSERT_TRUE(image);
		EXPECT_EQ(300, image->getSize());
		EXPECT_EQ(PNG_CRC, crcOf(test::takeContent(image)));
	}
}

TEST(ZipArchive, EmptyEntryOpensAsAnEmptyFile)
{
	CRefHolder<IFileArchive> archive = mountBytes(mixedZip());
	ASSERT_TRUE(archive);
	EXPECT_EQ(3u, archive->getFileCount());
	io::IReadFile* empty = archive->openFile("empty.txt");
	ASSERT_TRUE(empty);
	EXPECT_EQ(0, empty->getSize());
	empty->drop();
}

TEST(ZipArchive, LookupFlags)
{
	struct SCase
	{
		bool ignoreCase;
		bool ignorePaths;
		const char* name;
		bool found;
	};
	const SCase cases[] = {
		// The game's flags: exact, case-sensitive, with the path.
		{false, false, "Images/a.png", true},
		{false, false, "images/a.png", false},
		{false, false, "a.png", false},
		{false, false, "Images\\a.png", false},
		{true, true, "A.PNG", true},
		{true, true, "Other/Folder/a.png", true},
		{true, false, "IMAGES/A.PNG", true},
		{false, true, "a.png", true},
		{false, true, "A.png", false},
	};
	for (const SCase& c : cases)
	{
		CRefHolder<IFileArchive> archive = mountBytes(mixedZip(), c.ignoreCase, c.ignorePaths);
		ASSERT_TRUE(archive);
		EXPECT_EQ(c.found, archive->findFile(c.name) >= 0)
			<< c.name << " case " << c.ignoreCase << " paths " << c.ignorePaths;
		io::IReadFile* file = archive->openFile(c.name);
		EXPECT_EQ(c.found, file != nullptr) << c.name;
		if (file)
			file->drop();
	}
}

TEST(ZipArchive, LoaderRecognisesNamesAndContent)
{
	CArchiveLoaderZip loader(nullptr);
	EXPECT_TRUE(loader.isALoadableFileExtension("DATA.ZIP"));
	EXPECT_TRUE(loader.isALoadableFileExtension("x.Pk3"));
	EXPECT_FALSE(loader.isALoadableFileExtension("x.oca"));
	EXPECT_FALSE(loader.isALoadableFileExtension("zip"));

	char notZip[] = "PK\x05\x06 is an end record, not a local header";
	CRefHolder<CMemoryFile> file = adoptRef(new CMemoryFile(notZip, sizeof(notZip), "nozip", false));
	EXPECT_FALSE(loader.isALoadableFileFormat(file.get()));
	EXPECT_EQ(nullptr, loader.createArchive((io::IReadFile*)nullptr, false, false));
}

TEST(ZipArchive, FirstHeaderThatIsNoHeaderGivesNoEntries)
{
	std::string bytes = mixedZip();
	bytes[0] = 'X';
	CRefHolder<IFileArchive> archive = mountBytes(bytes);
	ASSERT_TRUE(archive);
	EXPECT_EQ(0u, archive->getFileCount());
	EXPECT_EQ(nullptr, archive->getFileInfo(0));
}

TEST(ZipArchive, DamagedDirectoryIsRefusedAtMount)
{
	struct SCase
	{
		const char* what;
		std::function<void(std::string&)> damage;
	};
	const SCase cases[] = {
		{"cut inside the first entry's data", [](std::string& b) { b.resize(300); }},
		{"cut inside the second header", [](std::string& b) { b.resize(PNG_HEADER + 20); }},
		{"cut inside the second name", [](std::string& b) { b.resize(PNG_HEADER + 33); }},
		{"compressed size past the end", [](std::string& b) { putU32(b, README_HEADER + 18, 0x7fffffff); }},
		{"compressed size of 4 GiB - 1", [](std::string& b) { putU32(b, README_HEADER + 18, 0xffffffff); }},
		{"name longer than the file", [](std::string& b) { putU16(b, PNG_HEADER + 26, 0xffff); }},
		{"extra field longer than the file", [](std::string& b) { putU16(b, PNG_HEADER + 28, 0xfff0); }},
		{"sizes deferred, no central directory",
			[](std::string& b)
			{
				putU16(b, README_HEADER + 6, 8);
				b.resize(991);
			}},
	};
	for (const SCase& c : cases)
	{
		std::string bytes = mixedZip();
		c.damage(bytes);
		test::CLogCapture log;
		CRefHolder<IFileArchive> archive = mountBytes(bytes);
		EXPECT_FALSE(archive) << c.what;
		EXPECT_TRUE(log.contains("refused")) << c.what << "\n" << log.all();
	}
}

TEST(ZipArchive, CutShortArchiveKeepsItsWholeEntriesAndSaysWhatIsLost)
{
	// A cut between entries contradicts no header: what is whole still mounts, with one line.
	struct SCase
	{
		const char* what;
		size_t size;
		u32 entries;
		const char* message; // null: no line
	};
	const SCase cases[] = {
		{"whole", 1182, 3, nullptr},
		{"cut before the second entry", (size_t)PNG_HEADER, 1, "cut short after its entry readme.txt"},
		{"cut before the last entry", 952, 2, "cut short after its entry Images/a.png"},
		{"cut two bytes into the last header", 954, 2, "cut short after its entry Images/a.png"},
		{"cut where the directory starts", 991, 3, "cut short after its entry empty.txt"},
		{"cut inside the directory", 1050, 3, "cut short inside its central directory"},
		{"cut inside the end record", 1181, 3, "cut short inside its central directory"},
	};
	const char* const names[] = {"readme.txt", "Images/a.png", "empty.txt"};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		std::string bytes = mixedZip();
		ASSERT_EQ(1182u, bytes.size());
		bytes.resize(c.size);
		test::CLogCapture log;
		CRefHolder<IFileArchive> archive = mountBytes(bytes);
		ASSERT_TRUE(archive) << log.all();
		EXPECT_EQ(c.entries, archive->getFileCount());
		for (u32 i = 0; i < 3; ++i)
			EXPECT_EQ(i < c.entries, archive->findFile(names[i]) >= 0) << names[i];
		EXPECT_EQ(readmeText(), test::takeContent(archive->openFile("readme.txt")));
		if (!c.message)
		{
			EXPECT_TRUE(log.lines.empty()) << log.all();
			continue;
		}
		ASSERT_EQ(1u, log.lines.size()) << log.all();
		EXPECT_EQ(LOG_WARNING, log.lines[0].level);
		EXPECT_TRUE(log.contains("bytes.zip")) << log.all();
		EXPECT_TRUE(log.contains(c.message)) << log.all();
	}
}

TEST(ZipArchive, DamagedEntriesAreRefusedAtOpen)
{
	struct SCase
	{
		const char* what;
		std::function<void(std::string&)> damage;
		const char* message;
	};
	const SCase cases[] = {
		{"unsupported method", [](std::string& b) { putU16(b, README_HEADER + 8, 12); },
			"File has unsupported compression method. readme.txt"},
		{"garbage in the stream", [](std::string& b) { std::memset(&b[40], 0xA5, 40); },
			"Error decompressing readme.txt"},
		{"uncompressed size too large", [](std::string& b) { putU32(b, README_HEADER + 22, README_UNCOMPRESSED + 1); },
			"Error decompressing readme.txt"},
		{"uncompressed size too small", [](std::string& b) { putU32(b, README_HEADER + 22, 100); },
			"Error decompressing readme.txt"},
		{"uncompressed size beyond any deflate ratio",
			[](std::string& b) { putU32(b, README_HEADER + 22, 0xfffffff0); }, "Error decompressing readme.txt"},
		{"checksum differs", [](std::string& b) { putU32(b, README_HEADER + 14, 0x12345678); },
			"Error decompressing readme.txt"},
		{"encrypted entry", [](std::string& b) { putU16(b, README_HEADER + 6, 1); }, "encrypted"},
	};
	for (const SCase& c : cases)
	{
		std::string bytes = mixedZip();
		c.damage(bytes);
		CRefHolder<IFileArchive> archive = mountBytes(bytes);
		ASSERT_TRUE(archive) << c.what;
		test::CLogCapture log;
		EXPECT_EQ(nullptr, archive->openFile("readme.txt")) << c.what;
		ASSERT_FALSE(log.lines.empty()) << c.what;
		EXPECT_EQ(LOG_ERROR, log.lines[0].level);
		EXPECT_TRUE(log.contains(c.message)) << c.what << "\n" << log.all();
		// The other entries still open.
		io::IReadFile* image = archive->openFile("Images/a.png");
		EXPECT_TRUE(image) << c.what;
		if (image)
			image->drop();
	}
}

TEST(ZipArchive, StoredEntryIsCheckedAgainstItsChecksum)
{
	struct SCase
	{
		const char* what;
		std::function<void(std::string&)> damage;
	};
	const SCase cases[] = {
		{"a flipped byte in the data", [](std::string& b) { b[PNG_DATA + 150] ^= 0x20; }},
		{"the last byte changed", [](std::string& b) { b[PNG_DATA + 299] ^= 0x01; }},
		{"another checksum in the header", [](std::string& b) { putU32(b, PNG_HEADER + 14, PNG_CRC ^ 1); }},
	};
	for (const SCase& c : cases)
	{
		std::string bytes = mixedZip();
		c.damage(bytes);
		CRefHolder<IFileArchive> archive = mountBytes(bytes);
		ASSERT_TRUE(archive) << c.what;
		test::CLogCapture log;
		EXPECT_EQ(nullptr, archive->openFile("Images/a.png")) << c.what;
		ASSERT_EQ(1u, log.lines.size()) << c.what << "\n" << log.all();
		EXPECT_EQ(LOG_ERROR, log.lines[0].level);
		EXPECT_TRUE(log.contains("Images/a.png")) << log.all();
		EXPECT_TRUE(log.contains("checksum")) << log.all();
		EXPECT_EQ(readmeText(), test::takeContent(archive->openFile("readme.txt"))) << c.what;
	}
}

TEST(ZipArchive, HeaderWhoseNameRunsOnIsRefused)
{
	// Each leaves the walk on a plausible path unless names or landing places are checked: the
	// name takes in bytes that are data, or whole headers of later entries.
	struct SCase
	{
		const char* what;
		u32 nameLength;
		u32 compressedSize;
		bool withCentralDirectory;
	};
	const u32 swallowNext = (u32)(PNG_DATA - README_HEADER - 30);
	const SCase cases[] = {
		{"the name runs into the data", README_NAME_LENGTH + 10, README_COMPRESSED, true},
		{"the name runs into the data, no directory", README_NAME_LENGTH + 10, README_COMPRESSED, false},
		{"the name swallows the next header", swallowNext, README_COMPRESSED, true},
		{"the name and the size move together", README_NAME_LENGTH + 10, README_COMPRESSED - 10, true},
	};
	for (const SCase& c : cases)
	{
		std::string bytes = mixedZip();
		putU16(bytes, README_HEADER + 26, c.nameLength);
		putU32(bytes, README_HEADER + 18, c.compressedSize);
		if (!c.withCentralDirectory)
			bytes.resize(991);
		test::CLogCapture log;
		CRefHolder<IFileArchive> archive = mountBytes(bytes);
		EXPECT_FALSE(archive) << c.what << ": " << (archive ? archive->getFileCount() : 0) << " entries";
		ASSERT_EQ(1u, log.lines.size()) << c.what << "\n" << log.all();
		EXPECT_EQ(LOG_ERROR, log.lines[0].level);
		EXPECT_TRUE(log.contains("refused")) << log.all();
		EXPECT_TRUE(log.contains("name length")) << log.all();
	}
}

TEST(ZipArchive, Zip64IsRefusedAsSuch)
{
	// tests/fixtures/files/zip64.zip: one stored readme.txt of 48 bytes, made by `zip -X -fz`,
	// which puts the sizes in a Zip64 extra block and marks the 32-bit fields.
	test::CLogCapture log;
	EXPECT_FALSE(mountBytes(test::readDiskFile(test::fixturePath("files/zip64.zip"))));
	ASSERT_EQ(1u, log.lines.size()) << log.all();
	EXPECT_EQ(LOG_ERROR, log.lines[0].level);
	EXPECT_TRUE(log.contains("Zip64")) << log.all();
	EXPECT_TRUE(log.contains("readme.txt")) << log.all();
	EXPECT_FALSE(log.contains("past the end")) << log.all();
}

TEST(ZipArchive, RefusedZipIsLoggedOnceWhicheverWayItIsMounted)
{
	test::CTempFolder root;
	std::string damaged = mixedZip();
	putU16(damaged, README_HEADER + 26, README_NAME_LENGTH + 10);
	const std::string zip64 = test::readDiskFile(test::fixturePath("files/zip64.zip"));
	const std::string files[] = {
		root.write("damaged.zip", damaged),
		root.write("damaged", damaged), // no extension: known by its content
		root.write("big.ZIP", zip64),
		root.write("big", zip64),
	};
	CRefHolder<CFileSystem> fileSystem = adoptRef(createFileSystem());
	for (const std::string& name : files)
	{
		test::CLogCapture log;
		EXPECT_EQ(nullptr, fileSystem->addFileArchive(name.c_str(), false, false)) << name;
		ASSERT_EQ(1u, log.lines.size()) << name << "\n" << log.all();
		EXPECT_TRUE(log.contains("refused")) << log.all();
		EXPECT_TRUE(log.contains(name)) << log.all();

		CRefHolder<CReadFile> file = adoptRef(CReadFile::open(name.c_str()));
		ASSERT_TRUE(file);
		test::CLogCapture openLog;
		EXPECT_EQ(nullptr, fileSystem->addFileArchive(file.get(), false, false)) << name;
		EXPECT_EQ(1u, openLog.lines.size()) << name << "\n" << openLog.all();
	}
	EXPECT_EQ(0u, fileSystem->getFileArchiveCount());
}
