#pragma once

#include "core/CoreTypes.h"

#include <IReadFile.h>
#include <IWriteFile.h>

namespace fw
{
// Writes an encrypted asset archive that CEncryptedArchive reads: the header, the entries' data
// in the order they are added, then the directory; the header is filled in by finish().
class CEncryptedArchiveWriter
{
public:
	// The file is referenced until the writer is destroyed; the key may be empty (no cipher).
	CEncryptedArchiveWriter(io::IWriteFile* file, const core::stringc& key);
	~CEncryptedArchiveWriter();

	// The name is the path the program will ask for (slashes, case as asked).
	bool addData(const core::stringc& name, const void* data, u32 size);
	// Copies the whole file from its start.
	bool addFile(const core::stringc& name, io::IReadFile* data);
	// Writes the directory and the header. False when any step failed, from the first on.
	bool finish();

	u32 getEntryCount() const { return m_entries.size(); }

private:
	CEncryptedArchiveWriter(const CEncryptedArchiveWriter&) = delete;
	CEncryptedArchiveWriter& operator=(const CEncryptedArchiveWriter&) = delete;

	struct SEntry
	{
		core::stringc name;
		u32 offset;
		u32 size;
	};

	bool beginEntry(const core::stringc& name);
	bool writeEnciphered(const void* data, u32 size);

	io::IWriteFile* m_file;
	core::stringc m_key;
	core::array<SEntry> m_entries;
	u64 m_offset = 0;
	bool m_failed = false;
};

// Packs every regular file under the folder, named by its path relative to the folder with
// slashes, in byte order of the names. Symbolic links to folders are not followed.
bool packFolderToEncryptedArchive(const core::stringc& folder, const core::stringc& key, io::IWriteFile* out,
	u32* fileCount = nullptr);
} // namespace fw
