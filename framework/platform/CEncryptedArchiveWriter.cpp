#include "platform/CEncryptedArchiveWriter.h"

#include "core/CLogger.h"
#include "platform/CEncryptedArchive.h"
#include "platform/CReadFile.h"
#include "platform/os/Folders.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace fw
{
namespace
{
void putU16(u8* p, u32 value)
{
	p[0] = (u8)value;
	p[1] = (u8)(value >> 8);
}

void putU32(u8* p, u32 value)
{
	for (int i = 0; i < 4; ++i)
		p[i] = (u8)(value >> (8 * i));
}

const u64 MAX_ARCHIVE_SIZE = 0xffffffffull;
} // namespace

CEncryptedArchiveWriter::CEncryptedArchiveWriter(io::IWriteFile* file, const core::stringc& key) :
	m_file(file), m_key(key)
{
	if (!m_file)
	{
		m_failed = true;
		return;
	}
	m_file->grab();
	u8 header[CEncryptedArchive::HEADER_SIZE] = {'O', 'C', 'A', 0};
	m_failed = m_file->write(header, sizeof(header)) != (s32)sizeof(header);
	m_offset = sizeof(header);
}

CEncryptedArchiveWriter::~CEncryptedArchiveWriter()
{
	if (m_file)
		m_file->drop();
}

bool CEncryptedArchiveWriter::writeEnciphered(const void* data, u32 size)
{
	if (m_failed)
		return false;
	if (m_offset + size > MAX_ARCHIVE_SIZE)
	{
		logError("Encrypted archive would pass 4 GiB", m_file->getFileName().c_str());
		m_failed = true;
		return false;
	}
	u8 chunk[65536];
	const u8* source = (const u8*)data;
	while (size > 0)
	{
		const u32 count = core::min_(size, (u32)sizeof(chunk));
		std::memcpy(chunk, source, count);
		CEncryptedArchive::cipher(chunk, count, (u32)m_offset, m_key);
		if (m_file->write(chunk, count) != (s32)count)
		{
			logError("Could not write the encrypted archive", m_file->getFileName().c_str());
			m_failed = true;
			return false;
		}
		m_offset += count;
		source += count;
		size -= count;
	}
	return true;
}

bool CEncryptedArchiveWriter::beginEntry(const core::stringc& name)
{
	if (m_failed)
		return false;
	if (name.empty() || name.size() > 0xffff)
	{
		logError("Archive entry names must have 1 to 65535 bytes", name.c_str());
		m_failed = true;
		return false;
	}
	SEntry entry;
	entry.name = name;
	entry.offset = (u32)m_offset;
	entry.size = 0;
	m_entries.push_back(entry);
	return true;
}

bool CEncryptedArchiveWriter::addData(const core::stringc& name, const void* data, u32 size)
{
	if (!beginEntry(name) || !writeEnciphered(data, size))
		return false;
	m_entries.getLast().size = size;
	return true;
}

bool CEncryptedArchiveWriter::addFile(const core::stringc& name, io::IReadFile* data)
{
	if (!data || !data->seek(0))
	{
		logError("Could not read the file to pack", name.c_str());
		m_failed = true;
		return false;
	}
	if (!beginEntry(name))
		return false;
	std::vector<u8> buffer(65536);
	u64 total = 0;
	for (;;)
	{
		const s32 count = data->read(buffer.data(), (u32)buffer.size());
		if (count <= 0)
			break;
		if (!writeEnciphered(buffer.data(), (u32)count))
			return false;
		total += (u32)count;
	}
	if (total != (u64)data->getSize())
	{
		logError("Could not read the whole file to pack", name.c_str());
		m_failed = true;
		return false;
	}
	m_entries.getLast().size = (u32)total;
	return true;
}

bool CEncryptedArchiveWriter::finish()
{
	if (m_failed)
		return false;
	const u32 directoryOffset = (u32)m_offset;
	std::vector<u8> record;
	for (u32 i = 0; i < m_entries.size(); ++i)
	{
		const SEntry& entry = m_entries[i];
		record.assign(2 + entry.name.size() + 8, 0);
		putU16(&record[0], entry.name.size());
		std::memcpy(&record[2], entry.name.c_str(), entry.name.size());
		putU32(&record[2 + entry.name.size()], entry.offset);
		putU32(&record[6 + entry.name.size()], entry.size);
		if (!writeEnciphered(record.data(), (u32)record.size()))
			return false;
	}
	u8 header[CEncryptedArchive::HEADER_SIZE] = {'O', 'C', 'A', 0};
	putU32(header + 4, directoryOffset);
	putU32(header + 8, m_entries.size());
	if (!m_file->seek(0) || m_file->write(header, sizeof(header)) != (s32)sizeof(header))
	{
		logError("Could not write the encrypted archive's header", m_file->getFileName().c_str());
		m_failed = true;
		return false;
	}
	return true;
}

namespace
{
// Relative names of the regular files under folder/prefix.
bool collectFiles(const core::stringc& folder, const core::stringc& prefix, std::vector<core::stringc>& names,
	u32 depth)
{
	if (depth > 64)
	{
		logError("Folders nested too deep to pack", (folder + "/" + prefix).c_str());
		return false;
	}
	core::array<os::SFolderEntry> entries;
	const core::stringc here = prefix.empty() ? folder : folder + "/" + prefix;
	if (!os::listFolder(here, entries))
	{
		logError("Could not list the folder to pack", here.c_str());
		return false;
	}
	for (u32 i = 0; i < entries.size(); ++i)
	{
		const core::stringc& name = entries[i].name;
		if (name == "." || name == "..")
			continue;
		const core::stringc relative = prefix.empty() ? name : prefix + "/" + name;
		struct stat info;
		if (lstat((folder + "/" + relative).c_str(), &info) != 0)
			continue;
		if (S_ISDIR(info.st_mode))
		{
			if (!collectFiles(folder, relative, names, depth + 1))
				return false;
		}
		else if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode))
		{
			names.push_back(relative);
		}
	}
	return true;
}
} // namespace

bool packFolderToEncryptedArchive(const core::stringc& folder, const core::stringc& key, io::IWriteFile* out,
	u32* fileCount)
{
	std::vector<core::stringc> names;
	if (!os::isFolder(folder))
	{
		logError("Not a folder to pack", folder.c_str());
		return false;
	}
	if (!collectFiles(folder, core::stringc(), names, 0))
		return false;
	std::sort(names.begin(), names.end(),
		[](const core::stringc& a, const core::stringc& b) { return std::strcmp(a.c_str(), b.c_str()) < 0; });

	CEncryptedArchiveWriter writer(out, key);
	for (const core::stringc& name : names)
	{
		io::IReadFile* file = CReadFile::open(folder + "/" + name);
		if (!file)
		{
			// A link to a folder or to nothing; not a file the program could ask for.
			continue;
		}
		const bool added = writer.addFile(name, file);
		file->drop();
		if (!added)
			return false;
	}
	if (!writer.finish())
		return false;
	if (fileCount)
		*fileCount = writer.getEntryCount();
	return true;
}
} // namespace fw
