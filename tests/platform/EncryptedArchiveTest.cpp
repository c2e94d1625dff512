#include "FileTestSupport.h"

#include "core/CRefHolder.h"
#include "platform/CEncryptedArchive.h"
#include "platform/CEncryptedArchiveWriter.h"
#include "platform/CMemoryFile.h"
#include "platform/CReadFile.h"
#include "platform/CVirtualFile.h"

#include <cstring>
#include <functional>
#include <thread>

#include <unistd.h>

using namespace fw;

namespace
{
struct SRecord
{
	std::string name;
	u32 offset;
	u32 size;
};

void appendU16(std::string& bytes, u32 value)
{
	bytes += (char)value;
	bytes += (char)(value >> 8);
}

void appendU32(std::string& bytes, u32 value)
{
	for (int i = 0; i < 4; ++i)
		bytes += (char)(value >> (8 * i));
}

// Builds an archive by hand, independently of the writer: every byte from offset 16 on is
// stored as plain XOR key[(offset - 16) mod length].
std::string buildArchive(const std::string& key, const std::string& body, u32 directoryOffset, u32 count,
	const std::vector<SRecord>& records)
{
	std::string bytes("OCA\0", 4);
	appendU32(bytes, directoryOffset);
	appendU32(bytes, count);
	appendU32(bytes, 0);
	bytes += body;
	bytes.resize(core::max_((size_t)directoryOffset, bytes.size()), '\0');
	std::string directory;
	for (const SRecord& r : records)
	{
		appendU16(directory, (u32)r.name.size());
		directory += r.name;
		appendU32(directory, r.offset);
		appendU32(directory, r.size);
	}
	bytes.replace(directoryOffset, std::string::npos, directory);
	for (size_t o = 16; o < bytes.size() && !key.empty(); ++o)
		bytes[o] = (char)(bytes[o] ^ key[(o - 16) % key.size()]);
	return bytes;
}

CRefHolder<CMemoryFile> memoryFile(const std::string& bytes, const char* name = "test.oca")
{
	u8* copy = new u8[bytes.size() + 1];
	std::memcpy(copy, bytes.data(), bytes.size());
	return adoptRef(new CMemoryFile(copy, (long)bytes.size(), name, true));
}

CRefHolder<CEncryptedArchive> mount(const std::string& bytes, const std::string& key, bool ignoreCase = false,
	bool ignorePaths = false)
{
	CRefHolder<CMemoryFile> file = memoryFile(bytes);
	return adoptRef(new CEncryptedArchive(file.get(), key.c_str(), ignoreCase, ignorePaths));
}

std::string packWithWriter(const std::string& key, const std::vector<std::pair<std::string, std::string>>& files)
{
	CRefHolder<CVirtualFile> out = adoptRef(new CVirtualFile("packed.oca", 4096));
	CEncryptedArchiveWriter writer(out.get(), key.c_str());
	for (const auto& f : files)
		EXPECT_TRUE(writer.addData(f.first.c_str(), f.second.data(), (u32)f.second.size()));
	EXPECT_TRUE(writer.finish());
	out->seek(0);
	return test::readRest(out.get());
}

const std::string KEY3 = "k#9";
} // namespace

TEST(EncryptedArchive, KeyPositionFollowsTheFileOffset)
{
	// With a key of length 3, data at offset 19 (16 + 3) starts at key byte 0, data at 17 at
	// key byte 1; the directory itself starts mid-key.
	const std::string body = "\x01"
							 "ABCDEF"
							 "xyz";
	const std::vector<SRecord> records = {{"atKeyByte1", 17, 6}, {"atKeyByte0", 19, 4}, {"tail", 23, 3}};
	const std::string bytes = buildArchive(KEY3, body, 16 + (u32)body.size() + 1, 3, records);
	CRefHolder<CEncryptedArchive> archive = mount(bytes, KEY3);
	ASSERT_TRUE(archive->isValid());
	EXPECT_EQ(3u, archive->getFileCount());
	EXPECT_EQ("ABCDEF", test::takeContent(archive->openFile("atKeyByte1")));
	EXPECT_EQ("CDEF", test::takeContent(archive->openFile("atKeyByte0")));
	EXPECT_EQ("xyz", test::takeContent(archive->openFile("tail")));
}

