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
const u32 ZIP64_END_OF_CENTRAL_DIRECTORY_SIGNATURE = 0x06064b50;
const u32 ARCHIVE_EXTRA_DATA_SIGNATURE = 0x08064b50;
const u16 ZIP64_EXTRA_BLOCK = 0x0001;
// A 32-bit size with this value says that the real one is in a Zip64 extra block.
const u32 ZIP64_SIZE_MARK = 0xffffffff;
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

// What may follow the last entry's data: the central directory (or a record that comes before
// it). Anything else means the entry before ended somewhere else than its header says.
bool endsTheEntries(u32 signature)
{
	return signature == CENTRAL_HEADER_SIGNATURE || signature == END_OF_CENTRAL_DIRECTORY_SIGNATURE ||
		signature == ZIP64_END_OF_CENTRAL_DIRECTORY_SIGNATURE || signature == ARCHIVE_EXTRA_DATA_SIGNATURE;
}

bool hasZip64Block(const std::vector<u8>& extra)
{
	for (size_t at = 0; extra.size() - at >= 4;)
	{
		if (readLE16(&extra[at]) == ZIP64_EXTRA_BLOCK)
			return true;
		at += 4 + (size_t)readLE16(&extra[at + 2]);
		if (at > extra.size())
			break;
	}
	return false;
}
} // namespace

CZipArchive::CZipArchive(io::IReadFile* file, bool ignoreCase, bool ignorePaths) :
	m_file(file), m_ignoreCase(ignoreCase), m_ignorePaths(ignorePaths), m_type("zip")
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

CZipArchive::CZipArchive(bool ignoreCase, bool ignorePaths) : m_ignoreCase(ignoreCase), m_ignorePaths(ignorePaths)
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
	// The central directory, where there is one, names every header once more: a local header
	// whose name length is wrong shows as a name that differs from it.
	const long start = m_file->getPos();
	bool endRecordFound = false;
	readCentralDirectory(endRecordFound);
	m_file->seek(start);

	const char* refusal = nullptr;
	core::stringc refusedEntry;
	// A zip file ends with its central directory: entries that run to the very end, or a
	// directory without its end record, mean the file was cut short.
	bool cutAfterEntries = false;
	bool reachedDirectory = false;
	for (;;)
	{
		const long headerOffset = m_file->getPos();
		if (headerOffset < 0 || fileSize - headerOffset < 4)
		{
			cutAfterEntries = headerOffset >= 0 && !m_entries.empty();
			break;
		}
		u8 header[LOCAL_HEADER_SIZE];
		const u32 available = (u32)core::min_(fileSize - headerOffset, (long)LOCAL_HEADER_SIZE);
		if (!readExactly(m_file, header, available))
			break;
		const u32 signature = readLE32(header);
		if (signature != LOCAL_HEADER_SIGNATURE)
		{
			if (!m_entries.empty() && !endsTheEntries(signature))
			{
				refusal = "an entry does not end where the next header starts (its name length or sizes are wrong)";
				refusedEntry = m_entries.getLast().storedName;
			}
			reachedDirectory = !m_entries.empty() && endsTheEntries(signature);
			break;
		}
		if (available < LOCAL_HEADER_SIZE)
		{
			refusal = "the last header is cut short";
			break;
		}

		SZipEntry entry;
		entry.versionNeeded = readLE16(header + 4);
		entry.flags = readLE16(header + 6);
		entry.compressionMethod = readLE16(header + 8);
		entry.modificationTime = readLE16(header + 10);
		entry.modificationDate = readLE16(header + 12);
		entry.crc32 = readLE32(header + 14);
		entry.size = readLE32(header + 18);
		entry.uncompressedSize = readLE32(header + 22);
		const u16 nameLength = readLE16(header + 26);
		const u16 extraLength = readLE16(header + 28);

		if ((long)nameLength + extraLength > fileSize - m_file->getPos())
		{
			refusal = "a header's name and extra field run past the end of the file";
			break;
		}
		std::vector<c8> name(nameLength + 1u, 0);
		std::vector<u8> extra(extraLength);
		if (!readExactly(m_file, name.data(), nameLength) || !readExactly(m_file, extra.data(), extraLength))
		{
			refusal = "a header could not be read";
			break;
		}
		const core::stringc storedName(name.data(), nameLength);
		if (const SCentralRecord* record = findCentralRecord((u32)headerOffset))
		{
			if (record->name != storedName)
			{
				refusal = "a header's name differs from the central directory's (its name length is wrong)";
				refusedEntry = record->name;
				break;
			}
		}
		entry.storedName = storedName;
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
		// Sizes of 4 GiB and more live in 64-bit fields this reader does not know.
		const bool sizesElsewhere = entry.size == ZIP64_SIZE_MARK || entry.uncompressedSize == ZIP64_SIZE_MARK;
		if (sizesElsewhere && (hasZip64Block(extra) || (entry.flags & FLAG_DATA_DESCRIPTOR)))
		{
			refusal = "it is a Zip64 archive, which is not supported";
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
				readExactly(m_file, signature, 4) && readLE32(signature) == DATA_DESCRIPTOR_SIGNATURE;
			if (!m_file->seek(afterData + (hasSignature ? 16 : 12)))
			{
				m_entries.push_back(entry);
				cutAfterEntries = true;
				break;
			}
		}
		m_entries.push_back(entry);
	}

	if (refusal)
	{
		logFormat(LOG_ERROR, "Zip file %s refused: %s%s%s", m_name.c_str(), refusal, refusedEntry.empty() ? "" : ": ",
			refusedEntry.c_str());
		m_entries.clear();
		m_valid = false;
	}
	else if (cutAfterEntries)
	{
		// What was lost had its names in the directory, which went with it.
		logFormat(LOG_WARNING, "Zip file %s is cut short after its entry %s: any entries after it are lost",
			m_name.c_str(), m_entries.getLast().storedName.c_str());
	}
	else if (reachedDirectory && !endRecordFound)
	{
		logFormat(LOG_WARNING, "Zip file %s is cut short inside its central directory: its %u entries are whole",
			m_name.c_str(), m_entries.size());
	}
}

