#include "platform/CWriteFile.h"

#include <unistd.h>

namespace fw
{
CWriteFile* CWriteFile::open(const io::path& fileName, bool append)
{
	if (fileName.empty())
		return nullptr;
	std::FILE* file = std::fopen(fileName.c_str(), append ? "ab" : "wb");
	return file ? new CWriteFile(file, fileName) : nullptr;
}

CWriteFile::CWriteFile(std::FILE* file, const io::path& fileName) : m_file(file), m_fileName(fileName)
{
}

CWriteFile::~CWriteFile()
{
	std::fclose(m_file);
}

s32 CWriteFile::write(const void* buffer, u32 sizeToWrite)
{
	if (!buffer || sizeToWrite == 0)
		return 0;
	if (sizeToWrite > 0x7fffffffu)
		sizeToWrite = 0x7fffffffu;
	const size_t written = std::fwrite(buffer, 1, sizeToWrite, m_file);
	if (written != sizeToWrite)
		m_failed = true;
	return (s32)written;
}

bool CWriteFile::seek(long finalPos, bool relativeMovement)
{
	return std::fseek(m_file, finalPos, relativeMovement ? SEEK_CUR : SEEK_SET) == 0;
}

long CWriteFile::getPos() const
{
	return std::ftell(m_file);
}

bool CWriteFile::flush()
{
	if (std::fflush(m_file) != 0 || std::ferror(m_file))
		m_failed = true;
	// Without this a crash of the machine soon after a rename can leave an empty file behind.
	if (!m_failed && fsync(fileno(m_file)) != 0)
		m_failed = true;
	return !m_failed;
}
} // namespace fw
