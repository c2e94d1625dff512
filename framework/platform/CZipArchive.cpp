#include "platform/CZipArchive.h"

#include "core/CLogger.h"
#include "platform/CFileSystem.h"
#include "platform/CLimitReadFile.h"
#include "platform/CMemoryFile.h"
#include "platform/FileBytes.h"
#include "platform/Paths.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace fw
{
namespace
{
const u32 LOCAL_HEADER_SIGNATURE = 0x04034b50;
const u32 CENTRAL_HEADER_SIGNATURE = 0x02014b50;
const u32 END_OF_CENTRAL_DIRECTORY_SIGNATURE = 0x06054b50;
const u32 DATA_DESCRIPTOR_SIGNATURE = 0x08074b50;
const u32 LOCAL_HEADER_SIZE = 30;
const u32 CENTRAL_HEADER_SIZE = 46;
const u32 END_OF_CENTRAL_DIRECTORY_SIZE = 22;
const u16 FLAG_ENCRYPTED = 1;
const u16 FLAG_DATA_DESCRIPTOR = 8;
// Deflate cannot expand data by more than about this factor.
const u64 MAX_INFLATE_RATIO = 1032;

bool entryLess(const SZipEntry& a, const SZipEntry& b)
{
	return lessByBytes(a.name, b.name);
}
} // namespace

CZipArchive::CZipArchive(io::IReadFile* file, bool ignoreCase, bool ignorePaths)
	: m_file(file), m_ignoreCase(ignoreCase), m_ignorePaths(ignorePaths), m_type("zip")
{
	if (!m_file)
	{
		m_valid = false;
		return;
	}
	m_file->grab();
	m_name = toForwardSlashes(m_file->getFileName());
	scanLocalHeaders();
	if (m_entries.size() > 1)
		std::sort(m_entries.pointer(), m_entries.pointer() + m_entries.size(), entryLess);
}

CZipArchive::CZipArchive(bool ignoreCase, bool ignorePaths)
	: m_ignoreCase(ignoreCase), m_ignorePaths(ignorePaths)
{
}

CZipArchive::~CZipArchive()
{
	if (m_file)
		m_file->drop();
}

void CZipArchive::scanLocalHeaders()
{
	const long fileSize = m_file->getSize();
	const char* refusal = nullptr;
	core::stringc refusedEntry;
	for (;;)
	{
		const long headerOffset = m_file->getPos();
		if (headerOffset < 0 || fileSize - headerOffset < 4)
			break;
		u8 header[LOCAL_HEADER_SIZE];
		const u32 available = (u32)core::min_(fileSize - headerOffset, (long)LOCAL_HEADER_SIZE);
		if (!readExactly(m_file, header, available) || readU32(header) != LOCAL_HEADER_SIGNATURE)
			break; // the central directory, or the end
		if (available < LOCAL_HEADER_SIZE)
		{
			refusal = "the last header is cut short";
			break;
		}

		SZipEntry entry;
		entry.versionNeeded = readU16(header + 4);
		entry.flags = readU16(header + 6);
		entry.compressionMethod = readU16(header + 8);
		entry.modificationTime = readU16(header + 10);
		entry.modificationDate = readU16(header + 12);
		entry.crc32 = readU32(header + 14);
		entry.size = readU32(header + 18);
		entry.uncompressedSize = readU32(header + 22);
		const u16 nameLength = readU16(header + 26);
		const u16 extraLength = readU16(header + 28);

		if ((long)nameLength + extraLength > fileSize - m_file->getPos())
		{
			refusal = "a header's name and extra field run past the end of the file";
			break;
		}
		std::vector<c8> name(nameLength + 1u, 0);
		if (!readExactly(m_file, name.data(), nameLength) || !m_file->seek(extraLength, true))
		{
			refusal = "a header could not be read";
			break;
		}
		entry.storedName = core::stringc(name.data(), nameLength);
		if (m_ignoreCase)
			entry.storedName.make_lower();
		const s32 lastSlash = entry.storedName.findLast('/');
		entry.path = entry.storedName.subString(0, lastSlash + 1);
		entry.name = m_ignorePaths ? entry.storedName.subString(lastSlash + 1, entry.storedName.size() - lastSlash - 1)
								   : entry.storedName;

		if ((entry.flags & FLAG_DATA_DESCRIPTOR) && !takeSizesFromCentralDirectory((u32)headerOffset, entry))
		{
			refusal = "an entry's sizes follow its data and the central directory does not give them";
			refusedEntry = entry.storedName;
			break;
		}
		const long dataOffset = m_file->getPos();
		if ((long)entry.size > fileSize - dataOffset)
		{
			refusal = "an entry's data runs past the end of the file";
			refusedEntry = entry.storedName;
			break;
		}
		entry.offset = (u32)dataOffset;
		m_file->seek(dataOffset + (long)entry.size);
		if (entry.flags & FLAG_DATA_DESCRIPTOR)
		{
			// CRC and the two sizes, with or without a signature in front.
			u8 signature[4];
			const long afterData = m_file->getPos();
			const bool hasSignature =
				readExactly(m_file, signature, 4) && readU32(signature) == DATA_DESCRIPTOR_SIGNATURE;
			if (!m_file->seek(afterData + (hasSignature ? 16 : 12)))
			{
				m_entries.push_back(entry);
				break;
			}
		}
		m_entries.push_back(entry);
	}

	if (refusal)
	{
		logFormat(LOG_ERROR, "Zip file %s refused: %s%s%s", m_name.c_str(), refusal,
			refusedEntry.empty() ? "" : ": ", refusedEntry.c_str());
		m_entries.clear();
		m_valid = false;
	}
}

bool CZipArchive::takeSizesFromCentralDirectory(u32 headerOffset, SZipEntry& entry)
{
	if (!m_centralDirectoryRead)
	{
		const long position = m_file->getPos();
		m_centralDirectoryRead = true;
		readCentralDirectory();
		m_file->seek(position);
	}
	for (u32 i = 0; i < m_centralSizes.size(); ++i)
	{
		if (m_centralSizes[i].headerOffset == headerOffset)
		{
			entry.size = m_centralSizes[i].compressedSize;
			entry.uncompressedSize = m_centralSizes[i].uncompressedSize;
			entry.crc32 = m_centralSizes[i].crc32;
			return true;
		}
	}
	return false;
}

bool CZipArchive::readCentralDirectory()
{
	const long fileSize = m_file->getSize();
	// The end record sits in the last 22 bytes plus a comment of at most 65,535.
	const long tailSize = core::min_(fileSize, (long)END_OF_CENTRAL_DIRECTORY_SIZE + 65535);
	if (tailSize < (long)END_OF_CENTRAL_DIRECTORY_SIZE)
		return false;
	std::vector<u8> tail((size_t)tailSize);
	if (!m_file->seek(fileSize - tailSize) || !readExactly(m_file, tail.data(), (u32)tailSize))
		return false;
	long end = -1;
	for (long i = tailSize - END_OF_CENTRAL_DIRECTORY_SIZE; i >= 0; --i)
	{
		if (readU32(&tail[i]) == END_OF_CENTRAL_DIRECTORY_SIGNATURE)
		{
			end = i;
			break;
		}
	}
	if (end < 0)
		return false;
	const u16 count = readU16(&tail[end + 10]);
	const u32 directorySize = readU32(&tail[end + 12]);
	const u32 directoryOffset = readU32(&tail[end + 16]);
	if ((long)directoryOffset > fileSize || (long)directorySize > fileSize - (long)directoryOffset)
		return false;

	std::vector<u8> directory(directorySize);
	if (!m_file->seek(directoryOffset) || !readExactly(m_file, directory.data(), directorySize))
		return false;
	u32 at = 0;
	for (u32 n = 0; n < count && directorySize - at >= CENTRAL_HEADER_SIZE; ++n)
	{
		const u8* record = &directory[at];
		if (readU32(record) != CENTRAL_HEADER_SIGNATURE)
			break;
		SCentralSizes sizes;
		sizes.crc32 = readU32(record + 16);
		sizes.compressedSize = readU32(record + 20);
		sizes.uncompressedSize = readU32(record + 24);
		sizes.headerOffset = readU32(record + 42);
		m_centralSizes.push_back(sizes);
		const u32 variable = (u32)readU16(record + 28) + readU16(record + 30) + readU16(record + 32);
		if (variable > directorySize - at - CENTRAL_HEADER_SIZE)
			break;
		at += CENTRAL_HEADER_SIZE + variable;
	}
	return true;
}

core::stringc CZipArchive::makeLookupName(const core::stringc& name) const
{
	core::stringc key = name;
	if (m_ignoreCase)
		key.make_lower();
	if (m_ignorePaths)
		key = getFileName(key);
	return key;
}

s32 CZipArchive::findFile(const core::stringc& name)
{
	return findSortedEntry(m_entries, makeLookupName(name));
}

io::IReadFile* CZipArchive::openFile(const core::stringc& name)
{
	const s32 index = findFile(name);
	return index < 0 ? nullptr : openFile((u32)index);
}

const SArchiveEntry* CZipArchive::getFileInfo(u32 index) const
{
	return index < m_entries.size() ? &m_entries[index] : nullptr;
}

io::IReadFile* CZipArchive::openFile(u32 index)
{
	if (index >= m_entries.size() || !m_file)
		return nullptr;
	const SZipEntry& entry = m_entries[index];
	if (entry.flags & FLAG_ENCRYPTED)
	{
		logFormat(LOG_ERROR, "Zip entry %s is encrypted, which is not supported", entry.storedName.c_str());
		return nullptr;
	}
	if (entry.compressionMethod == 0)
		return new CLimitReadFile(m_file, entry.offset, entry.size, entry.name);
	if (entry.compressionMethod != 8)
	{
		logFormat(LOG_ERROR, "File has unsupported compression method. %s", entry.storedName.c_str());
		return nullptr;
	}

	if (entry.uncompressedSize > MAX_UNCOMPRESSED_SIZE ||
		(u64)entry.uncompressedSize > (u64)entry.size * MAX_INFLATE_RATIO + 64)
	{
		logFormat(LOG_ERROR, "Error decompressing %s: %u bytes cannot come from %u deflated ones",
			entry.storedName.c_str(), entry.uncompressedSize, entry.size);
		return nullptr;
	}
	u8* output = new (std::nothrow) u8[core::max_(entry.uncompressedSize, 1u)];
	u8* input = new (std::nothrow) u8[core::max_(entry.size, 1u)];
	if (!output || !input)
	{
		delete[] output;
		delete[] input;
		logFormat(LOG_ERROR, "Not enough memory for decompressing %s", entry.storedName.c_str());
		return nullptr;
	}

	const char* failure = nullptr;
	if (!m_file->seek(entry.offset) || !readExactly(m_file, input, entry.size))
	{
		failure = "its data could not be read";
	}
	else
	{
		z_stream stream;
		std::memset(&stream, 0, sizeof(stream));
		stream.next_in = input;
		stream.avail_in = entry.size;
		stream.next_out = output;
		stream.avail_out = entry.uncompressedSize;
		if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
		{
			failure = "the inflater could not start";
		}
		else
		{
			const int result = inflate(&stream, Z_FINISH);
			const uLong produced = stream.total_out;
			inflateEnd(&stream);
			// A stream that ends short would leave the rest of the buffer undefined.
			if (result != Z_STREAM_END || produced != entry.uncompressedSize)
				failure = "the deflated stream is damaged or its size is wrong";
			else if (crc32(0, output, entry.uncompressedSize) != entry.crc32)
				failure = "the checksum does not match";
		}
	}
	delete[] input;
	if (failure)
	{
		delete[] output;
		logFormat(LOG_ERROR, "Error decompressing %s: %s", entry.storedName.c_str(), failure);
		return nullptr;
	}
	return new CMemoryFile(output, (long)entry.uncompressedSize, entry.storedName, true);
}

bool CArchiveLoaderZip::isALoadableFileFormat(io::IReadFile* file) const
{
	u8 signature[4];
	return file && readExactly(file, signature, 4) && readU32(signature) == LOCAL_HEADER_SIGNATURE;
}

bool CArchiveLoaderZip::isALoadableFileExtension(const core::stringc& fileName) const
{
	return hasFileExtension(fileName, "zip") || hasFileExtension(fileName, "pk3");
}

IFileArchive* CArchiveLoaderZip::createArchive(io::IReadFile* file, bool ignoreCase, bool ignorePaths) const
{
	if (!file)
		return nullptr;
	file->seek(0);
	return keepValidArchive(new CZipArchive(file, ignoreCase, ignorePaths));
}

IFileArchive* CArchiveLoaderZip::createArchive(const core::stringc& fileName, bool ignoreCase, bool ignorePaths) const
{
	return createArchiveFromNamedFile(*this, m_fileSystem, fileName, ignoreCase, ignorePaths);
}
} // namespace fw