const CZipArchive::SCentralRecord* CZipArchive::findCentralRecord(u32 headerOffset) const
{
	const SCentralRecord* begin = m_centralRecords.const_pointer();
	const SCentralRecord* end = begin + m_centralRecords.size();
	const SCentralRecord* found = std::lower_bound(begin, end, headerOffset,
		[](const SCentralRecord& record, u32 offset) { return record.headerOffset < offset; });
	return found != end && found->headerOffset == headerOffset ? found : nullptr;
}

bool CZipArchive::takeSizesFromCentralDirectory(u32 headerOffset, SZipEntry& entry)
{
	const SCentralRecord* record = findCentralRecord(headerOffset);
	if (!record)
		return false;
	entry.size = record->compressedSize;
	entry.uncompressedSize = record->uncompressedSize;
	entry.crc32 = record->crc32;
	return true;
}

bool CZipArchive::readCentralDirectory(bool& endRecordFound)
{
	endRecordFound = false;
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
		if (readLE32(&tail[i]) == END_OF_CENTRAL_DIRECTORY_SIGNATURE)
		{
			end = i;
			break;
		}
	}
	if (end < 0)
		return false;
	endRecordFound = true;
	const u16 count = readLE16(&tail[end + 10]);
	const u32 directorySize = readLE32(&tail[end + 12]);
	const u32 directoryOffset = readLE32(&tail[end + 16]);
	if ((long)directoryOffset > fileSize || (long)directorySize > fileSize - (long)directoryOffset)
		return false;

	std::vector<u8> directory(directorySize);
	if (!m_file->seek(directoryOffset) || !readExactly(m_file, directory.data(), directorySize))
		return false;
	u32 at = 0;
	for (u32 n = 0; n < count && directorySize - at >= CENTRAL_HEADER_SIZE; ++n)
	{
		const u8* record = &directory[at];
		if (readLE32(record) != CENTRAL_HEADER_SIGNATURE)
			break;
		const u32 nameLength = readLE16(record + 28);
		const u32 variable = nameLength + readLE16(record + 30) + readLE16(record + 32);
		if (variable > directorySize - at - CENTRAL_HEADER_SIZE)
			break;
		SCentralRecord entry;
		entry.crc32 = readLE32(record + 16);
		entry.compressedSize = readLE32(record + 20);
		entry.uncompressedSize = readLE32(record + 24);
		entry.headerOffset = readLE32(record + 42);
		entry.name = core::stringc((const c8*)record + CENTRAL_HEADER_SIZE, nameLength);
		m_centralRecords.push_back(entry);
		at += CENTRAL_HEADER_SIZE + variable;
	}
	std::stable_sort(m_centralRecords.pointer(), m_centralRecords.pointer() + m_centralRecords.size(),
		[](const SCentralRecord& a, const SCentralRecord& b) { return a.headerOffset < b.headerOffset; });
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
	{
		if (!storedDataMatchesChecksum(entry))
		{
			logFormat(LOG_ERROR, "Error reading %s: the checksum does not match", entry.storedName.c_str());
			return nullptr;
		}
		return new CLimitReadFile(m_file, entry.offset, entry.size, entry.name);
	}
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

bool CZipArchive::storedDataMatchesChecksum(const SZipEntry& entry) const
{
	// Read once through at opening, so that a damaged entry is refused as an inflated one is.
	if (!m_file->seek(entry.offset))
		return false;
	std::vector<u8> buffer(core::min_(entry.size, 65536u));
	uLong checksum = crc32(0, nullptr, 0);
	for (u32 left = entry.size; left > 0;)
	{
		const u32 part = core::min_(left, (u32)buffer.size());
		if (!readExactly(m_file, buffer.data(), part))
			return false;
		checksum = crc32(checksum, buffer.data(), part);
		left -= part;
	}
	return checksum == entry.crc32;
}

bool CArchiveLoaderZip::isALoadableFileFormat(io::IReadFile* file) const
{
	u8 signature[4];
	return file && readExactly(file, signature, 4) && readLE32(signature) == LOCAL_HEADER_SIGNATURE;
}

bool CArchiveLoaderZip::isALoadableFileExtension(const core::stringc& fileName) const
{
	return hasFileExtension(fileName, "zip") || hasFileExtension(fileName, "pk3");
}

IFileArchive* CArchiveLoaderZip::createArchive(io::IReadFile* file, bool ignoreCase, bool ignorePaths) const
{
	m_refusedLast = false;
	if (!file)
		return nullptr;
	file->seek(0);
	IFileArchive* archive = keepValidArchive(new CZipArchive(file, ignoreCase, ignorePaths));
	m_refusedLast = archive == nullptr;
	return archive;
}

IFileArchive* CArchiveLoaderZip::createArchive(const core::stringc& fileName, bool ignoreCase, bool ignorePaths) const
{
	m_refusedLast = false;
	return createArchiveFromNamedFile(*this, m_fileSystem, fileName, ignoreCase, ignorePaths);
}
} // namespace fw