TEST(EncryptedArchive, EmptyKeyLeavesEverythingPlain)
{
	const std::string bytes = packWithWriter("", {{"scenes/Main.oscn", "<SceneNode/>"}});
	EXPECT_NE(std::string::npos, bytes.find("<SceneNode/>"));
	EXPECT_NE(std::string::npos, bytes.find("scenes/Main.oscn"));
	CRefHolder<CEncryptedArchive> archive = mount(bytes, "");
	EXPECT_EQ("<SceneNode/>", test::takeContent(archive->openFile("scenes/Main.oscn")));

	// With a key nothing readable is left after the header.
	const std::string hidden = packWithWriter(KEY3, {{"scenes/Main.oscn", "<SceneNode/>"}});
	EXPECT_EQ(std::string::npos, hidden.find("<SceneNode/>"));
	EXPECT_EQ(std::string::npos, hidden.find("scenes/Main.oscn"));
}

TEST(EncryptedArchive, WriterRoundTripAcrossBufferSizes)
{
	// Entries larger than the writer's 64 KiB chunk keep the key position across chunks.
	std::string big(200000, '\0');
	for (size_t i = 0; i < big.size(); ++i)
		big[i] = (char)(i * 7 + i / 251);
	const std::string key = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVW";
	ASSERT_EQ(59u, key.size());
	const std::string bytes = packWithWriter(key, {{"b/big.bin", big}, {"a.txt", "first"}, {"empty", ""}});
	CRefHolder<CEncryptedArchive> archive = mount(bytes, key);
	ASSERT_TRUE(archive->isValid());
	EXPECT_EQ(big, test::takeContent(archive->openFile("b/big.bin")));
	EXPECT_EQ("first", test::takeContent(archive->openFile("a.txt")));

	// A different key reads the header but not the directory.
	test::CLogCapture log;
	CRefHolder<CEncryptedArchive> wrongKey = mount(bytes, "another key");
	EXPECT_FALSE(wrongKey->isValid());
	EXPECT_EQ(0u, wrongKey->getFileCount());
}

// Entries are read from the archive file on demand: any split of reads and seeks gives the same
// bytes, for archives over memory and over a file that is only read through its position; two
// entries read at once on two threads do not disturb each other's position in the archive file.
TEST(EncryptedArchive, EntriesReadInPiecesAndOnTwoThreads)
{
	const std::string key = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVW";
	std::string first(300000, '\0');
	std::string second(200000, '\0');
	for (size_t i = 0; i < first.size(); ++i)
		first[i] = (char)(i * 13 + i / 97);
	for (size_t i = 0; i < second.size(); ++i)
		second[i] = (char)(i * 5 + i / 31);
	const std::string bytes = packWithWriter(key, {{"one", first}, {"two", second}, {"odd", "x"}});
	CRefHolder<CVirtualFile> positional = adoptRef(new CVirtualFile("packed.oca", 16));
	positional->write(bytes.data(), (u32)bytes.size());
	CRefHolder<CMemoryFile> memory = memoryFile(bytes);
	io::IReadFile* sources[] = {memory.get(), positional.get()};
	for (io::IReadFile* source : sources)
	{
		SCOPED_TRACE(source->getFileName().c_str());
		source->seek(0);
		CRefHolder<CEncryptedArchive> archive = adoptRef(new CEncryptedArchive(source, key.c_str(), false, false));
		ASSERT_TRUE(archive->isValid());

		// Reads of odd sizes from odd places, every key position on the way.
		CRefHolder<io::IReadFile> entry = adoptRef(archive->openFile("one"));
		ASSERT_NE(nullptr, entry.get());
		EXPECT_EQ((long)first.size(), entry->getSize());
		EXPECT_STREQ("one", entry->getFileName().c_str());
		std::string pieces;
		char buffer[7919];
		for (u32 size = 1; entry->getPos() < entry->getSize(); size = size * 3 % 7919 + 1)
		{
			const s32 got = entry->read(buffer, size);
			ASSERT_GT(got, 0);
			pieces.append(buffer, (size_t)got);
		}
		EXPECT_EQ(first, pieces);
		EXPECT_EQ(0, entry->read(buffer, 10));
		EXPECT_TRUE(entry->seek(-1000, true));
		EXPECT_EQ(1000, entry->read(buffer, sizeof(buffer)));
		EXPECT_EQ(first.substr(first.size() - 1000), std::string(buffer, 1000));
		EXPECT_TRUE(entry->seek(12345));
		EXPECT_EQ(3, entry->read(buffer, 3));
		EXPECT_EQ(first.substr(12345, 3), std::string(buffer, 3));
		EXPECT_FALSE(entry->seek(-1));
		EXPECT_FALSE(entry->seek(entry->getSize() + 1));
		EXPECT_EQ(12348, entry->getPos());

		// Two threads, each reading its entry in small pieces, while the other moves the archive
		// file's position.
		std::string read[2];
		auto reader = [&](const char* name, std::string& out)
		{
			CRefHolder<io::IReadFile> file = adoptRef(archive->openFile(name));
			char piece[997];
			s32 got;
			while ((got = file->read(piece, sizeof(piece))) > 0)
				out.append(piece, (size_t)got);
		};
		std::thread one(reader, "one", std::ref(read[0]));
		std::thread two(reader, "two", std::ref(read[1]));
		one.join();
		two.join();
		EXPECT_EQ(first, read[0]);
		EXPECT_EQ(second, read[1]);
	}
}

