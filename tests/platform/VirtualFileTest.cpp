#include "core/CLogger.h"
#include "core/CRefHolder.h"
#include "platform/CVirtualFile.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace
{
using fw::CVirtualFile;

std::string pattern(size_t count)
{
	std::string bytes;
	for (size_t i = 0; i < count; ++i)
		bytes += static_cast<char>('a' + i % 26);
	return bytes;
}

std::string readBack(CVirtualFile& file, fw::u32 count)
{
	std::string bytes(count, '\0');
	const fw::s32 read = file.read(count ? &bytes[0] : nullptr, count);
	bytes.resize(read > 0 ? static_cast<size_t>(read) : 0);
	return bytes;
}

TEST(VirtualFile, NewFile)
{
	CVirtualFile file("profile.dat", 4);
	EXPECT_EQ(0, file.getSize());
	EXPECT_EQ(0, file.getPos());
	char buffer[4];
	EXPECT_EQ(0, file.read(buffer, 4));
	EXPECT_TRUE(file.seek(0));
	EXPECT_FALSE(file.seek(1));
	EXPECT_EQ(0, file.write(buffer, 0));
	EXPECT_EQ(0, file.getSize());
}

// Sizes around the block boundaries, written in one piece and read back in pieces that cross them.
TEST(VirtualFile, WritesAndReadsAcrossBlocks)
{
	for (size_t size : {1u, 3u, 4u, 5u, 8u, 13u, 100u})
	{
		CVirtualFile file("f", 4);
		const std::string data = pattern(size);
		EXPECT_EQ(static_cast<fw::s32>(size), file.write(data.data(), static_cast<fw::u32>(size)));
		EXPECT_EQ(static_cast<long>(size), file.getSize());
		EXPECT_EQ(static_cast<long>(size), file.getPos());

		ASSERT_TRUE(file.seek(0));
		std::string read;
		for (std::string piece; !(piece = readBack(file, 3)).empty();)
			read += piece;
		EXPECT_EQ(data, read) << size;
		EXPECT_EQ(static_cast<long>(size), file.getPos());
	}
}

TEST(VirtualFile, ManySmallWritesKeepTheirOrder)
{
	CVirtualFile file("f", 5);
	const std::string data = pattern(1000);
	for (size_t at = 0; at < data.size(); at += 7)
	{
		const std::string piece = data.substr(at, 7);
		ASSERT_EQ(static_cast<fw::s32>(piece.size()), file.write(piece.data(), static_cast<fw::u32>(piece.size())));
	}
	ASSERT_TRUE(file.seek(0));
	EXPECT_EQ(data, readBack(file, 1000));
}

TEST(VirtualFile, ReadStopsAtTheSize)
{
	CVirtualFile file("f", 4);
	file.write("0123456789", 10);
	ASSERT_TRUE(file.seek(6));
	EXPECT_EQ("6789", readBack(file, 100));
	EXPECT_EQ(10, file.getPos());
	EXPECT_EQ("", readBack(file, 1));

	ASSERT_TRUE(file.seek(8));
	char buffer[4];
	EXPECT_EQ(2, file.read(buffer, UINT_MAX));
	EXPECT_EQ(10, file.getPos());
}

TEST(VirtualFile, OverwriteInTheMiddleKeepsTheSize)
{
	CVirtualFile file("f", 4);
	file.write("0123456789", 10);
	ASSERT_TRUE(file.seek(5));
	EXPECT_EQ(2, file.write("ab", 2));
	EXPECT_EQ(10, file.getSize());
	EXPECT_EQ(7, file.getPos());

	// Past the old end the size grows.
	ASSERT_TRUE(file.seek(8));
	EXPECT_EQ(4, file.write("wxyz", 4));
	EXPECT_EQ(12, file.getSize());
	ASSERT_TRUE(file.seek(0));
	EXPECT_EQ("01234ab7wxyz", readBack(file, 20));
}

TEST(VirtualFile, Seek)
{
	CVirtualFile file("f", 4);
	file.write("0123456789", 10);
	struct
	{
		long start;
		long target;
		bool relative;
		bool succeeds;
		long position;
	} cases[] = {
		{0, 10, false, true, 10},
		{0, 11, false, false, 0},
		{3, -1, false, false, 3},
		{3, 4, true, true, 7},
		{3, -3, true, true, 0},
		{3, -4, true, false, 3},
		{3, 7, true, true, 10},
		{3, 8, true, false, 3},
		{3, LONG_MAX, true, false, 3},
		{3, LONG_MIN, true, false, 3},
		{3, LONG_MAX, false, false, 3},
	};
	for (const auto& c : cases)
	{
		ASSERT_TRUE(file.seek(c.start));
		EXPECT_EQ(c.succeeds, file.seek(c.target, c.relative)) << c.start << " " << c.target;
		EXPECT_EQ(c.position, file.getPos()) << c.start << " " << c.target;
	}
}

TEST(VirtualFile, BothInterfacesShareThePosition)
{
	auto file = fw::adoptRef(new CVirtualFile("shared.dat", 4));
	fw::io::IWriteFile* writer = file.get();
	fw::io::IReadFile* reader = file.get();
	writer->write("hello", 5);
	EXPECT_EQ(5, reader->getPos());
	ASSERT_TRUE(reader->seek(1));
	EXPECT_EQ(1, writer->getPos());
	char buffer[2];
	ASSERT_EQ(2, reader->read(buffer, 2));
	EXPECT_EQ(3, writer->getPos());
	EXPECT_STREQ("shared.dat", writer->getFileName().c_str());
	EXPECT_EQ(&writer->getFileName(), &reader->getFileName());

	// One reference count for the object behind both interfaces.
	writer->grab();
	EXPECT_EQ(2, reader->getReferenceCount());
	reader->drop();
}

TEST(VirtualFile, WritesPastTwoGigabytesFail)
{
	fw::test::CLogCapture log;
	CVirtualFile file("f", 4);
	file.write("abc", 3);
	// The buffer is never touched: the size alone is refused.
	char small[1] = {0};
	EXPECT_EQ(0, file.write(small, 0x80000000u));
	EXPECT_EQ(0, file.write(small, UINT_MAX));
	EXPECT_EQ(0, file.write(small, static_cast<fw::u32>(INT_MAX) - 2));
	EXPECT_EQ(3u, log.lines.size()) << log.all();
	for (const fw::test::SLogLine& line : log.lines)
		EXPECT_EQ(fw::LOG_ERROR, line.level) << line.text;
	EXPECT_EQ(3, file.getSize());
	EXPECT_EQ(3, file.getPos());
}

TEST(VirtualFile, NonPositiveBlockSizeTakesTheDefault)
{
	for (fw::s32 blockSize : {0, -5})
	{
		CVirtualFile file("f", blockSize);
		const std::string data = pattern(CVirtualFile::DEFAULT_BLOCK_SIZE + 10);
		EXPECT_EQ(static_cast<fw::s32>(data.size()), file.write(data.data(), static_cast<fw::u32>(data.size())));
		ASSERT_TRUE(file.seek(0));
		EXPECT_EQ(data, readBack(file, static_cast<fw::u32>(data.size())));
	}
}
} // namespace
