#pragma once

#include "core/CoreTypes.h"

#include <IReadFile.h>
#include <IWriteFile.h>

namespace fw
{
// A growable file in memory, written and read back through the engine's file interfaces.
// Both interfaces share one position. Memory grows in equal blocks, so data never moves.
class CVirtualFile : public io::IReadFile, public io::IWriteFile
{
public:
	// A block size of 0 or less takes the default.
	CVirtualFile(const io::path& fileName, s32 blockSize);
	~CVirtualFile() override;

	s32 read(void* buffer, u32 sizeToRead) override;
	s32 write(const void* buffer, u32 sizeToWrite) override;
	bool seek(long finalPos, bool relativeMovement = false) override;
	long getSize() const override;
	long getPos() const override;
	const io::path& getFileName() const override;

	static constexpr s32 DEFAULT_BLOCK_SIZE = 65536;

private:
	CVirtualFile(const CVirtualFile&) = delete;
	CVirtualFile& operator=(const CVirtualFile&) = delete;

	bool addBlock();

	u8** m_blocks = nullptr;
	s32 m_blockCount = 0;
	s32 m_blockCapacity = 0;
	s32 m_blockSize;
	s32 m_size = 0;
	s32 m_pos = 0;
	io::path m_fileName;
};
} // namespace fw
