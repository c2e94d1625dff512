#include "platform/CMemoryFile.h"

#include <cstring>

namespace fw
{
CMemoryFile::CMemoryFile(void* memory, long length, const io::path& fileName, bool deleteMemoryWhenDropped) :
	m_buffer((u8*)memory),
	m_length(memory && length > 0 ? length : 0),
	m_fileName(fileName),
	m_deleteMemoryWhenDropped(deleteMemoryWhenDropped)
{
}

CMemoryFile::~CMemoryFile()
{
	if (m_deleteMemoryWhenDropped)
		delete[] m_buffer;
}

s32 CMemoryFile::read(void* buffer, u32 sizeToRead)
{
	const long remaining = m_length - m_pos;
	long count = (long)sizeToRead < remaining ? (long)sizeToRead : remaining;
	if (count > 0x7fffffff)
		count = 0x7fffffff;
	if (!buffer || count <= 0)
		return 0;
	std::memcpy(buffer, m_buffer + m_pos, (size_t)count);
	m_pos += count;
	return (s32)count;
}

s32 CMemoryFile::write(const void* buffer, u32 sizeToWrite)
{
	const long remaining = m_length - m_pos;
	long count = (long)sizeToWrite < remaining ? (long)sizeToWrite : remaining;
	if (count > 0x7fffffff)
		count = 0x7fffffff;
	if (!buffer || count <= 0)
		return 0;
	std::memcpy(m_buffer + m_pos, buffer, (size_t)count);
	m_pos += count;
	return (s32)count;
}

bool CMemoryFile::seek(long finalPos, bool relativeMovement)
{
	const long target = relativeMovement ? m_pos + finalPos : finalPos;
	if (target < 0 || target > m_length)
		return false;
	m_pos = target;
	return true;
}
} // namespace fw
