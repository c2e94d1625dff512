#pragma once

#include "core/CoreTypes.h"

#include <IReadFile.h>
#include <IWriteFile.h>

namespace fw
{
// A file over a caller's buffer of fixed length, read and written through one position.
// When asked to, it frees the buffer (allocated with new u8[]) when dropped.
class CMemoryFile : public io::IReadFile, public io::IWriteFile
{
public:
	CMemoryFile(void* memory, long length, const io::path& fileName, bool deleteMemoryWhenDropped);
	~CMemoryFile() override;

	s32 read(void* buffer, u32 sizeToRead) override;
	s32 write(const void* buffer, u32 sizeToWrite) override;
	bool seek(long finalPos, bool relativeMovement = false) override;
	long getSize() const override { return m_length; }
	long getPos() const override { return m_pos; }
	const io::path& getFileName() const override { return m_fileName; }

	const void* getData() const { return m_buffer; }

private:
	CMemoryFile(const CMemoryFile&) = delete;
	CMemoryFile& operator=(const CMemoryFile&) = delete;

	u8* m_buffer;
	long m_length;
	long m_pos = 0;
	io::path m_fileName;
	bool m_deleteMemoryWhenDropped;
};
} // namespace fw
