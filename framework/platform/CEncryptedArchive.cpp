#include "platform/CEncryptedArchive.h"

#include "core/CLogger.h"
#include "core/CMutex.h"
#include "core/CRefHolder.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"
#include "platform/CReadFile.h"
#include "platform/FileBytes.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstring>
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

CKeyStream::CKeyStream(const core::stringc& key) : m_length(key.size())
{
	if (m_length == 0)
		return;
	// A block is a whole number of key lengths and of 16-byte lanes, at least MIN_BLOCK long: every
	// block of a run then starts at the same key position and is XORed without a scalar tail.
	u32 a = m_length;
	u32 b = 16;
	while (b != 0)
	{
		const u32 r = a % b;
		a = b;
		b = r;
	}
	const u32 unit = m_length / a * 16;
	m_blockSize = (MIN_BLOCK + unit - 1) / unit * unit;
	// Each start position within the key reads a whole block from there.
	m_bytes.resize(m_blockSize + m_length);
	const c8* k = key.c_str();
	for (size_t i = 0; i < m_bytes.size(); ++i)
		m_bytes[i] = (u8)k[i % m_length];
}

void CKeyStream::apply(u8* data, size_t count, u32 fileOffset) const
{
	apply(data, data, count, fileOffset);
}

void CKeyStream::apply(u8* target, const u8* source, size_t count, u32 fileOffset) const
{
	if (count == 0)
		return;
	if (m_length == 0 || fileOffset < CEncryptedArchive::HEADER_SIZE)
	{
		if (target != source)
			std::memcpy(target, source, count);
		return;
	}
	const u8* stream = m_bytes.data() + (fileOffset - CEncryptedArchive::HEADER_SIZE) % m_length;
	size_t done = 0;
	for (; done + m_blockSize <= count; done += m_blockSize)
		xorBytes(target + done, source + done, stream, m_blockSize);
	xorBytes(target + done, source + done, stream, count - done);
}

void CKeyStream::xorBytes(u8* target, const u8* source, const u8* stream, size_t count)
{
	// Sixteen bytes at a time through the compiler's vector type (one SSE2 register on x86-64);
	// unaligned loads and stores through memcpy. Target and source are the same or apart.
	typedef u8 Lanes __attribute__((vector_size(16)));
	size_t i = 0;
	for (; i + 64 <= count; i += 64)
	{
		Lanes d0, d1, d2, d3, k0, k1, k2, k3;
		std::memcpy(&d0, source + i, 16);
		std::memcpy(&d1, source + i + 16, 16);
		std::memcpy(&d2, source + i + 32, 16);
		std::memcpy(&d3, source + i + 48, 16);
		std::memcpy(&k0, stream + i, 16);
		std::memcpy(&k1, stream + i + 16, 16);
		std::memcpy(&k2, stream + i + 32, 16);
		std::memcpy(&k3, stream + i + 48, 16);
		d0 ^= k0;
		d1 ^= k1;
		d2 ^= k2;
		d3 ^= k3;
		std::memcpy(target + i, &d0, 16);
		std::memcpy(target + i + 16, &d1, 16);
		std::memcpy(target + i + 32, &d2, 16);
		std::memcpy(target + i + 48, &d3, 16);
	}
	for (; i + 16 <= count; i += 16)
	{
		Lanes d;
		Lanes k;
		std::memcpy(&d, source + i, 16);
		std::memcpy(&k, stream + i, 16);
		d ^= k;
		std::memcpy(target + i, &d, 16);
	}
	for (; i < count; ++i)
		target[i] = (u8)(source[i] ^ stream[i]);
}

namespace
{
// An entry served straight from the archive file: each read goes from the file into the reader's
// buffer and is deciphered there. The
// archive file's position is shared by every entry and the reads may come from other threads (a
// streamed sound decodes on the audio thread), so each seek and read is made under the archive's
// lock.
class CEncryptedEntryFile : public io::IReadFile
{
public:
	// With the archive file's bytes in memory (mapped), reads take them from there.
	CEncryptedEntryFile(io::IReadFile* file, const u8* mapped, CMutex* lock, const CKeyStream* key, u32 offset,
		u32 size, const io::path& name) :
		m_file(file), m_mapped(mapped), m_lock(lock), m_key(key), m_offset(offset), m_size((long)size), m_name(name)
	{
	}

