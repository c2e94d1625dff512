#include "platform/CReadFile.h"

#include <sys/mman.h>
#include <sys/stat.h>

namespace fw
{
std::FILE* CReadFile::openRegular(const io::path& fileName, long& size)
{
	size = 0;
	if (fileName.empty())
		return nullptr;
	std::FILE* file = std::fopen(fileName.c_str(), "rb");
	if (!file)
		return nullptr;
	// fopen accepts a folder here; reading it would fail later in confusing ways.
	struct stat info;
	if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > 0x7fffffff)
	{
		std::fclose(file);
		return nullptr;
	}
	size = (long)info.st_size;
	return file;
}

CReadFile* CReadFile::open(const io::path& fileName)
{
	long size = 0;
	std::FILE* file = openRegular(fileName, size);
	return file ? new CReadFile(file, size, fileName) : nullptr;
}

CReadFile::CReadFile(std::FILE* file, long size, const io::path& fileName) :
	m_file(file), m_size(size), m_fileName(fileName)
{
}

CReadFile::~CReadFile()
{
	if (m_mapping)
		munmap(m_mapping, (size_t)m_size);
	std::fclose(m_file);
}

const u8* CReadFile::map()
{
	if (!m_mapping && m_size > 0)
	{
		void* mapping = mmap(nullptr, (size_t)m_size, PROT_READ, MAP_PRIVATE, fileno(m_file), 0);
		m_mapping = mapping == MAP_FAILED ? nullptr : mapping;
	}
	return (const u8*)m_mapping;
}

long CReadFile::getCurrentSize() const
{
	struct stat info;
	return fstat(fileno(m_file), &info) == 0 ? (long)info.st_size : -1;
}

s32 CReadFile::read(void* buffer, u32 sizeToRead)
{
	if (!buffer || sizeToRead == 0)
		return 0;
	if (sizeToRead > 0x7fffffffu)
		sizeToRead = 0x7fffffffu;
	return (s32)std::fread(buffer, 1, sizeToRead, m_file);
}

bool CReadFile::seek(long finalPos, bool relativeMovement)
{
	const long target = relativeMovement ? getPos() + finalPos : finalPos;
	if (target < 0 || target > m_size)
		return false;
	return std::fseek(m_file, target, SEEK_SET) == 0;
}

long CReadFile::getPos() const
{
	return std::ftell(m_file);
}

CNamedReadFile* CNamedReadFile::open(const io::path& fullPath, const io::path& logicalName)
{
	long size = 0;
	std::FILE* file = openRegular(fullPath, size);
	return file ? new CNamedReadFile(file, size, logicalName) : nullptr;
}
} // namespace fw
