#include "platform/CLimitReadFile.h"

namespace fw
{
CLimitReadFile::CLimitReadFile(io::IReadFile* file, long areaStart, long areaSize, const io::path& fileName) :
	m_file(file), m_areaStart(0), m_areaSize(0), m_fileName(fileName)
{
	const long fileSize = file ? file->getSize() : 0;
	if (areaStart < 0 || areaStart > fileSize || areaSize < 0)
		return;
	m_areaStart = areaStart;
	m_areaSize = areaSize <= fileSize - areaStart ? areaSize : fileSize - areaStart;
}

s32 CLimitReadFile::read(void* buffer, u32 sizeToRead)
{
	const long remaining = m_areaSize - m_pos;
	long count = (long)sizeToRead < remaining ? (long)sizeToRead : remaining;
	if (!buffer || count <= 0 || !m_file)
		return 0;
	if (count > 0x7fffffff)
		count = 0x7fffffff;
	if (!m_file->seek(m_areaStart + m_pos))
		return 0;
	const s32 read = m_file->read(buffer, (u32)count);
	if (read > 0)
		m_pos += read;
	return read > 0 ? read : 0;
}

bool CLimitReadFile::seek(long finalPos, bool relativeMovement)
{
	const long target = relativeMovement ? m_pos + finalPos : finalPos;
	if (target < 0 || target > m_areaSize)
		return false;
	m_pos = target;
	return true;
}
} // namespace fw
