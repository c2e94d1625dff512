#include "FileTestSupport.h"

#include "core/CRefHolder.h"
#include "platform/CLimitReadFile.h"
#include "platform/CMemoryFile.h"
#include "platform/CReadFile.h"
#include "platform/CWriteFile.h"

#include <cstring>

using namespace fw;
using fw::test::CTempFolder;

TEST(ReadFile, ReadsSeeksAndMeasuresARegularFile)
{
	CTempFolder folder;
	const std::string path = folder.write("data.bin", "0123456789");
	CRefHolder<CReadFile> file = adoptRef(CReadFile::open(path.c_str()));
	ASSERT_TRUE(file);
	EXPECT_EQ(10, file->getSize());
	EXPECT_STREQ(path.c_str(), file->getFileName().c_str());

	char buffer[16] = {};
	EXPECT_EQ(4, file->read(buffer, 4));
	EXPECT_EQ(0, std::memcmp(buffer, "0123", 4));
	EXPECT_TRUE(file->seek(3, true));
	EXPECT_EQ(7, file->getPos());
	EXPECT_EQ(3, file->read(buffer, 16)); // only what is left
	EXPECT_EQ(0, std::memcmp(buffer, "789", 3));

	EXPECT_TRUE(file->seek(10)); // the end itself is a valid position
	EXPECT_FALSE(file->seek(11));
	EXPECT_FALSE(file->seek(-1));
	EXPECT_EQ(10, file->getPos());
}

TEST(ReadFile, FoldersAndMissingFilesDoNotOpen)
{
	CTempFolder folder;
	folder.write("sub/x.txt", "x");
	EXPECT_EQ(nullptr, CReadFile::open((folder / "sub").c_str()));
	EXPECT_EQ(nullptr, CReadFile::open((folder / "missing.txt").c_str()));
	EXPECT_EQ(nullptr, CReadFile::open(""));
}

TEST(ReadFile, NamedFileAnswersWithItsLogicalName)
{
	CTempFolder folder;
	const std::string path = folder.write("assets/scenes/a.xml", "<a/>");
	CRefHolder<CNamedReadFile> file = adoptRef(CNamedReadFile::open(path.c_str(), "scenes/a.xml"));
	ASSERT_TRUE(file);
	EXPECT_STREQ("scenes/a.xml", file->getFileName().c_str());
	EXPECT_EQ("<a/>", test::readRest(file.get()));
}

TEST(WriteFile, WritesAppendsAndFlushes)
{
	CTempFolder folder;
	const std::string path = folder / "out.bin";
	{
		CRefHolder<CWriteFile> file = adoptRef(CWriteFile::open(path.c_str(), false));
		ASSERT_TRUE(file);
		EXPECT_EQ(5, file->write("hello", 5));
		EXPECT_EQ(5, file->getPos());
		EXPECT_TRUE(file->flush());
	}
	{
		CRefHolder<CWriteFile> file = adoptRef(CWriteFile::open(path.c_str(), true));
		ASSERT_TRUE(file);
		EXPECT_EQ(6, file->write(" world", 6));
	}
	EXPECT_EQ("hello world", test::readDiskFile(path));
	{
		// Without the append flag the old content goes.
		CRefHolder<CWriteFile> file = adoptRef(CWriteFile::open(path.c_str(), false));
		EXPECT_EQ(2, file->write("hi", 2));
	}
	EXPECT_EQ("hi", test::readDiskFile(path));
	EXPECT_EQ(nullptr, CWriteFile::open((folder / "no/such/folder/x").c_str(), false));
}

TEST(WriteFile, AFullDiskIsReportedByFlush)
{
	CRefHolder<CWriteFile> file = adoptRef(CWriteFile::open("/dev/full", false));
	if (!file)
		GTEST_SKIP() << "no /dev/full here";
	// The bytes sit in the library's buffer until the flush, which is where the failure shows.
	file->write("some bytes", 10);
	EXPECT_FALSE(file->flush());
	EXPECT_TRUE(file->hasFailed());
}

TEST(MemoryFile, ReadsAndWritesWithinItsBuffer)
{
	char buffer[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
	CRefHolder<CMemoryFile> file = adoptRef(new CMemoryFile(buffer, 8, "mem", false));
	EXPECT_EQ(8, file->getSize());
	char out[16] = {};
	EXPECT_EQ(3, file->read(out, 3));
	EXPECT_EQ(0, std::memcmp(out, "abc", 3));
	EXPECT_EQ(5, file->write("123456789", 9)); // cut at the end of the buffer
	EXPECT_EQ(0, std::memcmp(buffer, "abc12345", 8));
	EXPECT_EQ(0, file->read(out, 1));
	EXPECT_FALSE(file->seek(9));
	EXPECT_FALSE(file->seek(-9, true));
	EXPECT_TRUE(file->seek(-2, true));
	EXPECT_EQ(6, file->getPos());
}

TEST(MemoryFile, FreesItsBufferWhenAskedTo)
{
	// Under the address sanitizer a leak or a double free here fails the run.
	u8* owned = new u8[4]{1, 2, 3, 4};
	io::IReadFile* file = new CMemoryFile(owned, 4, "owned", true);
	EXPECT_EQ(4, file->getSize());
	file->drop();

	CRefHolder<CMemoryFile> empty = adoptRef(new CMemoryFile(nullptr, 10, "none", false));
	char out[4];
	EXPECT_EQ(0, empty->getSize());
	EXPECT_EQ(0, empty->read(out, 4));
}

TEST(LimitReadFile, ServesAWindowOfASharedFile)
{
	char buffer[] = "0123456789";
	CRefHolder<CMemoryFile> whole = adoptRef(new CMemoryFile(buffer, 10, "whole", false));
	CRefHolder<CLimitReadFile> first = adoptRef(new CLimitReadFile(whole.get(), 2, 3, "first"));
	CRefHolder<CLimitReadFile> second = adoptRef(new CLimitReadFile(whole.get(), 6, 100, "second"));

	EXPECT_EQ(3, first->getSize());
	EXPECT_EQ(4, second->getSize()); // cut to the file
	char out[16] = {};
	// Interleaved reads do not disturb each other although they share one position.
	EXPECT_EQ(2, first->read(out, 2));
	EXPECT_EQ(0, std::memcmp(out, "23", 2));
	EXPECT_EQ(2, second->read(out, 2));
	EXPECT_EQ(0, std::memcmp(out, "67", 2));
	EXPECT_EQ(1, first->read(out, 5));
	EXPECT_EQ('4', out[0]);
	EXPECT_EQ(0, first->read(out, 5));
	EXPECT_FALSE(first->seek(4));
	EXPECT_TRUE(first->seek(0));
	EXPECT_EQ("234", test::readRest(first.get()));
	EXPECT_STREQ("first", first->getFileName().c_str());

	CRefHolder<CLimitReadFile> outside = adoptRef(new CLimitReadFile(whole.get(), 20, 3, "outside"));
	EXPECT_EQ(0, outside->getSize());
}