	s32 read(void* buffer, u32 sizeToRead) override
	{
		const long remaining = m_size - m_pos;
		long count = (long)sizeToRead < remaining ? (long)sizeToRead : remaining;
		if (count > 0x7fffffff)
			count = 0x7fffffff;
		if (!buffer || count <= 0)
			return 0;
		u8* out = (u8*)buffer;
		if (m_mapped)
		{
			m_key->apply(out, m_mapped + m_offset + m_pos, (size_t)count, m_offset + (u32)m_pos);
			m_pos += count;
			return (s32)count;
		}
		long done = 0;
		CMutexLock lock(m_lock.get());
		if (!m_file->seek((long)m_offset + m_pos))
			return 0;
		while (done < count)
		{
			const u32 wanted = (u32)core::min_(count - done, (long)CHUNK);
			const s32 got = m_file->read(out + done, wanted);
			if (got <= 0)
				break;
			m_key->apply(out + done, (size_t)got, m_offset + (u32)(m_pos + done));
			done += got;
			if ((u32)got < wanted)
				break;
		}
		m_pos += done;
		return (s32)done;
	}

	bool seek(long finalPos, bool relativeMovement) override
	{
		const long target = relativeMovement ? m_pos + finalPos : finalPos;
		if (target < 0 || target > m_size)
			return false;
		m_pos = target;
		return true;
	}

	long getSize() const override { return m_size; }
	long getPos() const override { return m_pos; }
	const io::path& getFileName() const override { return m_name; }

private:
	// Large: every read of the archive file costs a system call, and large copies by the kernel
	// do not leave the bytes in the cache anyway.
	static const u32 CHUNK = 8 * 1024 * 1024;

	// Also keeps the mapping.
	CRefHolder<io::IReadFile> m_file;
	const u8* m_mapped;
	CRefHolder<CMutex> m_lock;
	CRefHolder<const CKeyStream> m_key;
	u32 m_offset;
	long m_size;
	long m_pos = 0;
	io::path m_name;
};
} // namespace

void CEncryptedArchive::cipher(u8* data, u32 count, u32 fileOffset, const core::stringc& key)
{
	CRefHolder<CKeyStream> stream = adoptRef(new CKeyStream(key));
	stream->apply(data, count, fileOffset);
}

CEncryptedArchive::CEncryptedArchive(io::IReadFile* file, const core::stringc& key, bool ignoreCase, bool ignorePaths) :
	m_file(file),
	m_ignoreCase(ignoreCase),
	m_ignorePaths(ignorePaths),
	m_key(key),
	m_type("oca"),
	m_keyStream(adoptRef(new CKeyStream(key))),
	m_lock(adoptRef(new CMutex))
{
	if (!m_file)
		return;
	m_file->grab();
	m_name = toForwardSlashes(m_file->getFileName());
	if (CReadFile* disk = dynamic_cast<CReadFile*>(m_file))
	{
		m_mapped = disk->map();
		if (m_mapped)
			m_diskFile = disk;
	}
	else if (CMemoryFile* memory = dynamic_cast<CMemoryFile*>(m_file))
		m_mapped = (const u8*)memory->getData();
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
		logFormat(LOG_INFORMATION,
			"Unable to read file description: %s: directory offset %u outside the file of %ld bytes", m_name.c_str(),
			directoryOffset, fileSize);
		return false;
	}
	if ((u64)count * MIN_RECORD_SIZE > (u64)(fileSize - directoryOffset))
	{
		logFormat(LOG_INFORMATION,
			"Unable to read file description: %s: %u entries cannot fit in the %ld bytes after the directory offset",
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
			logFormat(LOG_INFORMATION,
				"Unable to read file description: %s: entry %s (offset %u, %u bytes) lies outside the file of %ld bytes",
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
	// The directory was checked against the file when it was read; a file that has shrunk since
	// cannot serve the entry. An empty entry is an empty file, not a missing one.
	const long fileSize = m_diskFile ? m_diskFile->getCurrentSize() : m_file->getSize();
	if ((long)entry.offset + (long)entry.size > fileSize)
	{
		logFormat(LOG_ERROR, "Could not read %s from the encrypted archive %s", entry.name.c_str(), m_name.c_str());
		return nullptr;
	}
	return new CEncryptedEntryFile(m_file, m_mapped, m_lock.get(), m_keyStream.get(), entry.offset, entry.size,
		entry.name);
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
