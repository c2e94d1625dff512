#pragma once

#include "core/CoreTypes.h"

#include <IReadFile.h>

namespace fw
{
// One file of an archive as its directory describes it.
struct SArchiveEntry
{
	// The name lookups compare against.
	core::stringc name;
	// Where the entry's bytes start in the archive file, and how many are stored.
	u32 offset = 0;
	u32 size = 0;
};

// A mounted collection of files: a folder, a zip file or the encrypted asset archive.
class IFileArchive : public virtual IReferenceCounted
{
public:
	// The archive's path with slashes.
	virtual const core::stringc& getArchiveName() const = 0;
	// "mount", "zip" or "oca".
	virtual const core::stringc& getArchiveType() const = 0;
	virtual u32 getFileCount() const = 0;
	// A new file for the caller, or null.
	virtual io::IReadFile* openFile(u32 index) = 0;
	virtual io::IReadFile* openFile(const core::stringc& name) = 0;
	// The entry's index, or -1.
	virtual s32 findFile(const core::stringc& name) = 0;
	// Null at or beyond the count.
	virtual const SArchiveEntry* getFileInfo(u32 index) const = 0;
};
} // namespace fw