// An archive on disk is read through a mapping of the file; a file cut short after mounting
// refuses the entries that no longer lie inside it, rather than reading past its end.
TEST(EncryptedArchive, DiskArchiveServesItsEntriesAndRefusesThemOnceCutShort)
{
	const std::string big(100000, 'b');
	const std::string bytes = packWithWriter(KEY3, {{"small", "tiny"}, {"big", big}});
	test::CTempFolder folder;
	const std::string path = folder.write("assets.oca", bytes);
	CRefHolder<CReadFile> file = adoptRef(CReadFile::open(path.c_str()));
	ASSERT_NE(nullptr, file.get());
	CRefHolder<CEncryptedArchive> archive = adoptRef(new CEncryptedArchive(file.get(), KEY3.c_str(), false, false));
	ASSERT_TRUE(archive->isValid());
	EXPECT_EQ("tiny", test::takeContent(archive->openFile("small")));
	EXPECT_EQ(big, test::takeContent(archive->openFile("big")));

	const s32 bigIndex = archive->findFile("big");
	ASSERT_GE(bigIndex, 0);
	ASSERT_EQ(0, truncate(path.c_str(), (off_t)archive->getFileInfo((u32)bigIndex)->offset + 10));
	test::CLogCapture log;
	EXPECT_EQ(nullptr, archive->openFile("big"));
	EXPECT_TRUE(log.contains("Could not read big")) << log.all();
}

TEST(EncryptedArchive, ZeroByteEntryOpensAsAnEmptyFile)
{
	const std::string bytes = packWithWriter(KEY3, {{"empty.txt", ""}, {"full.txt", "x"}});
	CRefHolder<CEncryptedArchive> archive = mount(bytes, KEY3);
	io::IReadFile* empty = archive->openFile("empty.txt");
	ASSERT_NE(nullptr, empty);
	EXPECT_EQ(0, empty->getSize());
	char c;
	EXPECT_EQ(0, empty->read(&c, 1));
	EXPECT_STREQ("empty.txt", empty->getFileName().c_str());
	empty->drop();
}

TEST(EncryptedArchive, LookupsAreExactUnlessFlagsSayOtherwise)
{
	// Written unsorted on purpose: the reader sorts.
	const std::string bytes =
		packWithWriter(KEY3, {{"scenes/b.png", "b"}, {"Scenes/A.png", "A"}, {"scenes/a.png", "a"}, {"z", "z"}});
	CRefHolder<CEncryptedArchive> exact = mount(bytes, KEY3);
	EXPECT_EQ("a", test::takeContent(exact->openFile("scenes/a.png")));
	EXPECT_EQ("A", test::takeContent(exact->openFile("Scenes/A.png")));
	EXPECT_EQ(-1, exact->findFile("scenes/A.png"));
	EXPECT_EQ(-1, exact->findFile("SCENES/B.PNG"));
	EXPECT_EQ(-1, exact->findFile("b.png"));
	EXPECT_EQ(-1, exact->findFile("scenes\\b.png"));
	EXPECT_EQ(-1, exact->findFile(""));
	EXPECT_EQ(nullptr, exact->openFile(4u));
	EXPECT_EQ(nullptr, exact->getFileInfo(4));
	ASSERT_NE(nullptr, exact->getFileInfo(0));

	// The flags change only the name asked for; stored names are compared as stored.
	CRefHolder<CEncryptedArchive> folded = mount(bytes, KEY3, true, false);
	EXPECT_EQ("b", test::takeContent(folded->openFile("SCENES/B.PNG")));
	// The stored upper-case name cannot be reached once the asked name is folded.
	EXPECT_EQ("a", test::takeContent(folded->openFile("Scenes/A.png")));
	CRefHolder<CEncryptedArchive> flat = mount(bytes, KEY3, false, true);
	EXPECT_EQ("z", test::takeContent(flat->openFile("some/folder/z")));
}

