#include "platform/CEncryptedArchive.h"

#include "core/CLogger.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"
#include "platform/FileBytes.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace fw
{
namespace
{
const u8 MAGIC[4] = {'O', 'C', 'A', 0};

bool entryLess(const SArchiveEntry& a, const SArchiveEntry& b)
{
	return lessByBytes(a.name, b.name);
}
} // namespace

void CEncryptedArchive::cipher(u8* data, u32 count, u32 fileOffset, const core::stringc& key)
{
	const u32 length = key.size();
	if (length == 0 || fileOffset < HEADER_SIZE || count == 0)
		return;
	// The key laid out repeatedly from the starting position, over a whole number of key
	// lengths: every block then starts at the same key position, and the XOR is a plain loop
	// over two arrays that the compiler vectorises.
	u8 stream[4096];
	const u32 blockSize = length <= sizeof(stream) ? (u32)sizeof(stream) / length * length : 0;
	const c8* k = key.c_str();
	u32 position = (fileOffset - HEADER_SIZE) % length;
	if (blockSize == 0)
	{
		for (u32 i = 0; i < count; ++i)
		{
			data[i] ^= (u8)k[position];
			if (++position == length)
				position = 0;
		}
		return;
	}
	const u32 streamSize = core::min_(blockSize, count);
	for (u32 i = 0; i < streamSize; ++i)
	{
		stream[i] = (u8)k[position];
		if (++position == length)
			position = 0;
	}
	for (u32 done = 0; done < count; done += streamSize)
	{
		const u32 n = core::min_(streamSize, count - done);
		u8* block = data + done;
		for (u32 i = 0; i < n; ++i)
			block[i] ^= stream[i];
	}
}

CEncryptedArchive::CEncryptedArchive(io::IReadFile* file, const core::stringc& key, bool ignoreCase, bool ignorePaths)
	: m_file(file), m_ignoreCase(ignoreCase), m_ignorePaths(ignorePaths), m_key(key), m_type("oca")
{
	if (!m_file)
		return;
	m_file->grab();
	m_name = toForwardSlashes(m_file->getFileName());
	m_valid = readDirectory();
	m_keyPosition = 0;
	if (!m_valid)
		m_entries.clear();
	else if (m_entries.size() > 1)
		std::sort(m_entries.pointer(), m_entries.pointer() + m_entries.size(), entryLess);
}

CEncryptedArchive::~CEncryptedArchive()
{
	if (m_file)
		m_file->drop();
}

void CEncryptedArchive::decipher(u8* data, u32 count)
{
	const u32 length = m_key.size();
	if (length == 0)
		return;
	const c8* k = m_key.c_str();
	for (u32 i = 0; i < count; ++i)
	{
		data[i] ^= (u8)k[m_keyPosition];
		if (++m_keyPosition == length)
			m_keyPosition = 0;
	}
}

bool CEncryptedArchive::readDirectory()
{
	// Every number below comes from the file: each is checked against the file's real size
	// before it is used to seek, allocate or decipher.
	const long fileSize = m_file->getSize();
	u8 header[HEADER_SIZE];
	if (!readExactly(m_file, header, HEADER_SIZE) || std::memcmp(header, MAGIC, 4) != 0)
	{
		logError("Not an encrypted archive (bad header)", m_name.c_str());
		return false;
	}
	const u32 directoryOffset = readLE32(header + 4);
	const u32 count = readLE32(header + 8);
	if (directoryOffset < HEADER_SIZE || (long)directoryOffset > fileSize)
	{
		logFormat(LOG_INFORMATION, "Unable to read file description: %s: directory offset %u outside the file of %ld bytes",
			m_name.c_str(), directoryOffset, fileSize);
		return false;
	}
	if ((u64)count * MIN_RECORD_SIZE > (u64)(fileSize - directoryOffset))
	{
		logFormat(LOG_INFORMATION, "Unable to read file description: %s: %u entries cannot fit in the %ld bytes after the directory offset",
			m_name.c_str(), count, fileSize - (long)directoryOffset);
		return false;
	}
	if (!m_file->seek(directoryOffset))
	{
		logError("Unable to read file description", m_name.c_str());
		return false;
	}
	m_keyPosition = m_key.empty() ? 0 : (directoryOffset - HEADER_SIZE) % m_key.size();

	m_entries.reallocate(core::min_(count, 65536u));
	std::vector<u8> record;
	for (u32 i = 0; i < count; ++i)
	{
		u8 lengthBytes[2];
		if (!readExactly(m_file, lengthBytes, 2))
		{
			logFormat(LOG_INFORMATION, "Unable to read file description: %s: the directory ends after %u of %u entries",
				m_name.c_str(), i, count);
			return false;
		}
		decipher(lengthBytes, 2);
		const u32 nameLength = readLE16(lengthBytes);
		record.resize(nameLength + 8u);
		if (!readExactly(m_file, record.data(), nameLength + 8u))
		{
			logFormat(LOG_INFORMATION, "Unable to read file description: %s: the directory ends after %u of %u entries",
				m_name.c_str(), i, count);
			return false;
		}
		decipher(record.data(), nameLength + 8u);

		SArchiveEntry entry;
		entry.name = core::stringc((const c8*)record.data(), nameLength);
		entry.offset = readLE32(record.data() + nameLength);
		entry.size = readLE32(record.data() + nameLength + 4);
		if (entry.offset < HEADER_SIZE || (long)entry.offset > fileSize ||
			(long)entry.size > fileSize - (long)entry.offset)
		{
			logFormat(LOG_INFORMATION, "Unable to read file description: %s: entry %s (offset %u, %u bytes) lies outside the file of %ld bytes",
				m_name.c_str(), entry.name.c_str(), entry.offset, entry.size, fileSize);
			return false;
		}
		m_entries.push_back(entry);
	}
	return true;
}

s32 CEncryptedArchive::findFile(const core::stringc& name)
{
	core::stringc wanted = name;
	if (m_ignoreCase)
		wanted.make_lower();
	if (m_ignorePaths)
		wanted = getFileName(wanted);
	return findSortedEntry(m_entries, wanted);
}

io::IReadFile* CEncryptedArchive::openFile(const core::stringc& name)
{
	const s32 index = findFile(name);
	return index < 0 ? nullptr : openFile((u32)index);
}

const SArchiveEntry* CEncryptedArchive::getFileInfo(u32 index) const
{
	return index < m_entries.size() ? &m_entries[index] : nullptr;
}

io::IReadFile* CEncryptedArchive::openFile(u32 index)
{
	if (index >= m_entries.size())
		return nullptr;
	const SArchiveEntry& entry = m_entries[index];
	// An empty entry is an empty file, not a missing one; the buffer keeps one byte so that it
	// is never null.
	u8* buffer = new (std::nothrow) u8[core::max_(entry.size, 1u)];
	if (!buffer)
	{
		logFormat(LOG_ERROR, "Not enough memory for decompressing %s", entry.name.c_str());
		return nullptr;
	}
	if (entry.size > 0 && (!m_file->seek(entry.offset) || !readExactly(m_file, buffer, entry.size)))
	{
		delete[] buffer;
		logFormat(LOG_ERROR, "Could not read %s from the encrypted archive %s", entry.name.c_str(), m_name.c_str());
		return nullptr;
	}
	cipher(buffer, entry.size, entry.offset, m_key);
	return new CMemoryFile(buffer, (long)entry.size, entry.name, true);
}

bool CArchiveLoaderOca::isALoadableFileFormat(io::IReadFile* file) const
{
	if (!file)
		return false;
	u8 header[CEncryptedArchive::HEADER_SIZE];
	file->seek(0);
	const bool complete = readExactly(file, header, sizeof(header));
	file->seek(0);
	return complete && std::memcmp(header, MAGIC, 4) == 0;
}

bool CArchiveLoaderOca::isALoadableFileExtension(const core::stringc& fileName) const
{
	return hasFileExtension(fileName, "oca");
}

IFileArchive* CArchiveLoaderOca::createArchive(io::IReadFile* file, bool ignoreCase, bool ignorePaths) const
{
	m_refusedLast = false;
	if (!file)
		return nullptr;
	file->seek(0);
	IFileArchive* archive = keepValidArchive(
		new CEncryptedArchive(file, m_fileSystem->getSetting("AssetsCryptKey"), ignoreCase, ignorePaths));
	m_refusedLast = archive == nullptr;
	return archive;
}

IFileArchive* CArchiveLoaderOca::createArchive(const core::stringc& fileName, bool ignoreCase, bool ignorePaths) const
{
	m_refusedLast = false;
	return createArchiveFromNamedFile(*this, m_fileSystem, fileName, ignoreCase, ignorePaths);
}
} // namespace fw
