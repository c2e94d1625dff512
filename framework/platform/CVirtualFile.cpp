#include "platform/CVirtualFile.h"

#include "core/CLogger.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace fw
{
CVirtualFile::CVirtualFile(const io::path& fileName, s32 blockSize) :
	m_blockSize(blockSize > 0 ? blockSize : DEFAULT_BLOCK_SIZE), m_fileName(fileName)
{
}

CVirtualFile::~CVirtualFile()
{
	for (s32 i = 0; i < m_blockCount; ++i)
		delete[] m_blocks[i];
	delete[] m_blocks;
}

bool CVirtualFile::addBlock()
{
	if (m_blockCount == m_blockCapacity)
	{
		// Only the pointer array moves; the blocks themselves stay where they are.
		const s64 wanted = static_cast<s64>(m_blockCapacity) * 2 + 1;
		if (wanted > INT32_MAX)
			return false;
		u8** blocks = new (std::nothrow) u8*[static_cast<size_t>(wanted)];
		if (!blocks)
			return false;
		if (m_blockCount)
			std::memcpy(blocks, m_blocks, sizeof(u8*) * static_cast<size_t>(m_blockCount));
		delete[] m_blocks;
		m_blocks = blocks;
		m_blockCapacity = static_cast<s32>(wanted);
	}
	u8* block = new (std::nothrow) u8[static_cast<size_t>(m_blockSize)];
	if (!block)
		return false;
	m_blocks[m_blockCount++] = block;
	return true;
}

s32 CVirtualFile::read(void* buffer, u32 sizeToRead)
{
	s64 count = sizeToRead;
	if (m_pos + count > m_size)
		count = m_size - m_pos;
	if (count <= 0 || !buffer)
		return 0;

	u8* out = static_cast<u8*>(buffer);
	s64 done = 0;
	while (done < count)
	{
		const s64 at = m_pos + done;
		const s32 block = static_cast<s32>(at / m_blockSize);
		const s64 offset = at % m_blockSize;
		s64 chunk = m_blockSize - offset;
		if (chunk > count - done)
			chunk = count - done;
		std::memcpy(out + done, m_blocks[block] + offset, static_cast<size_t>(chunk));
		done += chunk;
	}
	m_pos += static_cast<s32>(count);
	return static_cast<s32>(count);
}

s32 CVirtualFile::write(const void* buffer, u32 sizeToWrite)
{
	if (sizeToWrite == 0 || !buffer)
		return 0;
	const s64 end = static_cast<s64>(m_pos) + sizeToWrite;
	if (end > INT32_MAX)
	{
		logError("Virtual file cannot grow past 2147483647 bytes", m_fileName.c_str());
		return 0;
	}

	const s64 capacity = static_cast<s64>(m_blockCount) * m_blockSize;
	if (end >= capacity)
	{
		const s64 toAdd = end / m_blockSize - m_blockCount + 1;
		for (s64 i = 0; i < toAdd; ++i)
		{
			if (!addBlock())
			{
				logError("Not enough memory for write data in virtualFile %s");
				return 0;
			}
		}
	}

	const u8* in = static_cast<const u8*>(buffer);
	s64 done = 0;
	while (done < sizeToWrite)
	{
		const s64 at = m_pos + done;
		const s32 block = static_cast<s32>(at / m_blockSize);
		const s64 offset = at % m_blockSize;
		s64 chunk = m_blockSize - offset;
		if (chunk > sizeToWrite - done)
			chunk = sizeToWrite - done;
		std::memcpy(m_blocks[block] + offset, in + done, static_cast<size_t>(chunk));
		done += chunk;
	}
	m_pos = static_cast<s32>(end);
	if (m_pos > m_size)
		m_size = m_pos;
	return static_cast<s32>(sizeToWrite);
}

bool CVirtualFile::seek(long finalPos, bool relativeMovement)
{
	// Compared before adding, so that no offset can overflow the sum.
	const long base = relativeMovement ? m_pos : 0;
	if (finalPos > static_cast<long>(m_size) - base || finalPos < -base)
		return false;
	m_pos = static_cast<s32>(base + finalPos);
	return true;
}

long CVirtualFile::getSize() const
{
	return m_size;
}

long CVirtualFile::getPos() const
{
	return m_pos;
}

const io::path& CVirtualFile::getFileName() const
{
	return m_fileName;
}
} // namespace fw