TEST(EncryptedArchive, DamagedArchivesAreRefusedWithALogLine)
{
	const std::string good = packWithWriter(KEY3, {{"one.txt", "1111"}, {"two.txt", "22"}});
	// Header fields are plain: offset 4 holds the directory offset, 8 the count.
	struct SCase
	{
		const char* what;
		std::function<std::string()> bytes;
		const char* message;
	};
	const SCase cases[] = {
		{"short header", [&] { return good.substr(0, 10); }, "bad header"},
		{"wrong magic",
			[&]
			{
				std::string b = good;
				b[2] = 'B';
				return b;
			},
			"bad header"},
		{"directory cut short", [&] { return good.substr(0, good.size() - 3); }, "Unable to read file description"},
		{"directory offset past the end",
			[&]
			{
				std::string b = good;
				b[7] = 0x10;
				return b;
			},
			"Unable to read file description"},
		{"directory offset inside the header",
			[&]
			{
				std::string b = good;
				b[4] = 8;
				b[5] = 0;
				return b;
			},
			"Unable to read file description"},
		{"count cannot fit",
			[&]
			{
				std::string b = good;
				b[10] = 0x7f;
				return b;
			},
			"cannot fit"},
		{"entry outside the file",
			[&] {
				return buildArchive(KEY3, "abcd", 20, 1, {{"x", 16, 100}});
			},
			"outside the file"},
		{"entry inside the header",
			[&] {
				return buildArchive(KEY3, "abcd", 20, 1, {{"x", 4, 2}});
			},
			"outside the file"},
		{"entry offset wraps",
			[&] {
				return buildArchive(KEY3, "abcd", 20, 1, {{"x", 18, 0xfffffff0}});
			},
			"outside the file"},
		{"name longer than the directory",
			[&]
			{
				std::string b = buildArchive(KEY3, "abcd", 20, 1, {{"x", 16, 4}});
				b[20] = (char)(b[20] ^ 0x7f); // the length's low byte, still enciphered
				return b;
			},
			"Unable to read file description"},
	};
	for (const SCase& c : cases)
	{
		test::CLogCapture log;
		CRefHolder<CEncryptedArchive> archive = mount(c.bytes(), KEY3);
		EXPECT_FALSE(archive->isValid()) << c.what;
		EXPECT_EQ(0u, archive->getFileCount()) << c.what;
		EXPECT_EQ(nullptr, archive->openFile("one.txt")) << c.what;
		EXPECT_TRUE(log.contains(c.message)) << c.what << "\n" << log.all();
	}
}

TEST(EncryptedArchive, LoaderRecognisesNamesAndContent)
{
	CArchiveLoaderOca loader(nullptr);
	EXPECT_TRUE(loader.isALoadableFileExtension("assets.oca"));
	EXPECT_TRUE(loader.isALoadableFileExtension("ASSETS.OCA"));
	EXPECT_FALSE(loader.isALoadableFileExtension("assets"));

	CRefHolder<CMemoryFile> archive = memoryFile(packWithWriter("", {{"a", "b"}}));
	archive->seek(5);
	EXPECT_TRUE(loader.isALoadableFileFormat(archive.get()));
	EXPECT_EQ(0, archive->getPos()); // left at the start
	CRefHolder<CMemoryFile> shortFile = memoryFile("OCA");
	EXPECT_FALSE(loader.isALoadableFileFormat(shortFile.get()));
	EXPECT_FALSE(loader.isALoadableFileFormat(nullptr));
}
